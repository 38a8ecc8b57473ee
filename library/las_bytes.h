/* SPDX-License-Identifier: MIT */
// las_bytes.h - little-endian loads and stores for LAS byte images.
//
// LAS files are little-endian whatever the host.  Every field of a record
// that the suite decodes goes through these helpers, so that decoding never
// depends on the host's byte order or on the alignment of a buffer.
#ifndef TAMARAK_LAS_BYTES_H
#define TAMARAK_LAS_BYTES_H

#include <bit>
#include <cstdint>
#include <cstring>

namespace tamarak {

static_assert(std::endian::native == std::endian::little,
              "the packed LAS records are byte images of a little-endian "
              "host; a big-endian port needs byte swaps here");

inline uint16_t load_u16(const unsigned char *p) {
    uint16_t v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

inline uint32_t load_u32(const unsigned char *p) {
    uint32_t v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

inline int32_t load_i32(const unsigned char *p) {
    int32_t v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

inline double load_f64(const unsigned char *p) {
    double v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

inline void store_u32(unsigned char *p, uint32_t v) {
    std::memcpy(p, &v, sizeof v);
}

inline void store_f64(unsigned char *p, double v) {
    std::memcpy(p, &v, sizeof v);
}

} // namespace tamarak

#endif
