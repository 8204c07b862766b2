# Shared part of the MinGW-w64 cross toolchains: the including file sets MIRAL_MINGW_TRIPLET
# (compiler prefix) and MIRAL_MINGW_PROCESSOR first.
#
# Everything is linked statically (libgcc, libstdc++, winpthread), so the DLLs and test programs
# need nothing beyond Windows' own DLLs. Test programs run under Wine in a prefix of the build
# tree (see wine-run); Wine's loader starts 32-bit and 64-bit programs alike.

set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ${MIRAL_MINGW_PROCESSOR})

set(CMAKE_C_COMPILER ${MIRAL_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${MIRAL_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${MIRAL_MINGW_TRIPLET}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${MIRAL_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# No link time in the files' headers: two builds of the same sources are the same bytes.
foreach(kind EXE SHARED MODULE)
    set(CMAKE_${kind}_LINKER_FLAGS_INIT "-static -Wl,--no-insert-timestamp")
endforeach()

set(CMAKE_CROSSCOMPILING_EMULATOR
    ${CMAKE_CURRENT_LIST_DIR}/wine-run ${CMAKE_BINARY_DIR}/wine-prefix wine)
