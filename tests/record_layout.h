/* SPDX-License-Identifier: MIT */
/* record_layout.h - the sizes and field offsets that the LAS file format
 * fixes for the library's packed records, checked at compile time.  Included
 * by one C11 and one C++ translation unit of the tests, so that both
 * languages' view of the records is checked while programs that use the
 * library do not compile these checks. */
#ifndef TESTS_RECORD_LAYOUT_H
#define TESTS_RECORD_LAYOUT_H

#include "TAMARAK_LiDAR.h"

#include <assert.h> /* static_assert in C11 */
#include <stddef.h>

static_assert(sizeof(LAS10Header) == 227, "LAS10Header size");
static_assert(sizeof(LAS11Header) == 227, "LAS11Header size");
static_assert(sizeof(LAS12Header) == 227, "LAS12Header size");
static_assert(offsetof(LAS10Header, Reserved) == 4, "Reserved");
static_assert(offsetof(LAS10Header, FlightDateJulian) == 90, "day");
static_assert(offsetof(LAS10Header, Year) == 92, "year");
static_assert(offsetof(LAS10Header, MinZ) == 219, "MinZ 1.0");
static_assert(offsetof(LAS11Header, FileSourceID) == 4, "FSID");
static_assert(offsetof(LAS11Header, Reserved) == 6, "Reserved");
static_assert(offsetof(LAS11Header, FileCreationDay) == 90, "day");
static_assert(offsetof(LAS11Header, FileCreationYear) == 92, "year");
static_assert(offsetof(LAS11Header, MinZ) == 219, "MinZ 1.1");
static_assert(offsetof(LAS12Header, LASF) == 0, "LASF");
static_assert(offsetof(LAS12Header, FileSourceID) == 4, "FSID");
static_assert(offsetof(LAS12Header, GlobalEncoding) == 6, "GE");
static_assert(offsetof(LAS12Header, GUIDData1) == 8, "GUID1");
static_assert(offsetof(LAS12Header, GUIDData2) == 12, "GUID2");
static_assert(offsetof(LAS12Header, GUIDData3) == 14, "GUID3");
static_assert(offsetof(LAS12Header, GUIDData4) == 16, "GUID4");
static_assert(offsetof(LAS12Header, VersionMajor) == 24, "major");
static_assert(offsetof(LAS12Header, VersionMinor) == 25, "minor");
static_assert(offsetof(LAS12Header, SystemIdentifier) == 26, "SysId");
static_assert(offsetof(LAS12Header, GeneratingSoftware) == 58, "Sw");
static_assert(offsetof(LAS12Header, FileCreationDay) == 90, "day");
static_assert(offsetof(LAS12Header, FileCreationYear) == 92, "year");
static_assert(offsetof(LAS12Header, HeaderSize) == 94, "HeaderSize");
static_assert(offsetof(LAS12Header, OffsetToData) == 96, "Offset");
static_assert(offsetof(LAS12Header, NumberOfVariableLengthRecords) == 100,
              "NumberOfVariableLengthRecords");
static_assert(offsetof(LAS12Header, PointDataFormatID) == 104, "fmt");
static_assert(offsetof(LAS12Header, PointDataRecordLength) == 105,
              "PointDataRecordLength");
static_assert(offsetof(LAS12Header, NumberOfPointReturns) == 107,
              "NumberOfPointReturns");
static_assert(offsetof(LAS12Header, NumberOfPointsByReturn) == 111,
              "NumberOfPointsByReturn");
static_assert(offsetof(LAS12Header, XScaleFactor) == 131, "XScale");
static_assert(offsetof(LAS12Header, YScaleFactor) == 139, "YScale");
static_assert(offsetof(LAS12Header, ZScaleFactor) == 147, "ZScale");
static_assert(offsetof(LAS12Header, XOffset) == 155, "XOffset");
static_assert(offsetof(LAS12Header, YOffset) == 163, "YOffset");
static_assert(offsetof(LAS12Header, ZOffset) == 171, "ZOffset");
static_assert(offsetof(LAS12Header, MaxX) == 179, "MaxX");
static_assert(offsetof(LAS12Header, MinX) == 187, "MinX");
static_assert(offsetof(LAS12Header, MaxY) == 195, "MaxY");
static_assert(offsetof(LAS12Header, MinY) == 203, "MinY");
static_assert(offsetof(LAS12Header, MaxZ) == 211, "MaxZ");
static_assert(offsetof(LAS12Header, MinZ) == 219, "MinZ");

static_assert(sizeof(LAS10fm0) == 20, "LAS10fm0 size");
static_assert(sizeof(LAS10fm1) == 28, "LAS10fm1 size");
static_assert(sizeof(LAS11fm0) == 20, "LAS11fm0 size");
static_assert(sizeof(LAS11fm1) == 28, "LAS11fm1 size");
static_assert(sizeof(LAS12fm0) == 20, "LAS12fm0 size");
static_assert(sizeof(LAS12fm1) == 28, "LAS12fm1 size");
static_assert(sizeof(LAS12fm2) == 26, "LAS12fm2 size");
static_assert(sizeof(LAS12fm3) == 34, "LAS12fm3 size");
static_assert(offsetof(LAS12fm3, Y) == 4, "Y");
static_assert(offsetof(LAS12fm3, Z) == 8, "Z");
static_assert(offsetof(LAS12fm3, Intensity) == 12, "Intensity");
static_assert(offsetof(LAS12fm3, bitfield) == 14, "bitfield");
static_assert(offsetof(LAS12fm3, Classification) == 15, "Class");
static_assert(offsetof(LAS12fm3, ScanAngleRank) == 16, "Angle");
static_assert(offsetof(LAS12fm3, UserData) == 17, "UserData");
static_assert(offsetof(LAS12fm3, PointSourceID) == 18, "PSID");
static_assert(offsetof(LAS10fm0, ScanAngleRank) == 16, "Angle");
static_assert(offsetof(LAS10fm0, FileMarker) == 17, "FileMarker");
static_assert(offsetof(LAS10fm0, UserBitField) == 18, "UBF");
static_assert(offsetof(LAS10fm1, GPSTime) == 20, "GPSTime 1.0");
static_assert(offsetof(LAS11fm1, GPSTime) == 20, "GPSTime 1.1");
static_assert(offsetof(LAS12fm1, GPSTime) == 20, "GPSTime 1.2");
static_assert(offsetof(LAS12fm2, Red) == 20, "Red fm2");
static_assert(offsetof(LAS12fm2, Green) == 22, "Green fm2");
static_assert(offsetof(LAS12fm2, Blue) == 24, "Blue fm2");
static_assert(offsetof(LAS12fm3, GPSTime) == 20, "GPSTime fm3");
static_assert(offsetof(LAS12fm3, Red) == 28, "Red fm3");
static_assert(offsetof(LAS12fm3, Green) == 30, "Green fm3");
static_assert(offsetof(LAS12fm3, Blue) == 32, "Blue fm3");

#endif /* TESTS_RECORD_LAYOUT_H */
