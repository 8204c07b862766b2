# Cross-compiles MIRAL for 64-bit Windows with Debian's MinGW-w64 (posix threads):
#   cmake -S . -B build-w64 -DCMAKE_TOOLCHAIN_FILE=cmake/toolchains/mingw-x86_64.cmake
set(MIRAL_MINGW_TRIPLET x86_64-w64-mingw32)
set(MIRAL_MINGW_PROCESSOR AMD64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
