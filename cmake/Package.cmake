# Debian package of the install tree (see Install.cmake), built with
# `cpack -G DEB` in a build directory; scripts/package does it for the release
# preset. Library dependencies come from dpkg-shlibdeps (dpkg-dev and `file`);
# the GStreamer plugins that the track player loads at run time are added by
# hand, since no linked library names them.

# ALARM_PACKAGE_MAINTAINER is set in DebianDocs.cmake, whose changelog names it too.

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME alarm-clock)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The Alarm Clock developers")
set(CPACK_PACKAGE_CONTACT ${ALARM_PACKAGE_MAINTAINER})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "talking alarm clock for the desktop")
set(CPACK_PACKAGE_DESCRIPTION
    "A small bedside clock radio for the desktop. It shows the time in\n"
    "seven-segment digits and wakes you with a buzzer or a music file of your\n"
    "choice, speaking the time aloud every minute while it rings. English and\n"
    "French texts and voice. The output stays muted while an alarm waits.")
string(JOIN "" CPACK_PACKAGE_DESCRIPTION ${CPACK_PACKAGE_DESCRIPTION})
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)

# The whole tree goes under /usr, whatever CMAKE_INSTALL_PREFIX says.
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_SET_DESTDIR OFF)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${ALARM_PACKAGE_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The alarm track's decoders: Ogg, WAV and FLAC in base and good, MP3 and AAC
# (music stores' .m4a) through libav, WMA and WMV through ugly's ASF demuxer.
# A file nothing decodes still rings, with the beep.
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "gstreamer1.0-plugins-base, gstreamer1.0-plugins-good, gstreamer1.0-libav")
# setcap gives the wake helper its capability (data/debian/postinst).
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS
    "gstreamer1.0-plugins-ugly, pulseaudio | pipewire-pulse, libcap2-bin")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${PROJECT_SOURCE_DIR}/data/debian/postinst)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

# Only the program's own tree: no test or benchmark install rules leak in.
set(CPACK_INSTALL_CMAKE_PROJECTS "${CMAKE_BINARY_DIR};${PROJECT_NAME};ALL;/")

include(CPack)
