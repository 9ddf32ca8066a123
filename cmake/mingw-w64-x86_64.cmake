# Cross-builds the 64-bit Windows plug-ins on Linux with mingw-w64 (Debian:
# g++-mingw-w64-x86-64-posix, binutils-mingw-w64-x86-64):
#   cmake -S . -B out/windows -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(VARNELO_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${VARNELO_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${VARNELO_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${VARNELO_MINGW_PREFIX}-windres)
set(CMAKE_DLLTOOL ${VARNELO_MINGW_PREFIX}-dlltool)
set(CMAKE_OBJDUMP ${VARNELO_MINGW_PREFIX}-objdump)

# Headers and libraries come from the Windows sysroot only, never from the
# Linux system; programs (dlltool, objdump) from the build machine.
set(CMAKE_FIND_ROOT_PATH /usr/${VARNELO_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
