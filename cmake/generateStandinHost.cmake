# Writes the source of a stand-in host library from the host API name list.
# -DNAMES_FILE=<hostApiNames.def> -DOUTPUT=<file.cpp> -DOMIT=<a;b> -DEXTRA=<c;d>
# Every listed name but the omitted ones becomes an exported function with C linkage; the two
# functions the plugin calls are left to standinHostBehaviour.cpp (switched on by ORV_STANDIN_HAS_*).
cmake_minimum_required(VERSION 3.16)
file(STRINGS "${NAMES_FILE}" lines REGEX "^ORV_HOST_API")
set(body "// Generated from ${NAMES_FILE}; do not edit.\n#include \"standinHostExport.h\"\n\n")
set(count 0)
foreach(line IN LISTS lines)
    string(REGEX REPLACE "^ORV_HOST_API(_TYPED)?\\(([A-Za-z0-9_]+).*$" "\\2" name "${line}")
    if(name IN_LIST OMIT)
        continue()
    endif()
    math(EXPR count "${count} + 1")
    if(line MATCHES "^ORV_HOST_API_TYPED")
        string(APPEND body "#define ORV_STANDIN_HAS_${name} 1\n")
    else()
        string(APPEND body "ORV_STANDIN_EXPORT void ${name}(void) {}\n")
    endif()
endforeach()
foreach(name IN LISTS EXTRA)
    string(APPEND body "ORV_STANDIN_EXPORT void ${name}(void) {}\n")
endforeach()
string(APPEND body "\n#include \"standinHostBehaviour.inc\"\n")
file(WRITE "${OUTPUT}.tmp" "${body}")
# Keep the file's time stamp when nothing changed, so the library is not rebuilt needlessly.
execute_process(COMMAND ${CMAKE_COMMAND} -E copy_if_different "${OUTPUT}.tmp" "${OUTPUT}")
file(REMOVE "${OUTPUT}.tmp")
