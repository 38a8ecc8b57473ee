// SPDX-License-Identifier: MIT
// file_open.cpp - UTF-8 file names and 64-bit seeks on Windows and POSIX.
#include "file_open.h"

#include <climits>
#include <limits>

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/types.h>
#endif

namespace tamarak {

#ifdef _WIN32

bool utf8_to_wide(const char *utf8, std::wstring &wide) {
    const int n = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8, -1,
                                      nullptr, 0);
    if (n <= 0)
        return false;
    wide.assign(static_cast<std::size_t>(n), L'\0');
    if (MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8, -1,
                            wide.data(), n) != n)
        return false;
    wide.pop_back(); // the terminator that the count included
    return true;
}

std::string legacy_text_to_utf8(const std::string &text) {
    if (text.empty() || text.size() > static_cast<std::size_t>(INT_MAX))
        return text;
    const int size = static_cast<int>(text.size());
    const int n = MultiByteToWideChar(CP_ACP, 0, text.data(), size, nullptr, 0);
    if (n <= 0)
        return text;
    std::wstring wide(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.data(), size, wide.data(), n);
    const int m = WideCharToMultiByte(CP_UTF8, 0, wide.data(), n, nullptr, 0,
                                      nullptr, nullptr);
    if (m <= 0)
        return text;
    std::string utf8(static_cast<std::size_t>(m), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), n, utf8.data(), m, nullptr,
                        nullptr);
    return utf8;
}

std::FILE *open_file(const char *utf8_name, const char *mode) {
    std::wstring name, wide_mode;
    if (!utf8_to_wide(utf8_name, name) || !utf8_to_wide(mode, wide_mode))
        return nullptr;
    return _wfopen(name.c_str(), wide_mode.c_str());
}

int seek_to(std::FILE *f, uint64_t offset) {
    if (offset > static_cast<uint64_t>(std::numeric_limits<__int64>::max()))
        return -1;
    return _fseeki64(f, static_cast<__int64>(offset), SEEK_SET);
}

#else

std::string legacy_text_to_utf8(const std::string &text) {
    return text;
}

std::FILE *open_file(const char *utf8_name, const char *mode) {
    return std::fopen(utf8_name, mode);
}

int seek_to(std::FILE *f, uint64_t offset) {
    static_assert(sizeof(off_t) >= 8, "large file offsets are required");
    if (offset > static_cast<uint64_t>(std::numeric_limits<off_t>::max()))
        return -1;
    return fseeko(f, static_cast<off_t>(offset), SEEK_SET);
}

#endif

} // namespace tamarak
