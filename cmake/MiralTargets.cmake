option(MIRAL_WERROR "Treat compiler warnings as errors" OFF)

# Warning policy shared by every target of the project.
function(miral_warnings target)
    target_compile_options(${target} PRIVATE -Wall -Wextra)
    if(MIRAL_WERROR)
        target_compile_options(${target} PRIVATE -Werror)
    endif()
endfunction()

# A static library of the project, one per folder: headers under the folder's include/ are its
# public interface ("engine/laws.h"); the other headers of the folder are private to it and
# included relative to the folder.
function(miral_library target)
    add_library(${target} STATIC ${ARGN})
    target_include_directories(${target} PUBLIC ${CMAKE_CURRENT_SOURCE_DIR}/include
                                         PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
    target_compile_features(${target} PUBLIC cxx_std_20)
    miral_warnings(${target})
endfunction()
