/* SPDX-License-Identifier: MIT */
// las_bytes.h - little-endian loads and stores for LAS byte images.
//
// LAS files are little-endian whatever the host.  Every field of a record
// that the suite decodes goes through these helpers, so that decoding never
// depends on the host's byte order or on the alignment of a buffer.
#ifndef TAMARAK_LAS_BYTES_H
#define TAMARAK_LAS_BYTES_H

#include "platform_std.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <type_traits>

namespace tamarak {

// The value of a little-endian field in host order, and back: the identity
// on a little-endian host, a byte swap on a big-endian one.
template <typename Uint> inline Uint from_little(Uint v) {
    static_assert(std::endian::native == std::endian::little ||
                  std::endian::native == std::endian::big);
    if constexpr (std::endian::native == std::endian::little || sizeof v == 1)
        return v;
    else if constexpr (sizeof v == 2)
        return __builtin_bswap16(v);
    else if constexpr (sizeof v == 4)
        return __builtin_bswap32(v);
    else
        return __builtin_bswap64(v);
}

// The unsigned integer of a field's size.
template <std::size_t N>
using UintOfSize = std::conditional_t<
    N == 1, uint8_t,
    std::conditional_t<N == 2, uint16_t,
                       std::conditional_t<N == 4, uint32_t, uint64_t>>>;

template <typename T> inline T load_le(const unsigned char *p) {
    UintOfSize<sizeof(T)> u;
    std::memcpy(&u, p, sizeof u);
    return tamarak::bit_cast<T>(from_little(u));
}

template <typename T> inline void store_le(unsigned char *p, T v) {
    const auto u = from_little(tamarak::bit_cast<UintOfSize<sizeof(T)>>(v));
    std::memcpy(p, &u, sizeof u);
}

inline uint16_t load_u16(const unsigned char *p) {
    return load_le<uint16_t>(p);
}
inline uint32_t load_u32(const unsigned char *p) {
    return load_le<uint32_t>(p);
}
inline int32_t load_i32(const unsigned char *p) {
    return load_le<int32_t>(p);
}
inline double load_f64(const unsigned char *p) {
    return load_le<double>(p);
}
inline void store_u32(unsigned char *p, uint32_t v) {
    store_le(p, v);
}
inline void store_f64(unsigned char *p, double v) {
    store_le(p, v);
}

} // namespace tamarak

#endif
