/* SPDX-License-Identifier: MIT */
// fuzz_files.h - what the file-based fuzz targets share: a scratch folder
// and the input written to a file there.  Linking fuzz_files.cpp also sends
// standard output to /dev/null: the routines print their messages for
// every input, and the fuzzer's own report goes to standard error.
#ifndef FUZZ_FILES_H
#define FUZZ_FILES_H

#include <cstddef>
#include <cstdint>
#include <string>

namespace fuzz {

// A scratch folder for this process (in memory where /dev/shm exists).
const std::string &scratchFolder();

// Writes the input to scratchFolder()/name and returns the full name.
std::string writeInput(const char *name, const uint8_t *data, std::size_t size);

} // namespace fuzz

#endif
