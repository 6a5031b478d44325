# Cross-builds the Windows program (64-bit) with MinGW-w64 on Debian. The
# posix-thread compilers carry std::thread and std::mutex; the program links
# statically, since Wine cannot find MinGW's runtime DLLs. Programs the build
# runs (tests, test discovery) run under Wine through wine-run.sh.

set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(ALARM_MINGW_TRIPLET x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${ALARM_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${ALARM_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${ALARM_MINGW_TRIPLET}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${ALARM_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/wine-run.sh)
