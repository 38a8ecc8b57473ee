// SPDX-License-Identifier: MIT
// test_platform_std.cpp - the stand-ins of platform_std.h and
// platform_thread.h, which only a host without the standard facility
// builds into the command, checked here on every host: the same bytes as
// glibc's printf, the same bits back, every thread joined.
#include "platform_std.h"
#include "platform_thread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace {

std::string printed(double v, int decimals) {
    char text[512];
    std::snprintf(text, sizeof text, "%.*f", decimals, v);
    return text;
}

// The point writer hands these over at 2^64 and above: the edges, the
// largest double, and values whose digits end in ties and carries.
const double kHuge[] = {18446744073709551616.0,
                        18446744073709555712.0,
                        1e20,
                        123456789012345678901234.0,
                        1e300,
                        1.7976931348623157e308,
                        9.999999999999999e22,
                        36893488147419103232.5e3};

TEST(FixedByPrintf, WritesWhatPrintfWritesWithEveryPrecision) {
    for (const double v : kHuge)
        for (int decimals = 1; decimals <= 8; ++decimals) {
            char text[512];
            char *end = tamarak::fixed_by_printf(text, text + 400, v, decimals);
            EXPECT_EQ(std::string(text, end), printed(v, decimals))
                << v << " with " << decimals;
            end = tamarak::to_chars_fixed(text, text + 400, v, decimals);
            EXPECT_EQ(std::string(text, end), printed(v, decimals))
                << v << " with " << decimals;
        }
}

TEST(BitCast, GivesTheBitsOfDoublesAndBack) {
    const struct {
        double value;
        uint64_t bits;
    } cases[] = {{0.0, 0},
                 {-0.0, uint64_t{1} << 63},
                 {1.0, 0x3ff0000000000000},
                 {-2.5, 0xc004000000000000},
                 {5e-324, 1}};
    for (const auto &c : cases) {
        EXPECT_EQ(tamarak::bit_cast<uint64_t>(c.value), c.bits) << c.value;
        EXPECT_EQ(tamarak::bit_cast<double>(c.bits), c.value) << c.bits;
    }
}

TEST(JoiningThread, EveryThreadHasEndedWhenItsVectorGoes) {
    for (const int count : {0, 1, 3, 8}) {
        std::atomic<int> ended{0};
        {
            std::vector<tamarak::JoiningThread> threads;
            for (int i = 0; i < count; ++i)
                threads.emplace_back([&ended] { ++ended; });
        }
        EXPECT_EQ(ended.load(), count);
    }
}

} // namespace
