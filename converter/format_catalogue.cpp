// SPDX-License-Identifier: MIT
// format_catalogue.cpp - the column-name line and the record types that a
// format serves, both read off the format's columns.
#include "format_catalogue.h"

#include "line_end.h"

#include <cstdio>

namespace ptx {

namespace {

bool validFormat(int format) {
    return format >= 0 && format < kFormatCount;
}

} // namespace

std::string columnNames(int format, LasType type) {
    std::string line;
    if (!validFormat(format))
        return line;
    for (const Column &c : kFormats[static_cast<std::size_t>(format)]) {
        if (c.where_carried &&
            !(type.valid() && carries(type.layout(), c.value)))
            continue;
        if (!line.empty())
            line += ' ';
        line += '"';
        line +=
            type.las10_names() && !c.las10_name.empty() ? c.las10_name : c.name;
        line += '"';
    }
    line += kLineEnd;
    return line;
}

bool formatServesType(int format, LasType type) {
    return validFormat(format) && type.valid() && serves(format, type.layout());
}

std::string usageText() {
    // The formats one to a line, their numbers right-aligned under the heading
    // that the first line carries.
    constexpr std::string_view kHeading = "          Format: ";
    std::string text = "Usage: PTXPORT <LAS File | ASCII List> <Format>\n\n";
    for (int f = 0; f < kFormatCount; ++f) {
        char number[16];
        std::snprintf(number, sizeof number, "%2d: ", f);
        text +=
            f == 0 ? std::string(kHeading) : std::string(kHeading.size(), ' ');
        text += number;
        text += kCatalogue[f].label;
        text += '\n';
    }
    return text;
}

} // namespace ptx
