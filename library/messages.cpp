// SPDX-License-Identifier: MIT
// messages.cpp - formats the entries of the message tables (messages.h).
#include "messages.h"

#include <cstdarg>
#include <cstdio>

namespace tamarak {

std::string message_text(const char *text, ...) {
    va_list args, again;
    va_start(args, text);
    va_copy(again, args);
    const int n = std::vsnprintf(nullptr, 0, text, args);
    va_end(args);
    std::string out;
    if (n > 0) {
        out.resize(static_cast<std::size_t>(n) + 1);
        std::vsnprintf(out.data(), out.size(), text, again);
        out.pop_back(); // the terminator vsnprintf wrote
    }
    va_end(again);
    return out;
}

} // namespace tamarak
