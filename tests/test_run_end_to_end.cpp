// SPDX-License-Identifier: MIT
// End-to-end tests: the built command run as a user runs it, with its
// standard output, exit status and the files it leaves behind.
#include "TAMARAK_LiDAR.h"
#include "las_fixture.h"
#include "reference_writer.h"
#include "run_command.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <functional>
#include <regex>

using namespace fixture;
namespace fs = std::filesystem;

namespace {

const std::string kUsage =
    "Usage: PTXPORT <LAS File | ASCII List> <Format>\n\n"
    "          Format:  0: All\n"
    "                   1: X\n"
    "                   2: Y\n"
    "                   3: Z\n"
    "                   4: Intensity\n"
    "                   5: Return Number\n"
    "                   6: Number of Returns\n"
    "                   7: Scan Direction\n"
    "                   8: Edge of Flight Line\n"
    "                   9: Classification\n"
    "                  10: Scan Angle Rank\n"
    "                  11: File Marker / User Data\n"
    "                  12: User Bit Field / Point Source ID\n"
    "                  13: GPSTime (if available)\n"
    "                  14: RGB (if available)\n"
    "                  15: X Y Z\n"
    "                  16: X Y Z Intensity\n"
    "                  17: X Y Z GPSTime\n"
    "                  18: X Y Z Intensity GPSTime\n"
    "                  19: X Y Z RGB\n";

const std::string &banner() {
    static const std::string text = run_in_child([] { credits(); }).out;
    return text;
}

LasFixture smallFile(int type, int points = 3) {
    LasFixture f = fixture_for_type(type);
    for (int i = 0; i < points; ++i) {
        Point p;
        p.x = 1000 * i - 7;
        p.y = 250 + i;
        p.z = -i;
        p.intensity = static_cast<uint16_t>(100 + i);
        p.bitfield = 0x49;
        p.gps_time = 1000.5 + i;
        p.red = 65535;
        f.points.push_back(p);
    }
    return f;
}

void writeText(const fs::path &path, const std::string &text) {
    write_bytes(path, Bytes(text.begin(), text.end()));
}

// Output of a run that fails during validation: no banner, nothing written.
struct FailureCase {
    const char *what;
    std::function<void(TempDir &)> setup;
    std::vector<std::string> args;
    std::string out; // "%d" stands for the temporary directory
};

std::string expandDir(std::string s, const TempDir &dir) {
    for (std::size_t at; (at = s.find("%d")) != std::string::npos;)
        s.replace(at, 2, dir.path().string());
    return s;
}

std::string elapsedPattern() {
    return "\nElapsed time: [0-9]+\\.[0-9]{3} seconds\n\n";
}

} // namespace

TEST(Validation, EveryFailureEndsTheRunBeforeAnythingIsWritten) {
    const auto file = [](const char *name, int type) {
        return [=](TempDir &d) { smallFile(type).write(d / name); };
    };
    const auto files = [](std::vector<std::pair<const char *, int>> list,
                          std::string listing, const char *list_name) {
        return [=](TempDir &d) {
            for (const auto &[name, type] : list)
                smallFile(type).write(d / name);
            if (list_name)
                writeText(d / list_name, listing);
        };
    };
    const std::string missing_args =
        "\n\nMissing, or excessive number of, arguments\n\n" + kUsage;
    const std::string bad_format = "\nError in Format specified\n\n" + kUsage;
    const FailureCase cases[] = {
        {"no argument", [](TempDir &) {}, {}, missing_args},
        {"one argument", file("a.las", 6), {"a.las"}, missing_args},
        {"three arguments",
         file("a.las", 6),
         {"a.las", "b.las", "0"},
         missing_args},
        {"too short",
         [](TempDir &) {},
         {"abcd", "0"},
         "\nFile name (abcd) is too short\n"},
        {"no dot",
         [](TempDir &) {},
         {"plotfile", "0"},
         "\nExtension of file plotfile should be preceeded by a dot (.)\n"},
        {"four-letter extension",
         [](TempDir &) {},
         {"list.text", "0"},
         "\nExtension of file list.text should be preceeded by a dot (.)\n"},
        {"missing list",
         [](TempDir &) {},
         {"list.txt", "0"},
         "\nCannot open input ASCII file list.txt for reading\n"},
        {"capital LAS is a list",
         file("x.LAS", 6),
         {"x.LAS", "0"},
         "Unable to open file LASF in file_access()\n\nFile LASF does NOT "
         "exist\nLASF (listed in x.LAS) is not a valid LAS file\n"},
        {"empty list",
         files({}, "", "list.txt"),
         {"list.txt", "0"},
         "\nFile list.txt contains no valid .las files\n"},
        {"white-space list",
         files({}, " \n\t\r\n", "list.txt"),
         {"list.txt", "0"},
         "\nFile list.txt contains no valid .las files\n"},
        {"third name missing",
         files({{"a.las", 6}, {"b.las", 6}}, "a.las b.las c.las", "list.txt"),
         {"list.txt", "0"},
         "Unable to open file c.las in file_access()\n\nFile c.las does NOT "
         "exist\nc.las (listed in list.txt) is not a valid LAS file\n"},
        {"listed name not .las",
         files({{"a.las", 6}}, "a.las list.txt", "list.txt"),
         {"list.txt", "0"},
         "\nFile extension of list.txt is not .las\nlist.txt (listed in "
         "list.txt) is not a valid LAS file\n"},
        {"listed 1.0 format 2",
         [](TempDir &d) {
             LasFixture f(0, 2);
             f.write(d / "old.las");
             writeText(d / "list.txt", "old.las");
         },
         {"list.txt", "0"},
         "old.las (listed in list.txt) is not a valid LAS file\n"},
        {"mixed types",
         files({{"a.las", 4}, {"b.las", 6}}, "a.las\nb.las\n", "list.txt"),
         {"list.txt", "0"},
         "\nType of file b.las differs from that of previous files in "
         "list.txt\n"},
        {"single missing",
         [](TempDir &) {},
         {"gone.las", "0"},
         "Unable to open file gone.las in file_access()\n\nFile gone.las does "
         "NOT exist\n"},
        {"single folder",
         [](TempDir &d) { fs::create_directory(d / "d.las"); },
         {"d.las", "0"},
         "\nd.las is not a valid .las file\n\n"},
        {"single 1.1 format 3",
         [](TempDir &d) { LasFixture(1, 3).write(d / "p.las"); },
         {"p.las", "0"},
         "\nPoint data format 3 of p.las is not supported in LAS version "
         "1.1\n"},
        {"format with a letter",
         file("a.las", 6),
         {"a.las", "x"},
         "\nInvalid argument value (x)\n"},
        {"format 20", file("a.las", 6), {"a.las", "20"}, bad_format},
        {"format -1", file("a.las", 6), {"a.las", "-1"}, bad_format},
        {"format 7.5", file("a.las", 6), {"a.las", "7.5"}, bad_format},
        {"format 40 digits",
         file("a.las", 6),
         {"a.las", "4294967296000000000000000000000000000007"},
         bad_format},
        {"GPS time missing",
         file("a.las", 5),
         {"a.las", "13"},
         "\na.las does not contain GPS Time data\n"},
        {"GPS time missing 1.0",
         file("a.las", 1),
         {"a.las", "18"},
         "\na.las does not contain GPS Time data\n"},
        {"RGB missing in list",
         files({{"a.las", 6}}, "a.las", "l.txt"),
         {"l.txt", "14"},
         "\nl.txt does not contain RGB data\n"},
        {"RGB missing 19",
         file("a.las", 4),
         {"a.las", "19"},
         "\na.las does not contain RGB data\n"},
        {"list named like an output",
         files({{"tiles.las", 6}}, "tiles.las", "tiles.asc"),
         {"tiles.asc", "0"},
         "\nOutput file tiles.asc would overwrite input file tiles.asc\n"},
        {"list named like a header description",
         files({{"t.las", 6}}, "t.las", "t_hdr.asc"),
         {"t_hdr.asc", "0"},
         "\nOutput file t_hdr.asc would overwrite input file t_hdr.asc\n"},
        {"two outputs of one name",
         files({{"X.las", 6}, {"X_hdr.las", 6}}, "X.las X_hdr.las", "l.txt"),
         {"l.txt", "0"},
         "\nOutput file X_hdr.asc would be written for both X.las and "
         "X_hdr.las\n"},
        {"two outputs of one name through a folder",
         [](TempDir &d) {
             fs::create_directory(d / "s");
             smallFile(6).write(d / "X_hdr.las");
             smallFile(6).write(d / "X.las");
             writeText(d / "l.txt", "./X.las X.las s/../X_hdr.las");
         },
         {"l.txt", "0"},
         "\nOutput file s/../X_hdr.asc would be written for both ./X.las and "
         "s/../X_hdr.las\n"},
        {"LAS file linked from an output name",
         [](TempDir &d) {
             smallFile(6).write(d / "a_hdr.asc");
             fs::create_symlink("a_hdr.asc", d / "b.las");
             smallFile(6).write(d / "a.las");
             writeText(d / "list.txt", "a.las b.las");
         },
         {"list.txt", "0"},
         "\nOutput file a_hdr.asc would overwrite input file b.las\n"},
    };
    for (const FailureCase &c : cases) {
        TempDir dir;
        c.setup(dir);
        const std::vector<std::string> before = dir.entries();
        const CommandResult r = run_ptxport(c.args, dir.path());
        EXPECT_EQ(r.status, kFailureStatus) << c.what;
        EXPECT_EQ(r.out, expandDir(c.out, dir)) << c.what;
        // Standard error may add a reason, one "ptxport: " line each.
        EXPECT_TRUE(std::regex_match(r.err, std::regex("(ptxport: [^\n]+\n)*")))
            << c.what << ": " << r.err;
        EXPECT_EQ(dir.entries(), before) << c.what;
    }
}

TEST(Conversion, SingleFileWritesBothFilesAndReportsThem) {
    TempDir dir;
    const LasFixture f = smallFile(8, 5);
    f.write(dir / "plot7.las");
    const CommandResult r = run_ptxport({"plot7.las", "0"}, dir.path());
    EXPECT_EQ(r.status, 0);
    EXPECT_TRUE(std::regex_match(
        r.out, std::regex(std::regex_replace(banner(), std::regex(R"([*()])"),
                                             R"(\$&)") +
                          "Input LAS File:     plot7\\.las\n"
                          "Output ASCII File:  plot7\\.asc\n" +
                          elapsedPattern())))
        << r.out;
    EXPECT_EQ(read_text(dir / "plot7.asc"),
              referencePointFile(f.bytes(), 0, 8));
    const std::string hdr = read_text(dir / "plot7_hdr.asc");
    EXPECT_EQ(std::count(hdr.begin(), hdr.end(), '\n'), 34);
    EXPECT_NE(hdr.find("Number of Point Returns:           5\n"),
              std::string::npos);
    EXPECT_EQ(dir.entries(), (std::vector<std::string>{"plot7.asc", "plot7.las",
                                                       "plot7_hdr.asc"}));
}

TEST(Conversion, ListConvertsEveryFileInOrderWithCounters) {
    TempDir dir;
    fs::create_directory(dir / "sub.d");
    smallFile(6, 2).write(dir / "a.las");
    smallFile(6, 4).write(dir / "sub.d" / "b.las");
    writeText(dir / "flights.txt", "\r\n a.las\tsub.d/b.las\n\na.las ");
    const CommandResult r = run_ptxport({"flights.txt", "17"}, dir.path());
    EXPECT_EQ(r.status, 0);
    const std::string body =
        "Input LAS File:     a.las\nOutput ASCII File:  a.asc\n1 / 3\n\n"
        "Input LAS File:     sub.d/b.las\nOutput ASCII File:  sub.d/b.asc\n"
        "2 / 3\n\n"
        "Input LAS File:     a.las\nOutput ASCII File:  a.asc\n3 / 3\n\n";
    ASSERT_EQ(r.out.substr(0, banner().size() + body.size()), banner() + body);
    EXPECT_TRUE(std::regex_match(r.out.substr(banner().size() + body.size()),
                                 std::regex(elapsedPattern())));
    EXPECT_EQ(read_text(dir / "sub.d" / "b.asc"),
              referencePointFile(smallFile(6, 4).bytes(), 17, 6));
    EXPECT_TRUE(fs::exists(dir / "sub.d" / "b_hdr.asc"));
    EXPECT_EQ(read_text(dir / "a.asc"),
              referencePointFile(smallFile(6, 2).bytes(), 17, 6));
}

TEST(Conversion, NamesWithBlanksLongNamesAndExistingOutputs) {
    TempDir dir;
    const LasFixture f = smallFile(7);
    f.write(dir / "my plot.las");
    writeText(dir / "my plot.asc", "old contents that must go\n");
    CommandResult r = run_ptxport({"my plot.las", "19"}, dir.path());
    EXPECT_EQ(r.status, 0) << r.out;
    EXPECT_EQ(read_text(dir / "my plot.asc"),
              referencePointFile(f.bytes(), 19, 7));

    fs::path deep = dir.path();
    for (int i = 0; i < 3; ++i)
        deep /= std::string(100, static_cast<char>('a' + i));
    fs::create_directories(deep);
    f.write(deep / "tile.las");
    const std::string name = (deep / "tile.las").string();
    ASSERT_GT(name.size(), 300u);
    r = run_ptxport({name, "15"}, dir.path());
    EXPECT_EQ(r.status, 0) << r.out;
    EXPECT_NE(r.out.find("Output ASCII File:  " + (deep / "tile.asc").string()),
              std::string::npos);
    EXPECT_EQ(read_text(deep / "tile.asc"),
              referencePointFile(f.bytes(), 15, 7));
}

TEST(Conversion, FullDiskIsAFailureNotASuccess) {
    for (const char *target : {"a_hdr.asc", "a.asc"}) {
        TempDir dir;
        smallFile(6, 20000).write(dir / "a.las");
        fs::create_symlink("/dev/full", dir / target);
        const CommandResult r = run_ptxport({"a.las", "0"}, dir.path());
        EXPECT_EQ(r.status, kFailureStatus) << target;
        const std::string tail =
            std::string("\nFailed to write file ") + target + "\n";
        ASSERT_GE(r.out.size(), tail.size());
        EXPECT_EQ(r.out.substr(r.out.size() - tail.size()), tail) << target;
        EXPECT_EQ(r.err, std::string("ptxport: ") + target +
                             ": No space left on device\n");
    }
}

// An output name taken by a folder cannot be created, whoever runs the test.
TEST(Conversion, OutputThatCannotBeCreated) {
    struct Case {
        const char *blocked;
        const char *message;
        std::vector<std::string> left; // what the folder holds afterwards
    };
    const Case cases[] = {
        {"a_hdr.asc",
         "\nFailed to open file a_hdr.asc for writing\n",
         {"a.las", "a_hdr.asc"}},
        {"a.asc",
         "\nFailed to open file a.asc for writing\n",
         {"a.asc", "a.las", "a_hdr.asc"}},
    };
    for (const Case &c : cases) {
        TempDir dir;
        smallFile(6).write(dir / "a.las");
        fs::create_directory(dir / c.blocked);
        const CommandResult r = run_ptxport({"a.las", "0"}, dir.path());
        EXPECT_EQ(r.status, kFailureStatus) << c.blocked;
        ASSERT_GE(r.out.size(), std::strlen(c.message));
        EXPECT_EQ(r.out.substr(r.out.size() - std::strlen(c.message)),
                  c.message);
        EXPECT_EQ(dir.entries(), c.left) << c.blocked;
        EXPECT_TRUE(fs::is_directory(dir / c.blocked));
        EXPECT_EQ(r.err,
                  std::string("ptxport: ") + c.blocked + ": Is a directory\n");
    }
}
