# The Windows program's packages, made by the target windows-packages (see
# scripts/package-windows): alarm-clock-<version>-win64.zip, the program with
# its data laid flat beside it as in the build tree, and the per-user NSIS
# installer alarm-clock-<version>-setup.exe (data/windows/installer.nsi.in).

set(ALARM_WIN_EXE alarm-clock.exe)
set(ALARM_WIN_NAME alarm-clock-${PROJECT_VERSION}-win64)
set(ALARM_WIN_STAGE ${CMAKE_BINARY_DIR}/stage/${ALARM_WIN_NAME})
set(ALARM_WIN_ZIP ${CMAKE_BINARY_DIR}/${ALARM_WIN_NAME}.zip)
set(ALARM_WIN_SETUP ${CMAKE_BINARY_DIR}/alarm-clock-${PROJECT_VERSION}-setup.exe)
set(ALARM_ICON_FILE ${PROJECT_SOURCE_DIR}/assets/pictures/icon.ico)

# The program and its data in one folder, with the licences.
install(TARGETS alarm-clock RUNTIME DESTINATION .)
set(ALARM_BUILT_FILES ${ALARM_DATA_NAMES})
list(TRANSFORM ALARM_BUILT_FILES PREPEND ${CMAKE_BINARY_DIR}/)
install(FILES ${ALARM_BUILT_FILES} DESTINATION .)
install(FILES ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION . RENAME LICENSE.txt)
install(DIRECTORY ${CMAKE_BINARY_DIR}/sounds DESTINATION .)

# The uninstaller deletes exactly the flat files installed (sounds/ is ours whole).
set(ALARM_WIN_DELETES "")
foreach(name ${ALARM_WIN_EXE} LICENSE.txt ${ALARM_DATA_NAMES})
    string(APPEND ALARM_WIN_DELETES "    Delete \"$INSTDIR\\${name}\"\n")
endforeach()
configure_file(${PROJECT_SOURCE_DIR}/data/windows/installer.nsi.in
    ${CMAKE_BINARY_DIR}/installer.nsi @ONLY)

find_program(ALARM_MAKENSIS makensis)
if(NOT ALARM_MAKENSIS)
    message(STATUS "makensis not found: no windows-packages target")
    return()
endif()
add_custom_target(windows-packages
    COMMAND ${CMAKE_COMMAND} -E rm -rf ${CMAKE_BINARY_DIR}/stage ${ALARM_WIN_ZIP} ${ALARM_WIN_SETUP}
    COMMAND ${CMAKE_COMMAND} --install ${CMAKE_BINARY_DIR} --prefix ${ALARM_WIN_STAGE} --strip
    COMMAND ${CMAKE_COMMAND} -E chdir ${CMAKE_BINARY_DIR}/stage
        ${CMAKE_COMMAND} -E tar cf ${ALARM_WIN_ZIP} --format=zip ${ALARM_WIN_NAME}
    COMMAND ${ALARM_MAKENSIS} -V2 ${CMAKE_BINARY_DIR}/installer.nsi
    DEPENDS alarm-clock assets
    COMMENT "Packing ${ALARM_WIN_NAME}.zip and the installer"
    VERBATIM)
