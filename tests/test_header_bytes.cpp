// SPDX-License-Identifier: MIT
// test_header_bytes.cpp - the header's numbers are little-endian in the file
// and in host order in LAS12Header, on any host.
#include "header_bytes.h"

#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <cstring>
#include <type_traits>

namespace {

// Writes the little-endian bytes of v at `at`, one by one.
template <typename T> void put_le(unsigned char *image, std::size_t at, T v) {
    auto u = std::bit_cast<std::conditional_t<
        sizeof v == 8, uint64_t,
        std::conditional_t<sizeof v == 4, uint32_t, uint16_t>>>(v);
    for (std::size_t k = 0; k < sizeof v; ++k, u >>= 8)
        image[at + k] = static_cast<unsigned char>(u & 0xFF);
}

TEST(HeaderBytes, EveryNumberIsDecodedAndEncodedLittleEndian) {
    unsigned char image[tamarak::layout::kHeaderBytes] = {};
    std::memcpy(image, "LASF", 4);
    put_le<uint16_t>(image, 4, 0x0102);       // FileSourceID
    put_le<uint16_t>(image, 6, 0x0304);       // GlobalEncoding
    put_le<uint32_t>(image, 8, 0x05060708);   // GUIDData1
    put_le<uint16_t>(image, 12, 0x090A);      // GUIDData2
    put_le<uint16_t>(image, 14, 0x0B0C);      // GUIDData3
    image[24] = 1;                            // VersionMajor
    image[25] = 2;                            // VersionMinor
    put_le<uint16_t>(image, 90, 0x0D0E);      // FileCreationDay
    put_le<uint16_t>(image, 92, 0x0F10);      // FileCreationYear
    put_le<uint16_t>(image, 94, 227);         // HeaderSize
    put_le<uint32_t>(image, 96, 0x11121314);  // OffsetToData
    put_le<uint32_t>(image, 100, 0x15161718); // NumberOfVariableLengthRecords
    image[104] = 3;                           // PointDataFormatID
    put_le<uint16_t>(image, 105, 34);         // PointDataRecordLength
    put_le<uint32_t>(image, 107, 0x191A1B1C); // NumberOfPointReturns
    for (uint32_t n = 0; n < 5; ++n)
        put_le<uint32_t>(image, 111 + 4 * n, 0x21222324 + n);
    for (int n = 0; n < 12; ++n)
        put_le<double>(image, 131 + 8 * n, 0.25 + n);

    const LAS12Header h = tamarak::decode_header(image);
    EXPECT_EQ(+h.FileSourceID, 0x0102);
    EXPECT_EQ(+h.GlobalEncoding, 0x0304);
    EXPECT_EQ(+h.GUIDData1, 0x05060708u);
    EXPECT_EQ(+h.GUIDData2, 0x090A);
    EXPECT_EQ(+h.GUIDData3, 0x0B0C);
    EXPECT_EQ(+h.FileCreationDay, 0x0D0E);
    EXPECT_EQ(+h.FileCreationYear, 0x0F10);
    EXPECT_EQ(+h.HeaderSize, 227);
    EXPECT_EQ(+h.OffsetToData, 0x11121314u);
    EXPECT_EQ(+h.NumberOfVariableLengthRecords, 0x15161718u);
    EXPECT_EQ(+h.PointDataFormatID, 3);
    EXPECT_EQ(+h.PointDataRecordLength, 34);
    EXPECT_EQ(+h.NumberOfPointReturns, 0x191A1B1Cu);
    EXPECT_EQ(+h.NumberOfPointsByReturn[4], 0x21222328u);
    const double doubles[12] = {h.XScaleFactor, h.YScaleFactor, h.ZScaleFactor,
                                h.XOffset,      h.YOffset,      h.ZOffset,
                                h.MaxX,         h.MinX,         h.MaxY,
                                h.MinY,         h.MaxZ,         h.MinZ};
    for (int n = 0; n < 12; ++n)
        EXPECT_EQ(doubles[n], 0.25 + n) << "double " << n;

    unsigned char again[tamarak::layout::kHeaderBytes];
    tamarak::encode_header(h, again);
    EXPECT_EQ(std::memcmp(again, image, sizeof image), 0);
}

} // namespace
