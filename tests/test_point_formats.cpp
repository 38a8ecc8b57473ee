// SPDX-License-Identifier: MIT
// Tests of the point writer: column-name lines, rows of every format on
// every record type, value decoding and the end of the point data.
#include "header_bytes.h"
#include "las_fixture.h"
#include "platform.h"
#include "point_writer.h"
#include "reference_writer.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cmath>
#include <cstring>
#include <limits>
#include <random>

using namespace ptx;

using namespace fixture;

namespace {

tamarak::LasType lasType(int code) {
    return tamarak::LasType::from_code(static_cast<int16_t>(code));
}

// Text as the tests spell it, with LF line ends.  Windows text must end
// every line in CR LF: a bare LF there is marked, so that it cannot match.
std::string lfText(const std::string &text) {
#ifdef _WIN32
    std::string lf;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
            continue;
        if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r'))
            lf += "<bare LF>";
        lf += text[i];
    }
    return lf;
#else
    return text;
#endif
}

std::string columnNamesLf(int format, tamarak::LasType type) {
    return lfText(ptx::columnNames(format, type));
}

struct Converted {
    Failure result;
    std::string text;
};

// Runs the point writer on a LAS file image as the driver does: header
// read, input positioned at OffsetToData, a fresh output stream.
Converted convertImage(const Bytes &las, int format, int type) {
    TempDir dir;
    write_bytes(dir / "in.las", las);
    std::FILE *in = std::fopen((dir / "in.las").string().c_str(), "rb");
    std::FILE *out = std::tmpfile();
    unsigned char image[tamarak::layout::kHeaderBytes];
    EXPECT_EQ(std::fread(image, sizeof image, 1, in), 1u);
    const LAS12Header h = tamarak::decode_header(image);
    EXPECT_EQ(tamarak::seek_to(in, h.OffsetToData), 0);
    PointSlots slots(1, lasType(type).record_size());
    EXPECT_TRUE(slots.ready());
    const Failure result =
        writeAsciiPoints(format, lasType(type), h, in, out, slots);
    std::fclose(in);
    std::fflush(out);
    std::rewind(out);
    std::string text;
    char buf[65536];
    for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, out)) > 0;)
        text.append(buf, n);
    std::fclose(out);
    return {result, lfText(text)};
}

// Points that exercise every field's range.
std::vector<Point> edgePoints() {
    std::vector<Point> pts;
    const uint8_t bytes[] = {0x00, 0x01, 0x49, 0x5A, 0x7F,
                             0x80, 0x85, 0xA6, 0xFF};
    const int32_t coords[] = {0,   1,         -1,        250,      -75,
                              999, INT32_MAX, INT32_MIN, 123456789};
    for (std::size_t i = 0; i < std::size(bytes); ++i) {
        Point p;
        p.x = coords[i];
        p.y = coords[(i + 3) % std::size(coords)];
        p.z = coords[(i + 5) % std::size(coords)];
        p.intensity = i % 2 ? 65535 : static_cast<uint16_t>(i * 7);
        p.bitfield = bytes[i];
        p.classification = bytes[(i + 1) % std::size(bytes)];
        p.scan_angle = bytes[(i + 2) % std::size(bytes)];
        p.user_data = bytes[(i + 4) % std::size(bytes)];
        p.point_source_id = i % 3 ? 65535 : static_cast<uint16_t>(i);
        const double times[] = {0.0,
                                -0.0,
                                331452786.1234567,
                                1e300,
                                std::numeric_limits<double>::quiet_NaN(),
                                -std::numeric_limits<double>::infinity(),
                                0.00000005,
                                604799.99999995,
                                -1.5e-8};
        p.gps_time = times[i];
        p.red = i % 2 ? 65535 : 0;
        p.green = static_cast<uint16_t>(i * 1000);
        p.blue = 256;
        pts.push_back(p);
    }
    std::mt19937 rng(17);
    for (int i = 0; i < 300; ++i) {
        Point p;
        p.x = static_cast<int32_t>(rng());
        p.y = static_cast<int32_t>(rng() % 2000000) - 1000000;
        p.z = static_cast<int32_t>(rng() % 40000);
        p.intensity = static_cast<uint16_t>(rng());
        p.bitfield = static_cast<uint8_t>(rng());
        p.classification = static_cast<uint8_t>(rng());
        p.scan_angle = static_cast<uint8_t>(rng());
        p.user_data = static_cast<uint8_t>(rng());
        p.point_source_id = static_cast<uint16_t>(rng());
        p.gps_time = 3.3e8 + (rng() % 100000000) * 1e-7;
        p.red = static_cast<uint16_t>(rng());
        p.green = static_cast<uint16_t>(rng());
        p.blue = static_cast<uint16_t>(rng());
        pts.push_back(p);
    }
    return pts;
}

LasFixture edgeFixture(int type) {
    LasFixture f = fixture_for_type(type);
    f.points = edgePoints();
    f.header.XScaleFactor = 0.01;
    f.header.YScaleFactor = 0.001;
    f.header.ZScaleFactor = 0.00025;
    f.header.XOffset = 512000.0;
    f.header.YOffset = -4310000.5;
    f.header.ZOffset = 0.0;
    f.between = Bytes(7, 0xCC); // bytes before the points are skipped
    f.after = Bytes(fixture::record_size(f.format) - 1, 0xAB);
    return f;
}

} // namespace

class EveryFormatEveryType
    : public ::testing::TestWithParam<std::tuple<int, int>> {};

// Every format on every record type, served or not, against the printf
// reference; the trailing fragment gives no row.
TEST_P(EveryFormatEveryType, MatchesPrintfReference) {
    const auto [format, type] = GetParam();
    const Bytes las = edgeFixture(type).bytes();
    const Converted c = convertImage(las, format, type);
    EXPECT_FALSE(c.result);
    EXPECT_EQ(c.text, referencePointFile(las, format, type));
    EXPECT_EQ(ptx::formatServesType(format, lasType(type)),
              referenceServes(format, type));
}

INSTANTIATE_TEST_SUITE_P(Catalogue, EveryFormatEveryType,
                         ::testing::Combine(::testing::Range(0, 20),
                                            ::testing::Range(1, 9)));

TEST(ColumnNames, MatchTheLiteralsForEveryFormatAndType) {
    for (int format = 0; format < 20; ++format)
        for (int16_t type = 1; type <= 8; ++type)
            EXPECT_EQ(columnNamesLf(format, lasType(type)),
                      referenceColumnNames(format, type))
                << "format " << format << " type " << type;
}

TEST(ColumnNames, SpotChecks) {
    EXPECT_EQ(columnNamesLf(0, lasType(8)),
              "\"X\" \"Y\" \"Z\" \"Intensity\" \"ReturnNum\" \"NumReturns\" "
              "\"ScanDirection\" \"EdgeOfFlightLine\" \"Class\" "
              "\"ScanAngleRank\" \"UserData\" \"PointSourceID\" \"GPSTime\" "
              "\"Red\" \"Green\" \"Blue\"\n");
    EXPECT_EQ(columnNamesLf(0, lasType(1)),
              "\"X\" \"Y\" \"Z\" \"Intensity\" \"ReturnNum\" \"NumReturns\" "
              "\"ScanDirection\" \"EdgeOfFlightLine\" \"Class\" "
              "\"ScanAngleRank\" \"FileMarker\" \"UserBitField\"\n");
    EXPECT_EQ(columnNamesLf(19, lasType(7)),
              "\"X\" \"Y\" \"Z\" \"R\" \"g\" \"B\"\n");
    EXPECT_EQ(columnNamesLf(14, lasType(8)), "\"R\" \"G\" \"B\"\n");
    EXPECT_EQ(columnNamesLf(11, lasType(2)), "\"FileMarker\"\n");
    EXPECT_EQ(columnNamesLf(12, lasType(3)), "\"PointSourceID\"\n");
    EXPECT_EQ(columnNamesLf(9, lasType(5)), "\"Classification\"\n");
}

TEST(FullRecord, WorkedExample) {
    LasFixture f = fixture_for_type(1);
    f.header.XScaleFactor = f.header.YScaleFactor = f.header.ZScaleFactor =
        0.01;
    f.header.XOffset = 100;
    f.header.YOffset = 200;
    f.header.ZOffset = 0;
    Point p;
    p.x = 250;
    p.y = -75;
    p.z = 999;
    p.intensity = 87;
    p.bitfield = 0x49;
    p.classification = 2;
    p.scan_angle = 0xF6;
    f.points = {p};
    const Converted c = convertImage(f.bytes(), 0, 1);
    EXPECT_EQ(c.text, columnNamesLf(0, lasType(1)) +
                          "102.50 199.25 9.99 87 1 1 1 0 2 -10 0 0\n");
}

struct ValueCase {
    const char *what;
    int format;
    Point point;
    double scale, offset;
    const char *row;
};

Point withBits(uint8_t bitfield) {
    Point p;
    p.bitfield = bitfield;
    return p;
}
Point withAngle(uint8_t angle) {
    Point p;
    p.scan_angle = angle;
    return p;
}
Point withX(int32_t x) {
    Point p;
    p.x = x;
    return p;
}
Point withTime(double t) {
    Point p;
    p.gps_time = t;
    return p;
}

TEST(Values, DecodeAsDocumented) {
    Point maxed;
    maxed.intensity = 65535;
    maxed.point_source_id = 65535;
    maxed.classification = 0x85;
    const ValueCase cases[] = {
        {"bits 0xFF return", 5, withBits(0xFF), 1, 0, "7\n"},
        {"bits 0xFF returns", 6, withBits(0xFF), 1, 0, "7\n"},
        {"bits 0xFF direction", 7, withBits(0xFF), 1, 0, "1\n"},
        {"bits 0xFF edge", 8, withBits(0xFF), 1, 0, "1\n"},
        {"bits 0x80 edge", 8, withBits(0x80), 1, 0, "1\n"},
        {"bits 0x7F edge", 8, withBits(0x7F), 1, 0, "0\n"},
        {"bits 0x38 returns", 6, withBits(0x38), 1, 0, "7\n"},
        {"angle 0x5A", 10, withAngle(0x5A), 1, 0, "90\n"},
        {"angle 0xA6", 10, withAngle(0xA6), 1, 0, "-90\n"},
        {"angle 0x7F", 10, withAngle(0x7F), 1, 0, "127\n"},
        {"angle 0x80", 10, withAngle(0x80), 1, 0, "-128\n"},
        {"angle 0xFF", 10, withAngle(0xFF), 1, 0, "-1\n"},
        {"class flags kept", 9, maxed, 1, 0, "133\n"},
        {"intensity unsigned", 4, maxed, 1, 0, "65535\n"},
        {"source id unsigned", 12, maxed, 1, 0, "65535\n"},
        {"negative coordinate", 1, withX(-1), 0.01, 0, "-0.01\n"},
        {"rounds to zero from below", 1, withX(-1), 0.001, 0, "-0.00\n"},
        {"exact half rounds to even", 1, withX(1), 0.125, 0, "0.12\n"},
        {"half above rounds to even", 1, withX(3), 0.125, 0, "0.38\n"},
        {"largest raw", 1, withX(INT32_MAX), 0.01, 0, "21474836.47\n"},
        {"huge scale", 1, withX(-1), 1e300, 0,
         "-1000000000000000052504760255204420248704468581108159154915854115511"
         "80245798890819578637137508044786404370444383288387817694252323536043"
         "05756447921847867069828483872009265758037378302337947880900593689532"
         "34970799945081119038967640880074652742780142494579258788820056842838"
         "115669472196386865459400540160.00\n"},
        {"gps seven decimals", 13, withTime(331452786.1234567), 1, 0,
         "331452786.1234567\n"},
        {"gps negative zero", 13, withTime(-0.0), 1, 0, "-0.0000000\n"},
        {"gps nan", 13, withTime(std::numeric_limits<double>::quiet_NaN()), 1,
         0, "nan\n"},
        {"gps negative nan", 13,
         withTime(-std::numeric_limits<double>::quiet_NaN()), 1, 0, "-nan\n"},
        {"gps infinity", 13, withTime(std::numeric_limits<double>::infinity()),
         1, 0, "inf\n"},
    };
    for (const ValueCase &vc : cases) {
        LasFixture f = fixture_for_type(8);
        f.header.XScaleFactor = vc.scale;
        f.header.XOffset = vc.offset;
        f.points = {vc.point};
        const Converted c = convertImage(f.bytes(), vc.format, 8);
        EXPECT_EQ(c.text, columnNamesLf(vc.format, lasType(8)) + vc.row)
            << vc.what;
    }
}

TEST(Values, SameBytesGiveSameRowsAcrossVersions) {
    LasFixture v10 = edgeFixture(1), v11 = edgeFixture(3);
    const Converted a = convertImage(v10.bytes(), 0, 1);
    const Converted b = convertImage(v11.bytes(), 0, 3);
    const auto rows = [](const std::string &s) {
        return s.substr(s.find('\n'));
    };
    EXPECT_EQ(rows(a.text), rows(b.text));
    EXPECT_NE(a.text, b.text);
}

TEST(Values, ColourIsTheSameFromBothColourLayouts) {
    LasFixture f7 = edgeFixture(7), f8 = edgeFixture(8);
    EXPECT_EQ(convertImage(f7.bytes(), 14, 7).text,
              convertImage(f8.bytes(), 14, 8).text);
}

struct EndCase {
    const char *what;
    std::size_t points;
    std::size_t trailing;
    long offset_shift; // added to OffsetToData
    std::size_t rows;
};

TEST(EndOfPoints, OnlyWholeRecordsFromOffsetToData) {
    const EndCase cases[] = {
        {"no records", 0, 0, 0, 0},
        {"offset at end", 3, 0, 3 * 34, 0},
        {"offset beyond end", 3, 0, 1000, 0},
        {"one byte short of a record", 2, 33, 0, 2},
        {"one trailing byte", 2, 1, 0, 2},
        {"offset inside a record", 3, 0, 17, 2},
    };
    for (const EndCase &ec : cases) {
        LasFixture f = fixture_for_type(8);
        f.points.assign(ec.points, Point{});
        f.after.assign(ec.trailing, 0x11);
        f.auto_offset = false;
        f.header.OffsetToData = static_cast<uint32_t>(227 + ec.offset_shift);
        const Converted c = convertImage(f.bytes(), 15, 8);
        EXPECT_FALSE(c.result) << ec.what;
        EXPECT_EQ(std::count(c.text.begin(), c.text.end(), '\n'),
                  static_cast<long>(1 + ec.rows))
            << ec.what;
    }
}

TEST(EndOfPoints, HeaderCountDoesNotLimitRows) {
    LasFixture f = fixture_for_type(6);
    f.points.assign(5, Point{});
    f.auto_count = false;
    f.header.NumberOfPointReturns = 2;
    const Converted c = convertImage(f.bytes(), 4, 6);
    EXPECT_EQ(c.text, "\"Intensity\"\n0\n0\n0\n0\n0\n");
}

TEST(Streaming, ManyBlocksMatchTheReference) {
    for (int type : {2, 7, 8}) {
        LasFixture f = fixture_for_type(type);
        std::mt19937 rng(type);
        for (int i = 0; i < 30011; ++i) {
            Point p;
            p.x = static_cast<int32_t>(rng());
            p.y = static_cast<int32_t>(rng());
            p.z = static_cast<int32_t>(rng());
            p.gps_time = rng() * 1e-3;
            p.red = static_cast<uint16_t>(rng());
            f.points.push_back(p);
        }
        f.after = {1, 2, 3};
        const Bytes las = f.bytes();
        EXPECT_EQ(convertImage(las, 0, type).text,
                  referencePointFile(las, 0, type))
            << "type " << type;
    }
}

// A full device and a folder opened as a file are POSIX's; Windows has
// neither.
#ifndef _WIN32
TEST(Failures, WriteErrorAndReadErrorAreReported) {
    TempDir dir;
    LasFixture f = fixture_for_type(6);
    f.points.assign(50000, Point{});
    f.write(dir / "a.las");
    PointSlots slots(1, lasType(6).record_size());
    ASSERT_TRUE(slots.ready());
    LAS12Header h = f.header;

    std::FILE *in = std::fopen((dir / "a.las").c_str(), "rb");
    std::FILE *full = std::fopen("/dev/full", "w");
    ASSERT_NE(full, nullptr);
    const Failure written = writeAsciiPoints(0, lasType(6), h, in, full, slots);
    EXPECT_EQ(written.step, FileStep::write);
    EXPECT_EQ(written.error(), ENOSPC);
    std::fclose(full);
    std::fclose(in);

    std::FILE *folder = std::fopen(dir.path().c_str(), "rb");
    ASSERT_NE(folder, nullptr);
    std::FILE *out = std::tmpfile();
    const Failure read = writeAsciiPoints(0, lasType(6), h, folder, out, slots);
    EXPECT_EQ(read.step, FileStep::read);
    EXPECT_EQ(read.error(), EISDIR);
    std::fclose(out);
    std::fclose(folder);
}
#endif
