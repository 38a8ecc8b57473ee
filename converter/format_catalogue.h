/* SPDX-License-Identifier: MIT */
// format_catalogue.h - the twenty output formats, each described once as
// its list of columns.
//
// A column is a value of the point record and the name it is headed with.
// Everything else about a format follows from its columns: the column-name
// line, the row (point_rows.h) and the record types it serves.
#ifndef PTXPORT_FORMAT_CATALOGUE_H
#define PTXPORT_FORMAT_CATALOGUE_H

#include "las_type.h"

#include <array>
#include <cstddef>
#include <iterator>
#include <span>
#include <string>
#include <string_view>

namespace ptx {

using tamarak::LasType;
using tamarak::Layout;

// The printable values of a point record.
enum class Value {
    X,
    Y,
    Z,
    Intensity,
    ReturnNum,
    NumReturns,
    ScanDirection,
    EdgeOfFlightLine,
    Classification,
    ScanAngleRank,
    Byte17,      // FileMarker in LAS 1.0, UserData later
    Bytes18to19, // UserBitField in LAS 1.0, PointSourceID later
    GpsTime,
    Red,
    Green,
    Blue,
};

// Whether every record of a layout carries a value.
constexpr bool carries(Layout l, Value v) {
    if (v == Value::GpsTime)
        return tamarak::has_gps_time(l);
    if (v == Value::Red || v == Value::Green || v == Value::Blue)
        return tamarak::has_colour(l);
    return true;
}

struct Column {
    Value value;
    std::string_view name;
    std::string_view las10_name = {}; // where LAS 1.0 names it otherwise
    // Written only where the layout carries the value; a format that needs
    // a value the layout lacks does not serve that layout.
    bool where_carried = false;
};

namespace columns {
using enum Value;
inline constexpr Column kX{X, "X"}, kY{Y, "Y"}, kZ{Z, "Z"};
inline constexpr Column kIntensity{Intensity, "Intensity"};
inline constexpr Column kByte17{Byte17, "UserData", "FileMarker"};
inline constexpr Column kBytes18to19{Bytes18to19, "PointSourceID",
                                     "UserBitField"};
inline constexpr Column kGpsTime{GpsTime, "GPSTime"};

inline constexpr Column kFull[] = {
    kX,
    kY,
    kZ,
    kIntensity,
    {ReturnNum, "ReturnNum"},
    {NumReturns, "NumReturns"},
    {ScanDirection, "ScanDirection"},
    {EdgeOfFlightLine, "EdgeOfFlightLine"},
    {Classification, "Class"},
    {ScanAngleRank, "ScanAngleRank"},
    kByte17,
    kBytes18to19,
    {GpsTime, "GPSTime", {}, true},
    {Red, "Red", {}, true},
    {Green, "Green", {}, true},
    {Blue, "Blue", {}, true},
};
inline constexpr Column k1[] = {kX};
inline constexpr Column k2[] = {kY};
inline constexpr Column k3[] = {kZ};
inline constexpr Column k4[] = {kIntensity};
inline constexpr Column k5[] = {{ReturnNum, "ReturnNum"}};
inline constexpr Column k6[] = {{NumReturns, "NumReturns"}};
inline constexpr Column k7[] = {{ScanDirection, "ScanDirection"}};
inline constexpr Column k8[] = {{EdgeOfFlightLine, "EdgeOfFlightLine"}};
inline constexpr Column k9[] = {{Classification, "Classification"}};
inline constexpr Column k10[] = {{ScanAngleRank, "ScanAngleRank"}};
inline constexpr Column k11[] = {kByte17};
inline constexpr Column k12[] = {kBytes18to19};
inline constexpr Column k13[] = {kGpsTime};
inline constexpr Column k14[] = {{Red, "R"}, {Green, "G"}, {Blue, "B"}};
inline constexpr Column k15[] = {kX, kY, kZ};
inline constexpr Column k16[] = {kX, kY, kZ, kIntensity};
inline constexpr Column k17[] = {kX, kY, kZ, kGpsTime};
inline constexpr Column k18[] = {kX, kY, kZ, kIntensity, kGpsTime};
inline constexpr Column k19[] = {kX,         kY,           kZ,
                                 {Red, "R"}, {Green, "g"}, {Blue, "B"}};
} // namespace columns

// A format: how the usage text names it, and its columns.
struct Format {
    std::string_view label;
    std::span<const Column> columns;
};

// Every format, by format number.
inline constexpr Format kCatalogue[] = {
    {"All", columns::kFull},
    {"X", columns::k1},
    {"Y", columns::k2},
    {"Z", columns::k3},
    {"Intensity", columns::k4},
    {"Return Number", columns::k5},
    {"Number of Returns", columns::k6},
    {"Scan Direction", columns::k7},
    {"Edge of Flight Line", columns::k8},
    {"Classification", columns::k9},
    {"Scan Angle Rank", columns::k10},
    {"File Marker / User Data", columns::k11},
    {"User Bit Field / Point Source ID", columns::k12},
    {"GPSTime (if available)", columns::k13},
    {"RGB (if available)", columns::k14},
    {"X Y Z", columns::k15},
    {"X Y Z Intensity", columns::k16},
    {"X Y Z GPSTime", columns::k17},
    {"X Y Z Intensity GPSTime", columns::k18},
    {"X Y Z RGB", columns::k19},
};

inline constexpr int kFormatCount = static_cast<int>(std::size(kCatalogue));

// The columns of each format, by format number.
inline constexpr auto kFormats = [] {
    std::array<std::span<const Column>, kFormatCount> formats{};
    for (std::size_t f = 0; f < formats.size(); ++f)
        formats[f] = kCatalogue[f].columns;
    return formats;
}();

// Whether a format has rows for a layout: it needs no value the layout
// lacks.
constexpr bool serves(int format, Layout l) {
    if (format < 0 || format >= kFormatCount)
        return false;
    for (const Column &c : kFormats[static_cast<std::size_t>(format)])
        if (!c.where_carried && !carries(l, c.value))
            return false;
    return true;
}

// Whether a format (0 to 19) needs a value that a record type lacks.
constexpr bool needsMissing(int format, Value v, LasType type) {
    if (format < 0 || format >= kFormatCount)
        return false;
    for (const Column &c : kFormats[static_cast<std::size_t>(format)])
        if (c.value == v && !c.where_carried)
            return !type.valid() || !carries(type.layout(), v);
    return false;
}

// The column-name line of a format (0 to 19) for a record type, line end
// included: each name in double quotes, one blank between names.
std::string columnNames(int format, LasType type);

// Whether a format has rows for a record type.
bool formatServesType(int format, LasType type);

// The usage text of the command: its arguments, then every format by
// number and label.
std::string usageText();

} // namespace ptx

#endif
