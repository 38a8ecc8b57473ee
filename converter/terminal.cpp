// SPDX-License-Identifier: MIT
// terminal.cpp - the terminal test through each platform's interface.
#include "terminal.h"

#ifdef _WIN32
#include <io.h>

namespace ptx {

bool isTerminal(std::FILE *stream) {
    return _isatty(_fileno(stream)) != 0;
}

} // namespace ptx
#else
#include <unistd.h>

namespace ptx {

bool isTerminal(std::FILE *stream) {
    return isatty(fileno(stream)) != 0;
}

} // namespace ptx
#endif
