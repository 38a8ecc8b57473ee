/* SPDX-License-Identifier: MIT */
// file_open.h - opening and positioning files by UTF-8 name on every
// platform: the one place where the library and the command meet the
// host's file name encoding and its widest seek.
#ifndef TAMARAK_FILE_OPEN_H
#define TAMARAK_FILE_OPEN_H

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>

namespace tamarak {

// std::fopen for a name in UTF-8.  On Windows the name is converted to
// UTF-16 and opened with _wfopen, so that any name the file system can hold
// works, whatever the ANSI code page; a name that is not valid UTF-8 is not
// opened (nullptr).
std::FILE *open_file(const char *utf8_name, const char *mode);

// Positions a stream at a byte offset from the start of the file, with a
// 64-bit offset everywhere; 0 on success, as fseek.
int seek_to(std::FILE *f, uint64_t offset);

// A path from a UTF-8 name.  A path built from a plain string would take
// the ANSI code page on Windows and turn other characters into '?'.
inline std::filesystem::path utf8_path(const std::string &name) {
    return std::filesystem::path(std::u8string(name.begin(), name.end()));
}

// The text of a file that is not UTF-8, as UTF-8: on Windows, read in the
// ANSI code page, as the system's own tools write it; elsewhere, where no
// such code page stands for the system, unchanged.
std::string legacy_text_to_utf8(const std::string &text);

#ifdef _WIN32
// The UTF-16 form of a UTF-8 text; false if the text is not valid UTF-8.
bool utf8_to_wide(const char *utf8, std::wstring &wide);
#endif

} // namespace tamarak

#endif
