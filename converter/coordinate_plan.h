/* SPDX-License-Identifier: MIT */
// coordinate_plan.h - coordinates as printf("%.2f") writes them, from a
// plan made once per file and axis: most values follow from an integer sum
// that the plan proves exact, and the rest take number_format.h's exact
// routine.
#ifndef PTXPORT_COORDINATE_PLAN_H
#define PTXPORT_COORDINATE_PLAN_H

#include "number_format.h"
#include "scaled_value.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>

namespace ptx {

// A coordinate as a point record defines it: the integer times the scale
// factor, then plus the offset, each step rounded to double.  The one place
// that computes it, for the fast path's fallback and for the exact path.
// A NaN that the arithmetic makes is that of x86-64 on every machine
// (scaled_value.h).
inline double scaledCoordinate(int32_t x, double scale, double offset) {
    return tamarak::scaled_value(static_cast<double>(x), scale, offset);
}

// printf("%.2f", scaledCoordinate(x, scale, offset)) without the general
// conversion for nearly every value.
//
// Most files have a scale factor a * 10^-d and an offset K * 10^-d (a, K
// integers; the common case a = 1, d = 2, K a whole number of centimetres).
// The coordinate is then close to m * 10^-d with m = a * x + K, an integer
// sum, and printf's digits follow from m alone.
//
// Why that is exact.  Let u = 2^-53, w = 10^-d, s the scale, o the offset,
// p = fl(x * s), v = fl(p + o).  Each rounding is relative, so
//     v - m w = (p - x s) + x (s - a w) + (o - K w) + (v - (p + o))
//     |v - m w| <= |x| (|s| u + |s - a w| + |s| (1 + u) u) + |o - K w| + |o| u
// which is c1 |x| + c0 (plan_decimal() below).  The rounding that printf
// does is decided by which side of a halfway point (j + 1/2) / 100 the exact
// v is on.
//   - d <= 2: m w is n / 100 with n = m * 10^(2-d), at 1/200 from every
//     halfway point, so |v - m w| < 1/200 gives n.
//   - d > 2: with q = 10^(d-2), the halfway points are (j q + q/2) w, and an
//     m with m mod q != q/2 is at least w away from each, so |v - m w| < w
//     gives n = m / q rounded to nearest.  m mod q == q/2 is doubtful: the
//     exact value decides, and the general routine takes it.
// With T = min(w, 1/200), a value is proven when c1 |x| + c0 < T.
// plan_decimal() asks for twice that margin, so the few roundings of
// computing the bound (each relative, about 2^-52) cannot matter, and
// derives from it a bound on |m| that keeps |x| within the proof (every |m|
// where the proof covers the whole int32 range, as it does for every exact
// decimal scale).
//   - m = 0 is doubtful: v is then 0 or tiny, and printf shows its sign
//     ("-0.00").  Any other m has |v - m w| < T <= |m| w, so v is nonzero
//     with m's sign, and printf's digits are those of |m| after a '-' when m
//     is negative.
//   - The bound keeps |v| below 2^53 * 10^-d + |o|: never infinite or NaN, and
//     n fits 64 bits (|m| < 2^53, 10^(2-d) <= 100).
// s * 10^d and o * 10^d are measured in doubles: t = fl(s * 10^d) is within
// u |t| (1 + u) of the exact product, and t - round(t) is exact, so
// |s - a w| <= (|t - a| + 2 u |t|) w; the same for o and K.
//
// For d <= 2 the plan holds a and K already times 10^(2-d), so that its sum
// is the cents n themselves; "m" below is that sum.
struct CoordinatePlan {
    double scale = 1, offset = 0;
    int64_t step = 0, base = 0; // a and K (times 10^(2-d) for d <= 2)
    uint64_t limit = 0;         // fast when 1 <= |m| <= limit; 0: never
    uint64_t short_limit = 0;   // min(limit, 10^8 - 1): fewer than 9 digits
    uint64_t per = 1, half = 0; // q = 10^(d-2) and q / 2 for d > 2
};

namespace coordinate_detail {

// The digit routines and tables the plan's text is built from.
using namespace number_format_detail;

// |value * 10^d - round(value * 10^d)| and round(value * 10^d), with the
// product's rounding counted in; false where the product leaves 2^52.
inline bool decimal_steps(double value, int d, double &steps, double &miss) {
    const double t = value * static_cast<double>(kPow10[d]);
    if (!(std::fabs(t) < 0x1p52))
        return false;
    steps = std::nearbyint(t);
    miss = std::fabs(t - steps) + 0x1p-52 * std::fabs(t);
    return true;
}

inline bool plan_decimal(CoordinatePlan &c, int d) {
    double a = 0, a_miss = 0, k = 0, k_miss = 0;
    if (!decimal_steps(c.scale, d, a, a_miss) ||
        !decimal_steps(c.offset, d, k, k_miss) || a == 0 ||
        std::fabs(a) > 0x1p20)
        return false;
    const double w = 1.0 / static_cast<double>(kPow10[d]);
    const double u = 0x1p-53, s = std::fabs(c.scale);
    const double c1 = s * u * 3 + a_miss * w;
    const double c0 = k_miss * w + std::fabs(c.offset) * u;
    const double proven = std::fmin(w, 0.005) / 2;
    if (!(c0 < proven))
        return false;
    // Every |m| an int32 x gives where the proof covers them all, else the
    // |m| that keep |x| = |m - K| / |a| within it.
    const double x_max = std::floor((proven - c0) / c1);
    const double m_max = x_max >= 0x1p31 ? 0x1p31 * std::fabs(a) + std::fabs(k)
                                         : x_max * std::fabs(a) - std::fabs(k);
    if (!(m_max >= 1))
        return false;
    const auto times = static_cast<int64_t>(d <= 2 ? kPow10[2 - d] : 1);
    c.step = static_cast<int64_t>(a) * times;
    c.base = static_cast<int64_t>(k) * times;
    c.limit = static_cast<uint64_t>(m_max) * static_cast<uint64_t>(times);
    c.short_limit = std::min<uint64_t>(c.limit, 99999999);
    c.per = d > 2 ? kPow10[d - 2] : 1;
    c.half = c.per / 2;
    return true;
}

// Moves the last two characters before `end` one place on and puts the
// decimal point before them: "12345" becomes "123.45".
inline char *put_point_before_cents(char *end) {
    char cents[2];
    std::memcpy(cents, end - 2, 2);
    std::memcpy(end - 1, cents, 2);
    end[-2] = '.';
    return end + 1;
}

// ".00" to ".99", one word each, for one load and one store.
inline constexpr auto kCentTexts = [] {
    std::array<uint64_t, 100> table{};
    for (unsigned c = 0; c < 100; ++c)
        table[c] = uint64_t{'.'} | uint64_t{'0' + c / 10} << 8 |
                   uint64_t{'0' + c % 10} << 16;
    return table;
}();

inline char *put_cents(char *p, uint32_t cents) {
    put_word(p, kCentTexts[cents]);
    return p + 3;
}

// The three digits of v < 1000, leading zeros included.
inline char *put_three_digits(char *p, uint32_t v) {
    put_word(p, kThousandTexts[v] >> 32);
    return p + 3;
}

// The text of n hundredths, n < 10^8, from the table of 0 to 999: the
// whole units w = n / 100 < 10^6 are 1000 h + l, and printf spells them as
// h without leading zeros and then l's three digits where h > 0, as l
// without leading zeros where h = 0 (so "0.05"); the cents follow.
[[gnu::always_inline]] inline char *put_hundredths(char *p, uint32_t n) {
    const uint32_t whole = n / 100;
    const uint32_t cents = n - whole * 100;
    const uint32_t high = whole / 1000;
    const uint32_t low = whole - high * 1000;
    if (high != 0) {
        p = put_byte_text(p, kThousandTexts[high]);
        p = put_three_digits(p, low);
    } else {
        p = put_byte_text(p, kThousandTexts[low]);
    }
    return put_cents(p, cents);
}

// The same for 10^8 <= n < 10^10 (a million metres and more, as northings
// are): w = n / 100 is 10^6 t + 1000 h + l with 1 <= t < 100, spelled as t
// without leading zeros, then h's and l's three digits.
[[gnu::always_inline]] inline char *put_long_hundredths(char *p, uint64_t n) {
    const auto whole = static_cast<uint32_t>(n / 100);
    const auto cents = static_cast<uint32_t>(n - uint64_t{whole} * 100);
    const uint32_t top = whole / 1000000;
    const uint32_t rest = whole - top * 1000000;
    const uint32_t high = rest / 1000;
    p = put_byte_text(p, kThousandTexts[top]);
    p = put_three_digits(p, high);
    p = put_three_digits(p, rest - high * 1000);
    return put_cents(p, cents);
}

// The whole thousands (of units) of an axis' last value of at least 10^5
// hundredths, with their text: within a file, consecutive points nearly
// always lie in the same thousand metres.  A fresh memo matches nothing:
// no n < 2^63 is within 10^5 above 2^63.
struct ThousandsMemo {
    uint64_t from = uint64_t{1} << 63; // 10^5 t, t the thousands
    uint64_t text = 0; // t's digits in the low bytes, their count on top
};

// Remembers the thousands t = n / 10^5 of n hundredths where 1 <= t < 10^5
// (at most five digits, which one word holds with their count) and every
// value of [10^5 t, 10^5 (t + 1)) is within the plan's proven range, so
// that any value the memo matches is proven.
inline void remember_thousands(ThousandsMemo &memo, uint64_t n,
                               uint64_t limit) {
    const uint64_t t = n / 100000;
    const uint64_t from = t * 100000;
    if (t == 0 || t >= 100000 || from + 99999 > limit)
        return;
    memo.from = from;
    if (t < 1000) {
        memo.text = kThousandTexts[t];
        return;
    }
    const uint64_t top = t / 1000; // 1 to 99
    const uint64_t head = kThousandTexts[top];
    const uint64_t count = head >> 56;
    const uint64_t three = kThousandTexts[t - top * 1000] >> 32 & 0xffffff;
    memo.text = (head & 0xffff) | three << (8 * count) | (count + 3) << 56;
}

// The text of n hundredths with n = 10^5 t + r, r < 10^5, t's text given.
// printf spells n / 100 = 1000 t + r / 100 (t >= 1) as t's digits without
// leading zeros, then the three digits of r / 100 with them; the cents are
// r mod 100.  A value outside the remembered thousand takes
// put_hundredths or put_long_hundredths, or the exact routine where the
// plan does not prove it.
[[gnu::always_inline]] inline char *put_after_thousands(char *p, uint64_t text,
                                                        uint32_t r) {
    p = put_byte_text(p, text);
    const uint32_t low = r / 100;
    p = put_three_digits(p, low);
    return put_cents(p, r - low * 100);
}

// The text of put_coordinate where the plan proves it, else null.
// Hundredths: the caller knows that the plan's m is already n
// (c.per == 1), as it is for every scale of 0.01 or coarser, and the test
// is left out of its loop; only such loops keep a memo of the thousands
// (the magnitude a is then n itself).  The sign is a branch, not
// arithmetic: within a file it nearly always goes the same way.
template <bool Hundredths = false>
[[gnu::always_inline]] inline char *coordinate_by_plan(char *p, int32_t x,
                                                       const CoordinatePlan &c,
                                                       ThousandsMemo &memo) {
    const int64_t m = c.step * x + c.base;
    uint64_t a = static_cast<uint64_t>(m);
    char *q = p;
    if (m < 0) {
        *q++ = '-';
        a = 0 - a;
    }
    if constexpr (Hundredths) {
        const uint64_t r = a - memo.from;
        if (r < 100000) [[likely]]
            return put_after_thousands(q, memo.text, static_cast<uint32_t>(r));
        if (a >= 100000) // the usual heights skip the division
            remember_thousands(memo, a, c.limit);
    }
    if (Hundredths && a - 1 < c.short_limit) [[likely]]
        return put_hundredths(q, static_cast<uint32_t>(a));
    if (a - 1 >= c.limit) [[unlikely]]
        return nullptr;
    uint64_t n = a;
    if (!Hundredths && c.per != 1) [[unlikely]] {
        const uint64_t rest = a % c.per;
        if (rest == c.half)
            return nullptr;
        n = a / c.per + (rest > c.half);
    }
    if (n < 100000000)
        return put_hundredths(q, static_cast<uint32_t>(n));
    if (n < 10000000000)
        return put_long_hundredths(q, n);
    return put_point_before_cents(put_u64(q, n));
}

// Kept out of line, so that the row loops around the plan's path keep
// their registers; the plan goes by value, so that the loops' copy of it
// never has its address taken.
[[gnu::noinline]] inline char *coordinate_exactly(char *p, int32_t x,
                                                  double scale, double offset) {
    return put_fixed<2>(p, scaledCoordinate(x, scale, offset));
}

} // namespace coordinate_detail

using coordinate_detail::ThousandsMemo;

// The plan of one axis: the fewest decimals d (0 to 8) that state both the
// scale factor and the offset; none (every value exact) where there are
// none.
inline CoordinatePlan planCoordinate(double scale, double offset) {
    CoordinatePlan c;
    c.scale = scale;
    c.offset = offset;
    for (int d = 0; d <= 8; ++d)
        if (coordinate_detail::plan_decimal(c, d))
            break;
    return c;
}

// printf("%.2f", scaledCoordinate(x, c.scale, c.offset)); Hundredths as
// for coordinate_by_plan.  Inline in every row loop: as a call it costs
// more than the conversion.
// The memo carries the thousands from one value of the axis to the next.
template <bool Hundredths = false>
[[gnu::always_inline]] inline char *put_coordinate(char *p, int32_t x,
                                                   const CoordinatePlan &c,
                                                   ThousandsMemo &memo) {
    if (char *end =
            coordinate_detail::coordinate_by_plan<Hundredths>(p, x, c, memo))
        return end;
    return coordinate_detail::coordinate_exactly(p, x, c.scale, c.offset);
}

// The same for a value on its own.
template <bool Hundredths = false>
inline char *put_coordinate(char *p, int32_t x, const CoordinatePlan &c) {
    ThousandsMemo fresh;
    return put_coordinate<Hundredths>(p, x, c, fresh);
}

} // namespace ptx

#endif
