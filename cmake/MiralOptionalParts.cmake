# The plug-in needs only a compiler and Cairo/X11. The miral command (CLI11, libsndfile), the
# tests (GoogleTest; on Linux also the command) and the benchmarks (Google Benchmark) are built
# when their packages are present; a part asked for without them is left out, and said so.

option(MIRAL_BUILD_CLI "Build the miral command" ON)
option(MIRAL_BUILD_TESTS "Build the tests" ON)
option(MIRAL_BUILD_BENCH "Build the benchmarks" ON)

function(miral_leave_out part reason)
    message(STATUS "MIRAL: ${part} not built: ${reason}")
    set(MIRAL_BUILD_${part} OFF PARENT_SCOPE)
endfunction()

if(WIN32)
    # The command and the benchmarks are Linux-only; the Windows tests build GoogleTest from
    # its sources.
    set(MIRAL_BUILD_CLI OFF)
    set(MIRAL_BUILD_BENCH OFF)
    set(MIRAL_GOOGLETEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest sources")
    if(MIRAL_BUILD_TESTS AND NOT EXISTS ${MIRAL_GOOGLETEST_SOURCE}/CMakeLists.txt)
        miral_leave_out(TESTS "no GoogleTest sources in ${MIRAL_GOOGLETEST_SOURCE}")
    endif()
    return()
endif()

if(MIRAL_BUILD_CLI)
    find_package(PkgConfig REQUIRED)
    find_package(CLI11 QUIET)
    pkg_check_modules(MIRAL_SNDFILE QUIET sndfile)
    if(NOT CLI11_FOUND OR NOT MIRAL_SNDFILE_FOUND)
        miral_leave_out(CLI "CLI11 or libsndfile not found")
    endif()
endif()
if(MIRAL_BUILD_TESTS)
    find_package(GTest QUIET)
    if(NOT GTest_FOUND)
        miral_leave_out(TESTS "GoogleTest not found")
    elseif(NOT MIRAL_BUILD_CLI)
        miral_leave_out(TESTS "they need the miral command")
    endif()
endif()
if(MIRAL_BUILD_BENCH)
    find_package(benchmark QUIET)
    if(NOT benchmark_FOUND)
        miral_leave_out(BENCH "Google Benchmark not found")
    endif()
endif()
