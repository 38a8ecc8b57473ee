// SPDX-License-Identifier: MIT
// las_fixture.cpp - the LAS file builder and file helpers of the tests.
#include "las_fixture.h"

#include "header_bytes.h"
#include "las_bytes.h"
#include "las_type.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>

namespace fixture {

namespace {
template <typename T> void put(Bytes &b, std::size_t at, T v) {
    tamarak::store_le(b.data() + at, v);
}
// GCC 12 warns falsely on vector::insert at the end of a byte vector.
void append(Bytes &to, const Bytes &from) {
    const std::size_t at = to.size();
    to.resize(at + from.size());
    if (!from.empty())
        std::memcpy(to.data() + at, from.data(), from.size());
}
} // namespace

std::size_t record_size(unsigned format) {
    return tamarak::record_size_of_format(format);
}

Bytes encode_point(const Point &p, unsigned format) {
    Bytes b(record_size(format), 0);
    put(b, 0, p.x);
    put(b, 4, p.y);
    put(b, 8, p.z);
    put(b, 12, p.intensity);
    b[14] = p.bitfield;
    b[15] = p.classification;
    b[16] = p.scan_angle;
    b[17] = p.user_data;
    put(b, 18, p.point_source_id);
    if (format == 1 || format == 3)
        put(b, 20, p.gps_time);
    const std::size_t rgb = format == 2 ? 20 : 28;
    if (format >= 2) {
        put(b, rgb, p.red);
        put(b, rgb + 2, p.green);
        put(b, rgb + 4, p.blue);
    }
    return b;
}

LasFixture::LasFixture(uint8_t minor_version, uint8_t point_format)
    : minor(minor_version), format(point_format) {
    std::memcpy(header.LASF, "LASF", 4);
    header.VersionMajor = 1;
    header.VersionMinor = minor_version;
    std::memcpy(header.SystemIdentifier, "TEST FIXTURE", 12);
    std::memcpy(header.GeneratingSoftware, "las_fixture", 11);
    header.FileCreationDay = 42;
    header.FileCreationYear = 2026;
    header.HeaderSize = 227;
    header.PointDataFormatID = point_format;
    header.XScaleFactor = header.YScaleFactor = header.ZScaleFactor = 0.01;
}

Bytes LasFixture::bytes() const {
    LAS12Header h = header;
    h.VersionMajor = major;
    if (auto_offset)
        h.OffsetToData = static_cast<uint32_t>(227 + between.size());
    if (auto_length)
        h.PointDataRecordLength = static_cast<uint16_t>(record_size(format));
    if (auto_count)
        h.NumberOfPointReturns = static_cast<uint32_t>(points.size());
    Bytes out;
    out.reserve(sizeof h + between.size() +
                points.size() * record_size(format) + after.size());
    out.resize(tamarak::layout::kHeaderBytes);
    tamarak::encode_header(h, out.data());
    append(out, between);
    for (const Point &p : points)
        append(out, encode_point(p, format));
    append(out, after);
    return out;
}

void LasFixture::write(const std::filesystem::path &path) const {
    write_bytes(path, bytes());
}

LasFixture fixture_for_type(int type) {
    static constexpr uint8_t minor[9] = {0, 0, 0, 1, 1, 2, 2, 2, 2};
    static constexpr uint8_t format[9] = {0, 0, 1, 0, 1, 0, 1, 2, 3};
    if (type < 1 || type > 8)
        throw std::invalid_argument("LASType out of range");
    return LasFixture(minor[type], format[type]);
}

LasFixture tile(int type, int points) {
    LasFixture f = fixture_for_type(type);
    for (int i = 0; i < points; ++i) {
        Point p;
        p.x = 12345 * i;
        p.y = -678 * i;
        p.z = 90 + i;
        p.bitfield = static_cast<uint8_t>(i);
        p.gps_time = 5e8 + i * 0.25;
        f.points.push_back(p);
    }
    return f;
}

LasFixture survey(int type, int points, std::size_t between,
                  std::size_t after) {
    LasFixture f = fixture_for_type(type);
    for (int i = 0; i < points; ++i) {
        Point p;
        p.x = 1234567 * (i % 1000) - 400000000;
        p.y = -6781 * i;
        p.z = 90 + i * (i % 1000);
        p.intensity = static_cast<uint16_t>(i * 37);
        p.bitfield = static_cast<uint8_t>(i * 11);
        p.classification = static_cast<uint8_t>(i);
        p.scan_angle = static_cast<uint8_t>(i * 5);
        p.user_data = static_cast<uint8_t>(i * 3);
        p.point_source_id = static_cast<uint16_t>(i * 257);
        p.gps_time = 3.3e8 + i * 0.1234567;
        p.red = static_cast<uint16_t>(i * 101);
        p.blue = static_cast<uint16_t>(65535 - i);
        f.points.push_back(p);
    }
    f.between.assign(between, 0xAB);
    f.after.assign(after, 0xCD);
    return f;
}

void write_bytes(const std::filesystem::path &path, const Bytes &bytes) {
    std::ofstream f(path, std::ios::binary | std::ios::trunc);
    f.write(reinterpret_cast<const char *>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
    if (!f)
        throw std::runtime_error("cannot write " + path.string());
}

Bytes read_bytes(const std::filesystem::path &path) {
    std::ifstream f(path, std::ios::binary);
    if (!f)
        throw std::runtime_error("cannot read " + path.string());
    return Bytes(std::istreambuf_iterator<char>(f), {});
}

std::string read_text(const std::filesystem::path &path) {
    const Bytes b = read_bytes(path);
    return std::string(b.begin(), b.end());
}

#ifdef _WIN32
// Windows has no mkdtemp: a random name that create_directory claims
// atomically, since it fails for a name that exists already.
TempDir::TempDir() {
    std::random_device entropy;
    const std::filesystem::path base = std::filesystem::temp_directory_path();
    for (int attempt = 0; attempt < 100; ++attempt) {
        path_ = base / ("ptxport-test-" + std::to_string(entropy()));
        if (std::filesystem::create_directory(path_))
            return;
    }
    throw std::runtime_error("cannot create a temporary folder");
}
#else
TempDir::TempDir() {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "ptxport-test-XXXXXX")
            .string();
    if (!mkdtemp(pattern.data()))
        throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
}
#endif

TempDir::~TempDir() {
    std::error_code ec;
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ec);
    std::filesystem::remove_all(path_, ec);
}

std::vector<std::string> TempDir::entries() const {
    std::vector<std::string> names;
    for (const auto &e : std::filesystem::directory_iterator(path_))
        names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace fixture
