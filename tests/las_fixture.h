/* SPDX-License-Identifier: MIT */
// las_fixture.h - builds LAS files byte by byte for the tests.
//
// A LasFixture describes one file: header fields, point records, the bytes
// between the header and the points and any bytes after them.  bytes()
// turns it into the exact file image; the header defaults are those of an
// ordinary, valid file of the chosen version and point format.
#ifndef TESTS_LAS_FIXTURE_H
#define TESTS_LAS_FIXTURE_H

#include "TAMARAK_LiDAR.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace fixture {

using Bytes = std::vector<unsigned char>;

struct Point {
    int32_t x = 0, y = 0, z = 0;
    uint16_t intensity = 0;
    uint8_t bitfield = 0;
    uint8_t classification = 0;
    uint8_t scan_angle = 0;
    uint8_t user_data = 0;
    uint16_t point_source_id = 0;
    double gps_time = 0.0;
    uint16_t red = 0, green = 0, blue = 0;
};

// Record size of LAS point format 0 to 3.
std::size_t record_size(unsigned format);

// The 20 to 34 bytes of one record of a point format.
Bytes encode_point(const Point &p, unsigned format);

struct LasFixture {
    uint8_t major = 1, minor = 2, format = 1;
    LAS12Header header{}; // filled by the constructor, adjust at will
    std::vector<Point> points;
    Bytes between;           // bytes after the 227-byte header, before points
    Bytes after;             // bytes after the point records
    bool auto_offset = true; // OffsetToData = 227 + between.size()
    bool auto_length = true; // PointDataRecordLength = record size
    bool auto_count = true;  // NumberOfPointReturns = points.size()

    LasFixture(uint8_t minor_version, uint8_t point_format);

    Bytes bytes() const;
    void write(const std::filesystem::path &path) const;
};

// LAS 1.x and point format of a LASType 1 to 8.
LasFixture fixture_for_type(int type);

// A file of a type with `points` records whose coordinates, bits and time
// step with the record number.
LasFixture tile(int type, int points);

// Points whose rows differ from one record to the next in every field,
// with `between` bytes before them and `after` bytes after them.
LasFixture survey(int type, int points, std::size_t between = 0,
                  std::size_t after = 0);

void write_bytes(const std::filesystem::path &path, const Bytes &bytes);
Bytes read_bytes(const std::filesystem::path &path);
std::string read_text(const std::filesystem::path &path);

// A fresh directory under the system's temporary folder, removed with its
// contents when the object goes.
class TempDir {
  public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir &) = delete;
    TempDir &operator=(const TempDir &) = delete;
    const std::filesystem::path &path() const { return path_; }
    std::filesystem::path operator/(const std::string &name) const {
        return path_ / name;
    }
    // Names of the directory's entries, sorted.
    std::vector<std::string> entries() const;

  private:
    std::filesystem::path path_;
};

} // namespace fixture

#endif
