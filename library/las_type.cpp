// las_type.cpp - record-type codes, record sizes and the report for a LAS
// 1.0 or 1.1 file that declares a point format it cannot have.
#include "las_type.h"

#include "file_handle.h"
#include "file_open.h"
#include "las_bytes.h"

#include <cstdio>
#include <cstring>
#include <memory>

namespace tamarak {

namespace {
constexpr std::size_t kRecordSize[9] = {0, 20, 28, 20, 28, 20, 28, 26, 34};
} // namespace

std::size_t record_size_of(int16_t las_type) {
    return las_type >= 1 && las_type <= 8 ? kRecordSize[las_type] : 0;
}

int16_t las_type_of(unsigned minor, unsigned format) {
    if (minor < 2 && format >= 2)
        return 0;
    if (minor == 2)
        return static_cast<int16_t>(5 + format);
    return static_cast<int16_t>(1 + 2 * minor + format);
}

bool header_declares_type(const unsigned char *header, int16_t las_type) {
    const unsigned minor = header[kOffVersionMinor];
    const unsigned format = header[kOffPointFormat];
    return std::memcmp(header, "LASF", 4) == 0 &&
           header[kOffVersionMajor] == 1 && minor <= 2 && format <= 3 &&
           las_type_of(minor, format) == las_type &&
           load_u16(header + kOffRecordLength) == record_size_of(las_type);
}

void report_untyped_las(const char *filename) {
    File f(open_file(filename, "rb"));
    unsigned char head[kOffPointFormat + 1];
    if (!f || std::fread(head, 1, sizeof head, f.get()) != sizeof head)
        return;
    std::printf("\nPoint data format %c of %s is not supported in LAS version "
                "%c.%c\n",
                '0' + head[kOffPointFormat], filename,
                '0' + head[kOffVersionMajor], '0' + head[kOffVersionMinor]);
}

} // namespace tamarak
