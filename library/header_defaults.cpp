// SPDX-License-Identifier: MIT
// header_defaults.cpp - initialize_header10/11/12: fill a caller's public
// header record with the library's defaults for an empty file without
// variable-length records.
//
// The three texts (GUIDData4, SystemIdentifier, GeneratingSoftware) are
// stored as zero-terminated strings only, so the bytes behind each
// terminator keep what the caller's record held; callers that need a fully
// defined record clear it first.
#include "TAMARAK_LiDAR.h"
#include "las_layout.h"
#include "product_name.h"

#include <cstdint>
#include <cstring>

namespace {

constexpr uint16_t kPublicHeaderSize = tamarak::layout::kHeaderBytes;

static_assert(sizeof tamarak::kProductName <=
                  sizeof(LAS12Header{}.GeneratingSoftware),
              "the product line and its terminator must fit the field");

// Every field that has the same name and place in all three versions.
template <typename Header> void fill_common(Header &h, uint8_t minor) {
    std::memcpy(h.LASF, "LASF", 4);
    h.GUIDData1 = 0;
    h.GUIDData2 = 0;
    h.GUIDData3 = 0;
    h.GUIDData4[0] = 0;
    h.VersionMajor = 1;
    h.VersionMinor = minor;
    h.SystemIdentifier[0] = '\0';
    std::memcpy(h.GeneratingSoftware, tamarak::kProductName,
                sizeof tamarak::kProductName);
    h.HeaderSize = kPublicHeaderSize;
    h.OffsetToData = kPublicHeaderSize;
    h.NumberOfVariableLengthRecords = 0;
    // The caller sets format and record length together before use.
    h.PointDataFormatID = 0;
    h.PointDataRecordLength = 0;
    h.NumberOfPointReturns = 0;
    for (std::size_t i = 0; i < 5; ++i)
        h.NumberOfPointsByReturn[i] = 0;
    h.XScaleFactor = h.YScaleFactor = h.ZScaleFactor = 1.0;
    h.XOffset = h.YOffset = h.ZOffset = 0.0;
    h.MaxX = h.MinX = h.MaxY = h.MinY = h.MaxZ = h.MinZ = 0.0;
}

} // namespace

extern "C" {

void initialize_header10(LAS10Header *ph) {
    if (!ph)
        return;
    fill_common(*ph, 0);
    ph->Reserved = 0;
    ph->FlightDateJulian = 0;
    ph->Year = 0;
}

void initialize_header11(LAS11Header *ph) {
    if (!ph)
        return;
    fill_common(*ph, 1);
    ph->FileSourceID = 0;
    ph->Reserved = 0;
    ph->FileCreationDay = 0;
    ph->FileCreationYear = 0;
}

void initialize_header12(LAS12Header *ph) {
    if (!ph)
        return;
    fill_common(*ph, 2);
    ph->FileSourceID = 0;
    ph->GlobalEncoding = 0;
    ph->FileCreationDay = 0;
    ph->FileCreationYear = 0;
}

} // extern "C"
