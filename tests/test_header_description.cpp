// SPDX-License-Identifier: MIT
// Tests of the header description file: the 34 lines, their labels,
// alignment and value conversions.
#include "header_description.h"
#include "las_fixture.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>

using namespace ptx;

using namespace fixture;

namespace {

LAS12Header sampleHeader() {
    LasFixture f(2, 3);
    LAS12Header h = f.header;
    h.GUIDData1 = 305419896;
    h.GUIDData2 = 65535;
    h.GUIDData3 = 7;
    std::memcpy(h.GUIDData4, "ABCDEFGH", 8);
    h.VersionMajor = 1;
    h.VersionMinor = 2;
    h.FileCreationDay = 341;
    h.FileCreationYear = 2026;
    h.OffsetToData = 1994;
    h.NumberOfVariableLengthRecords = 4;
    h.PointDataRecordLength = 34;
    h.NumberOfPointReturns = 106;
    const uint32_t by_return[5] = {90, 12, 3, 1, 0};
    std::memcpy(h.NumberOfPointsByReturn, by_return, sizeof by_return);
    h.XScaleFactor = 0.01;
    h.YScaleFactor = 0.001;
    h.ZScaleFactor = 1e-7;
    h.XOffset = 637000;
    h.YOffset = 851000.5;
    h.ZOffset = -12.25;
    h.MaxX = 638982.55;
    h.MinX = 635589.01;
    h.MaxY = 853535.43;
    h.MinY = 848899.7;
    h.MaxZ = 586.38;
    h.MinZ = -0.0004;
    return h;
}

} // namespace

TEST(HeaderDescription, AllLinesOfALas12File) {
    const std::string expected =
        "GUID Data 1 :                      305419896\n"
        "GUID Data 2 :                      65535\n"
        "GUID Data 3 :                      7\n"
        "GUID Data 4 :                      ABCDEFGH\n"
        "Version Major :                    1\n"
        "Version Minor :                    2\n"
        "System Identifier :                TEST FIXTURE\n"
        "Generating Software :              las_fixture\n"
        "File Creation Day :                341\n"
        "File Creation Year :               2026\n"
        "Header Size :                      227\n"
        "Offset to Data:                    1994\n"
        "Number of Variable Length Records: 4\n"
        "Point Data Format ID:              3\n"
        "Point Data Record Length:          34\n"
        "Number of Point Returns:           106\n"
        "Number Of Points By Return:\n"
        "                    Return 1       90\n"
        "                    Return 2       12\n"
        "                    Return 3       3\n"
        "                    Return 4       1\n"
        "                    Return 5       0\n"
        "X Scale Factor:                    0.010000\n"
        "Y Scale Factor:                    0.001000\n"
        "Z Scale Factor:                    0.000000\n"
        "X Offset :                         637000.000000\n"
        "Y Offset :                         851000.500000\n"
        "Z Offset :                         -12.250000\n"
        "X min :                       635589.010\n"
        "X max :                       638982.550\n"
        "Y min :                       848899.700\n"
        "Y max :                       853535.430\n"
        "Z min :                           -0.000\n"
        "Z max :                          586.380\n";
    EXPECT_EQ(describeHeader(sampleHeader(), tamarak::LasType::from_code(8)),
              expected);
}

TEST(HeaderDescription, VersionLabelsOfLinesNineAndTen) {
    const LAS12Header h = sampleHeader();
    for (int16_t type = 1; type <= 8; ++type) {
        const std::string d =
            describeHeader(h, tamarak::LasType::from_code(type));
        const bool v10 = type <= 2;
        EXPECT_EQ(d.find("Flight Date Julian :               341\n"
                         "Year :                             2026\n") !=
                      std::string::npos,
                  v10)
            << type;
        EXPECT_EQ(d.find("File Creation Day :                341\n"
                         "File Creation Year :               2026\n") !=
                      std::string::npos,
                  !v10)
            << type;
    }
}

TEST(HeaderDescription, FieldEdgeValues) {
    struct Case {
        const char *what;
        void (*patch)(LAS12Header &);
        const char *line;
    };
    const Case cases[] = {
        {"GUID 1 all bits", [](LAS12Header &h) { h.GUIDData1 = 0xFFFFFFFF; },
         "GUID Data 1 :                      -1\n"},
        {"GUID 1 top bit", [](LAS12Header &h) { h.GUIDData1 = 0x80000000; },
         "GUID Data 1 :                      -2147483648\n"},
        {"GUID 4 empty", [](LAS12Header &h) { std::memset(h.GUIDData4, 0, 8); },
         "GUID Data 4 :                      \n"},
        {"GUID 4 stops at zero",
         [](LAS12Header &h) { std::memcpy(h.GUIDData4, "ab\0cdefg", 8); },
         "GUID Data 4 :                      ab\n"},
        {"system identifier full",
         [](LAS12Header &h) { std::memset(h.SystemIdentifier, 'S', 32); },
         "System Identifier :                "
         "SSSSSSSSSSSSSSSSSSSSSSSSSSSSSSSS\n"},
        {"software bytes above 127",
         [](LAS12Header &h) { std::memset(h.GeneratingSoftware, '\xE9', 32); },
         "Generating Software :              "
         "\xE9\xE9\xE9\xE9\xE9\xE9\xE9\xE9\xE9\xE9\xE9\xE9\xE9\xE9\xE9\xE9"
         "\xE9\xE9\xE9\xE9\xE9\xE9\xE9\xE9\xE9\xE9\xE9\xE9\xE9\xE9\xE9\xE9\n"},
        {"offset above 2^31",
         [](LAS12Header &h) { h.OffsetToData = 0x80000000u + 5; },
         "Offset to Data:                    -2147483643\n"},
        {"count all bits",
         [](LAS12Header &h) { h.NumberOfPointReturns = 0xFFFFFFFF; },
         "Number of Point Returns:           -1\n"},
        {"by return negative",
         [](LAS12Header &h) { h.NumberOfPointsByReturn[4] = 0xFFFFFFFE; },
         "                    Return 5       -2\n"},
        {"format 128", [](LAS12Header &h) { h.PointDataFormatID = 128; },
         "Point Data Format ID:              \xB0\n"},
        {"minor 10", [](LAS12Header &h) { h.VersionMinor = 10; },
         "Version Minor :                    :\n"},
        {"wide extent", [](LAS12Header &h) { h.MaxX = 123456789012.5; },
         "X max :                     123456789012.500\n"},
        {"huge extent", [](LAS12Header &h) { h.MinZ = -1e20; },
         "Z min :                     -100000000000000000000.000\n"},
        {"huge scale", [](LAS12Header &h) { h.ZScaleFactor = 1e300; },
         "Z Scale Factor:                    "
         "10000000000000000525047602552044202487044685811081591549158541155118"
         "02457988908195786371375080447864043704443832883878176942523235360430"
         "57564479218478670698284838720092657580373783023379478809005936895323"
         "49707999450811190389676408800746527427801424945792587888200568428381"
         "15669472196386865459400540160.000000\n"},
        {"nan offset", [](LAS12Header &h) { h.XOffset = -__builtin_nan(""); },
         "X Offset :                         -nan\n"},
    };
    for (const Case &c : cases) {
        LAS12Header h = sampleHeader();
        c.patch(h);
        const std::string d = describeHeader(h, tamarak::LasType::from_code(8));
        EXPECT_NE(d.find(c.line), std::string::npos) << c.what << "\n" << d;
        EXPECT_EQ(std::count(d.begin(), d.end(), '\n'), 34) << c.what;
    }
}

// The file is written in binary mode: every line end is the writer's, the
// host's own (CR LF on Windows), and no other byte differs.
TEST(HeaderDescription, WrittenWithTheHostsLineEnds) {
#ifdef _WIN32
    const std::string host_line_end = "\r\n";
#else
    const std::string host_line_end = "\n";
#endif
    const LAS12Header h = sampleHeader();
    const tamarak::LasType type = tamarak::LasType::from_code(8);
    std::string want;
    for (const char c : describeHeader(h, type))
        want += c == '\n' ? host_line_end : std::string(1, c);
    std::FILE *f = std::tmpfile();
    ASSERT_NE(f, nullptr);
    ASSERT_EQ(writeAsciiHeader(f, h, type), 0);
    std::rewind(f);
    std::string got;
    for (int c; (c = std::fgetc(f)) != EOF;)
        got += static_cast<char>(c);
    std::fclose(f);
    EXPECT_EQ(got, want);
}
