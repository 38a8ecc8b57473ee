// SPDX-License-Identifier: MIT
// header_bytes.cpp - the public header's numbers swapped field by field
// between file order (little-endian) and host order.
#include "header_bytes.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace tamarak {

namespace {

// The numbers of the header wider than a byte: `count` of `width` bytes
// each, from `at`.
struct Numbers {
    std::size_t at, width, count;
};

#define TAMARAK_NUMBERS(field, count)                                          \
    Numbers {                                                                  \
        offsetof(LAS12Header, field), sizeof(LAS12Header{}.field) / (count),   \
            (count)                                                            \
    }

constexpr Numbers kNumbers[] = {
    TAMARAK_NUMBERS(FileSourceID, 1),
    TAMARAK_NUMBERS(GlobalEncoding, 1),
    TAMARAK_NUMBERS(GUIDData1, 1),
    TAMARAK_NUMBERS(GUIDData2, 1),
    TAMARAK_NUMBERS(GUIDData3, 1),
    TAMARAK_NUMBERS(FileCreationDay, 1),
    TAMARAK_NUMBERS(FileCreationYear, 1),
    TAMARAK_NUMBERS(HeaderSize, 1),
    TAMARAK_NUMBERS(OffsetToData, 1),
    TAMARAK_NUMBERS(NumberOfVariableLengthRecords, 1),
    TAMARAK_NUMBERS(PointDataRecordLength, 1),
    TAMARAK_NUMBERS(NumberOfPointReturns, 1),
    TAMARAK_NUMBERS(NumberOfPointsByReturn, 5),
    // The scale factors, offsets and extents follow one another.
    TAMARAK_NUMBERS(XScaleFactor, 1),
    TAMARAK_NUMBERS(YScaleFactor, 1),
    TAMARAK_NUMBERS(ZScaleFactor, 1),
    TAMARAK_NUMBERS(XOffset, 1),
    TAMARAK_NUMBERS(YOffset, 1),
    TAMARAK_NUMBERS(ZOffset, 1),
    TAMARAK_NUMBERS(MaxX, 1),
    TAMARAK_NUMBERS(MinX, 1),
    TAMARAK_NUMBERS(MaxY, 1),
    TAMARAK_NUMBERS(MinY, 1),
    TAMARAK_NUMBERS(MaxZ, 1),
    TAMARAK_NUMBERS(MinZ, 1),
};

#undef TAMARAK_NUMBERS

// Reverses the bytes of every number on a big-endian host; on a
// little-endian one the image is the struct already.
void swap_numbers([[maybe_unused]] unsigned char *image) {
    if constexpr (std::endian::native == std::endian::big) {
        for (const Numbers &n : kNumbers)
            for (std::size_t k = 0; k < n.count; ++k) {
                unsigned char *first = image + n.at + k * n.width;
                std::reverse(first, first + n.width);
            }
    }
}

} // namespace

LAS12Header decode_header(const unsigned char *image) {
    unsigned char copy[layout::kHeaderBytes];
    std::memcpy(copy, image, sizeof copy);
    swap_numbers(copy);
    LAS12Header h;
    std::memcpy(&h, copy, sizeof h);
    return h;
}

void encode_header(const LAS12Header &h, unsigned char *image) {
    std::memcpy(image, &h, sizeof h);
    swap_numbers(image);
}

} // namespace tamarak
