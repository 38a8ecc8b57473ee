// Tests of the point path with worker threads: the same bytes as one thread
// for every format, layout and block boundary; failures that stop the
// workers at once; the affinity count; the progress line on a terminal.
#include "cpu_count.h"
#include "las_fixture.h"
#include "parallel_points.h"
#include "point_writer.h"
#include "progress.h"
#include "reference_writer.h"

#include <gtest/gtest.h>

#include <pty.h>
#include <sched.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <regex>
#include <thread>

using namespace fixture;

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

struct Converted {
    int16_t status;
    std::string text;
};

// Converts the records of a file image from an in-memory stream.
Converted convert(const Bytes &las, int format, int type, WorkerShape shape) {
    LAS12Header h;
    std::memcpy(&h, las.data(), sizeof h);
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
    LAS12Header h;
    std::memcpy(&h, las.data(), sizeof h);
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
            // Prompt: the reader stopped within the blocks in flight.
            const std::size_t in_flight = 2 * workers + 2;
            EXPECT_LE(in.pos, 227 + (rows + in_flight * kBlock) * kRecord)
                << c.what << " workers " << workers;
        }
    }
}

TEST(Workers, WorthItOnlyWithTwoWorkersAndMoreThanAFewBlocks) {
    struct Case {
        std::uint64_t bytes;
        WorkerShape shape;
        bool worth;
    };
    const Case cases[] = {
        {std::uint64_t{1} << 30, {1, 0}, false},
        {std::uint64_t{1} << 30, {2, 0}, true},
        {8 * 4096 * 28 - 1, {16, 0}, false},
        {8 * 4096 * 28, {16, 0}, true},
        {8 * 5 * 28, {3, 5}, true},
        {0, {3, 5}, false},
    };
    for (const Case &c : cases)
        EXPECT_EQ(worthWorkers(c.bytes, 28, c.shape), c.worth)
            << c.bytes << " bytes, " << c.shape.workers << " workers";
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

// What a Progress shows on a pseudo-terminal after `steps` advances of a
// file of 1000 points.
std::string onTerminal(ProgressTiming timing, int steps) {
    int master = -1, slave = -1;
    if (openpty(&master, &slave, nullptr, nullptr, nullptr) != 0)
        return "no pseudo-terminal";
    std::FILE *terminal = fdopen(slave, "w");
    {
        Progress p(terminal, "dir/tile.las", 1000, timing);
        for (int i = 1; i <= steps; ++i)
            p.advance(static_cast<std::uint64_t>(i) * 250);
    }
    std::fclose(terminal);
    std::string shown;
    char buf[4096];
    for (ssize_t n; (n = read(master, buf, sizeof buf)) > 0;)
        shown.append(buf, static_cast<std::size_t>(n));
    close(master);
    return shown;
}

} // namespace

TEST(Progress, OneLineRewrittenInPlaceAndErased) {
    using std::chrono::milliseconds;
    const std::string each = onTerminal({milliseconds(0), milliseconds(0)}, 3);
    const std::regex line(
        R"(\rptxport: dir/tile\.las  (25|50|75)%  )"
        R"((250|500|750) / 1000 points  \d+ points/s\x1b\[K)");
    const auto lines =
        std::distance(std::sregex_iterator(each.begin(), each.end(), line),
                      std::sregex_iterator());
    EXPECT_EQ(lines, 3) << each;
    EXPECT_EQ(each.find('\n'), std::string::npos);
    EXPECT_TRUE(each.ends_with("\r\x1b[K")) << each;
    // At most one line an interval, and none before the delay.
    const std::string rare =
        onTerminal({milliseconds(0), milliseconds(60000)}, 3);
    EXPECT_EQ(std::count(rare.begin(), rare.end(), '%'), 1) << rare;
    EXPECT_EQ(onTerminal({milliseconds(60000), milliseconds(0)}, 3), "");
}

// Only a terminal on standard error gets a progress line.
TEST(Progress, NoneWhenStandardErrorIsNoTerminal) {
    const auto withStderr = [](int fd) {
        const int saved = dup(2);
        dup2(fd, 2);
        const bool shown = progressOnTerminal("a.las", 10, {}) != nullptr;
        dup2(saved, 2);
        close(saved);
        return shown;
    };
    TempDir dir;
    std::FILE *file = std::fopen((dir / "err.txt").c_str(), "w");
    EXPECT_FALSE(withStderr(fileno(file)));
    std::fclose(file);
    int master = -1, slave = -1;
    ASSERT_EQ(openpty(&master, &slave, nullptr, nullptr, nullptr), 0);
    EXPECT_TRUE(withStderr(slave));
    close(slave);
    close(master);
}
