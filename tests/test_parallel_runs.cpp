// Whole runs with worker threads: the same point files whatever the number
// of workers, failures that end the run with their message while the
// workers are busy, and the progress line on a terminal.
#include "las_fixture.h"
#include "reference_writer.h"
#include "run_command.h"
#include "run_driver.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <pty.h>
#include <regex>
#include <sys/wait.h>
#include <unistd.h>

using namespace fixture;
namespace fs = std::filesystem;

namespace {

LasFixture tile(int type, int points, std::size_t between = 0,
                std::size_t after = 0) {
    LasFixture f = fixture_for_type(type);
    for (int i = 0; i < points; ++i) {
        Point p;
        p.x = 4567 * i - 1000000;
        p.y = 9000000 - 13 * i;
        p.z = 100 + i % 997;
        p.intensity = static_cast<uint16_t>(i * 31);
        p.bitfield = static_cast<uint8_t>(i * 7);
        p.classification = static_cast<uint8_t>(i % 13);
        p.scan_angle = static_cast<uint8_t>(i * 3);
        p.point_source_id = static_cast<uint16_t>(i / 100);
        p.gps_time = 4.1e8 + i * 1.25e-5;
        p.green = static_cast<uint16_t>(i * 17);
        f.points.push_back(p);
    }
    f.between.assign(between, 0x11);
    f.after.assign(after, 0x22);
    return f;
}

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

bool endsWith(const std::string &s, const std::string &tail) {
    return s.size() >= tail.size() &&
           s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

} // namespace

// Every record type through the driver, in a list of two files of
// different sizes, with blocks small enough for many blocks per file.
TEST(WorkerRuns, SamePointFilesForEveryWorkerCount) {
    for (int type = 1; type <= 8; ++type) {
        TempDir dir;
        const Bytes a = tile(type, 517, 3, 0).bytes();
        const Bytes b = tile(type, 64, 0, 5).bytes();
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
    const fs::path data = LASDATA_DIR;
    if (!fs::is_directory(data))
        GTEST_SKIP() << "no LAS files at " << data
                     << ": runs on files of other software skipped";
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
// the next blocks, and the run ends with the write message.
TEST(WorkerRuns, FullDisk) {
    TempDir dir;
    tile(6, 3000).write(dir / "a.las");
    fs::create_symlink("/dev/full", dir / "a.asc");
    for (unsigned workers : {1u, 2u, 3u, 7u}) {
        const CommandResult r =
            runWith(dir.path(), {"a.las", "0"}, {workers, 16, {}});
        EXPECT_EQ(r.status, kFailureStatus) << workers;
        EXPECT_TRUE(endsWith(r.out, "\nFailed to write file a.asc\n")) << r.out;
        const std::string hdr = read_text(dir / "a_hdr.asc");
        EXPECT_EQ(std::count(hdr.begin(), hdr.end(), '\n'), 34);
    }
}

namespace {

struct TerminalRun {
    int status = -1;
    std::string out;      // standard output, a pipe
    std::string terminal; // standard error, a pseudo-terminal
};

std::string drain(int fd) {
    std::string text;
    char buf[65536];
    for (ssize_t n; (n = read(fd, buf, sizeof buf)) > 0;)
        text.append(buf, static_cast<std::size_t>(n));
    return text;
}

// Runs the command in a child whose standard error is a pseudo-terminal.
// The outputs are small enough for the pipe and the terminal's buffer.
TerminalRun runOnTerminal(const fs::path &dir, const RunOptions &options) {
    TerminalRun r;
    int master = -1, slave = -1, out[2];
    if (openpty(&master, &slave, nullptr, nullptr, nullptr) != 0 ||
        pipe(out) != 0)
        return r;
    std::fflush(nullptr);
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(out[1], 1);
        dup2(slave, 2);
        if (chdir(dir.c_str()) != 0)
            _exit(127);
        char *argv[] = {const_cast<char *>("ptxport"),
                        const_cast<char *>("big.las"), const_cast<char *>("15"),
                        nullptr};
        std::exit(runPtxport(3, argv, options));
    }
    close(out[1]);
    close(slave);
    r.out = drain(out[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    r.terminal = drain(master);
    close(out[0]);
    close(master);
    return r;
}

} // namespace

TEST(Progress, ShownOnATerminalAndErased) {
    TempDir dir;
    tile(6, 4000).write(dir / "big.las");
    using std::chrono::milliseconds;
    for (unsigned workers : {1u, 3u}) {
        const TerminalRun r = runOnTerminal(
            dir.path(), {workers, 100, {milliseconds(0), milliseconds(0)}});
        ASSERT_EQ(r.status, 0) << r.out;
        const std::regex line(R"(\rptxport: big\.las  (\d+)%  (\d+) / 4000 )"
                              R"(points  \d+ points/s\x1b\[K)");
        int lines = 0;
        for (std::sregex_iterator it(r.terminal.begin(), r.terminal.end(),
                                     line);
             it != std::sregex_iterator(); ++it)
            ++lines;
        EXPECT_GE(lines, workers == 1 ? 1 : 2) << r.terminal;
        EXPECT_NE(r.terminal.find("100%  4000 / 4000 points"),
                  std::string::npos);
        EXPECT_TRUE(endsWith(r.terminal, "\r\x1b[K")) << r.terminal;
        // Standard output is what it is without a terminal.
        EXPECT_EQ(r.out.find("ptxport:"), std::string::npos);
        EXPECT_NE(r.out.find("Output ASCII File:  big.asc\n"),
                  std::string::npos);
    }
}

// The real command with standard error on a pipe, not a terminal: not a
// byte there, even for a file of many blocks.
TEST(Progress, NothingWhenStandardErrorIsNoTerminal) {
    TempDir dir;
    const Bytes las = tile(8, 150000).bytes();
    write_bytes(dir / "big.las", las);
    const CommandResult r = run_ptxport({"big.las", "19"}, dir.path());
    ASSERT_EQ(r.status, 0) << r.out;
    EXPECT_EQ(r.err, "");
    EXPECT_TRUE(read_text(dir / "big.asc") == referencePointFile(las, 19, 8));
}
