# Toolchain for the Windows build: Debian's mingw-w64 cross compiler for x86-64 with POSIX
# threads (g++-mingw-w64-x86-64-posix). Programs built with it run under wine for the tests.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(QIVA_MINGW_PREFIX x86_64-w64-mingw32)

set(CMAKE_C_COMPILER ${QIVA_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${QIVA_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${QIVA_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${QIVA_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Tests and test discovery run the Windows programs through wine.
find_program(QIVA_WINE NAMES wine64 wine)
if(QIVA_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${QIVA_WINE})
endif()

