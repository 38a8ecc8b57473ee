/* SPDX-License-Identifier: MIT */
// platform_std.h - the C++20 library facilities that a host's C++ library
// may lack (Emscripten 3.1's libc++ has neither std::bit_cast nor the
// floating-point std::to_chars), under names of this project that are the
// standard ones wherever those exist; and how a compiler is told which
// printf rules a format follows.
#ifndef TAMARAK_PLATFORM_STD_H
#define TAMARAK_PLATFORM_STD_H

#include <bit>
#include <charconv>
#include <cstdio>
#include <type_traits>

// A routine that takes a printf format and its arguments, checked by the
// rules of the printf that the program prints with.  MinGW's GCC takes
// "printf" to mean Microsoft's, which knows no %zu, while MinGW's C++
// library prints through its own C99 printf, the GNU rules.
#if defined(__MINGW32__) && !defined(__clang__)
#define TAMARAK_PRINTF_FORMAT(string, first)                                   \
    [[gnu::format(gnu_printf, string, first)]]
#else
#define TAMARAK_PRINTF_FORMAT(string, first)                                   \
    [[gnu::format(printf, string, first)]]
#endif

namespace tamarak {

#ifdef __cpp_lib_bit_cast
using std::bit_cast;
#else
// The compiler's builtin is what the standard library's own is made of.
template <typename To, typename From>
requires(sizeof(To) == sizeof(From) && std::is_trivially_copyable_v<To> &&
         std::is_trivially_copyable_v<From>) constexpr To
    bit_cast(const From &from) noexcept {
    return __builtin_bit_cast(To, from);
}
#endif

// printf("%.*f", decimals, v) at first, where there is room for its
// terminating zero; the position after the last character.  Exact in
// glibc and in musl (Emscripten's C library) alike.
inline char *fixed_by_printf(char *first, char *last, double v, int decimals) {
    const int n = std::snprintf(first, static_cast<std::size_t>(last - first),
                                "%.*f", decimals, v);
    return first + n;
}

// v with `decimals` digits after the point, exactly (correctly rounded from
// the double's exact value), at first; the position after the last
// character.  Where std::to_chars has no floating-point overloads, printf,
// which needs one place more.
inline char *to_chars_fixed(char *first, char *last, double v, int decimals) {
#ifdef __cpp_lib_to_chars
    return std::to_chars(first, last, v, std::chars_format::fixed, decimals)
        .ptr;
#else
    return fixed_by_printf(first, last, v, decimals);
#endif
}

} // namespace tamarak

#endif
