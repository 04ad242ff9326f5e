# Installs the library, its public headers (every header of the source folders but the private
# *_p.h ones, under include/simExtOrv/<folder>/), a CMake package and a pkg-config file, and sets
# up a Debian package of them (cpack -G DEB).
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

set(ORV_INSTALL_INCLUDEDIR ${CMAKE_INSTALL_INCLUDEDIR}/simExtOrv)
set(ORV_INSTALL_CMAKEDIR ${CMAKE_INSTALL_LIBDIR}/cmake/simExtOrv)

foreach(dir plugin simLib update settings platform util)
    install(DIRECTORY ${PROJECT_SOURCE_DIR}/${dir}/ DESTINATION ${ORV_INSTALL_INCLUDEDIR}/${dir}
        COMPONENT development
        FILES_MATCHING PATTERN "*.h" PATTERN "*.def" PATTERN "*_p.h" EXCLUDE)
endforeach()

install(TARGETS simExtOrv EXPORT simExtOrvTargets
    LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT runtime NAMELINK_COMPONENT development
    INCLUDES DESTINATION ${ORV_INSTALL_INCLUDEDIR})
install(EXPORT simExtOrvTargets NAMESPACE simExtOrv:: DESTINATION ${ORV_INSTALL_CMAKEDIR}
    COMPONENT development)

configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/simExtOrvConfig.cmake.in
    ${PROJECT_BINARY_DIR}/simExtOrvConfig.cmake INSTALL_DESTINATION ${ORV_INSTALL_CMAKEDIR})
write_basic_package_version_file(${PROJECT_BINARY_DIR}/simExtOrvConfigVersion.cmake
    COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/simExtOrvConfig.cmake ${PROJECT_BINARY_DIR}/simExtOrvConfigVersion.cmake
    DESTINATION ${ORV_INSTALL_CMAKEDIR} COMPONENT development)

configure_file(${PROJECT_SOURCE_DIR}/cmake/simExtOrv.pc.in ${PROJECT_BINARY_DIR}/simExtOrv.pc @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/simExtOrv.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig
    COMPONENT development)

set(CPACK_PACKAGE_NAME "libsimextorv-dev")
set(CPACK_PACKAGE_VENDOR "simExtOrv developers")
set(CPACK_PACKAGE_CONTACT "simExtOrv developers <dev@orv-maker.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION libdevel)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The public headers include Qt Core's and Qt Network's.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qtbase5-dev")
set(CPACK_PACKAGE_DIRECTORY ${PROJECT_BINARY_DIR}/packages)
include(CPack)
