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
// leave that path, for std::to_chars (platform_std.h), which is exact as
// well.
// Coordinates, which mostly skip even these routines, are in
// coordinate_plan.h.
#ifndef PTXPORT_NUMBER_FORMAT_H
#define PTXPORT_NUMBER_FORMAT_H

#include "platform_std.h"

#include <array>
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
    return tamarak::to_chars_fixed(p, p + kMaxNumberChars - 1, magnitude, D);
}

// printf("%.Df", v) for D in 1..8.  Always inlined into the routine of
// each precision below: measured with callgrind, a format-0 row then takes
// about 13 instructions (2%) fewer than with the compiler's own choice,
// and inlining more than this took more.
template <int D>
[[gnu::always_inline]] inline char *put_fixed(char *p, double v) {
    static_assert(D >= 1 && D <= 8, "the fraction must fit one word");
    const uint64_t bits = tamarak::bit_cast<uint64_t>(v);
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

// The whole seconds of the last GPS time written in full, with their text.
// Consecutive records nearly always share their whole seconds and differ
// only in the decimals; a row loop keeps one memo for its records.
struct SecondsMemo {
    // bits >> shift of the remembered time.  A fresh memo matches no
    // double: shifted by 63, every double's bits are 0 or 1.
    uint64_t high = 2;
    int shift = 63;
    std::size_t length = 0; // the sign and the whole digits, at most 16
    char text[16] = {};
};

// The seven decimals of f 2^-k, rounded half to even, for f < 2^k and
// 1 <= k <= 39: f 10^7 + 2^(k-1) < 2^39 2^24 = 2^63 fits 64 bits.  10^7
// means that they round up into the whole seconds.
inline uint64_t seven_decimals(uint64_t bits, int k) {
    const uint64_t f = bits & ((uint64_t{1} << k) - 1);
    return shift_round_even(f * kPow10[7], k);
}

// Writes the time in full, exactly, and remembers its whole seconds where
// the memo's fast path can use them: 2^13 <= |v| < 2^52, so that the binary
// point lies 1 to 39 bits above the mantissa's lowest bit; decimals that
// did not round up into the seconds, so that the text written is that of
// the seconds the high bits hold; and a text of sign and whole digits of at
// most 16 characters.
[[gnu::noinline]] inline char *put_fixed7_remembering(char *p, double v,
                                                      SecondsMemo &memo) {
    char *const end = put_fixed<7>(p, v);
    const uint64_t bits = tamarak::bit_cast<uint64_t>(v);
    const int shift = 1075 - (static_cast<int>(bits >> 52) & 0x7ff);
    const auto length = static_cast<std::size_t>(end - p) - 8;
    if (shift >= 1 && shift <= 39 && length <= sizeof memo.text &&
        seven_decimals(bits, shift) < kPow10[7]) {
        memo.high = bits >> shift;
        memo.shift = shift;
        memo.length = length;
        std::memcpy(memo.text, p, length);
    }
    return end;
}

// printf("%.7f", v), the whole seconds copied from the memo when they are
// the remembered ones.
//
// Why that is exact.  The memo holds bits >> k of a time t0 with
// 2^13 <= |t0| < 2^52, k = 1075 - t0's biased exponent, 1 <= k <= 39, and
// the text of t0's sign and whole seconds m >> k (|t0| = m 2^-k).  If v's
// bits >> k are the same, v has t0's sign and exponent (bits 52 to 63 lie
// above k), so |v| = m' 2^-k with the same k and m''s bits from k up the
// same: v has t0's whole seconds and sign, and their text.  Its fraction
// is f 2^-k with f = the low k bits, and printf's seven decimals are
// seven_decimals(); a result of 10^7 carries into the seconds.  That, and a
// time whose high bits differ (other seconds, another exponent or sign, or
// outside the range), take the exact routine, put_fixed7_remembering,
// which remembers the new seconds.
inline char *put_fixed7_memo(char *p, double v, SecondsMemo &memo) {
    const uint64_t bits = tamarak::bit_cast<uint64_t>(v);
    if ((bits >> memo.shift) == memo.high) [[likely]] {
        const uint64_t fraction = seven_decimals(bits, memo.shift);
        if (fraction < kPow10[7]) [[likely]] {
            std::memcpy(p, memo.text, sizeof memo.text);
            p += memo.length;
            *p = '.';
            put_fraction<7>(p + 1, static_cast<uint32_t>(fraction));
            return p + 8;
        }
    }
    return put_fixed7_remembering(p, v, memo);
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

// The text of every value 0 to 999 in one word: the characters without
// leading zeros in the low bytes, the three digits with them in bytes 4 to
// 6, the count in the top byte.  Two loads spell any 16-bit value.
inline constexpr auto kThousandTexts = [] {
    std::array<uint64_t, 1000> table{};
    for (unsigned v = 0; v < 1000; ++v) {
        const unsigned digits[3] = {v / 100, v / 10 % 10, v % 10};
        const unsigned n = v >= 100 ? 3 : v >= 10 ? 2 : 1;
        uint64_t word = uint64_t{n} << 56;
        for (unsigned i = 0; i < n; ++i)
            word |= uint64_t{'0' + digits[3 - n + i]} << (8 * i);
        for (unsigned i = 0; i < 3; ++i)
            word |= uint64_t{'0' + digits[i]} << (32 + 8 * i);
        table[v] = word;
    }
    return table;
}();

// printf("%u", v) for v < 65536, without the eight-digit split.  Exact
// because v = 1000 h + l with l < 1000, and for h >= 1 printf's digits are
// h's without leading zeros followed by l's three with them; for h = 0 they
// are l's alone.  So every 16-bit value is exact (the tests try all of
// them) and there is no fallback.  Writes eight characters at p whatever
// the length.
inline char *put_u16(char *p, uint16_t v) {
    if (v < 1000)
        return put_byte_text(p, kThousandTexts[v]);
    const unsigned high = v / 1000u; // 1 to 65
    p = put_byte_text(p, kThousandTexts[high]);
    put_word(p, kThousandTexts[v - high * 1000u] >> 32);
    return p + 3;
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

// The whole seconds a row loop carries from one GPS time to the next.
using number_format_detail::SecondsMemo;

// printf("%.7f", v) for a GPS time, with the memo of the previous one.
inline char *put_gps_time(char *p, double v, SecondsMemo &memo) {
    return number_format_detail::put_fixed7_memo(p, v, memo);
}

// printf("%u", v) for a 16-bit value
inline char *put_u16(char *p, uint16_t v) {
    return number_format_detail::put_u16(p, v);
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

} // namespace ptx

#endif
