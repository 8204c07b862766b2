# Warning policy shared by every target of the project.
function(miral_warnings target)
    target_compile_options(${target} PRIVATE -Wall -Wextra -Werror)
endfunction()

# A static library of the project: sources given, public headers found from the repository
# root ("engine/laws.h"), C++20, the project's warnings.
function(miral_library target)
    add_library(${target} STATIC ${ARGN})
    target_include_directories(${target} PUBLIC ${PROJECT_SOURCE_DIR})
    target_compile_features(${target} PUBLIC cxx_std_20)
    miral_warnings(${target})
endfunction()
