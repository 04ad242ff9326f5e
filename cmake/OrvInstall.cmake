# Installs the library and sets up its Debian packages; included only when the project is built on
# its own, so a parent project that adds it as a subdirectory keeps its own install rules and CPack.
# Two components, packaged as Debian does:
#  - runtime: the versioned shared library and its documents (package libsimextorv<major>);
#  - development: the public headers (every header of the source folders but the private *_p.h
#    ones, and the generated ones, under include/simExtOrv/), the .so link, the CMake package and
#    the pkg-config file (package libsimextorv-dev, which depends on the runtime package).
# Configure with -DCMAKE_INSTALL_PREFIX=/usr to get the multiarch library folder of a Debian build.
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

set(ORV_INSTALL_INCLUDEDIR ${CMAKE_INSTALL_INCLUDEDIR}/simExtOrv)
set(ORV_INSTALL_CMAKEDIR ${CMAKE_INSTALL_LIBDIR}/cmake/simExtOrv)
set(ORV_RUNTIME_PACKAGE libsimextorv${PROJECT_VERSION_MAJOR})
set(ORV_DEV_PACKAGE libsimextorv-dev)

foreach(dir plugin simLib update settings platform util)
    install(DIRECTORY ${PROJECT_SOURCE_DIR}/${dir}/ DESTINATION ${ORV_INSTALL_INCLUDEDIR}/${dir}
        COMPONENT development
        FILES_MATCHING PATTERN "*.h" PATTERN "*.def" PATTERN "*_p.h" EXCLUDE)
endforeach()
install(FILES ${ORV_GENERATED_INCLUDE_DIR}/orvExport.h ${ORV_GENERATED_INCLUDE_DIR}/orvVersion.h
    DESTINATION ${ORV_INSTALL_INCLUDEDIR} COMPONENT development)

install(TARGETS simExtOrv EXPORT simExtOrvTargets
    LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT runtime NAMELINK_COMPONENT development)
install(EXPORT simExtOrvTargets NAMESPACE simExtOrv:: DESTINATION ${ORV_INSTALL_CMAKEDIR}
    COMPONENT development)

configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/simExtOrvConfig.cmake.in
    ${PROJECT_BINARY_DIR}/simExtOrvConfig.cmake INSTALL_DESTINATION ${ORV_INSTALL_CMAKEDIR})
write_basic_package_version_file(${PROJECT_BINARY_DIR}/simExtOrvConfigVersion.cmake
    COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/simExtOrvConfig.cmake ${PROJECT_BINARY_DIR}/simExtOrvConfigVersion.cmake
    DESTINATION ${ORV_INSTALL_CMAKEDIR} COMPONENT development)

# The pkg-config file finds the prefix from its own folder, so it is right for every prefix.
file(RELATIVE_PATH ORV_PC_TO_PREFIX /prefix/${CMAKE_INSTALL_LIBDIR}/pkgconfig /prefix)
configure_file(${PROJECT_SOURCE_DIR}/cmake/simExtOrv.pc.in ${PROJECT_BINARY_DIR}/simExtOrv.pc @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/simExtOrv.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig
    COMPONENT development)

# Each package documents itself in share/doc/<package>/: the copyright and a compressed changelog.
set(ORV_CHANGELOG_GZ ${PROJECT_BINARY_DIR}/changelog.gz)
add_custom_command(OUTPUT ${ORV_CHANGELOG_GZ}
    COMMAND gzip -9nc ${PROJECT_SOURCE_DIR}/cmake/debian/changelog > ${ORV_CHANGELOG_GZ}
    DEPENDS ${PROJECT_SOURCE_DIR}/cmake/debian/changelog)
add_custom_target(orv_changelog ALL DEPENDS ${ORV_CHANGELOG_GZ})
foreach(component_package runtime:${ORV_RUNTIME_PACKAGE} development:${ORV_DEV_PACKAGE})
    string(REPLACE ":" ";" pair ${component_package})
    list(GET pair 0 component)
    list(GET pair 1 package)
    install(FILES ${PROJECT_SOURCE_DIR}/cmake/debian/copyright ${ORV_CHANGELOG_GZ}
        DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/${package} COMPONENT ${component})
endforeach()

set(CPACK_PACKAGE_VENDOR "simExtOrv developers")
set(CPACK_PACKAGE_CONTACT "simExtOrv developers <dev@orv-maker.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_PACKAGE_DIRECTORY ${PROJECT_BINARY_DIR}/packages)
set(CPACK_STRIP_FILES ON)
set(CPACK_COMPONENTS_ALL runtime development)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_ENABLE_COMPONENT_DEPENDS ON)
set(CPACK_DEBIAN_RUNTIME_PACKAGE_NAME ${ORV_RUNTIME_PACKAGE})
set(CPACK_DEBIAN_RUNTIME_PACKAGE_SECTION libs)
set(CPACK_DEBIAN_RUNTIME_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_NAME ${ORV_DEV_PACKAGE})
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_SECTION libdevel)
# The public headers include Qt Core's and Qt Network's.
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_DEPENDS "qtbase5-dev")
include(CPack)
cpack_add_component(runtime DISPLAY_NAME "simExtOrv library")
cpack_add_component(development DISPLAY_NAME "simExtOrv development files" DEPENDS runtime)
