# SPDX-License-Identifier: MIT
# Cross-building for 32-bit ARM with hardware floating point (Debian armhf)
# with Debian's cross compiler (arm-linux-gnueabihf-g++),
# run under qemu-user on this machine.
set(CMAKE_SYSTEM_PROCESSOR armv7l)
set(triple arm-linux-gnueabihf)
include(${CMAKE_CURRENT_LIST_DIR}/debian-cross.cmake)

# Built programs run under the user-mode emulator, which finds the target's
# C and C++ libraries under /usr/${triple}.  The static one: a preloaded
# library (the fault tests) then reaches the emulated program only.
set(CMAKE_CROSSCOMPILING_EMULATOR /usr/bin/qemu-arm-static -L /usr/${triple})
