// point_rows.h - one row of text from one point record, for every format
// and record layout, decoded with explicit little-endian loads.
//
// The rows are templates on the format number and the record layout so that
// the per-record loop of each pair is compiled straight, without branching
// on the format for every value.
#ifndef PTXPORT_POINT_ROWS_H
#define PTXPORT_POINT_ROWS_H

#include "las_bytes.h"
#include "number_format.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace ptx {

// The four record layouts: what follows the 20 common bytes.
enum class Layout { Core20, Gps28, Rgb26, GpsRgb34 };

constexpr bool hasGps(Layout l) {
    return l == Layout::Gps28 || l == Layout::GpsRgb34;
}
constexpr bool hasRgb(Layout l) {
    return l == Layout::Rgb26 || l == Layout::GpsRgb34;
}
constexpr std::size_t rgbOffset(Layout l) {
    return l == Layout::Rgb26 ? 20 : 28;
}

// Scale factors and offsets of the three axes.
struct Transform {
    double sx, sy, sz, ox, oy, oz;
};

// Longest row any format can produce: four numbers of up to
// kMaxNumberChars, twelve small integers, blanks and the line end.
inline constexpr std::size_t kMaxRowChars = 4 * kMaxNumberChars + 256;

namespace row {

using tamarak::load_f64;
using tamarak::load_i32;
using tamarak::load_u16;

inline char *x(char *p, const unsigned char *r, const Transform &t) {
    return put_fixed2(p, static_cast<double>(load_i32(r)) * t.sx + t.ox);
}
inline char *y(char *p, const unsigned char *r, const Transform &t) {
    return put_fixed2(p, static_cast<double>(load_i32(r + 4)) * t.sy + t.oy);
}
inline char *z(char *p, const unsigned char *r, const Transform &t) {
    return put_fixed2(p, static_cast<double>(load_i32(r + 8)) * t.sz + t.oz);
}
inline char *xyz(char *p, const unsigned char *r, const Transform &t) {
    p = x(p, r, t);
    *p++ = ' ';
    p = y(p, r, t);
    *p++ = ' ';
    return z(p, r, t);
}
inline char *intensity(char *p, const unsigned char *r) {
    return put_uint(p, load_u16(r + 12));
}
inline char *returnNum(char *p, const unsigned char *r) {
    *p = static_cast<char>('0' + (r[14] & 7));
    return p + 1;
}
inline char *numReturns(char *p, const unsigned char *r) {
    *p = static_cast<char>('0' + ((r[14] >> 3) & 7));
    return p + 1;
}
inline char *scanDirection(char *p, const unsigned char *r) {
    *p = static_cast<char>('0' + ((r[14] >> 6) & 1));
    return p + 1;
}
inline char *edgeOfFlightLine(char *p, const unsigned char *r) {
    *p = static_cast<char>('0' + (r[14] >> 7));
    return p + 1;
}
inline char *classification(char *p, const unsigned char *r) {
    return put_uint(p, r[15]);
}
inline char *scanAngleRank(char *p, const unsigned char *r) {
    return put_int(p, static_cast<int8_t>(r[16]));
}
inline char *byte17(char *p, const unsigned char *r) {
    return put_uint(p, r[17]);
}
inline char *bytes18to19(char *p, const unsigned char *r) {
    return put_uint(p, load_u16(r + 18));
}
inline char *gpsTime(char *p, const unsigned char *r) {
    return put_fixed7(p, load_f64(r + 20));
}
template <Layout L> char *rgb(char *p, const unsigned char *r) {
    constexpr std::size_t at = rgbOffset(L);
    p = put_uint(p, load_u16(r + at));
    *p++ = ' ';
    p = put_uint(p, load_u16(r + at + 2));
    *p++ = ' ';
    return put_uint(p, load_u16(r + at + 4));
}
inline char *blank(char *p) {
    *p = ' ';
    return p + 1;
}

// "R N D E " for every value of the bitfield byte: its four columns of
// format 0 with their blanks, stored at once.
inline constexpr auto kFlagColumns = [] {
    std::array<uint64_t, 256> table{};
    for (unsigned b = 0; b < 256; ++b) {
        const unsigned digits[4] = {b & 7, (b >> 3) & 7, (b >> 6) & 1, b >> 7};
        for (unsigned i = 0; i < 4; ++i)
            table[b] |= uint64_t{'0' + digits[i]} << (16 * i) |
                        uint64_t{' '} << (16 * i + 8);
    }
    return table;
}();

inline char *flagColumns(char *p, const unsigned char *r) {
    std::memcpy(p, &kFlagColumns[r[14]], 8);
    return p + 8;
}

// Format 0: every value the layout carries.
template <Layout L>
char *fullRecord(char *p, const unsigned char *r, const Transform &t) {
    p = blank(xyz(p, r, t));
    p = blank(intensity(p, r));
    p = flagColumns(p, r);
    p = blank(classification(p, r));
    p = blank(scanAngleRank(p, r));
    p = blank(byte17(p, r));
    p = bytes18to19(p, r);
    if constexpr (hasGps(L))
        p = gpsTime(blank(p), r);
    if constexpr (hasRgb(L))
        p = rgb<L>(blank(p), r);
    return p;
}

} // namespace row

// The row of format F for a record of layout L, line end included.
template <int F, Layout L>
inline char *writeRow(char *p, const unsigned char *r, const Transform &t) {
    using namespace row;
    if constexpr (F == 0)
        p = fullRecord<L>(p, r, t);
    else if constexpr (F == 1)
        p = x(p, r, t);
    else if constexpr (F == 2)
        p = y(p, r, t);
    else if constexpr (F == 3)
        p = z(p, r, t);
    else if constexpr (F == 4)
        p = intensity(p, r);
    else if constexpr (F == 5)
        p = returnNum(p, r);
    else if constexpr (F == 6)
        p = numReturns(p, r);
    else if constexpr (F == 7)
        p = scanDirection(p, r);
    else if constexpr (F == 8)
        p = edgeOfFlightLine(p, r);
    else if constexpr (F == 9)
        p = classification(p, r);
    else if constexpr (F == 10)
        p = scanAngleRank(p, r);
    else if constexpr (F == 11)
        p = byte17(p, r);
    else if constexpr (F == 12)
        p = bytes18to19(p, r);
    else if constexpr (F == 13)
        p = gpsTime(p, r);
    else if constexpr (F == 14)
        p = rgb<L>(p, r);
    else if constexpr (F == 15)
        p = xyz(p, r, t);
    else if constexpr (F == 16)
        p = intensity(blank(xyz(p, r, t)), r);
    else if constexpr (F == 17)
        p = gpsTime(blank(xyz(p, r, t)), r);
    else if constexpr (F == 18)
        p = gpsTime(blank(intensity(blank(xyz(p, r, t)), r)), r);
    else if constexpr (F == 19)
        p = rgb<L>(blank(xyz(p, r, t)), r);
    *p = '\n';
    return p + 1;
}

} // namespace ptx

#endif
