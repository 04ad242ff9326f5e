# The stand-in host program under test; its update run is compared with the maker's address chosen at
# build time.
add_dependencies(${target} orv-standin)
target_compile_definitions(${target} PRIVATE ORV_TEST_STANDIN_PROGRAM="$<TARGET_FILE:orv-standin>"
    ORV_TEST_MAKER_WEB_ADDRESS="${ORV_MAKER_WEB_ADDRESS}")
