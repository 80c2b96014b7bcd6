# Cross-building for 64-bit Windows with Debian's mingw-w64 (posix threads);
# the programs run under wine.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(FENNICK_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${FENNICK_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${FENNICK_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${FENNICK_MINGW_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${FENNICK_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# printf and scanf as C99 has them (%zu, %lld), not as the old system runtime does.
add_compile_definitions(__USE_MINGW_ANSI_STDIO=1)

# wine64 names its loader wine64 in some releases and wine in others.
find_program(FENNICK_WINE NAMES wine64 wine REQUIRED)
set(CMAKE_CROSSCOMPILING_EMULATOR /usr/bin/env WINEDEBUG=-all ${FENNICK_WINE})
