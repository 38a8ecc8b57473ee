# SPDX-License-Identifier: MIT
# Cross-building for big-endian IBM Z (Debian s390x)
# with Debian's cross compiler (s390x-linux-gnu-g++),
# run under qemu-user on this machine.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR s390x)

set(triple s390x-linux-gnu)
set(CMAKE_C_COMPILER ${triple}-gcc)
set(CMAKE_CXX_COMPILER ${triple}-g++)
set(CMAKE_AR ${triple}-ar)
set(CMAKE_RANLIB ${triple}-ranlib)
set(CMAKE_NM ${triple}-nm)
set(CMAKE_STRIP ${triple}-strip)
set(CMAKE_OBJCOPY ${triple}-objcopy)
set(CMAKE_READELF ${triple}-readelf)

set(CMAKE_FIND_ROOT_PATH /usr/${triple})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Built programs run under the user-mode emulator, which finds the target's
# C and C++ libraries under /usr/${triple}.  The static one: a preloaded
# library (the fault tests) then reaches the emulated program only.
set(CMAKE_CROSSCOMPILING_EMULATOR /usr/bin/qemu-s390x-static -L /usr/${triple})
