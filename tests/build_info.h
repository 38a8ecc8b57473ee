/* SPDX-License-Identifier: MIT */
// build_info.h - where this build put the programs and libraries that the
// tests run, and where the files they read are.  CMake writes the values
// into build_info.cpp in the build folder (tests/CMakeLists.txt).
#ifndef TESTS_BUILD_INFO_H
#define TESTS_BUILD_INFO_H

namespace build_info {
extern const char ptxport[];               // the command
extern const char ptxport_with_workers[];  // it, with a chosen worker count
extern const char shared_library[];        // the library, as linked
extern const char shared_library_soname[]; // the name programs load
extern const char fault_injection[];       // preloaded by the fault tests
extern const char status_routines[];       // the library called from C
extern const char own_error_msg[];         // a C caller with its own error_msg
extern const char build_dir[];
extern const char source_dir[];
extern const char lasdata[]; // LAS files of other software, maybe absent
// The emulator that runs the build's programs in a cross build, its words
// separated by '|'; empty in a native build.
extern const char emulator[];
extern const char version[]; // the project's version
} // namespace build_info

#endif
