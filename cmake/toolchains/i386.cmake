# SPDX-License-Identifier: MIT
# Cross-building for 32-bit x86 (Debian i386).
set(deb_arch i386)
include(${CMAKE_CURRENT_LIST_DIR}/debian-cross.cmake)

# An x86-64 kernel with 32-bit support runs the built programs itself, with
# the 32-bit C and C++ libraries of libc6-i386 and lib32stdc++6.  A kernel
# without it (Exec format error) needs qemu-i386, whose thread waits hang in
# the worker path, so there the worker tests cannot run.  The arithmetic in
# SSE2 registers, which CMakeLists.txt asks for on every 32-bit x86 build,
# needs a Pentium 4 or later.
execute_process(COMMAND /lib/ld-linux.so.2 --version
  RESULT_VARIABLE i386_native_status OUTPUT_QUIET ERROR_QUIET)
if(i386_native_status EQUAL 0)
  unset(CMAKE_CROSSCOMPILING_EMULATOR)
endif()
