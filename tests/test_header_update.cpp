// SPDX-License-Identifier: MIT
// test_header_update.cpp - update_header on LAS files built byte by byte:
// counts by return number, true extents, files without records, the bytes
// it may change, every way it can fail, and its export from the shared
// library.
#include "TAMARAK_LiDAR.h"
#include "build_info.h"
#include "las_bytes.h"
#include "las_fixture.h"
#include "run_command.h"

#include <gtest/gtest.h>

#include <array>
#include <csignal>
#include <cstring>
#include <dlfcn.h>
#include <fcntl.h>
#include <fstream>
#include <functional>
#include <linux/fs.h>
#include <memory>
#include <string>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <unistd.h>
#include <vector>

namespace {

namespace fs = std::filesystem;
using fixture::Bytes;
using fixture::LasFixture;
using fixture::Point;

using Counts = std::array<uint32_t, 5>;
using Extents = std::array<double, 6>; // MaxX MinX MaxY MinY MaxZ MinZ

// A field of a file image; a file cut shorter than the field is a failure.
template <typename T> T load(const Bytes &b, std::size_t at) {
    T v{};
    if (b.size() < at + sizeof v)
        ADD_FAILURE() << "file of " << b.size() << " bytes ends before "
                      << at + sizeof v;
    else
        v = tamarak::load_le<T>(b.data() + at);
    return v;
}

uint32_t point_count(const Bytes &b) {
    return load<uint32_t>(b, 107);
}

Counts counts_by_return(const Bytes &b) {
    Counts c{};
    for (std::size_t i = 0; i < c.size(); ++i)
        c[i] = load<uint32_t>(b, 111 + 4 * i);
    return c;
}

Extents extents(const Bytes &b) {
    Extents e{};
    for (std::size_t i = 0; i < e.size(); ++i)
        e[i] = load<double>(b, 179 + 8 * i);
    return e;
}

std::string updated_message(const fs::path &p) {
    return "\rHeader of file " + p.string() + " has been updated    ";
}

std::string failed_message(const fs::path &p) {
    return "\nFailed to update header of " + p.string() + "\n";
}

fixture::CommandResult
update_in_child(const fs::path &p, const std::function<void()> &before = {}) {
    const std::string name = p.string();
    return fixture::run_in_child([&] {
        if (before)
            before();
        update_header(name.c_str());
    });
}

// First offset outside the recomputed bytes 107-130 and 179-226 at which
// the two images differ, or -1.
long first_foreign_change(const Bytes &before, const Bytes &after) {
    const std::size_t n = std::min(before.size(), after.size());
    for (std::size_t i = 0; i < n; ++i) {
        const bool statistic = (i >= 107 && i <= 130) || (i >= 179 && i <= 226);
        if (!statistic && before[i] != after[i])
            return static_cast<long>(i);
    }
    return -1;
}

// Runs update_header, checks what every successful call must do and returns
// the file as it is afterwards.
Bytes update_ok(const fs::path &p) {
    const Bytes before = fixture::read_bytes(p);
    const fixture::CommandResult r = update_in_child(p);
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, updated_message(p));
    const Bytes after = fixture::read_bytes(p);
    EXPECT_EQ(after.size(), before.size());
    EXPECT_EQ(first_foreign_change(before, after), -1);
    return after;
}

// A header whose statistics are all wrong, so that each must be rewritten.
void spoil_statistics(LAS12Header &h) {
    // Packed fields: assigned one by one, never bound to a reference.
    for (std::size_t i = 0; i < 5; ++i)
        h.NumberOfPointsByReturn[i] = 0xDEAD;
    h.MaxX = h.MinX = h.MaxY = h.MinY = h.MaxZ = h.MinZ = -123.25;
}

Bytes repeat(std::size_t n, unsigned char byte) {
    return Bytes(n, byte);
}

struct CountCase {
    const char *name;
    std::vector<uint8_t> bitfields;
    uint32_t stored_count;
    uint32_t count;
    Counts by_return;
};

TEST(UpdateHeader, CountsEveryRecordByReturnNumber) {
    const CountCase cases[] = {
        {"returns 1,1,2,3,5,0,7", {1, 1, 2, 3, 5, 0, 7}, 7, 7, {2, 1, 1, 0, 1}},
        {"flag bits ignored",
         {0xC9, 0x7A, 0x8C, 0xFE, 0x3B},
         5,
         5,
         {1, 1, 1, 1, 0}},
        {"stored count too low", {1, 2, 3, 4, 5}, 2, 5, {1, 1, 1, 1, 1}},
        {"stored count too high", {5, 5}, 100, 2, {0, 0, 0, 0, 2}},
        {"returns 0, 6 and 7 only", {0, 6, 7, 0x0E}, 4, 4, {0, 0, 0, 0, 0}},
    };
    for (const CountCase &c : cases) {
        SCOPED_TRACE(c.name);
        fixture::TempDir dir;
        LasFixture las(2, 0);
        las.auto_count = false;
        las.header.NumberOfPointReturns = c.stored_count;
        spoil_statistics(las.header);
        for (uint8_t b : c.bitfields)
            las.points.push_back(Point{.bitfield = b});
        las.write(dir / "c.las");
        const Bytes after = update_ok(dir / "c.las");
        EXPECT_EQ(point_count(after), c.count);
        EXPECT_EQ(counts_by_return(after), c.by_return);
    }
}

// Points whose bytes after the first 20 differ wildly from their
// coordinates, so a scan in steps of the wrong size reads other values.
std::vector<Point> distinct_points() {
    return {
        {.x = -5,
         .y = 7,
         .z = 100,
         .bitfield = 1,
         .gps_time = -1.0e300,
         .red = 0xFFFF,
         .green = 0x7FFF,
         .blue = 0x8000},
        {.x = 40,
         .y = -3,
         .z = 50,
         .bitfield = 2,
         .gps_time = 3.5e12,
         .red = 1,
         .green = 0xFFFF,
         .blue = 0xFFFF},
        {.x = 12,
         .y = 2,
         .z = -60,
         .bitfield = 2,
         .gps_time = 7.0,
         .red = 0xFFFF,
         .green = 0xFFFF,
         .blue = 0},
    };
}

// Every LASType, with bytes between header and points and a trailing
// fragment one byte short of a record; the header carries values of its
// own everywhere, all of which must survive.
TEST(UpdateHeader, ScansInStepsOfEveryRecordSize) {
    for (int type = 1; type <= 8; ++type) {
        SCOPED_TRACE("LASType " + std::to_string(type));
        fixture::TempDir dir;
        LasFixture las = fixture::fixture_for_type(type);
        LAS12Header &h = las.header;
        h.FileSourceID = 0x1234;
        h.GUIDData1 = 0xCAFEF00D;
        std::memcpy(h.GUIDData4, "GUIDTAIL", 8);
        std::memcpy(h.GeneratingSoftware, "Vendor Writer 9.1 build 77 final",
                    32);
        h.NumberOfVariableLengthRecords = 1;
        h.XScaleFactor = 0.5;
        h.YScaleFactor = 0.25;
        h.ZScaleFactor = 2.0;
        h.XOffset = 1000.0;
        h.YOffset = -2000.0;
        h.ZOffset = 10.0;
        spoil_statistics(h);
        las.points = distinct_points();
        las.between = repeat(13, 0xAB);
        las.after = repeat(fixture::record_size(las.format) - 1, 0x7F);
        las.write(dir / "t.las");

        const Bytes after = update_ok(dir / "t.las");
        EXPECT_EQ(point_count(after), 3u);
        EXPECT_EQ(counts_by_return(after), (Counts{1, 2, 0, 0, 0}));
        EXPECT_EQ(extents(after),
                  (Extents{1020.0, 997.5, -1998.25, -2000.75, 210.0, -110.0}));

        // A second pass finds the header already right and changes nothing.
        EXPECT_EQ(update_ok(dir / "t.las"), after);
    }
}

struct ExtentCase {
    const char *name;
    std::vector<std::array<int32_t, 3>> xyz;
    Extents expected;
};

// Scales 0.5, 0.25 and 0.125 with offsets 1000, -2000 and 10 keep every
// expected extent exact.
TEST(UpdateHeader, ReportsTrueExtents) {
    constexpr int32_t kMax = 2147483647, kMin = -2147483647 - 1;
    const ExtentCase cases[] = {
        {"raw Z all above ten million",
         {{0, 0, 20000000}, {10, -10, 30000000}},
         {1005.0, 1000.0, -2000.0, -2002.5, 3750010.0, 2500010.0}},
        {"raw Z all below minus ten million",
         {{0, 0, -20000000}, {0, 0, -30000000}},
         {1000.0, 1000.0, -2000.0, -2000.0, -2499990.0, -3749990.0}},
        {"raw X at the largest value",
         {{kMax, kMin, 0}},
         {1073742823.5, 1073742823.5, -536872912.0, -536872912.0, 10.0, 10.0}},
        {"both limits of every axis",
         {{kMax, kMax, 10000001}, {kMin, kMin, -10000001}},
         {1073742823.5, -1073740824.0, 536868911.75, -536872912.0, 1250010.125,
          -1249990.125}},
        {"one record inside every range",
         {{-7, 12, 3}},
         {996.5, 996.5, -1997.0, -1997.0, 10.375, 10.375}},
    };
    for (const ExtentCase &c : cases) {
        SCOPED_TRACE(c.name);
        fixture::TempDir dir;
        LasFixture las(2, 3);
        las.header.XScaleFactor = 0.5;
        las.header.YScaleFactor = 0.25;
        las.header.ZScaleFactor = 0.125;
        las.header.XOffset = 1000.0;
        las.header.YOffset = -2000.0;
        las.header.ZOffset = 10.0;
        spoil_statistics(las.header);
        for (const auto &p : c.xyz)
            las.points.push_back(Point{.x = p[0], .y = p[1], .z = p[2]});
        las.write(dir / "e.las");
        const Bytes after = update_ok(dir / "e.las");
        EXPECT_EQ(point_count(after), c.xyz.size());
        EXPECT_EQ(extents(after), c.expected);
    }
}

struct EmptyCase {
    const char *name;
    std::size_t points;
    std::size_t trailing;
    uint32_t offset_to_data; // 0: right after the header
};

TEST(UpdateHeader, FileWithoutWholeRecordGetsZeroStatistics) {
    const EmptyCase cases[] = {
        {"no bytes after the header", 0, 0, 0},
        {"only a fragment of a record", 0, 27, 0},
        {"offset beyond the end of the file", 2, 0, 0xFFFFFFFFu},
    };
    for (const EmptyCase &c : cases) {
        SCOPED_TRACE(c.name);
        fixture::TempDir dir;
        LasFixture las(1, 1);
        las.auto_count = false;
        las.header.NumberOfPointReturns = 9;
        las.header.XOffset = las.header.YOffset = las.header.ZOffset = 500.0;
        spoil_statistics(las.header);
        las.points.assign(c.points, Point{.x = 1, .y = 2, .z = 3});
        las.after = repeat(c.trailing, 0x55);
        if (c.offset_to_data != 0) {
            las.auto_offset = false;
            las.header.OffsetToData = c.offset_to_data;
        }
        las.write(dir / "n.las");
        const Bytes after = update_ok(dir / "n.las");
        EXPECT_EQ(point_count(after), 0u);
        EXPECT_EQ(counts_by_return(after), (Counts{}));
        // Six times 0.0: eight zero bytes each, neither -0.0 nor an offset.
        ASSERT_GE(after.size(), 227u);
        EXPECT_EQ(Bytes(after.begin() + 179, after.begin() + 227),
                  repeat(48, 0));
    }
}

Bytes read_range(const fs::path &p, std::streamoff at, std::size_t n) {
    std::ifstream f(p, std::ios::binary);
    f.seekg(at);
    Bytes b(n);
    f.read(reinterpret_cast<char *>(b.data()), static_cast<std::streamsize>(n));
    return f ? b : Bytes{};
}

// OffsetToData of 4 GiB - 1 needs 64-bit seeks; the file is sparse.
TEST(UpdateHeader, ReachesRecordsAtTheLargestOffset) {
    constexpr std::streamoff kOffset = 0xFFFFFFFFll;
    fixture::TempDir dir;
    const fs::path p = dir / "far.las";
    LasFixture las(2, 0);
    las.auto_offset = false;
    las.header.OffsetToData = static_cast<uint32_t>(kOffset);
    las.header.XScaleFactor = las.header.YScaleFactor = 1.0;
    las.header.ZScaleFactor = 1.0;
    las.write(p);
    const Bytes record = fixture::encode_point({.x = -8, .y = 9, .z = 77}, 0);
    {
        std::fstream f(p, std::ios::in | std::ios::out | std::ios::binary);
        f.seekp(kOffset);
        f.write(reinterpret_cast<const char *>(record.data()),
                static_cast<std::streamsize>(record.size()));
        ASSERT_TRUE(f.good());
    }
    const Bytes before = read_range(p, 0, 227);
    const fixture::CommandResult r = update_in_child(p);
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, updated_message(p));
    const Bytes after = read_range(p, 0, 227);
    ASSERT_EQ(after.size(), 227u);
    EXPECT_EQ(first_foreign_change(before, after), -1);
    EXPECT_EQ(point_count(after), 1u);
    EXPECT_EQ(extents(after), (Extents{-8.0, -8.0, 9.0, 9.0, 77.0, 77.0}));
    EXPECT_EQ(fs::file_size(p), static_cast<uintmax_t>(kOffset) + 20);
    EXPECT_EQ(read_range(p, kOffset, 20), record);
}

struct FailureCase {
    const char *name;
    const char *file;
    std::function<void(const fs::path &)> make; // empty: no file at all
    std::function<std::string(const std::string &)> message;
    std::function<void()> in_child; // runs in the child before the call
};

void write_las(const fs::path &p, uint8_t minor, uint8_t format) {
    LasFixture las(minor, format);
    las.points = distinct_points();
    las.write(p);
}

std::function<void(const fs::path &)> las_file(uint8_t minor, uint8_t format) {
    return [=](const fs::path &p) { write_las(p, minor, format); };
}

std::function<std::string(const std::string &)>
untyped(const std::string &format, const std::string &version) {
    return [=](const std::string &n) {
        return "\nPoint data format " + format + " of " + n +
               " is not supported in LAS version " + version + "\n";
    };
}

std::string not_las(const std::string &n) {
    return "\n" + n + " is not a valid .las file\n\n";
}

// Lets a write reach byte 100 and no further: the header write fails the
// way it would on a full disk, after rewriting bytes that never change.
void limit_file_size() {
    std::signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{100, 100};
    setrlimit(RLIMIT_FSIZE, &limit);
}

TEST(UpdateHeader, FailuresEndWithStatusAndLeaveFileAlone) {
    const FailureCase cases[] = {
        {"missing file",
         "none.las",
         {},
         [](const std::string &n) {
             return "Unable to open file " + n + " in file_access()\n" +
                    "\nFile " + n + " does NOT exist\n";
         },
         {}},
        {"wrong extension",
         "points.LAS",
         las_file(2, 1),
         [](const std::string &n) {
             return "\nFile extension of " + n + " is not .las\n";
         },
         {}},
        {"bad signature",
         "sig.las",
         [](const fs::path &p) {
             Bytes b = LasFixture(2, 0).bytes();
             b[3] = 'f';
             fixture::write_bytes(p, b);
         },
         not_las,
         {}},
        {"header cut short",
         "short.las",
         [](const fs::path &p) {
             Bytes b = LasFixture(2, 0).bytes();
             b.resize(200);
             fixture::write_bytes(p, b);
         },
         not_las,
         {}},
        {"directory named x.las",
         "x.las",
         [](const fs::path &p) { fs::create_directory(p); },
         not_las,
         {}},
        {"LAS 1.0 format 2", "a.las", las_file(0, 2), untyped("2", "1.0"), {}},
        {"LAS 1.0 format 3", "b.las", las_file(0, 3), untyped("3", "1.0"), {}},
        {"LAS 1.1 format 2", "c.las", las_file(1, 2), untyped("2", "1.1"), {}},
        {"LAS 1.1 format 3", "d.las", las_file(1, 3), untyped("3", "1.1"), {}},
        {"header write refused", "full.las", las_file(2, 1),
         [](const std::string &n) { return failed_message(n); },
         limit_file_size},
    };
    for (const FailureCase &c : cases) {
        SCOPED_TRACE(c.name);
        fixture::TempDir dir;
        const fs::path p = dir / c.file;
        if (c.make)
            c.make(p);
        const bool regular = fs::is_regular_file(p);
        const Bytes before = regular ? fixture::read_bytes(p) : Bytes{};
        const fixture::CommandResult r = update_in_child(p, c.in_child);
        EXPECT_EQ(r.status, fixture::kFailureStatus);
        EXPECT_EQ(r.out, c.message(p.string()));
        if (regular) {
            EXPECT_EQ(fixture::read_bytes(p), before);
        }
        EXPECT_EQ(fs::exists(p), static_cast<bool>(c.make));
    }
}

bool opens_for_writing(const fs::path &p) {
    const int fd = open(p.c_str(), O_WRONLY);
    if (fd >= 0)
        close(fd);
    return fd >= 0;
}

// Makes a file unwritable for as long as it lives.  A privileged user
// ignores mode bits, so for one the file is also made immutable.
class Unwritable {
  public:
    explicit Unwritable(const fs::path &p) : path_(p) {
        fs::permissions(p, fs::perms::owner_read | fs::perms::group_read |
                               fs::perms::others_read);
        if (opens_for_writing(p))
            immutable_ = set_immutable(true);
        ok_ = !opens_for_writing(p);
    }
    ~Unwritable() {
        if (immutable_)
            set_immutable(false);
    }
    Unwritable(const Unwritable &) = delete;
    Unwritable &operator=(const Unwritable &) = delete;
    bool ok() const { return ok_; }

  private:
    bool set_immutable(bool on) const {
        const int fd = open(path_.c_str(), O_RDONLY);
        int flags = 0;
        bool done = fd >= 0 && ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
        if (done) {
            flags = on ? flags | FS_IMMUTABLE_FL : flags & ~FS_IMMUTABLE_FL;
            done = ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
        }
        if (fd >= 0)
            close(fd);
        return done;
    }
    fs::path path_;
    bool immutable_ = false;
    bool ok_ = false;
};

TEST(UpdateHeader, ReadOnlyFileCannotBeOpenedForUpdate) {
    fixture::TempDir dir;
    const fs::path p = dir / "ro.las";
    write_las(p, 2, 1);
    const Bytes before = fixture::read_bytes(p);
    Unwritable guard(p);
    if (!guard.ok())
        GTEST_SKIP() << "this user can write to read-only files and the file "
                        "system offers no immutable attribute";
    const fixture::CommandResult r = update_in_child(p);
    EXPECT_EQ(r.status, fixture::kFailureStatus);
    EXPECT_EQ(r.out, "\nCannot open binary file " + p.string() +
                         " for header update\n\n");
    EXPECT_EQ(fixture::read_bytes(p), before);
}

struct LibraryCloser {
    void operator()(void *lib) const { dlclose(lib); }
};

template <typename Fn> Fn *symbol(void *lib, const char *name) {
    void *address = dlsym(lib, name);
    Fn *fn = nullptr;
    std::memcpy(&fn, &address, sizeof fn);
    return fn;
}

// The routines work when reached by name from the shared library alone, as
// a tool of the suite that loads it at run time reaches them (that every
// routine is exported is the Exports check of the build).
TEST(SharedLibrary, HeaderRoutinesWhenReachedByName) {
    std::unique_ptr<void, LibraryCloser> lib(
        dlopen(build_info::shared_library, RTLD_NOW | RTLD_LOCAL));
    ASSERT_NE(lib, nullptr) << dlerror();
    auto *update = symbol<void(const char *)>(lib.get(), "update_header");
    auto *init12 =
        symbol<void(LAS12Header *)>(lib.get(), "initialize_header12");
    ASSERT_NE(update, nullptr);
    ASSERT_NE(init12, nullptr);
    Dl_info info{};
    ASSERT_NE(dladdr(reinterpret_cast<void *>(update), &info), 0);
    EXPECT_TRUE(fs::equivalent(info.dli_fname, build_info::shared_library));

    LAS12Header shared, linked;
    std::memset(&shared, 0xFF, sizeof shared);
    std::memset(&linked, 0xFF, sizeof linked);
    init12(&shared);
    initialize_header12(&linked);
    EXPECT_EQ(std::memcmp(&shared, &linked, sizeof shared), 0);
    EXPECT_EQ(shared.VersionMinor, 2);

    fixture::TempDir dir;
    const fs::path good = dir / "good.las", bad = dir / "bad.las";
    write_las(good, 2, 3);
    write_las(bad, 1, 2);
    const std::string good_name = good.string(), bad_name = bad.string();
    const fixture::CommandResult ok =
        fixture::run_in_child([&] { update(good_name.c_str()); });
    EXPECT_EQ(ok.status, 0);
    EXPECT_EQ(ok.out, updated_message(good));
    EXPECT_EQ(counts_by_return(fixture::read_bytes(good)),
              (Counts{1, 2, 0, 0, 0}));
    const fixture::CommandResult refused =
        fixture::run_in_child([&] { update(bad_name.c_str()); });
    EXPECT_EQ(refused.status, fixture::kFailureStatus);
    EXPECT_EQ(refused.out, untyped("2", "1.1")(bad_name));
}

} // namespace
