// SPDX-License-Identifier: MIT
// command_line.cpp - usage text, mode test and format number of ptxport.
#include "command_line.h"

#include "file_extension.h"
#include "format_catalogue.h"

#include <cstdio>
#include <cstdlib>

std::string usageText() {
    return "Usage: PTXPORT <LAS File | ASCII List> <Format>\n\n"
           "          Format:  0: All\n"
           "                   1: X\n"
           "                   2: Y\n"
           "                   3: Z\n"
           "                   4: Intensity\n"
           "                   5: Return Number\n"
           "                   6: Number of Returns\n"
           "                   7: Scan Direction\n"
           "                   8: Edge of Flight Line\n"
           "                   9: Classification\n"
           "                  10: Scan Angle Rank\n"
           "                  11: File Marker / User Data\n"
           "                  12: User Bit Field / Point Source ID\n"
           "                  13: GPSTime (if available)\n"
           "                  14: RGB (if available)\n"
           "                  15: X Y Z\n"
           "                  16: X Y Z Intensity\n"
           "                  17: X Y Z GPSTime\n"
           "                  18: X Y Z Intensity GPSTime\n"
           "                  19: X Y Z RGB\n";
}

void usage() {
    std::fputs(usageText().c_str(), stdout);
}

tamarak::Extension checkFileExtension(const char *filename,
                                      const char *extension) {
    return tamarak::match_extension(filename, extension);
}

// The integer reading follows atoi (an optional sign, then the leading
// digits) but saturates instead of overflowing: any magnitude beyond the
// format range is as good as infinity here.
static long long integerReading(const char *text) {
    const char *c = text;
    const bool negative = *c == '-';
    if (*c == '-' || *c == '+')
        ++c;
    long long value = 0;
    for (; *c >= '0' && *c <= '9'; ++c)
        if (value < 1000000000)
            value = value * 10 + (*c - '0');
    return negative ? -value : value;
}

int parseFormatNumber(const char *text) {
    const long long integer = integerReading(text);
    const double floating = std::strtod(text, nullptr);
    if (integer < 0 || integer > 19 || static_cast<double>(integer) != floating)
        return -1;
    return static_cast<int>(integer);
}

bool formatNeedsMissingGpsTime(int format, tamarak::LasType type) {
    return ptx::needsMissing(format, ptx::Value::GpsTime, type);
}

bool formatNeedsMissingColour(int format, tamarak::LasType type) {
    return ptx::needsMissing(format, ptx::Value::Red, type);
}
