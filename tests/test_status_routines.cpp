// SPDX-License-Identifier: MIT
// The routines that report instead of printing, called from a C program:
// the status, the LAS type and the system's error number come back, and
// nothing is printed or ended.
#include "build_info.h"
#include "header_bytes.h"
#include "las_fixture.h"
#include "run_command.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>

using namespace fixture;
namespace fs = std::filesystem;

namespace {

std::string expected(const std::string &first_line, const std::string &text) {
    return first_line + "\n" + text + "\n";
}

TEST(StatusRoutines, StatusTypeAndErrorNumber) {
    TempDir dir;
    LasFixture good = fixture_for_type(6);
    good.points.resize(7);
    good.auto_count = false; // the header says 0; the update makes it 7
    good.write(dir / "good.las");
    LasFixture newer = fixture_for_type(6);
    newer.header.VersionMinor = 4;
    newer.write(dir / "newer.las");
    fixture_for_type(6).write(dir / "good.LAS");

    struct Case {
        const char *routine, *file, *out;
    };
    const std::string enoent = std::to_string(ENOENT);
    const Case cases[] = {
        {"check", "good.las", "status 0 type 6 errno 0\ndone\n"},
        {"check", "newer.las",
         "status 5 type 0 errno 0\na LAS version other than 1.0, 1.1 or "
         "1.2\n"},
        {"check", "good.LAS",
         "status 2 type 0 errno 0\nthe file name does not end in .las\n"},
        {"update", "newer.las",
         "status 5 errno 0\na LAS version other than 1.0, 1.1 or 1.2\n"},
        {"update", "good.las", "status 0 errno 0\ndone\n"},
    };
    for (const Case &c : cases) {
        const CommandResult r = run_command(
            {build_info::status_routines, c.routine, (dir / c.file).string()});
        EXPECT_EQ(r.status, 0);
        EXPECT_EQ(r.out, c.out) << c.routine << " " << c.file;
    }
    const LAS12Header h =
        tamarak::decode_header(read_bytes(dir / "good.las").data());
    const uint32_t count = h.NumberOfPointReturns; // a packed field
    EXPECT_EQ(count, 7u);

    for (const char *routine : {"check", "update"}) {
        const CommandResult r =
            run_command({build_info::status_routines, routine,
                         (dir / "none.las").string()});
        EXPECT_EQ(r.out, expected(std::string("status 1") +
                                      (routine[0] == 'c' ? " type 0" : "") +
                                      " errno " + enoent,
                                  "the file cannot be opened for reading"));
    }
}

TEST(StatusRoutines, ReadOnlyFileGivesTheSystemReason) {
    TempDir dir;
    fs::permissions(dir.path(), fs::perms::all);
    fixture_for_type(6).write(dir / "locked.las");
    fs::permissions(dir / "locked.las", fs::perms::owner_read |
                                            fs::perms::group_read |
                                            fs::perms::others_read);
    std::string why_not;
    const std::optional<CommandResult> r = run_unprivileged(
        {build_info::status_routines, "update", (dir / "locked.las").string()},
        {}, why_not);
    if (!r)
        GTEST_SKIP() << why_not;
    EXPECT_EQ(r->status, 0) << r->err;
    EXPECT_EQ(r->out, expected("status 3 errno " + std::to_string(EACCES),
                               "the file cannot be opened as needed"));
}

} // namespace
