// SPDX-License-Identifier: MIT
// Whole runs of the driver with one to many worker threads: the same point
// files for every worker count and record type, on generated and on real
// files, and a full disk told with its reason.
#include "build_info.h"
#include "las_fixture.h"
#include "reference_writer.h"
#include "run_command.h"
#include "run_driver.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <filesystem>

using namespace ptx;

using namespace fixture;
namespace fs = std::filesystem;

namespace {

// Runs the command in a child process with the given options, in `dir`.
CommandResult runWith(const fs::path &dir, std::vector<std::string> args,
                      const RunOptions &options) {
    return run_in_child([&] {
        if (chdir(dir.c_str()) != 0)
            std::exit(127);
        std::vector<char *> argv{const_cast<char *>("ptxport")};
        for (std::string &a : args)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        std::exit(runPtxport(static_cast<int>(argv.size() - 1), argv.data(),
                             options));
    });
}

// The last format with the most values for a record type.
int richestFormat(int type) {
    return type >= 7 ? 19 : (type % 2 == 0 ? 18 : 16);
}

} // namespace

// Every record type through the driver, in a list of two files of
// different sizes, with blocks small enough for many blocks per file.
TEST(WorkerRuns, SamePointFilesForEveryWorkerCount) {
    for (int type = 1; type <= 8; ++type) {
        TempDir dir;
        const Bytes a = survey(type, 517, 3, 0).bytes();
        const Bytes b = survey(type, 64, 0, 5).bytes();
        write_bytes(dir / "a.las", a);
        write_bytes(dir / "b.las", b);
        const std::string list = "a.las\nb.las\n";
        write_bytes(dir / "list.txt", Bytes(list.begin(), list.end()));
        for (int format : {0, 15, richestFormat(type)}) {
            for (unsigned workers : {1u, 2u, 3u, 7u}) {
                const CommandResult r =
                    runWith(dir.path(), {"list.txt", std::to_string(format)},
                            {workers, 8, {}});
                ASSERT_EQ(r.status, 0) << r.out;
                EXPECT_EQ(read_text(dir / "a.asc"),
                          referencePointFile(a, format, type))
                    << "type " << type << " format " << format << " workers "
                    << workers;
                EXPECT_EQ(read_text(dir / "b.asc"),
                          referencePointFile(b, format, type));
            }
        }
    }
}

TEST(WorkerRuns, RealFilesWhereTheyAre) {
    const fs::path data = build_info::lasdata;
    if (!fs::is_directory(data))
        GTEST_SKIP() << "no folder " << data.string()
                     << " (files written by other software; `make test "
                        "LASDATA=FOLDER` reads another): runs on such files "
                        "skipped";
    int compared = 0;
    for (const auto &e : fs::directory_iterator(data)) {
        if (e.path().extension() != ".las" || e.file_size() < 100000)
            continue;
        TempDir dir;
        fs::copy_file(e.path(), dir / "in.las");
        const Bytes las = read_bytes(dir / "in.las");
        const CommandResult one = runWith(dir.path(), {"in.las", "0"}, {1});
        if (one.status != 0)
            continue; // refused by validation: RealFiles covers it
        const std::string want = read_text(dir / "in.asc");
        for (unsigned workers : {2u, 3u, 7u}) {
            const CommandResult r =
                runWith(dir.path(), {"in.las", "0"}, {workers, 100, {}});
            EXPECT_EQ(r.status, 0) << e.path();
            EXPECT_TRUE(read_text(dir / "in.asc") == want)
                << e.path() << " workers " << workers;
        }
        ++compared;
    }
    EXPECT_GE(compared, 3);
}

// A point file that is /dev/full: the write fails while the workers format
// the next blocks, and the run ends with the write message and the reason
// met by the thread that wrote.
TEST(WorkerRuns, FullDisk) {
    TempDir dir;
    survey(6, 3000, 0, 0).write(dir / "a.las");
    fs::create_symlink("/dev/full", dir / "a.asc");
    for (unsigned workers : {1u, 2u, 3u, 7u}) {
        const CommandResult r =
            runWith(dir.path(), {"a.las", "0"}, {workers, 16, {}});
        EXPECT_EQ(r.status, kFailureStatus) << workers;
        EXPECT_TRUE(r.out.ends_with("\nFailed to write file a.asc\n")) << r.out;
        EXPECT_EQ(r.err, "ptxport: a.asc: No space left on device\n")
            << workers;
        const std::string hdr = read_text(dir / "a_hdr.asc");
        EXPECT_EQ(std::count(hdr.begin(), hdr.end(), '\n'), 34);
    }
}
