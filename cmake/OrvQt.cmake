# The Qt major version the project builds against, chosen once by ORV_QT_MAJOR (5 or 6). Every target
# names Qt through ORV_QT, the package and target prefix (Qt5 or Qt6). The Qt 6 flavour carries
# ORV_QT_SUFFIX on every name it installs (library, headers folder, CMake package, pkg-config file,
# Debian packages), as Qt libraries that ship both flavours do, so both can share one prefix; the
# Qt 5 names have none.
if(NOT ORV_QT_MAJOR MATCHES "^[56]$")
    message(FATAL_ERROR "ORV_QT_MAJOR must be 5 or 6, not '${ORV_QT_MAJOR}'")
endif()
set(ORV_QT Qt${ORV_QT_MAJOR})
find_package(${ORV_QT} 5.15 REQUIRED COMPONENTS Core Network)
if(ORV_QT_MAJOR EQUAL 5)
    set(ORV_QT_SUFFIX "")
    set(ORV_QT_DEV_PACKAGE qtbase5-dev)
else()
    set(ORV_QT_SUFFIX -qt6)
    set(ORV_QT_DEV_PACKAGE qt6-base-dev)
endif()
# Neither flavour may lean on what the other lacks: no API that 5.15 already deprecated.
add_compile_definitions(QT_DISABLE_DEPRECATED_BEFORE=0x050F00)
