# Install tree, for `cmake --install` into any prefix and for the Debian
# package (Package.cmake):
#
#   bin/alarm-clock -> ../lib/alarm-clock/alarm-clock
#   lib/alarm-clock/             the program and its wake helper with its data beside it and its
#                                track decoder in modules/, laid out
#                                exactly as in the build tree: pictures, icon,
#                                the four fonts, OFL.txt, sounds/{en,fr,beep.wav}
#   share/applications/<id>.desktop
#   share/metainfo/<id>.metainfo.xml
#   share/icons/hicolor/<size>/apps/<id>.png, scalable/apps/<id>.svg
#   share/doc/alarm-clock/       LICENSE (the program), OFL.txt (the fonts),
#                                copyright, changelog.gz (DebianDocs.cmake)
#   share/man/man1/alarm-clock.1.gz
#
# The program finds its data through its resolved executable path, so the
# launcher in bin/ can be a plain symlink.

# Nothing to install until the front end defines the program.
if(NOT TARGET alarm-clock)
    message(STATUS "No alarm-clock target: no install rules")
    return()
endif()

set(ALARM_EXECUTABLE_NAME alarm-clock)
# A private folder, not CMAKE_INSTALL_LIBDIR: that is multiarch under /usr on
# Debian, and the launcher's relative link must not depend on it.
set(ALARM_INSTALL_APPDIR lib/alarm-clock)
set(ALARM_INSTALL_DOCDIR ${CMAKE_INSTALL_DATAROOTDIR}/doc/alarm-clock)

# The data that the build tree lays flat beside the executable
# (assets/CMakeLists.txt), installed the same way beside the installed one.
set(ALARM_BUILT_DATA ${CMAKE_BINARY_DIR})
set(ALARM_BUILT_FILES ${ALARM_DATA_NAMES})
list(TRANSFORM ALARM_BUILT_FILES PREPEND ${ALARM_BUILT_DATA}/)

install(TARGETS alarm-clock RUNTIME DESTINATION ${ALARM_INSTALL_APPDIR})
if(TARGET alarm-clock-wake)  # the wake helper, given CAP_WAKE_ALARM by the package's postinst
    install(TARGETS alarm-clock-wake RUNTIME DESTINATION ${ALARM_INSTALL_APPDIR})
endif()
if(TARGET alarm-track-gst)  # the track decoder, found beside the program
    install(TARGETS alarm-track-gst LIBRARY DESTINATION ${ALARM_INSTALL_APPDIR}/modules)
endif()
install(FILES ${ALARM_BUILT_FILES} DESTINATION ${ALARM_INSTALL_APPDIR})
install(DIRECTORY ${ALARM_BUILT_DATA}/sounds DESTINATION ${ALARM_INSTALL_APPDIR})

# The launcher: a relative symlink, made in the build tree and installed as is.
set(ALARM_LINK_DIR ${CMAKE_BINARY_DIR}/install-links)
file(MAKE_DIRECTORY ${ALARM_LINK_DIR})
file(CREATE_LINK ../${ALARM_INSTALL_APPDIR}/${ALARM_EXECUTABLE_NAME}
    ${ALARM_LINK_DIR}/${ALARM_EXECUTABLE_NAME} SYMBOLIC)
install(FILES ${ALARM_LINK_DIR}/${ALARM_EXECUTABLE_NAME} DESTINATION ${CMAKE_INSTALL_BINDIR})

# Desktop entry and AppStream metainfo, with the id, binary name and version.
configure_file(${PROJECT_SOURCE_DIR}/data/${ALARM_APP_ID}.desktop.in
    ${CMAKE_BINARY_DIR}/data/${ALARM_APP_ID}.desktop @ONLY)
configure_file(${PROJECT_SOURCE_DIR}/data/${ALARM_APP_ID}.metainfo.xml.in
    ${CMAKE_BINARY_DIR}/data/${ALARM_APP_ID}.metainfo.xml @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/data/${ALARM_APP_ID}.desktop
    DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/applications)
install(FILES ${CMAKE_BINARY_DIR}/data/${ALARM_APP_ID}.metainfo.xml
    DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/metainfo)

# The icon in the hicolor theme, renamed to the application id.
foreach(size IN LISTS ALARM_ICON_SIZES)
    install(FILES ${ALARM_BUILT_DATA}/icon-${size}.png
        DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/icons/hicolor/${size}x${size}/apps
        RENAME ${ALARM_APP_ID}.png)
endforeach()
install(FILES ${ALARM_BUILT_DATA}/icon.svg
    DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/icons/hicolor/scalable/apps
    RENAME ${ALARM_APP_ID}.svg)

install(FILES ${PROJECT_SOURCE_DIR}/LICENSE ${ALARM_BUILT_DATA}/OFL.txt
    DESTINATION ${ALARM_INSTALL_DOCDIR})

include(${CMAKE_CURRENT_LIST_DIR}/DebianDocs.cmake)
install(FILES ${ALARM_DEBIAN_OUT}/copyright ${ALARM_DEBIAN_OUT}/changelog.gz
    DESTINATION ${ALARM_INSTALL_DOCDIR})
install(FILES ${ALARM_DEBIAN_OUT}/alarm-clock.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
# The one hardening tag lintian cannot tell from a fortified build, explained in the file.
install(FILES ${PROJECT_SOURCE_DIR}/data/debian/lintian-overrides
    DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides RENAME alarm-clock)
