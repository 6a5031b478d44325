# The data that lies flat beside the executable, in the build tree and in the
# installed tree alike, as paths under assets/. The voice clips and the beep go
# into sounds/ beside them (globbed: see assets/CMakeLists.txt). The build
# (assets/), the install rules (Install.cmake) and the install tests use this
# one list.

set(ALARM_ICON_SIZES 16 32 48 64 128)
set(ALARM_DATA_FILES)
foreach(name bg.jpg on.jpg off.jpg settings.jpg track.jpg buzz.jpg song.jpg icon.ico icon.svg)
    list(APPEND ALARM_DATA_FILES pictures/${name})
endforeach()
foreach(size IN LISTS ALARM_ICON_SIZES)
    list(APPEND ALARM_DATA_FILES pictures/icon-${size}.png)
endforeach()
foreach(name DS-DIGI.TTF DS-DIGIB.TTF DS-DIGII.TTF DS-DIGIT.TTF OFL.txt)
    list(APPEND ALARM_DATA_FILES fonts/${name})
endforeach()

# The same files by the names they have beside the executable.
set(ALARM_DATA_NAMES ${ALARM_DATA_FILES})
list(TRANSFORM ALARM_DATA_NAMES REPLACE "^.*/" "")
