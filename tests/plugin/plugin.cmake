# The host harness: a host program that loads the plugin with dlopen and goes on with its own Qt after
# unloading it. It must not link the plugin, or the plugin could never leave the process.
add_executable(orv_host_harness ${CMAKE_CURRENT_SOURCE_DIR}/plugin/hostHarness/hostHarness.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/common/WaitUntil.cpp)
target_include_directories(orv_host_harness PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
target_link_libraries(orv_host_harness PRIVATE orv_update_server ${ORV_QT}::Core ${ORV_QT}::Network ${CMAKE_DL_LIBS})
add_dependencies(${target} orv_host_harness simExtOrv)
target_compile_definitions(${target} PRIVATE ORV_TEST_HOST_HARNESS="$<TARGET_FILE:orv_host_harness>")
# The tests compare texts with the maker's address chosen at build time.
target_include_directories(${target} PRIVATE ${PROJECT_BINARY_DIR}/generated)
target_compile_definitions(${target} PRIVATE ORV_TEST_MAKER_WEB_ADDRESS="${ORV_MAKER_WEB_ADDRESS}")
