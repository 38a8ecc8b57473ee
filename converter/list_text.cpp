// SPDX-License-Identifier: MIT
// list_text.cpp - decoding and splitting a list file into names.
#include "list_text.h"

#include "platform.h"

namespace ptx {

namespace {

// White space as the C library's "%s" conversion sees it.
bool isListSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' ||
           c == '\r';
}

std::string readAll(std::FILE *f) {
    std::string text;
    char block[1 << 16];
    for (std::size_t got; (got = std::fread(block, 1, sizeof block, f)) > 0;)
        text.append(block, got);
    return text;
}

void appendUtf8(std::string &out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

// UTF-16 in the given byte order, as UTF-8; a lone surrogate becomes
// U+FFFD and an odd last byte is dropped.
std::string utf16ToUtf8(std::string_view bytes, bool big_endian) {
    auto unit = [&](std::size_t i) -> char32_t {
        const auto a = static_cast<unsigned char>(bytes[i]);
        const auto b = static_cast<unsigned char>(bytes[i + 1]);
        return big_endian ? (a << 8 | b) : (b << 8 | a);
    };
    std::string out;
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        char32_t c = unit(i);
        if (c >= 0xD800 && c < 0xDC00 && i + 3 < bytes.size() &&
            unit(i + 2) >= 0xDC00 && unit(i + 2) < 0xE000) {
            c = 0x10000 + ((c - 0xD800) << 10) + (unit(i + 2) - 0xDC00);
            i += 2;
        } else if (c >= 0xD800 && c < 0xE000) {
            c = 0xFFFD;
        }
        appendUtf8(out, c);
    }
    return out;
}

// The list's text as UTF-8 where its encoding is known; otherwise its bytes.
std::string decodeList(const std::string &raw) {
    const std::string_view text(raw);
    if (text.starts_with("\xEF\xBB\xBF"))
        return std::string(text.substr(3));
    if (text.starts_with("\xFF\xFE"))
        return utf16ToUtf8(text.substr(2), false);
    if (text.starts_with("\xFE\xFF"))
        return utf16ToUtf8(text.substr(2), true);
    if (!isValidUtf8(text))
        return tamarak::code_page_to_utf8(text).value_or(raw);
    return raw;
}

} // namespace

bool isValidUtf8(std::string_view text) {
    for (std::size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        std::size_t n = 0;
        char32_t min = 0;
        if (c < 0x80)
            n = 1;
        else if (c >= 0xC2 && c < 0xE0)
            n = 2, min = 0x80;
        else if (c >= 0xE0 && c < 0xF0)
            n = 3, min = 0x800;
        else if (c >= 0xF0 && c < 0xF5)
            n = 4, min = 0x10000;
        else
            return false;
        if (i + n > text.size())
            return false;
        char32_t value = n == 1 ? c : c & (0x7F >> n);
        for (std::size_t k = 1; k < n; ++k) {
            const auto cont = static_cast<unsigned char>(text[i + k]);
            if ((cont & 0xC0) != 0x80)
                return false;
            value = value << 6 | (cont & 0x3F);
        }
        if (value < min || value > 0x10FFFF ||
            (value >= 0xD800 && value < 0xE000))
            return false;
        i += n;
    }
    return true;
}

bool looksMisencoded(std::string_view name) {
    for (const char c : name)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
            return true;
    return !isValidUtf8(name);
}

std::vector<std::string> readListTokens(std::FILE *list) {
    const std::string text = decodeList(readAll(list));
    std::vector<std::string> names;
    std::size_t at = 0;
    for (;;) {
        while (at < text.size() && isListSpace(text[at]))
            ++at;
        if (at == text.size())
            return names;
        std::size_t end = at;
        while (end < text.size() && !isListSpace(text[end]))
            ++end;
        const std::string_view token(text.data() + at, end - at);
        names.emplace_back(token.substr(0, token.find('\0')));
        at = end;
    }
}

} // namespace ptx
