/* SPDX-License-Identifier: MIT */
// las_type.h - the record type of a LAS file: which LAS version and point
// data format it has, and what follows from that pair.
//
// This is the one place that says which pairs the suite handles, which
// point record layout each pair uses and what that layout carries.  Record
// sizes and field positions come from the packed records of the public
// header, so they too are stated only once.
#ifndef TAMARAK_LAS_TYPE_H
#define TAMARAK_LAS_TYPE_H

#include "TAMARAK_LiDAR.h"

#include <array>
#include <cstddef>
#include <cstdint>

namespace tamarak {

// The four point record layouts: what follows the 20 bytes that all eight
// records share.  LAS 1.0, 1.1 and 1.2 records of one point data format
// have the same layout.
enum class Layout : uint8_t { Core20, Gps28, Rgb26, GpsRgb34 };

constexpr std::size_t record_size(Layout l) {
    switch (l) {
    case Layout::Core20:
        return sizeof(LAS12fm0);
    case Layout::Gps28:
        return sizeof(LAS12fm1);
    case Layout::Rgb26:
        return sizeof(LAS12fm2);
    case Layout::GpsRgb34:
        break;
    }
    return sizeof(LAS12fm3);
}

constexpr bool has_gps_time(Layout l) {
    return l == Layout::Gps28 || l == Layout::GpsRgb34;
}

constexpr bool has_colour(Layout l) {
    return l == Layout::Rgb26 || l == Layout::GpsRgb34;
}

// Where GPSTime and Red lie in the layouts that carry them.
inline constexpr std::size_t kGpsTimeAt = offsetof(LAS12fm1, GPSTime);
constexpr std::size_t colour_at(Layout l) {
    return l == Layout::Rgb26 ? offsetof(LAS12fm2, Red)
                              : offsetof(LAS12fm3, Red);
}

// A LASType: one pair of LAS version and point data format, with the code
// 1 to 8 that the library's routines report for it.
class LasType {
  public:
    // The type of a LAS 1.minor file of a point data format; none (code 0)
    // for a pair that the suite does not handle, such as LAS 1.1 format 3.
    static constexpr LasType of(unsigned minor, unsigned point_format) {
        for (const Facts &f : kTypes)
            if (f.minor == minor && f.point_format == point_format)
                return LasType(f.code);
        return LasType(0);
    }

    // The type of a code 1 to 8; none for any other code.
    static constexpr LasType from_code(int16_t code) {
        return LasType(code >= 1 && code <= 8 ? code : int16_t{0});
    }

    constexpr LasType() = default;

    constexpr bool valid() const { return code_ != 0; }
    constexpr int16_t code() const { return code_; }
    constexpr unsigned version_minor() const { return facts().minor; }
    constexpr unsigned point_format() const { return facts().point_format; }
    constexpr Layout layout() const { return facts().layout; }
    constexpr std::size_t record_size() const {
        return valid() ? tamarak::record_size(layout()) : 0;
    }
    constexpr bool has_gps_time() const {
        return valid() && tamarak::has_gps_time(layout());
    }
    constexpr bool has_colour() const {
        return valid() && tamarak::has_colour(layout());
    }
    // LAS 1.0 names bytes 17 to 19 FileMarker and UserBitField and the
    // header's date fields Flight Date Julian and Year.
    constexpr bool las10_names() const {
        return valid() && version_minor() == 0;
    }

    friend constexpr bool operator==(LasType, LasType) = default;

  private:
    struct Facts {
        int16_t code;
        uint8_t minor;
        uint8_t point_format;
        Layout layout;
    };
    static constexpr std::array<Facts, 8> kTypes = {{
        {1, 0, 0, Layout::Core20},
        {2, 0, 1, Layout::Gps28},
        {3, 1, 0, Layout::Core20},
        {4, 1, 1, Layout::Gps28},
        {5, 2, 0, Layout::Core20},
        {6, 2, 1, Layout::Gps28},
        {7, 2, 2, Layout::Rgb26},
        {8, 2, 3, Layout::GpsRgb34},
    }};

    explicit constexpr LasType(int16_t code) : code_(code) {}
    constexpr const Facts &facts() const {
        return kTypes[static_cast<std::size_t>(valid() ? code_ - 1 : 0)];
    }

    int16_t code_ = 0;
};

// The record size of a LAS point data format 0 to 3 (that of LAS 1.2).
constexpr std::size_t record_size_of_format(unsigned point_format) {
    return LasType::of(2, point_format).record_size();
}

// Whether a 227-byte header image still declares a type: the signature,
// version, point format and record length that check_las accepted.  Used
// where a file is read again after validation and may have been replaced.
bool header_declares_type(const unsigned char *header, LasType type);

} // namespace tamarak

#endif
