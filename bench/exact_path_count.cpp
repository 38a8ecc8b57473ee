// SPDX-License-Identifier: MIT
// exact_path_count.cpp - how often the coordinates of real files leave the
// per-file plan for the exact conversion: one line per LAS file given, and
// the totals.
//
//   exact_path_count <LAS file>...
#include "coordinate_plan.h"

#include <cinttypes>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

template <typename T> T field(const unsigned char *header, std::size_t at) {
    T value;
    std::memcpy(&value, header + at, sizeof value); // little-endian hosts
    return value;
}

struct Counts {
    uint64_t values = 0, exact = 0;
};

// The coordinates of one file's whole records, as the row writers see them.
bool countFile(const char *name, Counts &total) {
    std::FILE *in = std::fopen(name, "rb");
    if (!in)
        return false;
    unsigned char header[227];
    const bool ok = std::fread(header, 1, sizeof header, in) == sizeof header;
    const long start = ok ? field<uint32_t>(header, 96) : 0;
    const std::size_t size = ok ? field<uint16_t>(header, 105) : 0;
    if (!ok || size < 12 || std::fseek(in, start, SEEK_SET) != 0) {
        std::fclose(in);
        return false;
    }
    ptx::CoordinatePlan plans[3];
    for (std::size_t axis = 0; axis < 3; ++axis)
        plans[axis] =
            ptx::planCoordinate(field<double>(header, 131 + 8 * axis),
                                field<double>(header, 155 + 8 * axis));
    std::vector<unsigned char> record(size);
    Counts file;
    char text[ptx::kMaxNumberChars];
    while (std::fread(record.data(), 1, size, in) == size)
        for (std::size_t axis = 0; axis < 3; ++axis) {
            const auto x = field<int32_t>(record.data(), 4 * axis);
            ++file.values;
            ptx::ThousandsMemo unused; // only the hundredths loops keep one
            file.exact += ptx::coordinate_detail::coordinate_by_plan(
                              text, x, plans[axis], unused) == nullptr;
        }
    std::fclose(in);
    std::printf("%-48s %10" PRIu64 " %8" PRIu64 "\n", name, file.values,
                file.exact);
    total.values += file.values;
    total.exact += file.exact;
    return true;
}

} // namespace

int main(int argc, char **argv) {
    Counts total;
    std::printf("%-48s %10s %8s\n", "file", "values", "exact");
    for (int i = 1; i < argc; ++i)
        if (!countFile(argv[i], total))
            std::fprintf(stderr, "exact_path_count: %s: unreadable\n", argv[i]);
    std::printf("%-48s %10" PRIu64 " %8" PRIu64 "\n", "total", total.values,
                total.exact);
    return 0;
}
