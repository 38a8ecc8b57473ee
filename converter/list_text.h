/* SPDX-License-Identifier: MIT */
// list_text.h - the names a list file holds, in whatever form the tools
// that write lists leave them: plain bytes, UTF-8 after a byte-order mark,
// UTF-16 after one (what PowerShell writes), or on Windows the ANSI code
// page (what cmd writes).
#ifndef PTXPORT_LIST_TEXT_H
#define PTXPORT_LIST_TEXT_H

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace ptx {

// Reads the white-space-separated names of a list file (each name ends at
// its first zero byte), as UTF-8 wherever the list's encoding is known.  A
// name is whatever lies between white space, so names cannot hold blanks.
std::vector<std::string> readListTokens(std::FILE *list);

// Whether text is well-formed UTF-8.
bool isValidUtf8(std::string_view text);

// Whether a listed name that was not found looks like the text of another
// encoding: bytes that are not UTF-8, or control characters.
bool looksMisencoded(std::string_view name);

} // namespace ptx

#endif
