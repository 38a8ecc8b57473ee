/* SPDX-License-Identifier: MIT */
// file_extension.h - the file name extension rule that the library's
// check_file_extension and the command's LAS-or-list test share.
#ifndef TAMARAK_FILE_EXTENSION_H
#define TAMARAK_FILE_EXTENSION_H

#include <string>

namespace tamarak {

enum class Extension { matches, differs, too_short, no_dot };

// Whether filename ends in a dot and exactly the three characters of
// extension (case-sensitive), or why it cannot: a name of four characters
// or fewer, or one without a dot before its last three.  Prints nothing.
Extension match_extension(const char *filename, const char *extension);

// The message of a name too short or without its dot; empty for the other
// two results, which each caller reports in its own way or not at all.
std::string extension_message(const char *filename, Extension match);

// What check_file_extension prints for a name: why it does not end in
// extension, or nothing for one that does.
std::string name_message(const char *filename, const char *extension);

} // namespace tamarak

#endif
