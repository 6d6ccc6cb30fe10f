# Cross build for 64-bit Windows with MinGW-w64 from Linux (Debian's
# g++-mingw-w64-x86-64). Makes Ambleworks.asi and the Windows simulator.

set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(AMBLEWORKS_MINGW_TRIPLE x86_64-w64-mingw32)

# Debian ships two flavours of the compiler: "-posix" (C++ threads through
# winpthreads) and "-win32" (no std::thread or std::mutex in GCC 12). The
# posix flavour gives the simulator the whole standard library; everything is
# linked statically, so winpthreads ends up inside the binaries, not beside
# them.
set(AMBLEWORKS_MINGW_THREADS "win32" CACHE STRING "MinGW-w64 compiler flavour: posix or win32")
find_program(AMBLEWORKS_MINGW_CXX NAMES
  ${AMBLEWORKS_MINGW_TRIPLE}-g++-${AMBLEWORKS_MINGW_THREADS}
  ${AMBLEWORKS_MINGW_TRIPLE}-g++
  REQUIRED)
find_program(AMBLEWORKS_MINGW_CC NAMES
  ${AMBLEWORKS_MINGW_TRIPLE}-gcc-${AMBLEWORKS_MINGW_THREADS}
  ${AMBLEWORKS_MINGW_TRIPLE}-gcc
  REQUIRED)

set(CMAKE_C_COMPILER ${AMBLEWORKS_MINGW_CC})
set(CMAKE_CXX_COMPILER ${AMBLEWORKS_MINGW_CXX})
set(CMAKE_RC_COMPILER ${AMBLEWORKS_MINGW_TRIPLE}-windres)
set(CMAKE_AR ${AMBLEWORKS_MINGW_TRIPLE}-ar CACHE FILEPATH "")
set(CMAKE_RANLIB ${AMBLEWORKS_MINGW_TRIPLE}-ranlib CACHE FILEPATH "")
set(CMAKE_DLLTOOL ${AMBLEWORKS_MINGW_TRIPLE}-dlltool CACHE FILEPATH "")
set(CMAKE_OBJDUMP ${AMBLEWORKS_MINGW_TRIPLE}-objdump CACHE FILEPATH "")

# Headers and libraries come from the MinGW-w64 sysroot only; programs (the
# build tools) from the Linux host.
set(CMAKE_FIND_ROOT_PATH /usr/${AMBLEWORKS_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Built programs run under Wine where CMake needs to run one.
find_program(AMBLEWORKS_WINE NAMES wine)
if(AMBLEWORKS_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${AMBLEWORKS_WINE})
endif()
