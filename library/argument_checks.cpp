// SPDX-License-Identifier: MIT
// argument_checks.cpp - checks of command-line arguments that the suite's
// other tools take: a yes/no flag and the name of a DEM file.
#include "TAMARAK_LiDAR.h"
#include "messages.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

// The whole text must be the one letter, so "Yes" or "y " do not count.
bool is_yes_no(const char *text) {
    static const char *const answers[] = {"Y", "N", "y", "n"};
    for (const char *answer : answers)
        if (std::strcmp(text, answer) == 0)
            return true;
    return false;
}

// Whether the header file of the binary DEM str, the name with its last four
// characters (".flt") replaced by ".hdr", can be opened.  noexcept, so that a
// failed allocation ends the process instead of throwing into a C caller.
bool header_file_present(const char *str) noexcept {
    std::string header(str, std::strlen(str) - 4);
    header += ".hdr";
    return file_access(header.c_str()) == 0;
}

[[noreturn]] void reject_dem(const tamarak::Message &message) {
    std::fputs(message.text, stdout);
    std::exit(-1);
}

} // namespace

extern "C" {

int16_t check_YN(const char *text) {
    if (text != nullptr && is_yes_no(text))
        return 0;
    std::fputs(tamarak::msg::kYesNo.text, stdout);
    return -1;
}

// A binary grid (.flt) is usable only with its header file (.hdr) beside it;
// an ASCII grid (.asc) carries its own header, and the grid file itself is not
// looked at here.  The header name is built in a string, so a DEM name of any
// length is handled.  A missing name is taken as the empty one.
void check_DEM(const char *str) {
    if (str == nullptr)
        str = "";
    if (check_file_extension(str, "asc") != 0 &&
        check_file_extension(str, "flt") != 0)
        reject_dem(tamarak::msg::kDemExtension);
    if (check_file_extension(str, "flt") != 0)
        return;

    if (header_file_present(str))
        return;
    reject_dem(tamarak::msg::kDemHeader);
}

} // extern "C"
