// SPDX-License-Identifier: MIT
// Fault tests, end to end: files that vanish or change between validation
// and conversion, folders that cannot be written, files beyond 4 GiB, long
// and odd names.  Every run ends with the right message and status, and the
// outputs of the files converted before a failure stay intact.
#include "build_info.h"
#include "las_fixture.h"
#include "reference_writer.h"
#include "run_command.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <unistd.h>

using namespace fixture;
namespace fs = std::filesystem;

TEST(ChangesAfterValidation, SecondFileOfAList) {
    struct Case {
        const char *what;
        std::string action;
        int status;
        std::string tail;   // the end of standard output
        bool b_outputs;     // whether b's two files exist afterwards
        std::size_t b_rows; // rows in b.asc if it exists
    };
    TempDir other;
    tile(8, 2).write(other / "other.las");
    const Case cases[] = {
        {"vanishes", "unlink", kFailureStatus,
         "\nCannot open binary file b.las for reading\n\n", false, 0},
        {"cut inside the header", "truncate:100", kFailureStatus,
         "\nError reading binary file b.las\n", false, 0},
        {"cut inside the points",
         setting("truncate", std::to_string(227 + 28 * 2 + 5), ':'), 0,
         "seconds\n\n", true, 2},
        {"replaced by another type",
         setting("copy", (other / "other.las").string(), ':'), kFailureStatus,
         "\nFile b.las has changed since it was validated\n", false, 0},
    };
    for (const Case &c : cases) {
        TempDir dir;
        const LasFixture a = tile(6, 7);
        a.write(dir / "a.las");
        tile(6, 9).write(dir / "b.las");
        write_bytes(dir / "list.txt",
                    {'a', '.', 'l', 'a', 's', ' ', 'b', '.', 'l', 'a', 's'});
        const CommandResult r =
            run_ptxport({"list.txt", "0"}, dir.path(),
                        fault_env("b.las", kConversionOpen, c.action));
        EXPECT_EQ(r.status, c.status) << c.what;
        EXPECT_TRUE(r.out.ends_with(c.tail)) << c.what << ": " << r.out;
        EXPECT_EQ(read_text(dir / "a.asc"), referencePointFile(a.bytes(), 0, 6))
            << c.what;
        EXPECT_TRUE(fs::exists(dir / "a_hdr.asc")) << c.what;
        EXPECT_EQ(fs::exists(dir / "b.asc"), c.b_outputs) << c.what;
        if (c.b_outputs) {
            const std::string b = read_text(dir / "b.asc");
            EXPECT_EQ(std::count(b.begin(), b.end(), '\n'),
                      static_cast<long>(1 + c.b_rows))
                << c.what;
        }
    }
}

// The names of a list are read once, during validation: a list rewritten
// while the run goes on changes nothing, and what was validated is what is
// converted.
TEST(ChangesAfterValidation, ListRewrittenDuringTheRun) {
    TempDir dir;
    tile(6, 3).write(dir / "a.las");
    tile(6, 4).write(dir / "b.las");
    write_bytes(dir / "list.txt",
                {'a', '.', 'l', 'a', 's', '\n', 'b', '.', 'l', 'a', 's', '\n'});
    const CommandResult r = run_ptxport(
        {"list.txt", "15"}, dir.path(),
        fault_env("a.las", kConversionOpen, "write:zz.las", "list.txt"));
    EXPECT_EQ(r.status, 0) << r.out;
    EXPECT_NE(r.out.find("Input LAS File:     b.las\n"), std::string::npos);
    EXPECT_EQ(read_text(dir / "b.asc"),
              referencePointFile(tile(6, 4).bytes(), 15, 6));
    EXPECT_EQ(read_text(dir / "list.txt"), "zz.las");
}

TEST(Permissions, FolderWithoutWritePermission) {
    TempDir dir;
    fs::permissions(dir.path(), fs::perms::all);
    fs::create_directory(dir / "ro");
    tile(6, 3).write(dir / "ro" / "a.las");
    fs::permissions(dir / "ro" / "a.las", fs::perms::all);
    // Nobody may write there, the owner included, who runs the command
    // when the tests do not run as root.
    fs::permissions(dir / "ro",
                    fs::perms::owner_read | fs::perms::owner_exec |
                        fs::perms::group_read | fs::perms::group_exec |
                        fs::perms::others_read | fs::perms::others_exec);
    std::string why_not;
    const std::optional<CommandResult> r = run_unprivileged(
        {build_info::ptxport, "ro/a.las", "0"}, dir.path(), why_not);
    fs::permissions(dir / "ro", fs::perms::owner_write, fs::perm_options::add);
    if (!r)
        GTEST_SKIP() << why_not;
    EXPECT_EQ(r->status, kFailureStatus) << r->out << r->err;
    EXPECT_TRUE(r->out.ends_with("\nFailed to open file ro/a_hdr.asc for "
                                 "writing\n"))
        << r->out;
    EXPECT_EQ(fs::directory_iterator(dir / "ro")->path().filename(), "a.las");
    EXPECT_EQ(r->err, "ptxport: ro/a_hdr.asc: Permission denied\n");
}

// OffsetToData just below 4 GiB: the points lie beyond 4 GiB in a sparse
// file, and the header description shows the offset as a negative number.
TEST(LargeFiles, OffsetAbove3GiBInAFileBeyond4GiB) {
    TempDir dir;
    LasFixture f = tile(6, 20);
    f.auto_offset = false;
    const uint32_t offset = 0xFFFFFF00u;
    f.header.OffsetToData = offset;
    const Bytes image = f.bytes();
    {
        std::FILE *out = std::fopen((dir / "big.las").c_str(), "wb");
        ASSERT_NE(out, nullptr);
        ASSERT_EQ(std::fwrite(image.data(), 1, 227, out), 227u);
        ASSERT_EQ(fseeko(out, offset, SEEK_SET), 0);
        const std::size_t points = image.size() - 227;
        ASSERT_EQ(std::fwrite(image.data() + 227, 1, points, out), points);
        if (std::fclose(out) != 0)
            GTEST_SKIP() << "no room for a sparse file beyond 4 GiB here";
    }
    ASSERT_GT(fs::file_size(dir / "big.las"), 0x100000000ull);
    const CommandResult r = run_ptxport({"big.las", "0"}, dir.path());
    ASSERT_EQ(r.status, 0) << r.out;
    LasFixture compact = tile(6, 20);
    EXPECT_EQ(read_text(dir / "big.asc"),
              referencePointFile(compact.bytes(), 0, 6));
    EXPECT_NE(read_text(dir / "big_hdr.asc")
                  .find("Offset to Data:                    -256\n"),
              std::string::npos);
}

TEST(Names, LongNamesInAListAndRawBytesInTextFields) {
    TempDir dir;
    fs::path deep = dir.path();
    for (char c : {'p', 'q', 'r'})
        deep /= std::string(100, c);
    fs::create_directories(deep);
    LasFixture f = tile(6, 2);
    std::memset(f.header.SystemIdentifier, 0xE9, 32);
    std::memcpy(f.header.GeneratingSoftware, "0123456789abcdef0123456789ABCDEF",
                32);
    f.write(deep / "t.las");
    const std::string name = (deep / "t.las").string();
    write_bytes(dir / "list.txt", Bytes(name.begin(), name.end()));
    const CommandResult r = run_ptxport({"list.txt", "0"}, dir.path());
    ASSERT_EQ(r.status, 0) << r.out;
    EXPECT_NE(r.out.find("Input LAS File:     " + name + "\n"),
              std::string::npos);
    const std::string hdr = read_text(deep / "t_hdr.asc");
    EXPECT_NE(hdr.find("System Identifier :                " +
                       std::string(32, '\xE9') +
                       "\nGenerating Software :    "
                       "          0123456789abcdef0123456789ABCDEF\n"),
              std::string::npos);
}

// The same faults in a file of many blocks, spread over three threads
// whatever the machine has: the run ends as with one thread, no row of a
// record after the failed read is written, and the reason of a read error
// is the one the reading thread met, most often a worker.
TEST(FaultsWithWorkers, ReadErrorAndFileCutInsideARecord) {
    constexpr int kPoints = 150000; // 12345 * i stays an int32_t
    constexpr std::size_t kRecord = 28, kHeader = 227;
    const LasFixture f = tile(6, kPoints);
    const Bytes las = f.bytes();
    const std::string all = referencePointFile(las, 15, 6);
    struct Case {
        const char *what;
        std::string action;
        std::size_t bytes_left; // of the file, as the conversion sees it
        int status;
        std::string tail;
        std::string err;
    };
    const std::size_t middle = kHeader + kPoints / 2 * kRecord + 11;
    const Case cases[] = {
        {"read error", "readerror:" + std::to_string(middle), middle,
         kFailureStatus, "\nError reading binary file a.las\n",
         "ptxport: a.las: Input/output error\n"},
        {"cut inside a record", "truncate:" + std::to_string(middle), middle, 0,
         "seconds\n\n",
         "ptxport: warning: a.las holds 75000 whole point records; its "
         "header declares 150000\n"},
    };
    for (const Case &c : cases) {
        TempDir dir;
        write_bytes(dir / "a.las", las);
        write_bytes(dir / "list.txt", {'a', '.', 'l', 'a', 's'});
        const CommandResult r = run_command(
            {build_info::ptxport_with_workers, "3", "list.txt", "15"},
            dir.path(), fault_env("a.las", kConversionOpen, c.action));
        EXPECT_EQ(r.status, c.status) << c.what;
        EXPECT_TRUE(r.out.ends_with(c.tail)) << c.what << ": " << r.out;
        EXPECT_EQ(r.err, c.err) << c.what;
        const std::string text = read_text(dir / "a.asc");
        const auto rows = std::count(text.begin(), text.end(), '\n') - 1;
        const long whole = static_cast<long>((middle - kHeader) / kRecord);
        EXPECT_TRUE(all.compare(0, text.size(), text) == 0) << c.what;
        if (c.status == 0)
            EXPECT_EQ(rows, whole) << c.what;
        else
            EXPECT_LE(rows, whole) << c.what;
    }
}
