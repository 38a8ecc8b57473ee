/* SPDX-License-Identifier: MIT */
// las_layout.h - where the fields of a LAS file's byte images lie: the
// 227-byte public header and the 20 bytes that every point record begins
// with.  Code that reads or writes those images by offset takes the offsets
// from here, and they come from the packed records of the public header, so
// the layout itself is stated once, there.
#ifndef TAMARAK_LAS_LAYOUT_H
#define TAMARAK_LAS_LAYOUT_H

#include "TAMARAK_LiDAR.h"

#include <cstddef>

namespace tamarak::layout {

// The public header as the tools read it, whatever the version.
inline constexpr std::size_t kHeaderBytes = sizeof(LAS12Header);
static_assert(kHeaderBytes == 227, "the LAS 1.0 to 1.2 public header");

inline constexpr char kSignature[4] = {'L', 'A', 'S', 'F'};
inline constexpr std::size_t kSignatureAt = offsetof(LAS12Header, LASF);
inline constexpr std::size_t kMajorAt = offsetof(LAS12Header, VersionMajor);
inline constexpr std::size_t kMinorAt = offsetof(LAS12Header, VersionMinor);
inline constexpr std::size_t kHeaderSizeAt = offsetof(LAS12Header, HeaderSize);
inline constexpr std::size_t kOffsetToDataAt =
    offsetof(LAS12Header, OffsetToData);
inline constexpr std::size_t kFormatAt =
    offsetof(LAS12Header, PointDataFormatID);
inline constexpr std::size_t kRecordLengthAt =
    offsetof(LAS12Header, PointDataRecordLength);
inline constexpr std::size_t kPointCountAt =
    offsetof(LAS12Header, NumberOfPointReturns);
inline constexpr std::size_t kReturns = 5;
inline constexpr std::size_t kPointsByReturnAt =
    offsetof(LAS12Header, NumberOfPointsByReturn);

// The scale factors, offsets and extents of the X, Y and Z axes.  Each
// group lies in axis order; the extents hold each axis's maximum before its
// minimum.
constexpr std::size_t scale_at(std::size_t axis) {
    return offsetof(LAS12Header, XScaleFactor) + axis * sizeof(double);
}
constexpr std::size_t offset_at(std::size_t axis) {
    return offsetof(LAS12Header, XOffset) + axis * sizeof(double);
}
constexpr std::size_t max_at(std::size_t axis) {
    return offsetof(LAS12Header, MaxX) + axis * 2 * sizeof(double);
}
constexpr std::size_t min_at(std::size_t axis) {
    return max_at(axis) + sizeof(double);
}
static_assert(scale_at(2) == offsetof(LAS12Header, ZScaleFactor) &&
              offset_at(2) == offsetof(LAS12Header, ZOffset) &&
              max_at(1) == offsetof(LAS12Header, MaxY) &&
              min_at(2) == offsetof(LAS12Header, MinZ));

// The bytes every point record begins with.  The record's X, Y and Z are
// 32-bit integers in axis order.
constexpr std::size_t coordinate_at(std::size_t axis) {
    return offsetof(LAS12fm0, X) + axis * sizeof(int32_t);
}
static_assert(coordinate_at(2) == offsetof(LAS12fm0, Z));
inline constexpr std::size_t kIntensityAt = offsetof(LAS12fm0, Intensity);
// Return number (bits 0-2), number of returns (3-5), scan direction (6) and
// edge of flight line (7).
inline constexpr std::size_t kBitfieldAt = offsetof(LAS12fm0, bitfield);
inline constexpr std::size_t kClassificationAt =
    offsetof(LAS12fm0, Classification);
inline constexpr std::size_t kScanAngleAt = offsetof(LAS12fm0, ScanAngleRank);
// File Marker (LAS 1.0) or User Data, then User Bit Field (LAS 1.0) or
// Point Source ID: the same bytes under two names.
inline constexpr std::size_t kUserDataAt = offsetof(LAS12fm0, UserData);
inline constexpr std::size_t kPointSourceAt = offsetof(LAS12fm0, PointSourceID);

} // namespace tamarak::layout

#endif
