// SPDX-License-Identifier: MIT
// Tests of the point path with worker threads: the same bytes as one thread
// for every format, layout, block boundary and worker count, in the writer
// and in whole runs; failures that stop the workers at once; the affinity
// count; the progress line on a terminal and its absence elsewhere.
#include "cpu_count.h"
#include "header_bytes.h"
#include "las_fixture.h"
#include "parallel_points.h"
#include "point_writer.h"
#include "progress.h"
#include "reference_writer.h"
#include "run_command.h"
#include "run_driver.h"

#include <gtest/gtest.h>

#include <pty.h>
#include <sched.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <thread>

using namespace fixture;
namespace fs = std::filesystem;

namespace {

PointJob jobFor(int format, int type, const LAS12Header &h) {
    const auto las_type =
        tamarak::LasType::from_code(static_cast<int16_t>(type));
    return {rowFormatterFor(format, las_type),
            las_type.record_size(),
            {h.XScaleFactor, h.YScaleFactor, h.ZScaleFactor, h.XOffset,
             h.YOffset, h.ZOffset}};
}

// Points whose rows differ from one record to the next.
LasFixture survey(int type, int points, std::size_t between,
                  std::size_t after) {
    LasFixture f = fixture_for_type(type);
    for (int i = 0; i < points; ++i) {
        Point p;
        p.x = 1234567 * (i % 1000) - 400000000;
        p.y = -6781 * i;
        p.z = 90 + i * (i % 1000);
        p.intensity = static_cast<uint16_t>(i * 37);
        p.bitfield = static_cast<uint8_t>(i * 11);
        p.classification = static_cast<uint8_t>(i);
        p.scan_angle = static_cast<uint8_t>(i * 5);
        p.user_data = static_cast<uint8_t>(i * 3);
        p.point_source_id = static_cast<uint16_t>(i * 257);
        p.gps_time = 3.3e8 + i * 0.1234567;
        p.red = static_cast<uint16_t>(i * 101);
        p.blue = static_cast<uint16_t>(65535 - i);
        f.points.push_back(p);
    }
    f.between.assign(between, 0xAB);
    f.after.assign(after, 0xCD);
    return f;
}

bool endsWith(const std::string &s, const std::string &tail) {
    return s.size() >= tail.size() &&
           s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

std::string drain(int fd) {
    std::string text;
    char buf[65536];
    for (ssize_t n; (n = read(fd, buf, sizeof buf)) > 0;)
        text.append(buf, static_cast<std::size_t>(n));
    return text;
}

struct Converted {
    int16_t status;
    std::string text;
};

// Converts the records of a file image from an in-memory stream.
Converted convert(const Bytes &las, int format, int type, WorkerShape shape) {
    const LAS12Header h = tamarak::decode_header(las.data());
    Bytes copy = las; // fmemopen wants a mutable buffer
    std::FILE *in = fmemopen(copy.data(), copy.size(), "rb");
    char *buf = nullptr;
    std::size_t size = 0;
    std::FILE *out = open_memstream(&buf, &size);
    std::fseek(in, static_cast<long>(h.OffsetToData), SEEK_SET);
    const int16_t status = writeRecordsWithWorkers(
        in, out, jobFor(format, type, h), shape, nullptr);
    std::fclose(in);
    std::fclose(out);
    Converted r{status, std::string(buf, size)};
    std::free(buf);
    return r;
}

// The reference point file without its column-name line.
std::string expectedRows(const Bytes &las, int format, int type) {
    const std::string all = referencePointFile(las, format, type);
    return all.substr(all.find('\n') + 1);
}

} // namespace

TEST(Workers, SameBytesAsOneThreadForEveryFormatAndLayout) {
    struct Shape {
        int points;
        std::size_t between, after, block;
    };
    // Blocks of 5 records: files that end on a block boundary, one record
    // past it and one short of it, with trailing fragments and odd offsets.
    const Shape shapes[] = {{40, 0, 0, 5},  {41, 3, 0, 5}, {39, 1, 19, 5},
                            {0, 5, 7, 5},   {3, 0, 1, 5},  {64, 7, 33, 1},
                            {57, 2, 13, 16}};
    for (int type = 1; type <= 8; ++type) {
        for (const Shape &s : shapes) {
            const LasFixture f = survey(type, s.points, s.between, s.after);
            const Bytes las = f.bytes();
            for (int format = 0; format < 20; ++format) {
                if (!referenceServes(format, type))
                    continue;
                const std::string want = expectedRows(las, format, type);
                for (unsigned workers : {2u, 3u, 7u}) {
                    const Converted r =
                        convert(las, format, type, {workers, s.block});
                    EXPECT_EQ(r.status, kPointsWritten);
                    EXPECT_EQ(r.text, want)
                        << "type " << type << " format " << format << " points "
                        << s.points << " workers " << workers;
                }
            }
        }
    }
}

// Rows of about a thousand digits: a block of 2000 takes more text than a
// block's buffer holds, and the rest of the block is formatted when its
// turn to be written comes.
TEST(Workers, RowsLongerThanABlockBufferHolds) {
    LasFixture f = survey(8, 2500, 0, 5);
    f.header.XScaleFactor = 1e298;
    f.header.YScaleFactor = -1e298;
    f.header.ZScaleFactor = 1e290;
    const Bytes las = f.bytes();
    for (int format : {0, 15, 19}) {
        const Converted r = convert(las, format, 8, {3, 2000});
        ASSERT_EQ(r.status, kPointsWritten);
        ASSERT_GT(r.text.size() / 2500 * 2000, std::size_t{1} << 20);
        // Compared as a flag: a failure's diff of megabytes helps no one.
        EXPECT_TRUE(r.text == expectedRows(las, format, 8)) << format;
    }
}

namespace {

// A stream over a file image that fails after `fail_at` bytes: reads end
// with an error there, or writes are refused from there on.  It counts
// what went through, so a test can tell how far the pipeline went.
struct FaultyStream {
    Bytes data;
    std::size_t fail_at = SIZE_MAX;
    std::size_t pos = 0;
    std::string written;

    static ssize_t read(void *c, char *buf, std::size_t n) {
        auto *s = static_cast<FaultyStream *>(c);
        if (s->pos >= s->fail_at) {
            errno = EIO;
            return -1;
        }
        n = std::min({n, s->data.size() - s->pos, s->fail_at - s->pos});
        std::memcpy(buf, s->data.data() + s->pos, n);
        s->pos += n;
        return static_cast<ssize_t>(n);
    }
    static ssize_t write(void *c, const char *buf, std::size_t n) {
        auto *s = static_cast<FaultyStream *>(c);
        if (s->written.size() + n > s->fail_at) {
            s->fail_at = 0; // a full disk stays full
            errno = ENOSPC;
            return 0; // how a cookie stream reports a failed write
        }
        s->written.append(buf, n);
        return static_cast<ssize_t>(n);
    }
    // Unbuffered, so that the counts are what the pipeline asked for.
    std::FILE *open(const char *mode) {
        std::FILE *f = fopencookie(
            this, mode,
            {&FaultyStream::read, &FaultyStream::write, nullptr, nullptr});
        std::setvbuf(f, nullptr, _IONBF, 0);
        return f;
    }
};

} // namespace

TEST(Workers, FailuresStopTheWholePipeline) {
    constexpr int kPoints = 20000;
    constexpr std::size_t kBlock = 50, kRecord = 28;
    const Bytes las = survey(6, kPoints, 0, 0).bytes();
    const LAS12Header h = tamarak::decode_header(las.data());
    const std::string all = expectedRows(las, 0, 6);
    struct Case {
        const char *what;
        std::size_t read_fails_at, write_fails_at;
        int16_t status;
    };
    const Case cases[] = {
        {"read error in a record", 227 + 1234 * kRecord + 9, SIZE_MAX,
         kPointsReadError},
        {"read error on a block boundary", 227 + 100 * kBlock * kRecord,
         SIZE_MAX, kPointsReadError},
        {"disk full", SIZE_MAX, 30000, kPointsWriteError},
    };
    for (const Case &c : cases) {
        for (unsigned workers : {2u, 3u, 7u}) {
            FaultyStream in{las, c.read_fails_at, 0, {}};
            FaultyStream out{{}, c.write_fails_at, 0, {}};
            std::FILE *fin = in.open("rb");
            std::FILE *fout = out.open("w");
            in.pos = 227; // where the driver leaves the input
            const int16_t status = writeRecordsWithWorkers(
                fin, fout, jobFor(0, 6, h), {workers, kBlock}, nullptr);
            std::fclose(fin);
            std::fclose(fout);
            EXPECT_EQ(status, c.status) << c.what;
            // Whatever reached the output is the start of the rows, and
            // no row of a record at or beyond the failed read.
            const std::size_t rows = static_cast<std::size_t>(
                std::count(out.written.begin(), out.written.end(), '\n'));
            EXPECT_EQ(all.compare(0, out.written.size(), out.written), 0)
                << c.what;
            EXPECT_LE(rows * kRecord, c.read_fails_at - 227) << c.what;
            // Prompt: reading stopped within the blocks in flight, one a
            // thread.
            const std::size_t in_flight = workers + 1;
            EXPECT_LE(in.pos, 227 + (rows + in_flight * kBlock) * kRecord)
                << c.what << " workers " << workers;
        }
    }
}

TEST(CpuCount, FollowsTheAffinityMask) {
    const unsigned all = usableCpuCount();
    EXPECT_GE(all, 1u);
    EXPECT_LE(all, kMaxWorkers);
    // A thread pinned to one CPU: the count follows the mask, whose rules
    // are per thread on Linux.
    unsigned pinned = 0;
    std::thread([&pinned] {
        cpu_set_t one;
        CPU_ZERO(&one);
        CPU_SET(static_cast<int>(sched_getcpu()), &one);
        if (sched_setaffinity(0, sizeof one, &one) == 0)
            pinned = usableCpuCount();
    }).join();
    EXPECT_EQ(pinned, 1u);
}

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
    survey(6, 3000, 0, 0).write(dir / "a.las");
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

// The progress lines of big.las (4000 points) in what the terminal got,
// each begun with "\r"; -1 if anything else is there but the final erase.
int progressLines(const std::string &terminal) {
    int lines = 0;
    std::size_t at = 0;
    while (at < terminal.size()) {
        const std::size_t next = terminal.find('\r', at + 1);
        const std::string piece = terminal.substr(at, next - at);
        at = next == std::string::npos ? terminal.size() : next;
        if (piece == "\r\x1b[K" && at == terminal.size())
            break;
        const bool line = piece.starts_with("\rptxport: big.las  ") &&
                          piece.find("% ") != std::string::npos &&
                          piece.find(" / 4000 points  ") != std::string::npos &&
                          piece.ends_with(" points/s\x1b[K");
        if (!line)
            return -1;
        ++lines;
    }
    return lines;
}

} // namespace

// A line per block at most once an interval, none before the delay, and
// erased at the end; standard output as without a terminal.
TEST(Progress, ShownOnATerminalAndErased) {
    TempDir dir;
    survey(6, 4000, 0, 0).write(dir / "big.las");
    using std::chrono::milliseconds;
    struct Case {
        unsigned workers;
        ProgressTiming timing;
        int least, most; // progress lines shown
    };
    const milliseconds none(0), long_(60000);
    const Case cases[] = {
        {1, {none, none}, 1, 1}, // one thread: one block of 4096
        {3, {none, none}, 40, 40},
        {3, {none, long_}, 1, 1},
        {3, {long_, none}, 0, 0},
    };
    for (const Case &c : cases) {
        const TerminalRun r =
            runOnTerminal(dir.path(), {c.workers, 100, c.timing});
        ASSERT_EQ(r.status, 0) << r.out;
        const int lines = progressLines(r.terminal);
        EXPECT_GE(lines, c.least) << r.terminal;
        EXPECT_LE(lines, c.most) << r.terminal;
        if (c.most == 0) {
            EXPECT_EQ(r.terminal, "");
        } else {
            EXPECT_TRUE(endsWith(r.terminal, "\r\x1b[K")) << r.terminal;
        }
        if (c.least > 1) {
            EXPECT_NE(r.terminal.find("100%  4000 / 4000 points"),
                      std::string::npos);
        }
        EXPECT_EQ(r.out.find("ptxport:"), std::string::npos);
        EXPECT_NE(r.out.find("Output ASCII File:  big.asc\n"),
                  std::string::npos);
    }
}

// The real command with standard error on a pipe, not a terminal: not a
// byte there, even for a file of many blocks.
TEST(Progress, NothingWhenStandardErrorIsNoTerminal) {
    TempDir dir;
    const Bytes las = survey(8, 150000, 0, 0).bytes();
    write_bytes(dir / "big.las", las);
    const CommandResult r = run_ptxport({"big.las", "19"}, dir.path());
    ASSERT_EQ(r.status, 0) << r.out;
    EXPECT_EQ(r.err, "");
    EXPECT_TRUE(read_text(dir / "big.asc") == referencePointFile(las, 19, 8));
}
