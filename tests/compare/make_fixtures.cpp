// SPDX-License-Identifier: MIT
// make_fixtures.cpp - writes the awkward LAS files on which
// compare_builds.py runs two builds side by side.
//
//   make_fixtures <folder> edge   one file per LASType, awkward values
//   make_fixtures <folder> far    points past 2 GiB and past 4 GiB (sparse)
//   make_fixtures <folder> scales every pairing of a special scale factor
//                                 with a special offset, for each LASType
//
// The edge files carry the values on which C libraries disagree or a port
// goes wrong: NaNs of either sign, infinities, huge and tiny doubles in the
// header, signed 32-bit readings of counts, bytes above 127 in text fields,
// extreme records and a trailing partial record.
#include "las_fixture.h"

#include <bit>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <limits>
#include <string>

using namespace fixture;
namespace fs = std::filesystem;

namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
const double kNan = std::numeric_limits<double>::quiet_NaN();
const double kNegNan = std::bit_cast<double>(0xfff8000000000000ULL);

// Header doubles per LASType: scales, offsets, then MaxX..MinZ.  Type 1 to
// 4 keep the coordinates printable through a NaN or infinite scale of one
// axis only; the extents cover what %f and %12.3f must print exactly.
struct Geometry {
    double scale[3], offset[3], extent[6];
};
const Geometry kGeometry[9] = {
    {},
    {{0.01, kNegNan, 0.001},
     {0, 0, -0.0},
     {kNegNan, kNan, kInf, -kInf, 0, -0.0}},
    {{kInf, 0.01, 1e-7},
     {-kInf, 5e-7, 4.9e-324},
     {1e300, -1.7976931348623157e308, 0.0005, -0.0005, 2.5e-7, 123456789.0005}},
    {{0.5, 0.25, 0.125},
     {1e22, -123456789012345678.0, 0.1},
     {0.0015, 0.0025, -1e17, 1e-300, 999999999999.9995, 4294967296.5}},
    {{1e-3, 1e-3, 1e-3},
     {512000, 4310000, -kNan},
     {512697.4649999999, 512308.92, 4310000.0051, 4309999.9949, 2.675, -2.675}},
    {{0.01, 0.01, 0.01},
     {637000, 851000.5, -12.25},
     {638982.55, 635589.01, 853535.43, 848899.7, 586.38, -0.0004}},
    {{3.0e-5, 7.0e-9, 0.3},
     {1.0 / 3, -2.0 / 3, 1e15},
     {kNan, kNegNan, 1e16, -1e16, 9.5e-4, 1.0005}},
    {{0.01, 0.01, 0.01},
     {-1e10, 1e10, 0},
     {8.125e-3, -8.125e-3, 0.0625, -0.0625, 1e-3, 5e-324}},
    {{1, 1, 1},
     {0, 0, 0},
     {2147483647.5, -2147483648.5, 1e19, 18446744073709551616.0, 7e-4, 3e-4}},
};

std::vector<Point> edgePoints(int type) {
    std::vector<Point> pts;
    const int32_t coords[] = {0, 1, -1, 12345, -99999, INT32_MAX, INT32_MIN};
    const double times[] = {0.0,  -0.0, 331452786.1234567, -1.5e-8, 5e-8,
                            1e20, kNan, kNegNan,           -kInf};
    for (int i = 0; i < 40; ++i) {
        Point p;
        p.x = coords[i % 7];
        p.y = coords[(i + 3) % 7];
        p.z = coords[(i * 5 + type) % 7];
        p.intensity = static_cast<uint16_t>(i * 1693);
        p.bitfield = static_cast<uint8_t>(i * 37 + type);
        p.classification = static_cast<uint8_t>(i * 53);
        p.scan_angle = static_cast<uint8_t>(0x80 + i * 7);
        p.user_data = static_cast<uint8_t>(255 - i);
        p.point_source_id = static_cast<uint16_t>(65535 - i * 977);
        p.gps_time = times[i % 9];
        p.red = static_cast<uint16_t>(i * 1601);
        p.green = 65535;
        p.blue = static_cast<uint16_t>(i);
        pts.push_back(p);
    }
    return pts;
}

LasFixture edgeFixture(int type) {
    LasFixture f = fixture_for_type(type);
    const Geometry &g = kGeometry[type];
    LAS12Header &h = f.header;
    h.XScaleFactor = g.scale[0];
    h.YScaleFactor = g.scale[1];
    h.ZScaleFactor = g.scale[2];
    h.XOffset = g.offset[0];
    h.YOffset = g.offset[1];
    h.ZOffset = g.offset[2];
    double *extents[6] = {&h.MaxX, &h.MinX, &h.MaxY, &h.MinY, &h.MaxZ, &h.MinZ};
    for (int i = 0; i < 6; ++i)
        *extents[i] = g.extent[i];
    h.GUIDData1 = type % 2 ? 0xFFFFFFFFu : 0x80000000u;
    h.GUIDData2 = 65535;
    std::memcpy(h.GUIDData4, type % 3 ? "ABCDEFGH" : "ab\0cdefg", 8);
    std::memset(h.SystemIdentifier, 'S', 32);
    std::memcpy(h.GeneratingSoftware, "caf\xC3\xA9 \xE9\xFF", 8);
    h.NumberOfVariableLengthRecords = 0xFFFFFFFEu;
    h.NumberOfPointsByReturn[4] = 0x80000001u;
    f.points = edgePoints(type);
    f.between.assign(54 + type, 0xAB); // bytes the reader must skip
    f.after.assign(static_cast<std::size_t>(type % 5), 0x7F);
    return f;
}

// Scale factors and offsets whose products and sums with the coordinates
// give signed zeros, infinities and NaNs made by the arithmetic (0 x inf,
// inf - inf), next to NaNs of the file that carry a sign or a payload.
const uint64_t kScaleBits[] = {0x3f847ae147ae147bULL, 0x0000000000000000ULL,
                               0x8000000000000000ULL, 0x7ff0000000000000ULL,
                               0xfff0000000000000ULL, 0x7ff8000000000000ULL,
                               0xfff8000000000000ULL, 0x7ff80000dead0001ULL};
const uint64_t kOffsetBits[] = {0x0000000000000000ULL, 0x8000000000000000ULL,
                                0x7e37e43c8800759cULL, 0x7ff0000000000000ULL,
                                0xfff0000000000000ULL, 0x7ff8000000000000ULL,
                                0xfff8000000000000ULL, 0x7ff0000000000001ULL};
constexpr int kPairs = 8 * 8;
constexpr int kScaleFiles = (kPairs + 2) / 3; // three axes to a file

// File `n` of a type: axes X, Y and Z take pairs 3n, 3n + 1 and 3n + 2.
LasFixture scaleFixture(int type, int n) {
    LasFixture f = fixture_for_type(type);
    double *scale[3] = {&f.header.XScaleFactor, &f.header.YScaleFactor,
                        &f.header.ZScaleFactor};
    double *offset[3] = {&f.header.XOffset, &f.header.YOffset,
                         &f.header.ZOffset};
    for (int axis = 0; axis < 3; ++axis) {
        const int pair = (3 * n + axis) % kPairs;
        *scale[axis] = std::bit_cast<double>(kScaleBits[pair / 8]);
        *offset[axis] = std::bit_cast<double>(kOffsetBits[pair % 8]);
    }
    const int32_t coords[] = {0, 1, -1, 7, INT32_MAX, INT32_MIN};
    const double times[] = {-0.0, std::bit_cast<double>(0x7ff0000000000001ULL),
                            std::bit_cast<double>(0xfff80000beef0000ULL)};
    for (int i = 0; i < 6; ++i) {
        Point p;
        p.x = coords[i];
        p.y = coords[(i + 1) % 6];
        p.z = coords[(i + 2) % 6];
        p.gps_time = times[i % 3];
        f.points.push_back(p);
    }
    return f;
}

// Writes a file whose points begin at `offset`, leaving a hole before them.
void writeSparse(const fs::path &path, LasFixture f, uint64_t offset) {
    f.auto_offset = false;
    f.header.OffsetToData = static_cast<uint32_t>(offset);
    const Bytes b = f.bytes();
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char *>(b.data()), 227);
    out.seekp(static_cast<std::streamoff>(offset));
    out.write(reinterpret_cast<const char *>(b.data() + 227),
              static_cast<std::streamsize>(b.size() - 227));
    if (!out)
        throw std::runtime_error("cannot write " + path.string());
}

} // namespace

int main(int argc, char **argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: make_fixtures <folder> edge|far|scales\n");
        return 2;
    }
    const fs::path dir = argv[1];
    fs::create_directories(dir);
    const std::string what = argv[2];
    if (what == "edge") {
        for (int type = 1; type <= 8; ++type)
            edgeFixture(type).write(
                dir / ("edge_type" + std::to_string(type) + ".las"));
        return 0;
    }
    if (what == "scales") {
        for (int type = 1; type <= 8; ++type)
            for (int n = 0; n < kScaleFiles; ++n)
                scaleFixture(type, n).write(dir / ("scales_type" +
                                                   std::to_string(type) + "_" +
                                                   std::to_string(n) + ".las"));
        return 0;
    }
    if (what == "far") {
        LasFixture f = edgeFixture(6);
        f.between.clear();
        f.after.clear();
        f.points.resize(20);
        // Points from just past 2^31, and points that run across 2^32.
        writeSparse(dir / "offset_2GiB.las", f, (uint64_t{1} << 31) + 1000);
        f.points = edgePoints(6);
        writeSparse(dir / "over_4GiB.las", f, 0xFFFFFF00u);
        return 0;
    }
    std::fprintf(stderr, "make_fixtures: unknown set %s\n", what.c_str());
    return 2;
}
