# The project's version, set once by project(VERSION ...), reaches every place that shows it:
# the miral command (--version), the LV2 bundle (lv2:minorVersion, lv2:microVersion), the
# version records of the Windows libraries, the manual page, the Debian changelog and the
# Windows archive's name. The VST 2 identity (unique ID, vendor version 1000, record version 1)
# is fixed and does not follow it.

include(${PROJECT_SOURCE_DIR}/distribution/changelog_version.cmake)

# A release is described by debian/changelog too; a disagreement stops the build here rather
# than producing packages whose name and contents tell different versions.
miral_check_changelog_version(${PROJECT_SOURCE_DIR}/debian/changelog ${PROJECT_VERSION})
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
                                       ${PROJECT_SOURCE_DIR}/debian/changelog)

# The Windows version records: the numbers and text in a header of the build tree (a header,
# since windres loses the quotes of a string given as a definition).
if(WIN32)
    configure_file(${CMAKE_CURRENT_LIST_DIR}/miral_version.h.in
                   ${PROJECT_BINARY_DIR}/version/miral_version.h @ONLY)
    include_directories($<$<COMPILE_LANGUAGE:RC>:${PROJECT_BINARY_DIR}/version>)
endif()
