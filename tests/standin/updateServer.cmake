# The loopback update server's own tests.
target_link_libraries(${target} PRIVATE orv_update_server)
