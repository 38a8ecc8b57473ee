// SPDX-License-Identifier: MIT
// test_number_format.cpp - the point writer's number conversions, compared
// byte for byte with glibc's snprintf.
//
// Every suite draws from a fixed seed (PTXPORT_TEST_SEED overrides it), so a
// failure reproduces.  PTXPORT_LONG_TESTS=1 multiplies every count by 100,
// for the benchmark run; the default run stays at a few seconds.
#include "coordinate_plan.h"
#include "number_format.h"

#include <gtest/gtest.h>

#include <bit>
#include <cfloat>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <limits>
#include <ostream>
#include <random>
#include <string>
#include <type_traits>
#include <vector>

namespace {

// Values drawn per precision in the default run, by suite.
constexpr uint64_t kRandomBits = 250'000;
constexpr uint64_t kPerExponent = 64; // times 2047 exponents
constexpr uint64_t kCoordinates = 300'000;
constexpr uint64_t kGpsTimes = 200'000;
constexpr uint64_t kHalfways = 100'000;
constexpr uint64_t kValuesPerHalfway = 5;
constexpr uint64_t kSubnormals = 50'000;
constexpr uint64_t kRandomInts = 1'000'000;
constexpr uint64_t kCoordinateFiles = 2'000; // scale and offset pairs
constexpr uint64_t kValuesPerFile = 1'000;
constexpr uint64_t kGpsSeries = 4'000; // runs of consecutive GPS times
constexpr uint64_t kTimesPerSeries = 250;
static_assert(kRandomBits + kPerExponent * 2047 + kCoordinates + kGpsTimes +
                      kValuesPerHalfway * kHalfways + kSubnormals >=
                  1'000'000,
              "the default run covers at least a million values per precision");

bool long_mode() {
    const char *s = std::getenv("PTXPORT_LONG_TESTS");
    return s != nullptr && *s != '\0' && std::strcmp(s, "0") != 0;
}

uint64_t count(uint64_t n) {
    return long_mode() ? 100 * n : n;
}

uint64_t seed() {
    const char *s = std::getenv("PTXPORT_TEST_SEED");
    return s != nullptr ? std::strtoull(s, nullptr, 0) : 0x5eed2024ULL;
}

std::string hex_bits(double v) {
    char s[32];
    std::snprintf(s, sizeof s, "0x%016llx",
                  static_cast<unsigned long long>(std::bit_cast<uint64_t>(v)));
    return s;
}

// Runs one conversion against snprintf, counting mismatches and keeping the
// first few for the failure message.  The output buffer is exactly the room
// the caller promises, followed by a guard that must stay untouched.
class Checker {
  public:
    template <typename T> using Put = char *(*)(char *, T);

    template <typename T> void check(Put<T> put, const char *format, T v) {
        check_with(put, format, v);
    }

    // As check, for a conversion that needs more than the value (a plan, a
    // memo): put is any callable that writes v's text and returns its end.
    template <typename T, typename Fn>
    void check_with(Fn put, const char *format, T v) {
        char want[512];
        const int n = reference(want, sizeof want, format, v);
        char got[ptx::kMaxNumberChars + kGuard];
        std::memset(got, '#', sizeof got);
        const char *end = put(got, v);
        ++checked_;
        const long written = end - got;
        if (written == n && std::memcmp(got, want, n) == 0 && guard_intact(got))
            return;
        ++failed_;
        if (examples_.size() < 10)
            examples_.push_back(
                describe(v) + ": want \"" + want + "\" got \"" +
                printable(got, written) + "\"" +
                (guard_intact(got) ? "" : " (wrote past room)"));
    }

    uint64_t checked() const { return checked_; }
    uint64_t failed() const { return failed_; }

    std::string report() const {
        std::string s = std::to_string(failed_) + " of " +
                        std::to_string(checked_) + " differ (seed " +
                        std::to_string(seed()) + "):";
        for (const std::string &e : examples_)
            s += "\n  " + e;
        return s;
    }

  private:
    static constexpr std::size_t kGuard = 16;

    // What glibc's snprintf writes.  Other C libraries agree with it on
    // every value but a NaN with its sign bit set, which only glibc shows
    // as "-nan".
    template <typename T>
    static int reference(char *want, std::size_t room, const char *format,
                         T v) {
        if constexpr (std::is_floating_point_v<T>)
            if (std::isnan(v))
                return std::snprintf(want, room, "%s",
                                     std::signbit(v) ? "-nan" : "nan");
        return std::snprintf(want, room, format, v);
    }

    static bool guard_intact(const char *got) {
        for (std::size_t i = 0; i < kGuard; ++i)
            if (got[ptx::kMaxNumberChars + i] != '#')
                return false;
        return true;
    }

    static std::string printable(const char *got, long written) {
        if (written < 0 || written > static_cast<long>(ptx::kMaxNumberChars))
            return "<end pointer out of range: " + std::to_string(written) +
                   ">";
        return std::string(got, static_cast<std::size_t>(written));
    }

    static std::string describe(double v) {
        char s[64];
        std::snprintf(s, sizeof s, "%.17g", v);
        return std::string(s) + " (" + hex_bits(v) + ")";
    }
    template <typename T> static std::string describe(T v) {
        return std::to_string(v);
    }

    uint64_t checked_ = 0;
    uint64_t failed_ = 0;
    std::vector<std::string> examples_;
};

// ---- fixed-point conversions, run once per precision ----

struct Precision {
    int digits;
    char *(*put)(char *, double);
    const char *format;
};

void PrintTo(const Precision &p, std::ostream *os) {
    *os << p.digits;
}

class FixedFormat : public testing::TestWithParam<Precision> {
  protected:
    void check(double v) {
        checker_.check<double>(GetParam().put, GetParam().format, v);
    }
    void check_both_signs(double v) {
        check(v);
        check(-v);
    }
    // Asserts that the suite ran as many values as it meant to and that all
    // of them matched.
    void expect_all_match(uint64_t expected_count) {
        EXPECT_EQ(checker_.checked(), expected_count);
        EXPECT_EQ(checker_.failed(), 0u) << checker_.report();
    }
    // The seed differs per precision and suite so no two suites repeat.
    std::mt19937_64 rng{
        seed() * 31 + GetParam().digits * 1009 +
        std::hash<std::string>{}(
            testing::UnitTest::GetInstance()->current_test_info()->name())};
    Checker checker_;
};

double from_bits(uint64_t bits) {
    return std::bit_cast<double>(bits);
}

double make_double(uint64_t sign, uint64_t biased, uint64_t mantissa) {
    return from_bits(sign << 63 | biased << 52 |
                     (mantissa & ((uint64_t{1} << 52) - 1)));
}

TEST_P(FixedFormat, RandomBitPatterns) {
    const uint64_t n = count(kRandomBits);
    for (uint64_t i = 0; i < n; ++i)
        check(from_bits(rng()));
    expect_all_match(n);
}

// Every binary exponent, subnormal to the largest, with mantissas from the
// edges and at random, so that each shift width of the fast path and the
// hand-over to the general routine at 2^64 are all crossed.
TEST_P(FixedFormat, EveryBinaryExponent) {
    const uint64_t per = count(kPerExponent);
    const uint64_t mask = (uint64_t{1} << 52) - 1;
    const uint64_t edges[] = {0, 1, mask, mask - 1, uint64_t{1} << 51};
    for (uint64_t biased = 0; biased < 2047; ++biased) {
        for (uint64_t i = 0; i < per; ++i) {
            const uint64_t mantissa = i < 5 ? edges[i] : rng();
            check(make_double(rng() & 1, biased, mantissa));
        }
    }
    expect_all_match(per * 2047);
}

// What the point writer prints: X * scale + offset, rounded twice as the
// converter computes it.
TEST_P(FixedFormat, SurveyCoordinates) {
    const double scales[] = {0.01, 0.001, 0.0001, 1e-7, 0.00025, 0.005, 0.1, 1};
    const double offsets[] = {0, 500000, 4.3e6, -123.456, 1e6, 5e6, -1e5, 0.5};
    const uint64_t n = count(kCoordinates);
    std::uniform_int_distribution<int32_t> any(INT32_MIN, INT32_MAX);
    std::uniform_int_distribution<int32_t> survey(-100'000'000, 100'000'000);
    for (uint64_t i = 0; i < n; ++i) {
        const double scale = scales[rng() % std::size(scales)];
        const double offset = offsets[rng() % std::size(offsets)];
        const int32_t x = (i % 4 == 0) ? any(rng) : survey(rng);
        const double product = scale * x;
        check(product + offset);
    }
    expect_all_match(n);
}

TEST_P(FixedFormat, GpsTimes) {
    const uint64_t n = count(kGpsTimes);
    std::uniform_real_distribution<double> standard(0, 1e9);
    std::uniform_real_distribution<double> adjusted(-1e9, 1e9);
    std::uniform_int_distribution<int64_t> week_second(0, 604800);
    std::uniform_int_distribution<int64_t> microseconds(0, 999'999);
    for (uint64_t i = 0; i < n; ++i) {
        switch (i % 4) {
        case 0:
            check(standard(rng));
            break;
        case 1:
            check(adjusted(rng));
            break;
        case 2: {
            const double whole = static_cast<double>(week_second(rng));
            check(whole + static_cast<double>(microseconds(rng)) * 1e-6);
            break;
        }
        default:
            check(static_cast<double>(week_second(rng)) +
                  std::ldexp(static_cast<double>(rng() >> 11), -53));
        }
    }
    expect_all_match(n);
}

// Exact ties at both precisions (odd multiples of 1/8 are ties at 2 decimals,
// of 1/256 at 7), other dyadic values n / 2^j, and the doubles nearest to the
// decimal midpoints of this precision with a neighbour.
TEST_P(FixedFormat, HalfwayValues) {
    const uint64_t n = count(kHalfways);
    const double unit = std::pow(10.0, -GetParam().digits);
    for (uint64_t i = 0; i < n; ++i) {
        // Below 2^44, so that whole + odd / 256 is exact.
        const double whole = static_cast<double>(rng() >> (20 + rng() % 44));
        const double tie =
            i % 2 == 0
                ? whole + static_cast<double>(2 * (rng() % 4) + 1) / 8
                : whole + static_cast<double>(2 * (rng() % 128) + 1) / 256;
        check_both_signs(tie);
        const int j = 1 + static_cast<int>(rng() % 70);
        check(std::ldexp(static_cast<double>(rng() >> (rng() % 64)), -j));
        const double steps = static_cast<double>(rng() % 100'000'000);
        const double midpoint = (whole + steps * unit) + unit / 2;
        check(midpoint);
        check(std::nextafter(midpoint, i % 2 == 0 ? 0.0 : HUGE_VAL));
    }
    expect_all_match(kValuesPerHalfway * n);
}

TEST_P(FixedFormat, Subnormals) {
    const uint64_t n = count(kSubnormals);
    for (uint64_t i = 0; i < n; ++i)
        check(make_double(rng() & 1, 0, rng() >> (rng() % 52)));
    expect_all_match(n);
}

TEST_P(FixedFormat, SpecialValues) {
    const double inf = std::numeric_limits<double>::infinity();
    const double two64 = 18446744073709551616.0;
    const std::vector<double> values = {
        0.0,
        inf,
        std::numeric_limits<double>::quiet_NaN(),
        std::numeric_limits<double>::signaling_NaN(),
        from_bits(0x7ff0000000000001ULL), // smallest NaN payload
        from_bits(0x7fffffffffffffffULL),
        DBL_MAX,
        DBL_MIN,
        std::numeric_limits<double>::denorm_min(),
        std::nextafter(DBL_MIN, 0.0), // largest subnormal
        1e308,
        1e-308,
        two64,
        std::nextafter(two64, 0.0),
        std::nextafter(two64, inf),
        9007199254740992.0, // 2^53
        9007199254740993.0,
        4503599627370495.5, // 2^52 - 0.5
        0.5,
        0.005,
        0.015,
        0.125,
        0.375,
        0.995,
        9.995,
        99.995,
        0.00000005,
        0.00000015,
        0.99999995,
        0.999999949999999,
        999999.99999999,
        1.0 / 3.0,
        2.0 / 3.0,
        0.1,
        0.2,
        0.3,
        std::ldexp(1.0, -128),
        std::ldexp(1.0, -127),
        std::ldexp(1.0, -41),
        std::ldexp(1.0, -40),
        std::ldexp(1.0, -64),
        std::ldexp(1.0, -63),
        std::ldexp(1.0, -8),
        std::ldexp(1.0, -9),
        std::ldexp(1.0, -3),
        std::ldexp(3.0, -8),
    };
    for (double v : values)
        check_both_signs(v);
    expect_all_match(2 * values.size());
}

INSTANTIATE_TEST_SUITE_P(Precisions, FixedFormat,
                         testing::Values(Precision{2, ptx::put_fixed2, "%.2f"},
                                         Precision{3, ptx::put_fixed3, "%.3f"},
                                         Precision{6, ptx::put_fixed6, "%f"},
                                         Precision{7, ptx::put_fixed7, "%.7f"}),
                         [](const testing::TestParamInfo<Precision> &info) {
                             return "Decimals" +
                                    std::to_string(info.param.digits);
                         });

// ---- GPS times with the whole seconds carried from row to row ----

// The memo of one run of rows; each series starts a fresh one, as each row
// loop does.
ptx::SecondsMemo g_seconds;

char *put_gps_time(char *p, double v) {
    return ptx::put_gps_time(p, v, g_seconds);
}

// Where a series starts: survey times, negative (adjusted) times, and the
// edges of the memo's range and of a binary exponent, where the whole
// seconds' text or the bits they come from change.
double series_start(std::mt19937_64 &rng) {
    std::uniform_real_distribution<double> unit(0, 1);
    const double two13 = 8192, two52 = 0x1p52;
    switch (rng() % 8) {
    case 0:
        return 3e8 + 1.1e9 * unit(rng); // standard GPS time
    case 1:
        return -1e9 * unit(rng); // adjusted standard, before 2011
    case 2:
        return 604800 * unit(rng); // GPS week seconds
    case 3:
        return (rng() % 2 ? 1 : -1) * (two13 - 2e-3 * unit(rng));
    case 4:
        return two52 - static_cast<double>(rng() % 8) - 0.5;
    case 5: // just below a power of two, the exponent about to change
        return std::ldexp(1.0, 14 + static_cast<int>(rng() % 38)) -
               1e-4 * unit(rng);
    case 6: // a tie at seven decimals: the fraction an odd number of 256ths
        return std::floor(2e9 * unit(rng)) +
               static_cast<double>(2 * (rng() % 128) + 1) / 256;
    default: // a second about to turn over when rounded
        return std::floor(1e9 * unit(rng)) + 0.99999993;
    }
}

// The next time of a series: mostly a few microseconds on, as pulses are,
// sometimes across a whole second, a jump back, the neighbours of the last,
// or a tie within the same second.
double series_step(std::mt19937_64 &rng, double t) {
    std::uniform_real_distribution<double> unit(0, 1);
    switch (rng() % 10) {
    case 0:
        return t + 0.9 + 0.2 * unit(rng);
    case 1:
        return t - 1e-3 * unit(rng);
    case 2:
        return std::nextafter(t, rng() % 2 ? HUGE_VAL : -HUGE_VAL);
    case 3:
        return std::trunc(t) +
               std::copysign(static_cast<double>(2 * (rng() % 128) + 1) / 256,
                             t);
    case 4:
        return -t;
    default:
        return t + 1.5e-5 * unit(rng);
    }
}

TEST(GpsTimeSeries, MatchSnprintf) {
    std::mt19937_64 rng{seed() * 13 + 5};
    Checker c;
    const uint64_t series = count(kGpsSeries);
    for (uint64_t s = 0; s < series; ++s) {
        g_seconds = ptx::SecondsMemo{};
        double t = series_start(rng);
        for (uint64_t i = 0; i < kTimesPerSeries; ++i, t = series_step(rng, t))
            c.check<double>(put_gps_time, "%.7f", t);
    }
    EXPECT_EQ(c.checked(), series * kTimesPerSeries);
    EXPECT_EQ(c.failed(), 0u) << c.report();
}

// The times at the memo's edges one after another, each after a time with
// the same whole seconds, so that the memo is tried on every one.
TEST(GpsTimeSeries, EdgesAfterTheirOwnSeconds) {
    const double two13 = 8192, two52 = 0x1p52;
    const std::vector<double> edges = {
        two13,
        std::nextafter(two13, 0.0),
        std::nextafter(two13, HUGE_VAL),
        two52,
        std::nextafter(two52, 0.0),
        two52 - 0.5,
        331452786.99999995,
        331452786.99999994,
        331452786.0 + 1.0 / 256,
        331452786.0 + 3.0 / 256,
        4294967295.9999999,
        9999999999.9999999,
        99999999.00000005,
        0.5,
        1e15 + 0.25,
        1e16,
    };
    Checker c;
    for (const double edge : edges)
        for (const double v : {edge, -edge}) {
            g_seconds = ptx::SecondsMemo{};
            c.check<double>(put_gps_time, "%.7f", std::trunc(v));
            c.check<double>(put_gps_time, "%.7f", v);
            c.check<double>(put_gps_time, "%.7f", v);
        }
    EXPECT_EQ(c.checked(), 6 * edges.size());
    EXPECT_EQ(c.failed(), 0u) << c.report();
}

// The cases a reader checks by eye, spelled out, so that an snprintf that
// disagreed with the documented behaviour would not go unnoticed either.
std::string fixed2(double v) {
    char buf[ptx::kMaxNumberChars];
    return std::string(buf, ptx::put_fixed2(buf, v));
}

std::string fixed7(double v) {
    char buf[ptx::kMaxNumberChars];
    return std::string(buf, ptx::put_fixed7(buf, v));
}

TEST(FixedFormatSpelling, SignsTiesAndSpecials) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    EXPECT_EQ(fixed2(-0.0), "-0.00");
    EXPECT_EQ(fixed2(-0.001), "-0.00");
    EXPECT_EQ(fixed2(0.125), "0.12");
    EXPECT_EQ(fixed2(0.375), "0.38");
    EXPECT_EQ(fixed2(-2.5 / 8), "-0.31");
    EXPECT_EQ(fixed2(0.995), "0.99"); // the double is just below 0.995
    EXPECT_EQ(fixed2(9.999), "10.00");
    EXPECT_EQ(fixed7(1.0 / 256), "0.0039062");
    EXPECT_EQ(fixed7(3.0 / 256), "0.0117188");
    EXPECT_EQ(fixed7(-0.00000001), "-0.0000000");
    EXPECT_EQ(fixed7(123456789.123456789), "123456789.1234568");
    EXPECT_EQ(fixed2(nan), "nan");
    EXPECT_EQ(fixed2(-nan), "-nan");
    EXPECT_EQ(fixed7(inf), "inf");
    EXPECT_EQ(fixed7(-inf), "-inf");
    EXPECT_EQ(fixed2(18446744073709551616.0), "18446744073709551616.00");
    const std::string max = fixed2(DBL_MAX);
    EXPECT_EQ(max.size(), 309u + 3u);
    EXPECT_EQ(max.substr(0, 17), "17976931348623157");
    EXPECT_EQ(max.substr(max.size() - 6), "368.00");
}

// ---- coordinates through a file's plan ----

// The plan each kind of file gets: for the decimals that state both its
// scale and its offset, the step of m per unit of X (in cents where the
// decimals are two or fewer) and the divisor that turns m into cents.
TEST(CoordinatePlan, DecimalScalesAndOffsets) {
    struct Case {
        double scale, offset;
        int64_t step; // 0: no plan, every value exact
        uint64_t per;
    };
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const Case cases[] = {
        {0.01, 512000, 1, 1},
        {0.01, -0.0, 1, 1},
        {0.001, -98436, 1, 10},
        {0.01, 637905.545, 10, 10}, // a half-cent offset: three decimals
        {1e-7, 0, 1, 100000},
        {0.25, 4310000, 25, 1},
        {0.5, 0, 50, 1},
        {1, 0, 100, 1},
        {0.125, 0, 125, 10},
        {0.00025, 34.81025, 25, 1000},
        {0.0013908205841446453, 0.5, 0, 1},
        // 0.06 mm off the millimetre grid: within the proof's margin.
        {0.0010000000000000002, 393775.82306091185, 1, 10},
        {nan, 0, 0, 1},
        {0.01, std::numeric_limits<double>::infinity(), 0, 1},
        {0, 0, 0, 1},
    };
    for (const Case &c : cases) {
        const ptx::CoordinatePlan plan = ptx::planCoordinate(c.scale, c.offset);
        EXPECT_EQ(plan.step, c.step) << c.scale << " " << c.offset;
        EXPECT_EQ(plan.limit != 0, c.step != 0) << c.scale << " " << c.offset;
        EXPECT_EQ(plan.per, c.per) << c.scale << " " << c.offset;
    }
}

// X * scale + offset printed through the plan, against snprintf, with X
// drawn where the plan has to give way: m near zero (the sign of zero),
// m near halfway points, the ends of the int32 range; and at random.  The
// scales include two that a float made inexact, whose proof covers only
// part of the range.
TEST(Coordinates, MatchSnprintf) {
    const double scales[] = {0.01,
                             0.001,
                             0.0001,
                             1e-7,
                             0.25,
                             0.5,
                             0.125,
                             1e-5,
                             0.00025,
                             1,
                             -0.01,
                             static_cast<float>(0.01),
                             static_cast<float>(0.001)};
    std::mt19937_64 rng{seed() * 7 + 1};
    std::uniform_int_distribution<int32_t> any(INT32_MIN, INT32_MAX);
    const uint64_t files = count(kCoordinateFiles);
    Checker c;
    for (uint64_t f = 0; f < files; ++f) {
        const double scale = scales[rng() % std::size(scales)];
        const int decimals = 1 + static_cast<int>(rng() % 8);
        const double unit = std::pow(10.0, -decimals);
        const double steps = static_cast<double>(rng() % 20'000'001) - 1e7;
        double offset = 0;
        switch (rng() % 5) {
        case 0:
            offset = std::round(steps / 1e7 * 1e7 * unit * 1e3) / 1e3;
            break;
        case 1:
            offset = steps;
            break; // whole numbers, -1e7 to 1e7
        case 2:
            offset = steps * unit;
            break;
        case 3:
            offset = (steps + 0.5) * unit;
            break;
        default:
            offset = (rng() % 2 ? -0.0 : 0.0);
        }
        const ptx::CoordinatePlan plan = ptx::planCoordinate(scale, offset);
        const double centre = -offset / scale;
        ptx::ThousandsMemo memo; // one file's run of values
        int64_t x = 0;
        for (uint64_t i = 0; i < kValuesPerFile; ++i) {
            const int64_t near = static_cast<int64_t>(rng() % 9) - 4;
            switch (i % 6) {
            case 4: // a walk, as neighbouring points go
            case 5:
                x += static_cast<int64_t>(rng() % 4001) - 2000;
                break;
            case 0:
                x = any(rng);
                break;
            case 1:
                x = static_cast<int64_t>(std::nearbyint(centre)) + near;
                break;
            case 2: { // near (j + 1/2) / 100, for some j in range
                const double j = static_cast<double>(any(rng)) * scale * 100;
                x = static_cast<int64_t>(std::nearbyint(
                        ((std::floor(j) + 0.5) / 100 - offset) / scale)) +
                    near;
                break;
            }
            default:
                x = (rng() % 2 ? INT32_MAX : INT32_MIN) - near;
            }
            if (x < INT32_MIN || x > INT32_MAX)
                x = any(rng);
            const auto xi = static_cast<int32_t>(x);
            // The row loops' variant wherever the plan counts hundredths.
            c.check_with(
                [&](char *out, double) {
                    return plan.per == 1
                               ? ptx::put_coordinate<true>(out, xi, plan, memo)
                               : ptx::put_coordinate(out, xi, plan);
                },
                "%.2f", ptx::scaledCoordinate(xi, plan.scale, plan.offset));
        }
    }
    EXPECT_EQ(c.checked(), files * kValuesPerFile);
    EXPECT_EQ(c.failed(), 0u) << c.report();
}

// Coordinates of scale 0.01 around every change of the text's shape: each
// power of ten of the hundredths, and the thousands that the table of
// 0 to 999 splits the whole units at; in a run through one memo of the
// thousands, so that every edge is crossed from a remembered value.
TEST(Coordinates, TextLengthEdges) {
    const ptx::CoordinatePlan plans[] = {ptx::planCoordinate(0.01, 0),
                                         ptx::planCoordinate(0.01, 4.3e6)};
    std::vector<int64_t> hundredths;
    for (int64_t p = 1; p <= 10'000'000'000; p *= 10)
        for (int64_t d = -2; d <= 2; ++d)
            hundredths.push_back(p + d);
    for (int64_t thousand = 100'000; thousand <= 1'000'000'000;
         thousand *= 1000)
        for (int64_t k : {1, 2, 999, 1000, 1001})
            for (int64_t d : {-101, -100, -1, 0, 1, 99, 100})
                hundredths.push_back(k * thousand + d);
    Checker c;
    for (const ptx::CoordinatePlan &plan : plans) {
        ptx::ThousandsMemo memo;
        for (const int64_t n : hundredths)
            for (const int64_t signed_n : {n, -n}) {
                const int64_t x = signed_n - plan.base;
                if (x < INT32_MIN || x > INT32_MAX)
                    continue;
                const auto xi = static_cast<int32_t>(x);
                c.check_with(
                    [&](char *out, double) {
                        return ptx::put_coordinate<true>(out, xi, plan, memo);
                    },
                    "%.2f", ptx::scaledCoordinate(xi, plan.scale, plan.offset));
            }
    }
    EXPECT_GT(c.checked(), 300u);
    EXPECT_EQ(c.failed(), 0u) << c.report();
}

// ---- integer conversions ----

std::vector<uint64_t> integer_edges() {
    std::vector<uint64_t> edges = {65535, 65536, UINT32_MAX, INT32_MAX,
                                   uint64_t{INT32_MAX} + 1};
    for (uint64_t p = 1; p <= UINT32_MAX; p *= 10)
        for (uint64_t d : {p - 1, p, p + 1})
            edges.push_back(d);
    for (int k = 0; k <= 32; ++k)
        for (uint64_t d :
             {(uint64_t{1} << k) - 1, uint64_t{1} << k, (uint64_t{1} << k) + 1})
            edges.push_back(d);
    return edges;
}

void check_uint(Checker &c, uint32_t v) {
    c.check(ptx::put_uint, "%u", v);
}
void check_int(Checker &c, int32_t v) {
    c.check(ptx::put_int, "%d", v);
}

TEST(IntegerFormat, UnsignedBoundaries) {
    Checker c;
    uint64_t expected = 0;
    for (uint64_t v : integer_edges())
        if (v <= UINT32_MAX) {
            check_uint(c, static_cast<uint32_t>(v));
            ++expected;
        }
    EXPECT_EQ(c.checked(), expected);
    EXPECT_EQ(c.failed(), 0u) << c.report();
}

TEST(IntegerFormat, SignedBoundaries) {
    Checker c;
    uint64_t expected = 0;
    for (uint64_t v : integer_edges()) {
        // Both signs of every edge that is in range, INT32_MIN included.
        if (v <= uint64_t{INT32_MAX} + 1) {
            check_int(c, static_cast<int32_t>(0 - v));
            ++expected;
        }
        if (v <= INT32_MAX) {
            check_int(c, static_cast<int32_t>(v));
            ++expected;
        }
    }
    EXPECT_EQ(c.checked(), expected);
    EXPECT_EQ(c.failed(), 0u) << c.report();
}

TEST(IntegerFormat, EverySmallValue) {
    Checker c;
    for (int32_t v = -70000; v <= 70000; ++v) {
        check_int(c, v);
        if (v >= 0)
            check_uint(c, static_cast<uint32_t>(v));
    }
    EXPECT_EQ(c.checked(), 140001u + 70001u);
    EXPECT_EQ(c.failed(), 0u) << c.report();
}

// The lane arithmetic under every conversion, for all of its inputs.
TEST(IntegerFormat, EveryEightDigitValue) {
    uint32_t wrong = 0, first_wrong = 0;
    for (uint32_t v = 0; v < 100000000; ++v) {
        const uint64_t lanes = ptx::number_format_detail::eight_digit_values(v);
        uint64_t want = 0;
        for (uint32_t rest = v, i = 0; i < 8; ++i, rest /= 10)
            want |= uint64_t{rest % 10} << (8 * (7 - i));
        if (lanes != want && wrong++ == 0)
            first_wrong = v;
    }
    EXPECT_EQ(wrong, 0u) << "first at " << first_wrong;
}

TEST(IntegerFormat, EveryByte) {
    Checker c;
    for (int b = 0; b < 256; ++b) {
        c.check(ptx::put_u8, "%u", static_cast<uint8_t>(b));
        c.check(ptx::put_i8, "%d", static_cast<int8_t>(b));
    }
    EXPECT_EQ(c.checked(), 512u);
    EXPECT_EQ(c.failed(), 0u) << c.report();
}

// Every value of the 16-bit fields (intensity, point source, colours).
TEST(IntegerFormat, EverySixteenBitValue) {
    Checker c;
    for (uint32_t v = 0; v <= UINT16_MAX; ++v)
        c.check(ptx::put_u16, "%u", static_cast<uint16_t>(v));
    EXPECT_EQ(c.checked(), 65536u);
    EXPECT_EQ(c.failed(), 0u) << c.report();
}

// Random values of random bit width, so that every digit count is common.
TEST(IntegerFormat, RandomValues) {
    std::mt19937_64 rng{seed()};
    Checker c;
    const uint64_t n = count(kRandomInts);
    for (uint64_t i = 0; i < n; ++i) {
        const uint64_t r = rng();
        const auto bits = static_cast<uint32_t>(r >> (32 + (r & 31)));
        check_uint(c, bits);
        check_int(c, static_cast<int32_t>(bits));
    }
    EXPECT_EQ(c.checked(), 2 * n);
    EXPECT_EQ(c.failed(), 0u) << c.report();
}

} // namespace
