/* SPDX-License-Identifier: MIT */
// line_end.h - the line end of the text files the command writes.
//
// The point file is written in binary mode with the host's text line end
// put in by the point writer itself, which gives the bytes a text-mode
// stream would give without its per-character translation.
#ifndef PTXPORT_LINE_END_H
#define PTXPORT_LINE_END_H

#include <cstring>
#include <string_view>

namespace ptx {

#ifdef _WIN32
inline constexpr std::string_view kLineEnd = "\r\n";
#else
inline constexpr std::string_view kLineEnd = "\n";
#endif

// The mode in which the point file is created.
inline constexpr char kPointFileMode[] = "wb";

inline char *putLineEnd(char *p) {
    std::memcpy(p, kLineEnd.data(), kLineEnd.size());
    return p + kLineEnd.size();
}

} // namespace ptx

#endif
