// SPDX-License-Identifier: MIT
// Fuzz target: the command-line rules on arbitrary texts, in process.  The
// number test, the format number and the list reader are each compared with
// the C library reading they are defined by, wherever that reading is free
// of overflow.
#include "argument_rules.h"
#include "command_line.h"
#include "list_text.h"
#include "run_validation.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

using namespace ptx;

namespace {

// The format as atoi and atof select it, for texts too short to overflow.
int formatByCLibrary(const char *text) {
    const int integer = std::atoi(text);
    if (integer < 0 || integer > 19 || integer != std::atof(text))
        return -1;
    return integer;
}

void checkFormat(const std::string &text) {
    if (!tamarak::numeric_argument_is_valid(text.c_str()))
        return;
    const int format = parseFormatNumber(text.c_str());
    if (format < -1 || format > 19)
        std::abort();
    if (text.size() <= 9 && format != formatByCLibrary(text.c_str()))
        std::abort();
}

// The names that fscanf's "%s" reads from the same bytes.
std::vector<std::string> tokensByCLibrary(const uint8_t *data,
                                          std::size_t size) {
    std::vector<std::string> names;
    std::FILE *f = fmemopen(const_cast<uint8_t *>(data), size, "r");
    std::vector<char> token(size + 1);
    while (f && std::fscanf(f, "%s", token.data()) == 1)
        names.emplace_back(token.data());
    if (f)
        std::fclose(f);
    return names;
}

// Whether the bytes begin with a UTF-8 or UTF-16 byte-order mark, after
// which the list is decoded rather than read byte for byte.
bool marked(const uint8_t *data, std::size_t size) {
    const std::string_view head(reinterpret_cast<const char *>(data),
                                std::min<std::size_t>(size, 3));
    return head.starts_with("\xEF\xBB\xBF") || head.starts_with("\xFF\xFE") ||
           head.starts_with("\xFE\xFF");
}

void checkList(const uint8_t *data, std::size_t size) {
    if (size == 0 || marked(data, size))
        return;
    std::FILE *f = fmemopen(const_cast<uint8_t *>(data), size, "r");
    const std::vector<std::string> names = readListTokens(f);
    std::fclose(f);
    if (names != tokensByCLibrary(data, size))
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, std::size_t size) {
    const std::string text(reinterpret_cast<const char *>(data),
                           strnlen(reinterpret_cast<const char *>(data), size));
    checkFormat(text);
    checkList(data, size);
    return 0;
}
