# The update commands' tests compare with the maker's address chosen at build time.
target_compile_definitions(${target} PRIVATE ORV_TEST_MAKER_WEB_ADDRESS="${ORV_MAKER_WEB_ADDRESS}")
