// SPDX-License-Identifier: MIT
// lasgen.cpp - writes synthetic LAS files for demos, tests and benchmarks.
//
//   lasgen <output.las> <LASType 1-8> <points> [seed]
//
// The points look like an airborne survey strip: UTM coordinates in metres
// at centimetre resolution, ground and vegetation heights, one to four
// returns per pulse, scan angles within +-25 degrees, GPS times that advance
// with the pulses and colour where the point format carries it.  The same
// arguments always give the same file.
#include "TAMARAK_LiDAR.h"
#include "header_bytes.h"
#include "las_bytes.h"
#include "las_type.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace {

using tamarak::LasType;

constexpr double kScale = 0.01;
constexpr double kOffsetX = 512000.0, kOffsetY = 4310000.0, kOffsetZ = 0.0;

struct Bounds {
    int32_t min[3] = {INT32_MAX, INT32_MAX, INT32_MAX};
    int32_t max[3] = {INT32_MIN, INT32_MIN, INT32_MIN};
    uint32_t by_return[5] = {};
};

template <typename T> void put(unsigned char *at, T v) {
    tamarak::store_le(at, v);
}

// Where the strip is: the pulse being emitted and its return.
struct Pulse {
    uint64_t number = 0;
    int returns = 1, ret = 1;
    void next(std::mt19937_64 &rng) {
        if (ret < returns) {
            ++ret;
            return;
        }
        ++number;
        ret = 1;
        returns = 1 + static_cast<int>(rng() % 8 < 5 ? 0 : rng() % 4);
    }
};

// Fills the record of the current return of the pulse.
void makePoint(unsigned char *r, const Pulse &p, LasType t,
               std::mt19937_64 &rng, Bounds &b) {
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    const uint64_t pulse = p.number;
    const int returns = p.returns, ret = p.ret;
    const double along = static_cast<double>(pulse) * 0.05;
    const double across = 400.0 * (unit(rng) - 0.5);
    const double ground =
        212.0 + 15.0 * std::sin(along / 180.0) + 4.0 * std::cos(across / 37.0);
    const double height = ret == returns ? 0.0 : 25.0 * unit(rng);
    const int32_t xyz[3] = {
        static_cast<int32_t>(std::lround((across + 500.0) / kScale)),
        static_cast<int32_t>(std::lround(std::fmod(along, 8000.0) / kScale)),
        static_cast<int32_t>(std::lround((ground + height) / kScale))};
    for (int k = 0; k < 3; ++k) {
        put(r + 4 * k, xyz[k]);
        b.min[k] = std::min(b.min[k], xyz[k]);
        b.max[k] = std::max(b.max[k], xyz[k]);
    }
    ++b.by_return[ret - 1];
    put(r + 12, static_cast<uint16_t>(40 + rng() % 900));
    const bool edge = pulse % 500 == 0;
    r[14] = static_cast<unsigned char>(ret | returns << 3 |
                                       ((pulse / 250) % 2) << 6 | edge << 7);
    r[15] = height == 0.0 ? 2 : (height > 3.0 ? 5 : 3);
    r[16] = static_cast<unsigned char>(static_cast<int8_t>(across / 8.0));
    r[17] = 0;
    put(r + 18, static_cast<uint16_t>(7 + pulse / 1000000));
    if (t.has_gps_time())
        put(r + tamarak::kGpsTimeAt,
            331452786.1234567 + static_cast<double>(pulse) * 1.5e-5);
    if (t.has_colour()) {
        unsigned char *rgb = r + tamarak::colour_at(t.layout());
        put(rgb, static_cast<uint16_t>(20000 + rng() % 30000));
        put(rgb + 2, static_cast<uint16_t>(25000 + rng() % 30000));
        put(rgb + 4, static_cast<uint16_t>(15000 + rng() % 20000));
    }
}

LAS12Header makeHeader(LasType t, uint64_t points, const Bounds &b) {
    LAS12Header h{};
    std::memcpy(h.LASF, "LASF", 4);
    h.VersionMajor = 1;
    h.VersionMinor = static_cast<uint8_t>(t.version_minor());
    std::memcpy(h.SystemIdentifier, "SYNTHETIC STRIP", 15);
    std::memcpy(h.GeneratingSoftware, "lasgen", 6);
    h.FileCreationDay = 341;
    h.FileCreationYear = 2026;
    h.HeaderSize = 227;
    h.OffsetToData = 227;
    h.PointDataFormatID = static_cast<uint8_t>(t.point_format());
    h.PointDataRecordLength = static_cast<uint16_t>(t.record_size());
    h.NumberOfPointReturns = static_cast<uint32_t>(points);
    std::memcpy(h.NumberOfPointsByReturn, b.by_return, sizeof b.by_return);
    h.XScaleFactor = h.YScaleFactor = h.ZScaleFactor = kScale;
    h.XOffset = kOffsetX;
    h.YOffset = kOffsetY;
    h.ZOffset = kOffsetZ;
    const double offsets[3] = {kOffsetX, kOffsetY, kOffsetZ};
    double *mins[3] = {&h.MinX, &h.MinY, &h.MinZ};
    double *maxs[3] = {&h.MaxX, &h.MaxY, &h.MaxZ};
    for (int k = 0; k < 3; ++k) {
        *mins[k] = points ? b.min[k] * kScale + offsets[k] : 0.0;
        *maxs[k] = points ? b.max[k] * kScale + offsets[k] : 0.0;
    }
    return h;
}

int generate(const char *path, LasType t, uint64_t points, uint64_t seed) {
    std::FILE *f = std::fopen(path, "wb");
    if (!f) {
        std::fprintf(stderr, "lasgen: cannot create %s: %s\n", path,
                     std::strerror(errno));
        return 1;
    }
    unsigned char image[tamarak::layout::kHeaderBytes] = {};
    bool ok = std::fwrite(image, sizeof image, 1, f) == 1;
    std::mt19937_64 rng(seed);
    Bounds b;
    Pulse pulse;
    const std::size_t size = t.record_size();
    std::vector<unsigned char> block(size * std::size_t{8192});
    for (uint64_t done = 0; ok && done < points;) {
        const uint64_t n = std::min<uint64_t>(points - done, 8192);
        for (uint64_t k = 0; k < n; ++k, pulse.next(rng))
            makePoint(block.data() + k * size, pulse, t, rng, b);
        ok = std::fwrite(block.data(), size, n, f) == n;
        done += n;
    }
    tamarak::encode_header(makeHeader(t, points, b), image);
    ok = ok && std::fseek(f, 0, SEEK_SET) == 0 &&
         std::fwrite(image, sizeof image, 1, f) == 1;
    if (std::fclose(f) != 0 || !ok) {
        std::fprintf(stderr, "lasgen: failed to write %s\n", path);
        return 1;
    }
    return 0;
}

} // namespace

int main(int argc, char **argv) {
    if (argc < 4 || argc > 5) {
        std::fprintf(stderr,
                     "usage: lasgen <output.las> <LASType 1-8> <points> "
                     "[seed]\n");
        return 2;
    }
    const LasType type = LasType::from_code(
        static_cast<int16_t>(std::clamp(std::atoi(argv[2]), 0, 9)));
    char *end = nullptr;
    const unsigned long long points = std::strtoull(argv[3], &end, 10);
    if (!type.valid() || *end != '\0' || points > UINT32_MAX) {
        std::fprintf(stderr, "lasgen: bad LASType or point count\n");
        return 2;
    }
    const uint64_t seed = argc == 5 ? std::strtoull(argv[4], nullptr, 10) : 1;
    return generate(argv[1], type, points, seed);
}
