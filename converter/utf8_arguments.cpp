// SPDX-License-Identifier: MIT
// utf8_arguments.cpp - the wide argument vector of Windows in UTF-8.
#include "utf8_arguments.h"

#ifdef _WIN32
#include <windows.h>

// The C runtime expands wildcards in the arguments, as a POSIX shell does,
// so that ptxport *.las 0 meets the same argument count check everywhere.
extern "C" {
int _dowildcard = -1;
}

namespace ptx {

namespace {

std::string toUtf8(const wchar_t *wide) {
    const int n =
        WideCharToMultiByte(CP_UTF8, 0, wide, -1, nullptr, 0, nullptr, nullptr);
    if (n <= 1)
        return {};
    std::string text(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide, -1, text.data(), n, nullptr, nullptr);
    text.pop_back(); // the terminator that the count included
    return text;
}

} // namespace

Utf8Arguments::Utf8Arguments(int argc, wchar_t **wide_argv) {
    SetConsoleOutputCP(CP_UTF8);
    for (int i = 0; i < argc; ++i)
        texts_.push_back(toUtf8(wide_argv[i]));
    for (std::string &text : texts_)
        pointers_.push_back(text.data());
    pointers_.push_back(nullptr);
}

} // namespace ptx

#endif
