# Checks a Windows DLL as check_imports.cmake does, and that it exports nothing beyond the
# named entries.
#   cmake -DOBJDUMP=... -DLIBRARY=... -DEXPORTS=a,b -P check_exports_exactly.cmake
include(${CMAKE_CURRENT_LIST_DIR}/check_imports.cmake)

# The export name table's lines: a tab, "[ index]" and the name.
string(REGEX MATCHALL "\n\t\\[ *[0-9]+\\] [A-Za-z_][A-Za-z0-9_@]*" exported "${headers}")
list(TRANSFORM exported REPLACE "\n\t\\[ *[0-9]+\\] " "")
message(STATUS "exports: ${exported}")
list(SORT exported)
list(SORT exports)
if(NOT exported STREQUAL exports)
    message(FATAL_ERROR "${LIBRARY} exports ${exported}, not exactly ${exports}")
endif()
