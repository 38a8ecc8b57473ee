// SPDX-License-Identifier: MIT
// las_checks.cpp - the library's input checks: file access, file name
// extensions, LAS file validation and numeric command-line arguments.  Each
// prints the message of a silent test (las_verdict.h, file_extension.h,
// argument_rules.h), so the tests and their texts serve callers that report
// in their own way too.
#include "TAMARAK_LiDAR.h"
#include "argument_rules.h"
#include "file_extension.h"
#include "file_handle.h"
#include "las_verdict.h"
#include "messages.h"
#include "platform.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string_view>

using namespace tamarak;

namespace tamarak {

bool numeric_argument_is_valid(const char *str) {
    std::size_t ndots = 0, ndashes = 0;
    for (const char *c = str; *c; ++c) {
        if (*c == '.')
            ++ndots;
        else if (*c == '-')
            ++ndashes;
        else if (*c < '0' || *c > '9')
            return false;
    }
    const std::string_view s(str);
    return ndots <= 1 && ndashes <= 1 && s != "." && s != "-";
}

std::string numeric_argument_message(const char *str) {
    return message_text(msg::kInvalidNumber.text, str);
}

Extension match_extension(const char *filename, const char *extension) {
    const std::size_t n = std::strlen(filename);
    if (n <= 4)
        return Extension::too_short;
    if (filename[n - 4] != '.')
        return Extension::no_dot;
    return std::string_view(filename + n - 3) == std::string_view(extension)
               ? Extension::matches
               : Extension::differs;
}

std::string extension_message(const char *filename, Extension match) {
    switch (match) {
    case Extension::too_short:
        return message_text(msg::kNameTooShort.text, filename);
    case Extension::no_dot:
        return message_text(msg::kNoDot.text, filename);
    case Extension::matches:
    case Extension::differs:
        break;
    }
    return {};
}

std::string name_message(const char *filename, const char *extension) {
    const Extension match = match_extension(filename, extension);
    if (match == Extension::differs)
        return message_text(msg::kWrongExtension.text, filename, extension);
    return extension_message(filename, match);
}

} // namespace tamarak

namespace {

void print(const std::string &text) {
    std::fputs(text.c_str(), stdout);
}

} // namespace

extern "C" {

int16_t file_access(const char *filename) {
    if (Stream::open(filename, "r"))
        return 0;
    print(message_text(msg::kUnableToOpen.text, filename));
    return -1;
}

int16_t check_file_extension(const char *filename, const char *extension) {
    if (match_extension(filename, extension) == Extension::matches)
        return 0;
    print(name_message(filename, extension));
    return -1;
}

void error_msg(int i, const char *text) {
    static const Message *const messages[] = {
        &msg::kDoesNotExist, &msg::kAlreadyExists, &msg::kSpecifiedTwice};
    if (i >= 1 && i <= 3)
        print(message_text(messages[i - 1]->text, text));
}

int16_t check_las(const char *filename) {
    const LasVerdict v = examine_las(filename);
    print(las_message(filename, v));
    return v.code();
}

int16_t check_las_status(const char *filename, int16_t *las_type,
                         int *error_number) {
    const LasVerdict v = examine_las(filename);
    if (las_type)
        *las_type = v.ok() ? v.type.code() : 0;
    if (error_number)
        *error_number = v.error;
    return static_cast<int16_t>(v.status);
}

void check_numeric_argument(const char *str) {
    if (numeric_argument_is_valid(str))
        return;
    print(numeric_argument_message(str));
    std::exit(-1);
}

} // extern "C"
