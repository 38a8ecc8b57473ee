/* SPDX-License-Identifier: MIT */
// printf_number_format.h - the number conversions of the benchmark's
// baseline: every value printed with snprintf.
#ifndef PTXPORT_PRINTF_NUMBER_FORMAT_H
#define PTXPORT_PRINTF_NUMBER_FORMAT_H

#include "coordinate_plan.h"
#include "number_format.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>

namespace ptx {

struct PrintfNumbers {
    template <bool Hundredths>
    static char *coordinate(char *p, int32_t x, const CoordinatePlan &c,
                            ThousandsMemo &) {
        return p + std::snprintf(p, kMaxNumberChars, "%.2f",
                                 scaledCoordinate(x, c.scale, c.offset));
    }
    static char *gpsTime(char *p, double v, SecondsMemo &) {
        return p + std::snprintf(p, kMaxNumberChars, "%.7f", v);
    }
    static char *u16(char *p, uint16_t v) {
        return p + std::snprintf(p, kMaxNumberChars, "%u", v);
    }
    static char *u8(char *p, uint8_t v) {
        return p + std::snprintf(p, kMaxNumberChars, "%u", v);
    }
    static char *i8(char *p, int8_t v) {
        return p + std::snprintf(p, kMaxNumberChars, "%d", v);
    }
};

} // namespace ptx

#endif
