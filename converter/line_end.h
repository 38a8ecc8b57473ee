/* SPDX-License-Identifier: MIT */
// line_end.h - the line end of the text files the command writes.
//
// Both output files, the point file and the header description, are
// written in binary mode with the host's text line end put in by their
// writers, which gives the bytes a text-mode stream would give without its
// per-character translation.
#ifndef PTXPORT_LINE_END_H
#define PTXPORT_LINE_END_H

#include "platform.h"

#include <cstring>
#include <string>
#include <string_view>

namespace ptx {

using tamarak::kLineEnd;

// The mode in which both output files are created: binary, with the line
// ends put in by their writers.
inline constexpr char kOutputFileMode[] = "wb";

inline char *putLineEnd(char *p) {
    std::memcpy(p, kLineEnd.data(), kLineEnd.size());
    return p + kLineEnd.size();
}

// `text` with each "\n" made the host's line end.
inline std::string withLineEnds(std::string text) {
    if (kLineEnd == "\n")
        return text;
    std::string out;
    out.reserve(text.size() + text.size() / 16);
    for (const char c : text)
        if (c == '\n')
            out += kLineEnd;
        else
            out += c;
    return out;
}

} // namespace ptx

#endif
