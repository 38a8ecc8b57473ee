# SPDX-License-Identifier: MIT
# Cross-building for 32-bit x86 (Debian i386) with Debian's cross compiler
# (i686-linux-gnu-g++).
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR i686)

set(triple i686-linux-gnu)
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

# An x86-64 kernel with 32-bit support runs the built programs itself, with
# the 32-bit C and C++ libraries of libc6-i386 and lib32stdc++6.  A kernel
# without it (Exec format error) needs qemu-i386, whose thread waits hang in
# the worker path, so there the worker tests cannot run.  The arithmetic in
# SSE2 registers, which CMakeLists.txt asks for on every 32-bit x86 build,
# needs a Pentium 4 or later.
execute_process(COMMAND /lib/ld-linux.so.2 --version
  RESULT_VARIABLE i386_native_status OUTPUT_QUIET ERROR_QUIET)
if(NOT i386_native_status EQUAL 0)
  set(CMAKE_CROSSCOMPILING_EMULATOR /usr/bin/qemu-i386-static -L /usr/${triple})
endif()
