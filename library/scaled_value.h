/* SPDX-License-Identifier: MIT */
// scaled_value.h - a coordinate as X * scale + offset, the same double on
// every machine.
//
// The product and the sum are each rounded to double (-ffp-contract=off, and
// SSE2 on 32-bit x86).  What machines differ in is the NaN that comes out
// when an operand is NaN or the operation is invalid (0 * inf, inf - inf):
// x86-64, where the output was first fixed, gives the "default NaN" with
// its sign bit set and lets the product's NaN win over the offset's; ARM and
// s390x give a positive default NaN and prefer a signalling operand.  When
// the result is NaN it is rebuilt by the x86-64 rule, so the row shows the
// same "nan" or "-nan" everywhere.
#ifndef TAMARAK_SCALED_VALUE_H
#define TAMARAK_SCALED_VALUE_H

#include "platform_std.h"

#include <cstdint>

namespace tamarak {

// The NaN of x86-64 for x * scale + offset, whose result is NaN.  An
// operand's NaN is passed on quietened, with its sign and payload: the
// scale's first, through the product; an invalid operation gives the
// default NaN.
[[gnu::cold, gnu::noinline]] inline double x86_nan(double x, double scale,
                                                   double offset) {
    constexpr uint64_t kQuiet = uint64_t{1} << 51;
    constexpr uint64_t kDefaultNan = 0xFFF8'0000'0000'0000;
    const auto quiet = [](double v) {
        return tamarak::bit_cast<double>(tamarak::bit_cast<uint64_t>(v) |
                                         kQuiet);
    };
    if (scale != scale)
        return quiet(scale);
    const double product = x * scale;
    if (product != product) // 0 * inf
        return tamarak::bit_cast<double>(kDefaultNan);
    if (offset != offset)
        return quiet(offset);
    return tamarak::bit_cast<double>(kDefaultNan); // inf - inf
}

[[gnu::always_inline]] inline double scaled_value(double x, double scale,
                                                  double offset) {
    const double v = x * scale + offset;
    if (v != v) [[unlikely]]
        return x86_nan(x, scale, offset);
    return v;
}

} // namespace tamarak

#endif
