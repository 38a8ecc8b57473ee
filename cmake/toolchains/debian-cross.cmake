# SPDX-License-Identifier: MIT
# What every cross build with a Debian cross compiler shares: the tools of
# the target's triplet, the target's libraries and headers under
# /usr/TRIPLET, and the user-mode emulator that runs its programs here.  The
# toolchain file of an architecture sets `deb_arch`, then includes this; the
# triplet, processor and emulator come from architectures.txt.
file(STRINGS ${CMAKE_CURRENT_LIST_DIR}/architectures.txt arch_lines
  REGEX "^${deb_arch} ")
if(NOT arch_lines)
  message(FATAL_ERROR "no architecture ${deb_arch} in architectures.txt")
endif()
string(REGEX REPLACE " +" ";" arch_fields "${arch_lines}")
list(GET arch_fields 1 triple)
list(GET arch_fields 2 CMAKE_SYSTEM_PROCESSOR)
list(GET arch_fields 3 arch_emulator)

set(CMAKE_SYSTEM_NAME Linux)
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
# C and C++ libraries under /usr/TRIPLET.  The static one: a preloaded
# library (the fault tests) then reaches the emulated program only.
set(CMAKE_CROSSCOMPILING_EMULATOR /usr/bin/${arch_emulator} -L /usr/${triple})
