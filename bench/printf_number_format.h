// printf_number_format.h - the number conversions of the benchmark's
// baseline: the same point writer, printing every value with snprintf.
#ifndef PTXPORT_PRINTF_NUMBER_FORMAT_H
#define PTXPORT_PRINTF_NUMBER_FORMAT_H

#include <cstddef>
#include <cstdint>
#include <cstdio>

namespace ptx {

inline constexpr std::size_t kMaxNumberChars = 352;

inline char *put_fixed2(char *p, double v) {
    return p + std::snprintf(p, kMaxNumberChars, "%.2f", v);
}

inline char *put_fixed7(char *p, double v) {
    return p + std::snprintf(p, kMaxNumberChars, "%.7f", v);
}

inline char *put_uint(char *p, uint32_t v) {
    return p + std::snprintf(p, kMaxNumberChars, "%u", v);
}

inline char *put_u8(char *p, uint8_t v) {
    return p + std::snprintf(p, kMaxNumberChars, "%u", v);
}

inline char *put_i8(char *p, int8_t v) {
    return p + std::snprintf(p, kMaxNumberChars, "%d", v);
}

inline char *put_int(char *p, int32_t v) {
    return p + std::snprintf(p, kMaxNumberChars, "%d", v);
}

} // namespace ptx

#endif
