# Warnings and sanitizers for every target of the project.
add_compile_options(-Wall -Wextra)
if(ORV_WERROR)
    add_compile_options(-Werror)
endif()
if(ORV_SANITIZERS)
    add_compile_options(-fsanitize=${ORV_SANITIZERS} -fno-omit-frame-pointer -fno-sanitize-recover=all)
    add_link_options(-fsanitize=${ORV_SANITIZERS})
endif()
if(ORV_BUILD_FUZZ)
    # Coverage for libFuzzer in every target; the fuzz programs link the fuzzer's main.
    add_compile_options(-fsanitize=fuzzer-no-link)
    add_link_options(-fsanitize=fuzzer-no-link)
endif()
