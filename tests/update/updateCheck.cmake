# The update check's tests compare with the addresses chosen at build time.
target_compile_definitions(${target} PRIVATE
    ORV_TEST_DEFAULT_UPDATE_SERVER="${ORV_UPDATE_SERVER_URL}"
    ORV_TEST_MAKER_WEB_ADDRESS="${ORV_MAKER_WEB_ADDRESS}")
