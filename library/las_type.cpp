// SPDX-License-Identifier: MIT
// las_type.cpp - the header test that a file still has the type it was
// validated with, and the report for a LAS 1.0 or 1.1 file that declares a
// point format it cannot have.
#include "las_type.h"

#include "file_handle.h"
#include "file_open.h"
#include "las_bytes.h"

#include <cstdio>
#include <cstring>

namespace tamarak {

namespace {
constexpr std::size_t kMajorAt = offsetof(LAS12Header, VersionMajor);
constexpr std::size_t kMinorAt = offsetof(LAS12Header, VersionMinor);
constexpr std::size_t kFormatAt = offsetof(LAS12Header, PointDataFormatID);
constexpr std::size_t kLengthAt = offsetof(LAS12Header, PointDataRecordLength);
} // namespace

bool header_declares_type(const unsigned char *header, LasType type) {
    return type.valid() && std::memcmp(header, "LASF", 4) == 0 &&
           header[kMajorAt] == 1 &&
           LasType::of(header[kMinorAt], header[kFormatAt]) == type &&
           load_u16(header + kLengthAt) == type.record_size();
}

void report_untyped_las(const char *filename) {
    File f(open_file(filename, "rb"));
    unsigned char head[kFormatAt + 1];
    if (!f || std::fread(head, 1, sizeof head, f.get()) != sizeof head)
        return;
    std::printf("\nPoint data format %c of %s is not supported in LAS version "
                "%c.%c\n",
                '0' + head[kFormatAt], filename, '0' + head[kMajorAt],
                '0' + head[kMinorAt]);
}

} // namespace tamarak
