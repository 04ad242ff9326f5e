# Installs the library and sets up its Debian packages; included only when the project is built on
# its own, so a parent project that adds it as a subdirectory keeps its own install rules.
# Two components, packaged as Debian does:
#  - runtime: the versioned shared library and its documents (package libsimextorv<major>);
#  - development: the public headers (every header of the source folders but the private *_p.h
#    ones, and the generated ones, under include/simExtOrv/), the .so link, the CMake package and
#    the pkg-config file (package libsimextorv-dev, which depends on the runtime package).
# The Qt 6 flavour adds ORV_QT_SUFFIX (-qt6) to each of these names, so both flavours install side by
# side: libsimExtOrv-qt6.so.1, include/simExtOrv-qt6/, the packages libsimextorv-qt6-1 and
# libsimextorv-qt6-dev, the CMake package simExtOrv-qt6 and the pkg-config file simExtOrv-qt6.pc.
# scripts/make-debs.sh builds the two packages from these components.
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

set(ORV_NAME simExtOrv${ORV_QT_SUFFIX})
set(ORV_INSTALL_INCLUDEDIR ${CMAKE_INSTALL_INCLUDEDIR}/${ORV_NAME})
set(ORV_INSTALL_CMAKEDIR ${CMAKE_INSTALL_LIBDIR}/cmake/${ORV_NAME})
string(TOLOWER lib${ORV_NAME} ORV_PACKAGE_STEM)
set(ORV_DEV_PACKAGE ${ORV_PACKAGE_STEM}-dev)
# Debian puts a hyphen between a library name that ends in a digit and its major version.
if(ORV_PACKAGE_STEM MATCHES "[0-9]$")
    string(APPEND ORV_PACKAGE_STEM -)
endif()
set(ORV_RUNTIME_PACKAGE ${ORV_PACKAGE_STEM}${PROJECT_VERSION_MAJOR})

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
    ${PROJECT_BINARY_DIR}/${ORV_NAME}Config.cmake INSTALL_DESTINATION ${ORV_INSTALL_CMAKEDIR})
write_basic_package_version_file(${PROJECT_BINARY_DIR}/${ORV_NAME}ConfigVersion.cmake
    COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/${ORV_NAME}Config.cmake ${PROJECT_BINARY_DIR}/${ORV_NAME}ConfigVersion.cmake
    DESTINATION ${ORV_INSTALL_CMAKEDIR} COMPONENT development)

# The pkg-config file names the prefix it is installed under (a package's /usr, which pkg-config
# knows for a system folder), so it is completed when installing: the prefix is left in the
# configured file for that step.
set(ORV_PC_PREFIX "@CMAKE_INSTALL_PREFIX@")
configure_file(${PROJECT_SOURCE_DIR}/cmake/simExtOrv.pc.in ${PROJECT_BINARY_DIR}/${ORV_NAME}.pc.in @ONLY)
install(CODE "configure_file(\"${PROJECT_BINARY_DIR}/${ORV_NAME}.pc.in\" \"${PROJECT_BINARY_DIR}/${ORV_NAME}.pc\" @ONLY)"
    COMPONENT development)
install(FILES ${PROJECT_BINARY_DIR}/${ORV_NAME}.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig
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

# What makes each component a Debian package beside its files: its control files,
# cmake/debian/<component>.<file>[.in], completed here with names and version into
# debian/<component>/ of the build, for scripts/make-debs.sh, which adds what only the build knows
# (architecture, installed size, the dependencies on other libraries).
set(ORV_MAINTAINER "simExtOrv developers <dev@orv-maker.example>")
get_target_property(ORV_SOVERSION simExtOrv SOVERSION)
file(REMOVE_RECURSE ${PROJECT_BINARY_DIR}/debian) # no control file outlives its template
foreach(component runtime development)
    file(GLOB templates ${PROJECT_SOURCE_DIR}/cmake/debian/${component}.*)
    foreach(template IN LISTS templates)
        get_filename_component(file ${template} NAME)
        string(REGEX REPLACE "^${component}\\.|\\.in$" "" file ${file})
        configure_file(${template} ${PROJECT_BINARY_DIR}/debian/${component}/${file} @ONLY)
    endforeach()
endforeach()
