// SPDX-License-Identifier: MIT
// command_line.cpp - mode test and format number of ptxport.
#include "command_line.h"

#include "file_extension.h"
#include "format_catalogue.h"

#include <cstdlib>

namespace ptx {

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
    if (integer < 0 || integer >= ptx::kFormatCount ||
        static_cast<double>(integer) != floating)
        return -1;
    return static_cast<int>(integer);
}

bool formatNeedsMissingGpsTime(int format, tamarak::LasType type) {
    return ptx::needsMissing(format, ptx::Value::GpsTime, type);
}

bool formatNeedsMissingColour(int format, tamarak::LasType type) {
    return ptx::needsMissing(format, ptx::Value::Red, type);
}

} // namespace ptx
