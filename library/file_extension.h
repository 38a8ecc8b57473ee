/* SPDX-License-Identifier: MIT */
// file_extension.h - the file name extension rule that the library's
// check_file_extension and the command's LAS-or-list test share.
#ifndef TAMARAK_FILE_EXTENSION_H
#define TAMARAK_FILE_EXTENSION_H

namespace tamarak {

enum class Extension { matches, differs, too_short, no_dot };

// Whether filename ends in a dot and exactly the three characters of
// extension (case-sensitive).  A name of four characters or fewer, or one
// without a dot before its last three, gets its message printed here; a
// different extension is left to the caller to report or not.
Extension match_extension(const char *filename, const char *extension);

} // namespace tamarak

#endif
