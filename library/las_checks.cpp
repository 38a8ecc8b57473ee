// SPDX-License-Identifier: MIT
// las_checks.cpp - the library's input checks: file access, file name
// extensions, LAS file validation and numeric command-line arguments.
#include "TAMARAK_LiDAR.h"
#include "argument_rules.h"
#include "file_extension.h"
#include "file_handle.h"
#include "file_open.h"
#include "las_bytes.h"
#include "las_type.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
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

Extension match_extension(const char *filename, const char *extension) {
    const std::size_t n = std::strlen(filename);
    if (n <= 4) {
        std::printf("\nFile name (%s) is too short\n", filename);
        return Extension::too_short;
    }
    if (filename[n - 4] != '.') {
        std::printf("\nExtension of file %s should be preceeded by a dot (.)\n",
                    filename);
        return Extension::no_dot;
    }
    return std::string_view(filename + n - 3) == std::string_view(extension)
               ? Extension::matches
               : Extension::differs;
}

} // namespace tamarak

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

// The whole public header is read at once; each test then looks only at the
// bytes the read delivered, so no field is ever taken from bytes that the
// file does not hold.
int16_t check_las(const char *filename) {
    if (file_access(filename) != 0) {
        error_msg(1, filename);
        return -1;
    }
    if (check_file_extension(filename, "las") != 0)
        return -1;

    File f(open_file(filename, "rb"));
    if (!f) {
        std::printf("\nCannot open binary file %s for reading\n\n", filename);
        return -1;
    }
    unsigned char h[kHeaderBytes];
    const std::size_t got = std::fread(h, 1, sizeof h, f.get());
    f.reset();

    auto invalid = [filename]() -> int16_t {
        std::printf("\n%s is not a valid .las file\n\n", filename);
        return -1;
    };
    if (got < 4 || std::memcmp(h, "LASF", 4) != 0)
        return invalid();
    constexpr std::size_t kMajorAt = offsetof(LAS12Header, VersionMajor);
    constexpr std::size_t kMinorAt = offsetof(LAS12Header, VersionMinor);
    constexpr std::size_t kFormatAt = offsetof(LAS12Header, PointDataFormatID);
    constexpr std::size_t kLengthAt =
        offsetof(LAS12Header, PointDataRecordLength);
    if (got <= kMajorAt)
        return invalid();
    const unsigned major = h[kMajorAt];
    if (major != 1) {
        std::printf("\nCannot handle las files of version %c.x\n", '0' + major);
        return -1;
    }
    if (got <= kMinorAt)
        return invalid();
    const unsigned minor = h[kMinorAt];
    if (minor > 2) {
        std::printf("\nCannot handle las files of version %c.%c\n", '0' + major,
                    '0' + minor);
        return -1;
    }
    if (got <= kFormatAt)
        return invalid();
    const unsigned format = h[kFormatAt];
    if (format > 3) {
        std::printf("\nPointDataFormatID in %s is %c. Only 0, 1, 2, or 3 is "
                    "accepted\n",
                    filename, '0' + format);
        return -1;
    }
    if (got < kLengthAt + 2)
        return invalid();
    const unsigned length = load_u16(h + kLengthAt);
    const LasType type = LasType::of(minor, format);
    if (type.valid() && type.record_size() != length) {
        std::printf("\nData format of %s (%c) is incompatible with Length of "
                    "Data Record (%d)\n",
                    filename, '0' + format, static_cast<int>(length));
        return -1;
    }
    if (got < kHeaderBytes)
        return invalid();
    return type.code();
}

void check_numeric_argument(const char *str) {
    if (numeric_argument_is_valid(str))
        return;
    std::printf("\nInvalid argument value (%s)\n", str);
    std::exit(-1);
}

} // extern "C"
