option(MIRAL_WERROR "Treat compiler warnings as errors" OFF)
option(MIRAL_SANITIZE "Instrument with address and undefined-behaviour sanitizers" OFF)
option(MIRAL_SANITIZE_THREAD "Instrument with the thread sanitizer (for the concurrency tests)" OFF)
option(MIRAL_FUZZ "Build the libFuzzer targets (clang), the project instrumented for them" OFF)

# What every target of the project is built with: its warnings, IEEE-exact arithmetic (no
# contraction into FMA, so every build of the plug-in computes the same output bits) and the
# sanitizers chosen.
function(miral_target_settings target)
    target_compile_options(${target} PRIVATE -Wall -Wextra -Wshadow -Wconversion -Wsign-conversion
                           -ffp-contract=off)
    if(MIRAL_WERROR)
        target_compile_options(${target} PRIVATE -Werror)
    endif()
    if(MIRAL_SANITIZE)
        target_compile_options(${target} PRIVATE -fsanitize=address,undefined
                               -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
        target_link_options(${target} PUBLIC -fsanitize=address,undefined)
    endif()
    if(MIRAL_FUZZ)
        target_compile_options(${target} PRIVATE -fsanitize=fuzzer-no-link,address,undefined
                               -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
        target_link_options(${target} PUBLIC -fsanitize=address,undefined)
    endif()
    if(MIRAL_SANITIZE_THREAD)
        target_compile_options(${target} PRIVATE -fsanitize=thread -fno-omit-frame-pointer)
        target_link_options(${target} PUBLIC -fsanitize=thread)
    endif()
endfunction()

# A static library of the project, one per folder: headers under the folder's include/ are its
# public interface ("engine/laws.h"); the other headers of the folder are private to it and
# included relative to the folder ("value_text.h"). A test or tool that needs them links
# <target>_internal, which adds the folder to its include path, so its include lines tell a
# public header (with the folder's name) from a private one (without).
function(miral_library target)
    add_library(${target} STATIC ${ARGN})
    target_include_directories(${target} PUBLIC ${CMAKE_CURRENT_SOURCE_DIR}/include
                                         PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
    target_compile_features(${target} PUBLIC cxx_std_20)
    miral_target_settings(${target})
    add_library(${target}_internal INTERFACE)
    target_include_directories(${target}_internal INTERFACE ${CMAKE_CURRENT_SOURCE_DIR})
    target_link_libraries(${target}_internal INTERFACE ${target})
endfunction()
