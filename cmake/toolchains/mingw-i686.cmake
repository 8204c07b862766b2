# Cross-compiles MIRAL for 32-bit Windows with Debian's MinGW-w64 (posix threads):
#   cmake -S . -B build-w32 -DCMAKE_TOOLCHAIN_FILE=cmake/toolchains/mingw-i686.cmake
# SSE2 arithmetic instead of the x87 unit, whose extended precision would change the last bits
# of the output against the 64-bit builds.
set(MIRAL_MINGW_TRIPLET i686-w64-mingw32)
set(MIRAL_MINGW_PROCESSOR x86)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)

set(CMAKE_C_FLAGS_INIT "-msse2 -mfpmath=sse")
set(CMAKE_CXX_FLAGS_INIT "-msse2 -mfpmath=sse")
