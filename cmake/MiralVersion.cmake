# The project's version, set once by project(VERSION ...), reaches every place that shows it:
# the miral command (--version), the LV2 bundle (lv2:minorVersion, lv2:microVersion), the
# Windows version resources, the Debian changelog and the Windows archive's name. The VST 2
# identity (unique ID, vendor version 1000, record version 1) is fixed and does not follow it.

include(${PROJECT_SOURCE_DIR}/distribution/changelog_version.cmake)

# A release is described by debian/changelog too; a disagreement stops the build here rather
# than producing packages whose name and contents tell different versions.
miral_check_changelog_version(${PROJECT_SOURCE_DIR}/debian/changelog ${PROJECT_VERSION})
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
                                       ${PROJECT_SOURCE_DIR}/debian/changelog)

# Windows version resources: the numbers as resource-compiler definitions.
if(WIN32)
    add_compile_definitions(
        $<$<COMPILE_LANGUAGE:RC>:MIRAL_VERSION_MAJOR=${PROJECT_VERSION_MAJOR}>
        $<$<COMPILE_LANGUAGE:RC>:MIRAL_VERSION_MINOR=${PROJECT_VERSION_MINOR}>
        $<$<COMPILE_LANGUAGE:RC>:MIRAL_VERSION_PATCH=${PROJECT_VERSION_PATCH}>
        $<$<COMPILE_LANGUAGE:RC>:MIRAL_VERSION_TEXT="${PROJECT_VERSION}">)
endif()
