# Fails when a source under SOURCE_DIR includes a header of a module above its
# own. The modules, bottom first; each may include only what its line names:
#
#   log/ lang/ audio/ tray/     nothing of the program's own
#   speech/ ui/                 lang/
#   clock/                      the modules above
#   platform/<backend>/         the bottom modules and clock/Services.h
#   app/<front end>/            everything but another front end (app/run/ is shared)
#   wakehelper/                 nothing of the program's own (a program apart)
#
# Run at configure time (include() with SOURCE_DIR set) and as a test on a
# tree that breaks the rule: cmake -DSOURCE_DIR=<src> -P CheckIncludes.cmake

if(NOT SOURCE_DIR)
    message(FATAL_ERROR "CheckIncludes: set SOURCE_DIR to the src folder")
endif()

set(_bottom log/ lang/ speech/ audio/ tray/ ui/)
set(_allowed_log)
set(_allowed_lang)
set(_allowed_audio)
set(_allowed_tray)
set(_allowed_speech lang/)
set(_allowed_ui lang/)
set(_allowed_clock ${_bottom})
set(_allowed_platform ${_bottom} clock/Services.h)
set(_allowed_app ${_bottom} clock/ platform/ app/run/)
set(_allowed_wakehelper)

file(GLOB_RECURSE _sources RELATIVE ${SOURCE_DIR} ${SOURCE_DIR}/*.h ${SOURCE_DIR}/*.cpp)
set(_wrong)
foreach(_source IN LISTS _sources)
    string(REGEX MATCH "^[^/]+" _module "${_source}")
    # A platform backend or a front end is a module of its own: platform/pulse/.
    if(_module STREQUAL "platform" OR _module STREQUAL "app")
        string(REGEX MATCH "^[^/]+/[^/]+/" _own "${_source}")
    else()
        set(_own "${_module}/")
    endif()
    set(_allowed ${_allowed_${_module}} ${_own})
    file(STRINGS ${SOURCE_DIR}/${_source} _lines REGEX "^[ \t]*#[ \t]*include[ \t]*\"")
    foreach(_line IN LISTS _lines)
        string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*\"([^\"]+)\".*" "\\1" _header "${_line}")
        # A bare name is a header of the same folder.
        if(NOT _header MATCHES "/")
            continue()
        endif()
        set(_ok FALSE)
        foreach(_prefix IN LISTS _allowed)
            string(FIND "${_header}" "${_prefix}" _at)
            if(_at EQUAL 0)
                set(_ok TRUE)
                break()
            endif()
        endforeach()
        if(NOT _ok)
            list(APPEND _wrong "${_source} includes ${_header}")
        endif()
    endforeach()
endforeach()

if(_wrong)
    list(JOIN _wrong "\n  " _report)
    message(FATAL_ERROR "Includes that point up the module order:\n  ${_report}")
endif()
