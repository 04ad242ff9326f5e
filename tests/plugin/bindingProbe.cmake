# The probe that loads the host library globally before the plugin.
add_executable(orv_binding_probe ${CMAKE_CURRENT_SOURCE_DIR}/plugin/bindingProbe/bindingProbe.cpp)
target_link_libraries(orv_binding_probe PRIVATE ${CMAKE_DL_LIBS})
add_dependencies(${target} orv_binding_probe simExtOrv)
target_compile_definitions(${target} PRIVATE ORV_TEST_BINDING_PROBE="$<TARGET_FILE:orv_binding_probe>")
# The tests compare texts with the addresses chosen at build time.
target_include_directories(${target} PRIVATE ${PROJECT_BINARY_DIR}/generated)
