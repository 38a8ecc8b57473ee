// SPDX-License-Identifier: MIT
// test_scaled_value.cpp - X * scale + offset gives the NaN of x86-64 on
// every machine: an operand's NaN quietened (the scale's before the
// offset's), the negative default NaN for 0 * inf and inf - inf.
#include "scaled_value.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>

namespace {

constexpr uint64_t kInf = 0x7FF0'0000'0000'0000,
                   kNegInf = 0xFFF0'0000'0000'0000;
constexpr uint64_t kOne = 0x3FF0'0000'0000'0000, kZero = 0;
constexpr uint64_t kQnan = 0x7FF8'0000'0000'0005,
                   kNegQnan = 0xFFF8'0000'0000'0006;
constexpr uint64_t kSnan = 0x7FF0'0000'0000'0007,
                   kNegSnan = 0xFFF0'0000'0000'0009;
constexpr uint64_t kDefault = 0xFFF8'0000'0000'0000;
constexpr uint64_t kQuiet = uint64_t{1} << 51;

struct Case {
    const char *what;
    double x;
    uint64_t scale, offset, result;
};

// Not constant: the compiler must not fold the arithmetic by its own rules.
Case cases[] = {
    {"0 * inf", 0, kInf, kZero, kDefault},
    {"0 * -inf", 0, kNegInf, kOne, kDefault},
    {"inf - inf", 1, kInf, kNegInf, kDefault},
    {"-inf + inf", 1, kNegInf, kInf, kDefault},
    {"-1 * inf + inf", -1, kInf, kInf, kDefault},
    {"quiet NaN scale", 5, kQnan, kZero, kQnan},
    {"negative quiet NaN scale", 5, kNegQnan, kOne, kNegQnan},
    {"signalling NaN scale", 5, kSnan, kZero, kSnan | kQuiet},
    {"negative signalling NaN scale", 0, kNegSnan, kZero, kNegSnan | kQuiet},
    {"quiet NaN offset", 5, kOne, kQnan, kQnan},
    {"negative signalling NaN offset", 5, kOne, kNegSnan, kNegSnan | kQuiet},
    {"NaN scale before NaN offset", 5, kQnan, kNegQnan, kQnan},
    {"quiet scale before signalling offset", 5, kQnan, kNegSnan, kQnan},
    {"signalling NaNs both", 5, kNegSnan, kSnan, kNegSnan | kQuiet},
    {"0 * inf before a NaN offset", 0, kInf, kQnan, kDefault},
    {"inf + NaN offset", 3, kInf, kNegQnan, kNegQnan},
    {"-inf + NaN offset", 3, kNegInf, kQnan, kQnan},
};

TEST(ScaledValue, NanResultsAreThoseOfX86_64) {
    for (const Case &c : cases) {
        const double scale = std::bit_cast<double>(c.scale);
        const double offset = std::bit_cast<double>(c.offset);
        EXPECT_EQ(
            std::bit_cast<uint64_t>(tamarak::scaled_value(c.x, scale, offset)),
            c.result)
            << c.what;
#if defined(__x86_64__) && !defined(__clang__)
        // The rule is what this machine's own arithmetic does in GCC's code,
        // which adds the offset to the product; clang may swap the operands
        // of the addition, and so which NaN wins.
        volatile double product = c.x * scale;
        EXPECT_EQ(std::bit_cast<uint64_t>(product + offset), c.result)
            << c.what << " in hardware";
#endif
    }
}

TEST(ScaledValue, OtherResultsAreTwoRoundings) {
    // 0.1 * 3 rounds up, and a fused multiply-add would keep what the
    // first rounding dropped.
    volatile double x = 3, scale = 0.1, offset = -0.30000000000000004;
    EXPECT_EQ(tamarak::scaled_value(x, scale, offset), 0.0);
    volatile double big = 1e308, two = 2;
    EXPECT_EQ(tamarak::scaled_value(two, big, -big), INFINITY);
}

} // namespace
