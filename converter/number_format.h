/* SPDX-License-Identifier: MIT */
// number_format.h - the point writer's number conversions.
//
// Each routine writes one value at p, exactly as glibc's printf writes it
// with the named conversion, and returns the position after the last
// character.  The caller guarantees room for kMaxNumberChars characters.
//
// The fixed-point conversions never do decimal floating-point work: a finite
// double is exactly m * 2^e, so its fraction bits times 10^d, shifted right
// with round-half-to-even on the bits shifted out, is exactly the integer
// printf's correctly rounded digits spell.  Only integers of 2^64 and above
// leave that path, for std::to_chars, which is exact as well.
#ifndef PTXPORT_NUMBER_FORMAT_H
#define PTXPORT_NUMBER_FORMAT_H

#include "scaled_value.h"

#include <algorithm>
#include <array>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace ptx {

// "-", 309 integer digits, ".", 7 decimals, with room to spare.
inline constexpr std::size_t kMaxNumberChars = 352;

namespace number_format_detail {

// 128-bit products, for the rare fractions whose product with 10^D needs
// more than 64 bits: the compiler's type where it has one, as {fmt} does,
// else two 64-bit halves (MSVC; PTXPORT_NO_INT128 forces these for tests).
#if defined(__SIZEOF_INT128__) && !defined(PTXPORT_NO_INT128)
#define PTXPORT_HAS_INT128 1
__extension__ typedef unsigned __int128 uint128;
#endif

// "00" "01" ... "99": two digits per division by 100 halves the divisions.
inline constexpr char kDigitPairs[201] =
    "00010203040506070809101112131415161718192021222324252627282930313233343536"
    "37383940414243444546474849505152535455565758596061626364656667686970717273"
    "7475767778798081828384858687888990919293949596979899";

// 10^0 .. 10^19, every power of ten a uint64_t holds.
inline constexpr auto kPow10 = [] {
    std::array<uint64_t, 20> table{};
    uint64_t power = 1;
    for (uint64_t &entry : table) {
        entry = power;
        power *= 10; // wraps harmlessly after the last entry
    }
    return table;
}();

// Stores the eight bytes of w at p, the lowest first, whatever the host's
// byte order: the words of digits below are built with their first
// character in the lowest byte.
inline void put_word(char *p, uint64_t w) {
    if constexpr (std::endian::native == std::endian::big) {
        uint64_t swapped = 0;
        for (int i = 0; i < 8; ++i)
            swapped |= (w >> (8 * i) & 0xff) << (56 - 8 * i);
        w = swapped;
    }
    std::memcpy(p, &w, 8);
}

inline void put_pair(char *p, unsigned v) {
    std::memcpy(p, &kDigitPairs[2 * v], 2);
}

// Comparisons rather than a logarithm: the branches are predicted, so the
// digit stores need not wait for the count, and measured faster for every
// mix of lengths tried.
template <typename Uint> inline int count_digits(Uint v) {
    int n = 1;
    for (;;) {
        if (v < 10)
            return n;
        if (v < 100)
            return n + 1;
        if (v < 1000)
            return n + 2;
        if (v < 10000)
            return n + 3;
        v /= 10000;
        n += 4;
    }
}

// Writes v's digits backwards so that they end just before end.
template <typename Uint> inline void put_digits_before(char *end, Uint v) {
    while (v >= 100) {
        end -= 2;
        put_pair(end, static_cast<unsigned>(v % 100));
        v /= 100;
    }
    if (v >= 10)
        put_pair(end - 2, static_cast<unsigned>(v));
    else
        end[-1] = static_cast<char>('0' + v);
}

template <typename Uint> inline char *put_unsigned(char *p, Uint v) {
    char *end = p + count_digits(v);
    put_digits_before(end, v);
    return end;
}

// The eight digits of v < 10^8, leading zeros included, as the values 0-9
// in the bytes of a word, first digit in the lowest byte.  Built in a
// register by dividing all lanes at once (two 4-digit halves in 32-bit
// lanes, then four 2-digit pairs in 16-bit lanes), with multiplications by
// reciprocals that are exact in the ranges the lanes hold: y * 10486 >> 20
// is y / 100 for y < 10^4, z * 103 >> 10 is z / 10 for z < 100, and no
// lane's product reaches the next lane.  No loop, no table, no store that a
// load must wait for.
//
// Each split puts the quotient q in the low half of a lane and the
// remainder y - q * b in the high half, at bit k: q | (y - q b) << k, which
// is (y << k) - q (b << k) + q = (y << k) - q ((b << k) - 1), one multiply
// and one subtraction.  Every lane's result is nonnegative and fits its
// lane, so the lanes' sums do not borrow from one another.
inline uint64_t eight_digit_values(uint32_t v) {
    const uint64_t high = v / 10000;
    const uint64_t halves =
        (uint64_t{v} << 32) - high * ((uint64_t{10000} << 32) - 1);
    const uint64_t hundreds =
        (halves * 10486 >> 20) & (uint64_t{0x7f} << 32 | 0x7f);
    const uint64_t pairs = (halves << 16) - hundreds * ((100 << 16) - 1);
    const uint64_t tens = (pairs * 103 >> 10) & 0x000f000f000f000fULL;
    return (pairs << 8) - tens * ((10 << 8) - 1);
}

inline constexpr uint64_t kZeroes = 0x3030303030303030ULL;

// The same as characters.
inline uint64_t eight_digits(uint32_t v) {
    return eight_digit_values(v) + kZeroes;
}

// printf("%u", v).  Writes eight characters at p whatever the length (or
// all of the number, and more).
inline char *put_u32(char *p, uint32_t v) {
    if (v < 100000000) {
        // The leading zero digits are the word's low zero bytes; all but
        // the last go (the bit set in the last byte counts only for v = 0).
        const uint64_t values = eight_digit_values(v);
        const auto shift = static_cast<unsigned>(
            std::countr_zero(values | uint64_t{1} << 56) & ~7);
        const uint64_t digits = (values + kZeroes) >> shift;
        put_word(p, digits);
        return p + 8 - (shift >> 3);
    }
    const uint32_t top = v / 100000000; // 1 to 42
    if (top >= 10) {
        put_pair(p, top);
        p += 2;
    } else {
        *p++ = static_cast<char>('0' + top);
    }
    const uint64_t digits = eight_digits(v % 100000000);
    put_word(p, digits);
    return p + 8;
}

// 32-bit arithmetic is the cheaper, and almost every whole part fits it.
inline char *put_u64(char *p, uint64_t v) {
    if (v <= UINT32_MAX)
        return put_u32(p, static_cast<uint32_t>(v));
    return put_unsigned(p, v);
}

// Writes exactly D digits of f < 10^D, leading zeros included (and, for
// more than two, eight characters in all).
template <int D> inline void put_fraction(char *p, uint32_t f) {
    static_assert(D >= 1 && D <= 8, "a fraction of up to eight digits");
    if constexpr (D == 1) {
        *p = static_cast<char>('0' + f);
    } else if constexpr (D == 2) {
        put_pair(p, f);
    } else {
        const uint64_t digits = eight_digits(f) >> (8 * (8 - D));
        put_word(p, digits);
    }
}

// (p / 2^k) rounded half to even, for 0 < k: adding half - 1, plus one more
// when the kept part is odd, carries into the kept part exactly when printf
// rounds up.
template <typename Uint> inline Uint shift_round_even(Uint p, int k) {
    const Uint one = 1;
    const Uint odd = (p >> k) & one;
    return (p + ((one << (k - 1)) - one) + odd) >> k;
}

#ifndef PTXPORT_HAS_INT128
struct Product128 {
    uint64_t hi, lo;
};

// a * b from 32-bit halves; no partial sum overflows.
inline Product128 multiply_64(uint64_t a, uint64_t b) {
    const uint64_t a_lo = a & 0xffffffffU, a_hi = a >> 32;
    const uint64_t b_lo = b & 0xffffffffU, b_hi = b >> 32;
    const uint64_t ll = a_lo * b_lo, lh = a_lo * b_hi;
    const uint64_t hl = a_hi * b_lo, hh = a_hi * b_hi;
    const uint64_t mid = (ll >> 32) + (lh & 0xffffffffU) + (hl & 0xffffffffU);
    return {hh + (lh >> 32) + (hl >> 32) + (mid >> 32),
            mid << 32 | (ll & 0xffffffffU)};
}

// (p / 2^k) rounded half to even, for 0 < k < 128; the low 64 bits of the
// result, which is all a caller whose result fits 32 bits needs.
inline uint64_t shift_round_even(Product128 p, int k) {
    uint64_t kept, rest_hi, rest_lo, half_hi, half_lo;
    if (k < 64) {
        kept = p.hi << (64 - k) | p.lo >> k;
        rest_hi = 0;
        rest_lo = p.lo & ((uint64_t{1} << k) - 1);
        half_hi = 0;
        half_lo = uint64_t{1} << (k - 1);
    } else {
        const int s = k - 64;
        kept = p.hi >> s;
        rest_hi = s == 0 ? 0 : p.hi & ((uint64_t{1} << s) - 1);
        rest_lo = p.lo;
        half_hi = s == 0 ? 0 : uint64_t{1} << (s - 1);
        half_lo = s == 0 ? uint64_t{1} << 63 : 0;
    }
    const bool above =
        rest_hi > half_hi || (rest_hi == half_hi && rest_lo > half_lo);
    const bool tie = rest_hi == half_hi && rest_lo == half_lo;
    return kept + (above || (tie && (kept & 1) != 0));
}
#endif

// round(fm * 10^D / 2^k) for fm < 2^min(k, 53).  The product, plus half of
// 2^k, fits 64 bits for every typical value (fm < 2^k, or fm < 2^53 and
// 10^D < 2^11); 128 bits cover the rest up to k = 127, and from there on the
// product is below half of 2^k and rounds to 0.
template <int D> inline uint32_t scaled_fraction(uint64_t fm, int k) {
    constexpr uint64_t scale = kPow10[D];
    constexpr int bits64 = 64 - std::bit_width(scale);
    if (k < 64 && (k <= bits64 || bits64 >= 53))
        return static_cast<uint32_t>(shift_round_even(fm * scale, k));
    if (k < 128) {
#ifdef PTXPORT_HAS_INT128
        return static_cast<uint32_t>(
            shift_round_even(static_cast<uint128>(fm) * scale, k));
#else
        return static_cast<uint32_t>(
            shift_round_even(multiply_64(fm, scale), k));
#endif
    }
    return 0;
}

[[gnu::noinline]] inline char *put_nonfinite(char *p, uint64_t fraction) {
    std::memcpy(p, fraction != 0 ? "nan" : "inf", 3);
    return p + 3;
}

// |v| >= 2^64: an integer with up to 309 digits.  No survey value comes near
// it, so the exact general routine is fast enough.
template <int D>
[[gnu::noinline]] inline char *put_huge_integer(char *p, double magnitude) {
    return std::to_chars(p, p + kMaxNumberChars - 1, magnitude,
                         std::chars_format::fixed, D)
        .ptr;
}

// printf("%.Df", v) for D in 1..8.  Always inlined into the routine of
// each precision below: measured with callgrind, a format-0 row then takes
// about 13 instructions (2%) fewer than with the compiler's own choice,
// and inlining more than this took more.
template <int D>
[[gnu::always_inline]] inline char *put_fixed(char *p, double v) {
    static_assert(D >= 1 && D <= 8, "the fraction must fit one word");
    const uint64_t bits = std::bit_cast<uint64_t>(v);
    // printf shows the sign bit itself: "-0.00", "-nan".
    *p = '-';
    p += bits >> 63;
    const int biased = static_cast<int>(bits >> 52) & 0x7ff;
    uint64_t m = bits & ((uint64_t{1} << 52) - 1);
    if (biased == 0x7ff) [[unlikely]]
        return put_nonfinite(p, m);
    if (biased != 0)
        m |= uint64_t{1} << 52;
    const int e = biased != 0 ? biased - 1075 : -1074;

    uint64_t whole = 0;
    uint32_t fraction = 0;
    if (e >= 0) {
        if (e > 11) [[unlikely]]
            return put_huge_integer<D>(p, std::fabs(v));
        whole = m << e;
    } else {
        const int k = -e;
        const uint64_t fraction_bits =
            k < 53 ? m & ((uint64_t{1} << k) - 1) : m;
        whole = k < 53 ? m >> k : 0;
        fraction = scaled_fraction<D>(fraction_bits, k);
        if (fraction == kPow10[D]) { // rounded up into the units
            fraction = 0;
            ++whole;
        }
    }
    p = put_u64(p, whole);
    *p = '.';
    put_fraction<D>(p + 1, fraction);
    return p + 1 + D;
}

// The text of every byte value, 0 to 255 and -128 to 127, in one word: the
// characters in the low bytes, their count in the top byte.  A table load
// and one store replace the digit arithmetic for the many one-byte fields.
template <bool Signed> constexpr std::array<uint64_t, 256> byte_texts() {
    std::array<uint64_t, 256> table{};
    for (int b = 0; b < 256; ++b) {
        const int value = Signed && b >= 128 ? b - 256 : b;
        char text[8] = {};
        int n = 0;
        if (value < 0)
            text[n++] = '-';
        const int magnitude = value < 0 ? -value : value;
        if (magnitude >= 100)
            text[n++] = static_cast<char>('0' + magnitude / 100);
        if (magnitude >= 10)
            text[n++] = static_cast<char>('0' + magnitude / 10 % 10);
        text[n++] = static_cast<char>('0' + magnitude % 10);
        uint64_t word = static_cast<uint64_t>(n) << 56;
        for (int i = 0; i < n; ++i)
            word |= static_cast<uint64_t>(static_cast<unsigned char>(text[i]))
                    << (8 * i);
        table[static_cast<std::size_t>(b)] = word;
    }
    return table;
}

inline constexpr auto kUnsignedBytes = byte_texts<false>();
inline constexpr auto kSignedBytes = byte_texts<true>();

// Writes eight characters at p, of which the first (top byte) are the text.
inline char *put_byte_text(char *p, uint64_t word) {
    put_word(p, word);
    return p + (word >> 56);
}

} // namespace number_format_detail

// printf("%.2f", v)
inline char *put_fixed2(char *p, double v) {
    return number_format_detail::put_fixed<2>(p, v);
}

// printf("%.3f", v)
inline char *put_fixed3(char *p, double v) {
    return number_format_detail::put_fixed<3>(p, v);
}

// printf("%f", v): six decimals
inline char *put_fixed6(char *p, double v) {
    return number_format_detail::put_fixed<6>(p, v);
}

// printf("%.7f", v)
inline char *put_fixed7(char *p, double v) {
    return number_format_detail::put_fixed<7>(p, v);
}

// printf("%u", v)
inline char *put_uint(char *p, uint32_t v) {
    return number_format_detail::put_u32(p, v);
}

// printf("%u", v) for a byte
inline char *put_u8(char *p, uint8_t v) {
    return number_format_detail::put_byte_text(
        p, number_format_detail::kUnsignedBytes[v]);
}

// printf("%d", v) for a signed byte
inline char *put_i8(char *p, int8_t v) {
    return number_format_detail::put_byte_text(
        p, number_format_detail::kSignedBytes[static_cast<uint8_t>(v)]);
}

// printf("%d", v)
inline char *put_int(char *p, int32_t v) {
    *p = '-';
    p += v < 0;
    // Negating in unsigned arithmetic keeps INT32_MIN defined.
    const uint32_t magnitude =
        v < 0 ? 0U - static_cast<uint32_t>(v) : static_cast<uint32_t>(v);
    return number_format_detail::put_u32(p, magnitude);
}

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
// which is c1 |x| + c0 (plan() below).  The rounding that printf does is
// decided by which side of a halfway point (j + 1/2) / 100 the exact v is on.
//   - d <= 2: m w is n / 100 with n = m * 10^(2-d), at 1/200 from every
//     halfway point, so |v - m w| < 1/200 gives n.
//   - d > 2: with q = 10^(d-2), the halfway points are (j q + q/2) w, and an
//     m with m mod q != q/2 is at least w away from each, so |v - m w| < w
//     gives n = m / q rounded to nearest.  m mod q == q/2 is doubtful: the
//     exact value decides, and the general routine takes it.
// With T = min(w, 1/200), a value is proven when c1 |x| + c0 < T.  plan()
// asks for twice that margin, so the few roundings of computing the bound
// (each relative, about 2^-52) cannot matter, and derives from it a bound
// on |m| that keeps |x| within the proof (every |m| where the proof covers
// the whole int32 range, as it does for every exact decimal scale).
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

namespace number_format_detail {

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

} // namespace number_format_detail

// The plan of one axis: the fewest decimals d (0 to 8) that state both the
// scale factor and the offset; none (every value exact) where there are
// none.
inline CoordinatePlan planCoordinate(double scale, double offset) {
    CoordinatePlan c;
    c.scale = scale;
    c.offset = offset;
    for (int d = 0; d <= 8; ++d)
        if (number_format_detail::plan_decimal(c, d))
            break;
    return c;
}

namespace number_format_detail {

// Moves the last two characters before `end` one place on and puts the
// decimal point before them: "12345" becomes "123.45".
inline char *put_point_before_cents(char *end) {
    char cents[2];
    std::memcpy(cents, end - 2, 2);
    std::memcpy(end - 1, cents, 2);
    end[-2] = '.';
    return end + 1;
}

// The text of n hundredths, n < 10^8: the eight digits, leading zeros
// dropped but for the last three ("0.05"), which the bit set in the sixth
// byte keeps; then the last two move one place to make room for the point.
[[gnu::always_inline]] inline char *put_hundredths(char *p, uint32_t n) {
    const uint64_t values = eight_digit_values(n);
    const auto shift = static_cast<unsigned>(
        std::countr_zero(values | uint64_t{1} << 40) & ~7);
    put_word(p, (values + kZeroes) >> shift);
    return put_point_before_cents(p + 8 - (shift >> 3));
}

// The same for 10^8 <= n < 10^10 (a million metres and more, as northings
// are): one or two leading digits, then eight.
[[gnu::always_inline]] inline char *put_long_hundredths(char *p, uint64_t n) {
    const auto top = static_cast<unsigned>(n / 100000000);
    const auto low = static_cast<uint32_t>(n - uint64_t{top} * 100000000);
    const unsigned one = top < 10;
    uint16_t pair;
    std::memcpy(&pair, &kDigitPairs[2 * top + one], 2);
    std::memcpy(p, &pair, 2);
    p += 2 - one;
    const uint64_t digits = eight_digits(low);
    put_word(p, digits);
    p[6] = '.';
    put_word(p + 7, digits >> 48); // the last two digits, and six zero bytes
    return p + 9;
}

// The text of put_coordinate where the plan proves it, else null.
// Hundredths: the caller knows that the plan's m is already n
// (c.per == 1), as it is for every scale of 0.01 or coarser, and the test
// is left out of its loop.  The sign is a branch, not arithmetic: within a
// file it nearly always goes the same way.
template <bool Hundredths = false>
[[gnu::always_inline]] inline char *
coordinate_by_plan(char *p, int32_t x, const CoordinatePlan &c) {
    const int64_t m = c.step * x + c.base;
    uint64_t a = static_cast<uint64_t>(m);
    char *q = p;
    if (m < 0) {
        *q++ = '-';
        a = 0 - a;
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

} // namespace number_format_detail

namespace number_format_detail {

// Kept out of line, so that the row loops around the plan's path keep
// their registers; the plan goes by value, so that the loops' copy of it
// never has its address taken.
[[gnu::noinline]] inline char *coordinate_exactly(char *p, int32_t x,
                                                  double scale, double offset) {
    return put_fixed<2>(p, scaledCoordinate(x, scale, offset));
}

} // namespace number_format_detail

// printf("%.2f", scaledCoordinate(x, c.scale, c.offset)); Hundredths as
// for coordinate_by_plan.  Inline in every row loop: as a call it costs
// more than the conversion.
template <bool Hundredths = false>
[[gnu::always_inline]] inline char *put_coordinate(char *p, int32_t x,
                                                   const CoordinatePlan &c) {
    if (char *end =
            number_format_detail::coordinate_by_plan<Hundredths>(p, x, c))
        return end;
    return number_format_detail::coordinate_exactly(p, x, c.scale, c.offset);
}

// The conversions above as one set, for the row writers (point_rows.h),
// which take the set as a template argument.
struct ExactNumbers {
    static char *fixed2(char *p, double v) { return put_fixed2(p, v); }
    template <bool Hundredths>
    [[gnu::always_inline]] static char *coordinate(char *p, int32_t x,
                                                   const CoordinatePlan &c) {
        return put_coordinate<Hundredths>(p, x, c);
    }
    static char *fixed7(char *p, double v) { return put_fixed7(p, v); }
    static char *uint(char *p, uint32_t v) { return put_uint(p, v); }
    static char *u8(char *p, uint8_t v) { return put_u8(p, v); }
    static char *i8(char *p, int8_t v) { return put_i8(p, v); }
    static char *int32(char *p, int32_t v) { return put_int(p, v); }
};

} // namespace ptx

#endif
