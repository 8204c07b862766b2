# miral_check_changelog_version(changelog version): stops with an error when the newest entry of
# the Debian changelog names another upstream version than the project's (the Debian revision
# after the last "-" is not compared). Runs in the build and as a script:
#   cmake -DCHANGELOG=debian/changelog -DVERSION=1.0.0 -P distribution/changelog_version.cmake

function(miral_check_changelog_version changelog version)
    file(STRINGS ${changelog} first_line LIMIT_COUNT 1)
    if(NOT first_line MATCHES "^[a-z0-9][a-z0-9.+-]* \\(([^)]+)\\) ")
        message(FATAL_ERROR "${changelog}: no version in its first line: ${first_line}")
    endif()
    set(full_version ${CMAKE_MATCH_1})
    # An epoch ("1:") and a Debian revision ("-1") are the packaging's, not the project's.
    string(REGEX REPLACE "^[0-9]+:" "" upstream "${full_version}")
    string(REGEX REPLACE "-[^-]*$" "" upstream "${upstream}")
    if(NOT upstream STREQUAL version)
        message(FATAL_ERROR "${changelog} names version ${full_version}, the project is "
                            "${version} (project(VERSION) in CMakeLists.txt): make them agree")
    endif()
endfunction()

if(CMAKE_SCRIPT_MODE_FILE STREQUAL CMAKE_CURRENT_LIST_FILE)
    miral_check_changelog_version(${CHANGELOG} ${VERSION})
endif()
