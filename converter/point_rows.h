/* SPDX-License-Identifier: MIT */
// point_rows.h - rows of text from point records, for every format of the
// catalogue and every record layout, decoded with explicit little-endian
// loads.
//
// A row is compiled from its format's column list (format_catalogue.h):
// templates on the format and the layout unroll the list, so the loop over
// the records of one pair runs straight, without branching on the format
// for each value.  The number conversions are a template argument too (N,
// normally ExactNumbers), so that a benchmark can put printf in their place.
#ifndef PTXPORT_POINT_ROWS_H
#define PTXPORT_POINT_ROWS_H

#include "coordinate_plan.h"
#include "format_catalogue.h"
#include "las_bytes.h"
#include "las_layout.h"
#include "line_end.h"
#include "number_format.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <utility>

namespace ptx {

// The command's own number conversions: the usual N of the templates below.
struct ExactNumbers {
    template <bool Hundredths>
    [[gnu::always_inline]] static char *coordinate(char *p, int32_t x,
                                                   const CoordinatePlan &c,
                                                   ThousandsMemo &thousands) {
        return put_coordinate<Hundredths>(p, x, c, thousands);
    }
    static char *gpsTime(char *p, double v, SecondsMemo &seconds) {
        return put_gps_time(p, v, seconds);
    }
    static char *u16(char *p, uint16_t v) { return put_u16(p, v); }
    static char *u8(char *p, uint8_t v) { return put_u8(p, v); }
    static char *i8(char *p, int8_t v) { return put_i8(p, v); }
};

// Scale factors and offsets of the three axes, each with its plan for the
// fast conversion, made once per file.
struct Transform {
    CoordinatePlan x, y, z;

    Transform() = default;
    Transform(double sx, double sy, double sz, double ox, double oy, double oz)
        : x(planCoordinate(sx, ox)), y(planCoordinate(sy, oy)),
          z(planCoordinate(sz, oz)) {}

    // Every axis counts in hundredths (scale factors of 0.01 and coarser,
    // the common case), so the row loop can leave out the finer scales'
    // rounding step.
    bool inHundredths() const { return x.per == 1 && y.per == 1 && z.per == 1; }
};

// What a row loop carries from one record to the next: the whole seconds
// of the GPS time and the thousands of each axis.
struct RowMemo {
    SecondsMemo seconds;
    ThousandsMemo x, y, z;
};

// Longest row any format can produce: four numbers of up to
// kMaxNumberChars, twelve small integers, blanks and the line end.
inline constexpr std::size_t kMaxRowChars = 4 * kMaxNumberChars + 256;

// Writes the rows of `count` whole records of one format and layout into
// `out`, which has room for count * kMaxRowChars characters; returns the
// end of the text.
using RowFormatter = char *(*)(char *out, const unsigned char *records,
                               std::size_t count, const Transform &t);

namespace row {

using tamarak::load_f64;
using tamarak::load_i32;
using tamarak::load_u16;

// Field positions: the same in all eight records (las_layout.h).
namespace layout = tamarak::layout;
inline constexpr std::size_t kXAt = layout::coordinate_at(0);
inline constexpr std::size_t kYAt = layout::coordinate_at(1);
inline constexpr std::size_t kZAt = layout::coordinate_at(2);
inline constexpr std::size_t kIntensityAt = layout::kIntensityAt;
inline constexpr std::size_t kBitsAt = layout::kBitfieldAt;
inline constexpr std::size_t kClassAt = layout::kClassificationAt;
inline constexpr std::size_t kAngleAt = layout::kScanAngleAt;
inline constexpr std::size_t kByte17At = layout::kUserDataAt;
inline constexpr std::size_t kBytes18At = layout::kPointSourceAt;

inline char *digit(char *p, unsigned v) {
    *p = static_cast<char>('0' + v);
    return p + 1;
}

// One value of a record, with its conversion.  H: the transform is in
// hundredths (Transform::inHundredths).
template <class N, Value V, Layout L, bool H>
[[gnu::always_inline]] inline char *value(char *p, const unsigned char *r,
                                          const Transform &t, RowMemo &memo) {
    using enum Value;
    if constexpr (V == X)
        return N::template coordinate<H>(p, load_i32(r + kXAt), t.x, memo.x);
    else if constexpr (V == Y)
        return N::template coordinate<H>(p, load_i32(r + kYAt), t.y, memo.y);
    else if constexpr (V == Z)
        return N::template coordinate<H>(p, load_i32(r + kZAt), t.z, memo.z);
    else if constexpr (V == Intensity)
        return N::u16(p, load_u16(r + kIntensityAt));
    else if constexpr (V == ReturnNum)
        return digit(p, r[kBitsAt] & 7u);
    else if constexpr (V == NumReturns)
        return digit(p, (r[kBitsAt] >> 3) & 7u);
    else if constexpr (V == ScanDirection)
        return digit(p, (r[kBitsAt] >> 6) & 1u);
    else if constexpr (V == EdgeOfFlightLine)
        return digit(p, r[kBitsAt] >> 7);
    else if constexpr (V == Classification)
        return N::u8(p, r[kClassAt]);
    else if constexpr (V == ScanAngleRank)
        return N::i8(p, static_cast<int8_t>(r[kAngleAt]));
    else if constexpr (V == Byte17)
        return N::u8(p, r[kByte17At]);
    else if constexpr (V == Bytes18to19)
        return N::u16(p, load_u16(r + kBytes18At));
    else if constexpr (V == GpsTime)
        return N::gpsTime(p, load_f64(r + tamarak::kGpsTimeAt), memo.seconds);
    else if constexpr (V == Red)
        return N::u16(p, load_u16(r + tamarak::colour_at(L)));
    else if constexpr (V == Green)
        return N::u16(p, load_u16(r + tamarak::colour_at(L) + 2));
    else
        return N::u16(p, load_u16(r + tamarak::colour_at(L) + 4));
}

// "R N D E " for every value of the bitfield byte: the four flag columns
// with their blanks, stored at once where a format has all four in a row.
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

template <int F, std::size_t I> constexpr bool startsFlagColumns() {
    constexpr auto cols = kFormats[F];
    using enum Value;
    return I + 4 <= cols.size() && cols[I].value == ReturnNum &&
           cols[I + 1].value == NumReturns &&
           cols[I + 2].value == ScanDirection &&
           cols[I + 3].value == EdgeOfFlightLine;
}

// The columns of format F from the I-th on, each after a blank but the
// first; columns that the layout does not carry are left out.
template <class N, int F, Layout L, bool H, std::size_t I = 0>
[[gnu::always_inline]] inline char *columnsFrom(char *p, const unsigned char *r,
                                                const Transform &t,
                                                RowMemo &memo) {
    constexpr auto cols = kFormats[F];
    if constexpr (I == cols.size()) {
        return p;
    } else if constexpr (cols[I].where_carried && !carries(L, cols[I].value)) {
        return columnsFrom<N, F, L, H, I + 1>(p, r, t, memo);
    } else {
        if constexpr (I > 0)
            *p++ = ' ';
        if constexpr (startsFlagColumns<F, I>()) {
            // The table's eighth byte is a blank that the next column's
            // blank overwrites.
            number_format_detail::put_word(p, kFlagColumns[r[kBitsAt]]);
            return columnsFrom<N, F, L, H, I + 4>(p + 7, r, t, memo);
        } else {
            p = value<N, cols[I].value, L, H>(p, r, t, memo);
            return columnsFrom<N, F, L, H, I + 1>(p, r, t, memo);
        }
    }
}

// The row of format F for a record of layout L, line end included.
template <class N, int F, Layout L, bool H>
[[gnu::always_inline]] inline char *
writeRow(char *p, const unsigned char *r, const Transform &t, RowMemo &memo) {
    return putLineEnd(columnsFrom<N, F, L, H>(p, r, t, memo));
}

template <int F> constexpr bool hasCoordinates() {
    for (const auto &col : kFormats[F])
        if (col.value == Value::X || col.value == Value::Y ||
            col.value == Value::Z)
            return true;
    return false;
}

// Out of line: each loop is a function of its own, for the inliner to
// judge alone.
template <class N, int F, Layout L, bool H>
[[gnu::noinline]] char *rowsOf(char *out, const unsigned char *records,
                               std::size_t count, const Transform &t) {
    // A copy of the transform whose address is never taken: the text
    // stores cannot alias it, so its fields stay in registers.
    const Transform local = t;
    RowMemo memo;
    constexpr std::size_t size = tamarak::record_size(L);
    const unsigned char *const end = records + count * size;
    for (const unsigned char *r = records; r != end; r += size)
        out = writeRow<N, F, L, H>(out, r, local, memo);
    return out;
}

// The rows of `count` records of layout L in format F.
template <class N, int F, Layout L>
char *formatRows(char *out, const unsigned char *records, std::size_t count,
                 const Transform &t) {
    if constexpr (hasCoordinates<F>())
        if (t.inHundredths())
            return rowsOf<N, F, L, true>(out, records, count, t);
    return rowsOf<N, F, L, false>(out, records, count, t);
}

inline constexpr Layout kLayouts[] = {Layout::Core20, Layout::Gps28,
                                      Layout::Rgb26, Layout::GpsRgb34};

// Only the pairs that have rows are compiled.
template <class N, int F, Layout L> constexpr RowFormatter formatterOf() {
    if constexpr (serves(F, L))
        return &formatRows<N, F, L>;
    else
        return nullptr;
}

template <class N, int F, std::size_t... I>
constexpr std::array<RowFormatter, 4> formattersOf(std::index_sequence<I...>) {
    return {formatterOf<N, F, kLayouts[I]>()...};
}

template <class N, std::size_t... F>
constexpr auto catalogueOf(std::index_sequence<F...>) {
    return std::array<std::array<RowFormatter, 4>, sizeof...(F)>{
        formattersOf<N, static_cast<int>(F)>(std::make_index_sequence<4>())...};
}

} // namespace row

// The row formatter of each format and layout, null where the format does
// not serve the layout.
template <class N>
inline constexpr auto kRowFormatters =
    row::catalogueOf<N>(std::make_index_sequence<kFormatCount>());

// The row formatter of a format (0 to 19) for a record type; null where
// the format has no rows for that type.
template <class N> RowFormatter rowFormatterOf(int format, LasType type) {
    if (format < 0 || format >= kFormatCount || !type.valid())
        return nullptr;
    return kRowFormatters<N>[static_cast<std::size_t>(format)]
                            [static_cast<std::size_t>(type.layout())];
}

} // namespace ptx

#endif
