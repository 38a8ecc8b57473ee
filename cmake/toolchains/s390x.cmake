# SPDX-License-Identifier: MIT
# Cross-building for big-endian IBM Z (Debian s390x)
# with Debian's cross compiler (s390x-linux-gnu-g++),
# run under qemu-user on this machine.
set(CMAKE_SYSTEM_PROCESSOR s390x)
set(triple s390x-linux-gnu)
include(${CMAKE_CURRENT_LIST_DIR}/debian-cross.cmake)

# Built programs run under the user-mode emulator, which finds the target's
# C and C++ libraries under /usr/${triple}.  The static one: a preloaded
# library (the fault tests) then reaches the emulated program only.
set(CMAKE_CROSSCOMPILING_EMULATOR /usr/bin/qemu-s390x-static -L /usr/${triple})
