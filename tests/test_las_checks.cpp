// SPDX-License-Identifier: MIT
// Tests of the library's input checks and banner: file_access,
// check_file_extension, error_msg, check_las, check_numeric_argument and
// credits, with the exact messages they print.
#include "TAMARAK_LiDAR.h"
#include "las_fixture.h"
#include "run_command.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

using namespace fixture;

namespace {

// Result and output of a check that returns.
struct Checked {
    int result;
    std::string out;
};

template <typename F> Checked capture(F call) {
    const CallResult r = call_in_child([&] { return int{call()}; });
    EXPECT_TRUE(r.result.has_value()) << "the check ended the process";
    return {r.result.value_or(0), r.out};
}

} // namespace

TEST(CheckFileExtension, Table) {
    struct Case {
        const char *name, *ext;
        int result;
        const char *out;
    };
    const Case cases[] = {
        {"a.las", "las", 0, ""},
        {"dir.x/b.las", "las", 0, ""},
        {".las", "las", -1, "\nFile name (.las) is too short\n"},
        {"abcd", "las", -1, "\nFile name (abcd) is too short\n"},
        {"a.la", "las", -1, "\nFile name (a.la) is too short\n"},
        {"ab.la", "las", -1,
         "\nExtension of file ab.la should be preceeded by a dot (.)\n"},
        {"a.lasx", "las", -1,
         "\nExtension of file a.lasx should be preceeded by a dot (.)\n"},
        {"points.LAS", "las", -1,
         "\nFile extension of points.LAS is not .las\n"},
        {"dem.asc", "flt", -1, "\nFile extension of dem.asc is not .flt\n"},
    };
    for (const Case &c : cases) {
        const Checked r =
            capture([&] { return check_file_extension(c.name, c.ext); });
        EXPECT_EQ(r.result, c.result) << c.name;
        EXPECT_EQ(r.out, c.out) << c.name;
    }
}

TEST(FileAccess, ReportsWhatCannotBeOpened) {
    TempDir dir;
    write_bytes(dir / "here.txt", {1});
    const std::string here = (dir / "here.txt").string();
    const std::string gone = (dir / "gone.txt").string();
    EXPECT_EQ(capture([&] { return file_access(here.c_str()); }).result, 0);
    const Checked r = capture([&] { return file_access(gone.c_str()); });
    EXPECT_EQ(r.result, -1);
    EXPECT_EQ(r.out, "Unable to open file " + gone + " in file_access()\n");
}

TEST(ErrorMsg, ThreeMessagesAndSilence) {
    struct Case {
        int code;
        const char *out;
    };
    const Case cases[] = {
        {0, ""},
        {1, "\nFile x.las does NOT exist\n"},
        {2, "\nFile x.las already exists\n"},
        {3, "\nSame file name (x.las) has been specified twice\n"},
        {4, ""},
    };
    for (const Case &c : cases) {
        const CommandResult r =
            run_in_child([&] { error_msg(c.code, "x.las"); });
        EXPECT_EQ(r.out, c.out) << c.code;
    }
}

struct LasCase {
    const char *what;
    std::function<Bytes()> make;
    int result;
    const char *out; // %s is the file name
};

Bytes header12(uint8_t minor, uint8_t format, uint16_t length) {
    LasFixture f(minor, format);
    f.auto_length = false;
    f.header.PointDataRecordLength = length;
    return f.bytes();
}

Bytes patched(Bytes b, std::size_t at, uint8_t v) {
    b[at] = v;
    return b;
}

Bytes truncated(Bytes b, std::size_t n) {
    b.resize(n);
    return b;
}

std::string expand(const char *text, const std::string &name) {
    std::string s = text;
    for (std::size_t at; (at = s.find("%s")) != std::string::npos;)
        s.replace(at, 2, name);
    return s;
}

TEST(CheckLas, ResultsAndMessages) {
    const char *invalid = "\n%s is not a valid .las file\n\n";
    const LasCase cases[] = {
        {"1.0 format 0", [] { return header12(0, 0, 20); }, 1, ""},
        {"1.0 format 1", [] { return header12(0, 1, 28); }, 2, ""},
        {"1.1 format 0", [] { return header12(1, 0, 20); }, 3, ""},
        {"1.1 format 1", [] { return header12(1, 1, 28); }, 4, ""},
        {"1.2 format 0", [] { return header12(2, 0, 20); }, 5, ""},
        {"1.2 format 1", [] { return header12(2, 1, 28); }, 6, ""},
        {"1.2 format 2", [] { return header12(2, 2, 26); }, 7, ""},
        {"1.2 format 3", [] { return header12(2, 3, 34); }, 8, ""},
        {"1.0 format 2", [] { return header12(0, 2, 99); }, 0, ""},
        {"1.1 format 3", [] { return header12(1, 3, 0); }, 0, ""},
        {"signature LASf", [] { return patched(header12(2, 1, 28), 3, 'f'); },
         -1, invalid},
        {"empty file", [] { return Bytes{}; }, -1, invalid},
        {"three bytes",
         [] {
             return Bytes{'L', 'A', 'S'};
         },
         -1, invalid},
        {"ends before major", [] { return truncated(header12(2, 1, 28), 24); },
         -1, invalid},
        {"ends before format",
         [] { return truncated(header12(2, 1, 28), 104); }, -1, invalid},
        {"ends inside length",
         [] { return truncated(header12(2, 1, 28), 106); }, -1, invalid},
        {"ends inside header",
         [] { return truncated(header12(2, 1, 28), 226); }, -1, invalid},
        {"short 1.0 format 2",
         [] { return truncated(header12(0, 2, 28), 200); }, -1, invalid},
        {"major 2", [] { return patched(header12(2, 1, 28), 24, 2); }, -1,
         "\nCannot handle las files of version 2.x\n"},
        {"major 10", [] { return patched(header12(2, 1, 28), 24, 10); }, -1,
         "\nCannot handle las files of version :.x\n"},
        {"major 126", [] { return patched(header12(2, 1, 28), 24, 126); }, -1,
         "\nCannot handle las files of version \xAE.x\n"},
        {"version 1.3", [] { return header12(3, 1, 28); }, -1,
         "\nCannot handle las files of version 1.3\n"},
        {"format 4", [] { return header12(2, 4, 28); }, -1,
         "\nPointDataFormatID in %s is 4. Only 0, 1, 2, or 3 is accepted\n"},
        {"format 128", [] { return header12(2, 128, 20); }, -1,
         "\nPointDataFormatID in %s is \xB0. Only 0, 1, 2, or 3 is accepted\n"},
        {"format 1 length 30", [] { return header12(2, 1, 30); }, -1,
         "\nData format of %s (1) is incompatible with Length of Data Record "
         "(30)\n"},
        {"format 0 length 28", [] { return header12(2, 0, 28); }, -1,
         "\nData format of %s (0) is incompatible with Length of Data Record "
         "(28)\n"},
        {"length 65535", [] { return header12(2, 3, 65535); }, -1,
         "\nData format of %s (3) is incompatible with Length of Data Record "
         "(65535)\n"},
        {"mismatch wins over short header",
         [] { return truncated(header12(2, 1, 30), 150); }, -1,
         "\nData format of %s (1) is incompatible with Length of Data Record "
         "(30)\n"},
    };
    TempDir dir;
    for (const LasCase &c : cases) {
        const std::string name = (dir / "f.las").string();
        write_bytes(name, c.make());
        const Checked r = capture([&] { return check_las(name.c_str()); });
        EXPECT_EQ(r.result, c.result) << c.what;
        EXPECT_EQ(r.out, expand(c.out, name)) << c.what;
    }
}

TEST(CheckLas, NamesAndFolders) {
    TempDir dir;
    const std::string missing = (dir / "missing.las").string();
    Checked r = capture([&] { return check_las(missing.c_str()); });
    EXPECT_EQ(r.result, -1);
    EXPECT_EQ(r.out, "Unable to open file " + missing +
                         " in file_access()\n\nFile " + missing +
                         " does NOT exist\n");

    const std::string upper = (dir / "points.LAS").string();
    write_bytes(upper, header12(2, 1, 28));
    r = capture([&] { return check_las(upper.c_str()); });
    EXPECT_EQ(r.result, -1);
    EXPECT_EQ(r.out, "\nFile extension of " + upper + " is not .las\n");

    const std::string folder = (dir / "d.las").string();
    std::filesystem::create_directory(folder);
    r = capture([&] { return check_las(folder.c_str()); });
    EXPECT_EQ(r.result, -1);
    EXPECT_EQ(r.out, "\n" + folder + " is not a valid .las file\n\n");
}

TEST(CheckNumericArgument, AcceptsAndRejects) {
    for (const char *ok :
         {"19", "-3", "0.5", ".5", "5.", "5-", "3-4", "-.", ""}) {
        const CommandResult r = run_in_child([&] {
            check_numeric_argument(ok);
            std::printf("returned");
        });
        EXPECT_EQ(r.status, 0) << ok;
        EXPECT_EQ(r.out, "returned") << ok;
    }
    for (const char *bad :
         {"1.2.3", "--5", ".", "-", "+5", "1e3", "1 2", "x", "7 "}) {
        const CommandResult r = run_in_child([&] {
            check_numeric_argument(bad);
            std::printf("returned");
        });
        EXPECT_EQ(r.status, kFailureStatus) << bad;
        EXPECT_EQ(r.out,
                  std::string("\nInvalid argument value (") + bad + ")\n")
            << bad;
    }
}

TEST(Credits, BannerPieces) {
    const CommandResult r = run_in_child([] { credits(); });
    const std::string &b = r.out;
    ASSERT_EQ(
        b.rfind("\nTAMARAK LiDAR Utilities\n\nDeveloped and maintained by", 0),
        0u);
    const std::string tail =
        "\n\n** No warranty regarding script behavior is given or implied **"
        "\n** Acknowledging the author's efforts ensures script updates and "
        "availability **\n";
    ASSERT_GE(b.size(), tail.size());
    EXPECT_EQ(b.substr(b.size() - tail.size()), tail);
    // Developer, organisation and address: three lines, each opened by its
    // own line end, between the blank line and the warranty notice.
    const std::size_t from = std::string("\nTAMARAK LiDAR Utilities\n").size();
    const std::string middle = b.substr(from, b.size() - tail.size() - from);
    EXPECT_EQ(std::count(middle.begin(), middle.end(), '\n'), 3) << middle;
}
