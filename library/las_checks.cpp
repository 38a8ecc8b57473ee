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
    return std::string("\nInvalid argument value (") + str + ")\n";
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
        return std::string("\nFile name (") + filename + ") is too short\n";
    case Extension::no_dot:
        return std::string("\nExtension of file ") + filename +
               " should be preceeded by a dot (.)\n";
    case Extension::matches:
    case Extension::differs:
        break;
    }
    return {};
}

} // namespace tamarak

namespace {

void print(const std::string &text) {
    std::fputs(text.c_str(), stdout);
}

} // namespace

extern "C" {

int16_t file_access(const char *filename) {
    File f(open_file(filename, "r"));
    if (f)
        return 0;
    std::printf("Unable to open file %s in file_access()\n", filename);
    return -1;
}

int16_t check_file_extension(const char *filename, const char *extension) {
    const Extension match = match_extension(filename, extension);
    if (match == Extension::matches)
        return 0;
    if (match == Extension::differs)
        std::printf("\nFile extension of %s is not .%s\n", filename, extension);
    else
        print(extension_message(filename, match));
    return -1;
}

void error_msg(int i, const char *text) {
    switch (i) {
    case 1:
        std::printf("\nFile %s does NOT exist\n", text);
        break;
    case 2:
        std::printf("\nFile %s already exists\n", text);
        break;
    case 3:
        std::printf("\nSame file name (%s) has been specified twice\n", text);
        break;
    default:
        break;
    }
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
        *las_type = v.problem == LasProblem::none ? v.type.code() : 0;
    if (error_number)
        *error_number = v.error;
    return status_of(v);
}

void check_numeric_argument(const char *str) {
    if (numeric_argument_is_valid(str))
        return;
    print(numeric_argument_message(str));
    std::exit(-1);
}

} // extern "C"
