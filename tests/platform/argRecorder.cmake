# The program that the process tests start: it records its arguments and working folder.
add_executable(orv_arg_recorder ${CMAKE_CURRENT_LIST_DIR}/helpers/argRecorder.cpp)
add_dependencies(${target} orv_arg_recorder)
target_compile_definitions(${target} PRIVATE ORV_ARG_RECORDER_PATH="$<TARGET_FILE:orv_arg_recorder>")
