# The documents Debian policy asks of a package, made at configure time into
# build/data/debian/ and installed with the program (Install.cmake):
#
#   share/doc/alarm-clock/copyright      machine-readable, with the licence texts
#   share/doc/alarm-clock/changelog.gz   gzip -9n
#   share/man/man1/alarm-clock.1.gz      gzip -9n

set(ALARM_PACKAGE_MAINTAINER "The Alarm Clock developers <alarm-clock@example.org>"
    CACHE STRING "Maintainer field of the Debian package")

set(ALARM_DEBIAN_OUT ${CMAKE_BINARY_DIR}/data/debian)
file(MAKE_DIRECTORY ${ALARM_DEBIAN_OUT})

# A licence text as the body of a copyright-file stanza: indented by one
# space, empty lines as " .".
function(alarm_license_body file first_line out)
    file(STRINGS ${file} lines)
    set(body)
    set(started FALSE)
    foreach(line IN LISTS lines)
        if(NOT started AND line MATCHES "${first_line}")
            set(started TRUE)
        endif()
        if(NOT started OR line MATCHES "^-+$")
            continue()
        endif()
        if(line STREQUAL "")
            list(APPEND body " .")
        else()
            list(APPEND body " ${line}")
        endif()
    endforeach()
    list(JOIN body "\n" text)
    set(${out} "${text}" PARENT_SCOPE)
endfunction()

alarm_license_body(${PROJECT_SOURCE_DIR}/LICENSE "^Permission is hereby granted" EXPAT_TEXT)
alarm_license_body(${PROJECT_SOURCE_DIR}/assets/fonts/OFL.txt "^SIL OPEN FONT LICENSE" OFL_TEXT)
configure_file(${PROJECT_SOURCE_DIR}/data/debian/copyright.in ${ALARM_DEBIAN_OUT}/copyright @ONLY)

foreach(name changelog alarm-clock.1)
    configure_file(${PROJECT_SOURCE_DIR}/data/debian/${name}.in ${ALARM_DEBIAN_OUT}/${name} @ONLY)
    execute_process(COMMAND gzip -9nc ${ALARM_DEBIAN_OUT}/${name}
        OUTPUT_FILE ${ALARM_DEBIAN_OUT}/${name}.gz RESULT_VARIABLE failed)
    if(failed)
        message(FATAL_ERROR "gzip ${name} failed")
    endif()
endforeach()

# The licence texts are read above: a change to them configures again.
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
    ${PROJECT_SOURCE_DIR}/LICENSE ${PROJECT_SOURCE_DIR}/assets/fonts/OFL.txt)
