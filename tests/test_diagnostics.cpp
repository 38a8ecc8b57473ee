// SPDX-License-Identifier: MIT
// The lines ptxport adds on standard error: a truncated file, a compressed
// file, an unreadable file, a LAS file read as a list.  Standard output and
// the exit status stay what they are without them.
#include "build_info.h"
#include "las_fixture.h"
#include "run_command.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace fixture;
namespace fs = std::filesystem;

namespace {

TEST(Diagnostics, PointCountAgainstTheHeader) {
    struct Case {
        const char *what;
        int points;
        int declared; // -1: the true count
        int cut;      // bytes cut off the end
        std::string err;
    };
    const Case cases[] = {
        {"whole file", 106, -1, 0, ""},
        {"header declares 0", 10, 0, 0, ""},
        {"more records than declared", 10, 4, 0, ""},
        {"cut inside a record", 106, -1, 30,
         "ptxport: warning: a.las holds 104 whole point records; its header "
         "declares 106\n"},
    };
    for (const Case &c : cases) {
        TempDir dir;
        LasFixture f = tile(6, c.points);
        if (c.declared >= 0) {
            f.auto_count = false;
            f.header.NumberOfPointReturns = static_cast<uint32_t>(c.declared);
        }
        Bytes b = f.bytes();
        b.resize(b.size() - static_cast<std::size_t>(c.cut));
        write_bytes(dir / "a.las", b);
        const CommandResult r = run_ptxport({"a.las", "0"}, dir.path());
        EXPECT_EQ(r.status, 0) << c.what;
        EXPECT_EQ(r.err, c.err) << c.what;
    }
}

TEST(Diagnostics, WhyAFileIsRefused) {
    TempDir dir;
    Bytes laz = tile(6, 3).bytes();
    laz[104] = 0x83; // LAZ sets the top bit of the point data format
    write_bytes(dir / "z.las", laz);
    tile(6, 3).write(dir / "UP.LAS");
    const CommandResult compressed = run_ptxport({"z.las", "0"}, dir.path());
    EXPECT_EQ(compressed.status, kFailureStatus);
    EXPECT_EQ(compressed.err, "ptxport: note: z.las looks compressed (LAZ); "
                              "decompress it to LAS first\n");
    const CommandResult capitals = run_ptxport({"UP.LAS", "0"}, dir.path());
    EXPECT_EQ(capitals.status, kFailureStatus);
    EXPECT_EQ(capitals.err.rfind("ptxport: note: UP.LAS is a LAS file", 0), 0u)
        << capitals.err;
    write_bytes(dir / "tile.laz", laz);
    const CommandResult laz_list = run_ptxport({"tile.laz", "0"}, dir.path());
    EXPECT_EQ(laz_list.err.rfind("ptxport: note: tile.laz looks compressed "
                                 "(LAZ); decompress it to LAS first\n",
                                 0),
              0u)
        << laz_list.err;
    const CommandResult missing = run_ptxport({"none.las", "0"}, dir.path());
    EXPECT_EQ(missing.err, "ptxport: none.las: No such file or directory\n");
}

TEST(Diagnostics, ScaleFinerThanTheDecimalsWritten) {
    struct Case {
        double x_scale, y_scale;
        std::string err;
    };
    const std::string warning = "ptxport: warning: a.las: X/Y scale ";
    const std::string rest = " is finer than the two decimals written; "
                             "coordinates are rounded to 0.01\n";
    const Case cases[] = {
        {0.01, 0.01, ""},
        {0.001, 0.0001, ""},
        {0.0, 0.0, ""},
        {1e-5, 1e-5, warning + "1e-05" + rest},
        {0.01, 1e-7, warning + "1e-07" + rest},
        {-1e-7, 0.001, warning + "1e-07" + rest},
    };
    for (const Case &c : cases) {
        TempDir dir;
        LasFixture f = tile(6, 2);
        f.header.XScaleFactor = c.x_scale;
        f.header.YScaleFactor = c.y_scale;
        f.write(dir / "a.las");
        const CommandResult r = run_ptxport({"a.las", "15"}, dir.path());
        EXPECT_EQ(r.status, 0);
        EXPECT_EQ(r.err, c.err) << c.x_scale << " " << c.y_scale;
    }
}

TEST(Diagnostics, UnreadableFileGetsTheSystemReason) {
    TempDir dir;
    fs::permissions(dir.path(), fs::perms::all);
    tile(6, 3).write(dir / "secret.las");
    fs::permissions(dir / "secret.las", fs::perms::owner_write);
    std::string why_not;
    const std::optional<CommandResult> r = run_unprivileged(
        {build_info::ptxport, "secret.las", "0"}, dir.path(), why_not);
    if (!r)
        GTEST_SKIP() << why_not;
    EXPECT_EQ(r->status, kFailureStatus);
    EXPECT_EQ(r->out, "Unable to open file secret.las in file_access()\n\n"
                      "File secret.las does NOT exist\n");
    EXPECT_EQ(r->err, "ptxport: secret.las: Permission denied\n");
}

} // namespace
