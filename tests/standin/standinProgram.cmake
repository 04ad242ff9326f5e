# The stand-in host program under test.
add_dependencies(${target} orv-standin)
target_compile_definitions(${target} PRIVATE ORV_TEST_STANDIN_PROGRAM="$<TARGET_FILE:orv-standin>")
