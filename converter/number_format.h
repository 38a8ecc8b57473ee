// number_format.h - the point writer's number conversions.
//
// Each routine writes one value at p, exactly as glibc's printf writes it
// with the named conversion, and returns the position after the last
// character.  The caller guarantees room for kMaxNumberChars characters.
#ifndef PTXPORT_NUMBER_FORMAT_H
#define PTXPORT_NUMBER_FORMAT_H

#include <charconv>
#include <cstddef>
#include <cstdint>

namespace ptx {

// "-", 309 integer digits, ".", 7 decimals, with room to spare.
inline constexpr std::size_t kMaxNumberChars = 352;

// printf("%.2f", v)
inline char *put_fixed2(char *p, double v) {
    return std::to_chars(p, p + kMaxNumberChars, v, std::chars_format::fixed, 2)
        .ptr;
}

// printf("%.7f", v)
inline char *put_fixed7(char *p, double v) {
    return std::to_chars(p, p + kMaxNumberChars, v, std::chars_format::fixed, 7)
        .ptr;
}

// printf("%d", v) for a non-negative value
inline char *put_uint(char *p, uint32_t v) {
    return std::to_chars(p, p + kMaxNumberChars, v).ptr;
}

// printf("%d", v)
inline char *put_int(char *p, int32_t v) {
    return std::to_chars(p, p + kMaxNumberChars, v).ptr;
}

} // namespace ptx

#endif
