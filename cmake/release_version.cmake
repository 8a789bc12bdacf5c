# The release's version number lives in the file VERSION at the top of the sources, and only there:
# the version resources of every program file, the About box, the updater's "newer than me" test
# and the installers all take it from that file. MAJOR.MINOR.PATCH, as the installers number a
# product: MAJOR and MINOR up to 255, PATCH up to 65535.
function(wl_read_release_version file header)
    file(STRINGS ${file} text LIMIT_COUNT 1)
    if(NOT text MATCHES "^([0-9]+)\\.([0-9]+)\\.([0-9]+)$")
        message(FATAL_ERROR "${file} must hold one version number MAJOR.MINOR.PATCH, not '${text}'")
    endif()
    set(major ${CMAKE_MATCH_1})
    set(minor ${CMAKE_MATCH_2})
    set(patch ${CMAKE_MATCH_3})
    if(major GREATER 255 OR minor GREATER 255 OR patch GREATER 65535)
        message(FATAL_ERROR "${file}: '${text}' is beyond what an installer can number (255.255.65535)")
    endif()
    # Leading zeros would make the preprocessor read octal.
    math(EXPR major "${major}")
    math(EXPR minor "${minor}")
    math(EXPR patch "${patch}")
    file(CONFIGURE OUTPUT ${header} CONTENT "// Made by the build from VERSION; do not edit.
#pragma once
#define WL_VERSION_MAJOR ${major}
#define WL_VERSION_MINOR ${minor}
#define WL_VERSION_PATCH ${patch}
#define WL_VERSION_TEXT \"${major}.${minor}.${patch}\"
#define WL_VERSION_ABOUT_TEXT \"Wordlark ${major}.${minor}.${patch}\"
")
    set_property(DIRECTORY ${CMAKE_SOURCE_DIR} APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${file})
endfunction()
