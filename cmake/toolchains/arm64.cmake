# SPDX-License-Identifier: MIT
# Cross-building for 64-bit ARM (Debian arm64) with Debian's cross compiler
# (aarch64-linux-gnu-g++), run under qemu-user on this machine.
set(CMAKE_SYSTEM_PROCESSOR aarch64)
set(triple aarch64-linux-gnu)
include(${CMAKE_CURRENT_LIST_DIR}/debian-cross.cmake)

# Built programs run under the user-mode emulator, which finds the target's
# C and C++ libraries under /usr/${triple}.  The static one: a preloaded
# library (the fault tests) then reaches the emulated program only.
set(CMAKE_CROSSCOMPILING_EMULATOR /usr/bin/qemu-aarch64-static -L /usr/${triple})
