// SPDX-License-Identifier: MIT
// messages.cpp - formats the entries of the message tables (messages.h).
#include "messages.h"

#include <cstdarg>
#include <cstdio>

namespace tamarak {

// One pass into a buffer that holds every message but those with very long
// names; those are measured, then formatted again.  Measuring first every
// time would double the console's cost: vsnprintf without a buffer does all
// the formatting work in small internal writes.
std::string message_text(const char *text, ...) {
    char buffer[512];
    va_list args, again;
    va_start(args, text);
    va_copy(again, args);
    const int n = std::vsnprintf(buffer, sizeof buffer, text, args);
    va_end(args);
    std::string out;
    if (n > 0 && static_cast<std::size_t>(n) < sizeof buffer) {
        out.assign(buffer, static_cast<std::size_t>(n));
    } else if (n > 0) {
        out.resize(static_cast<std::size_t>(n) + 1);
        std::vsnprintf(out.data(), out.size(), text, again);
        out.pop_back(); // the terminator vsnprintf wrote
    }
    va_end(again);
    return out;
}

void message_print(const char *text, ...) {
    va_list args;
    va_start(args, text);
    std::vprintf(text, args);
    va_end(args);
}

} // namespace tamarak
