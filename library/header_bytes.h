/* SPDX-License-Identifier: MIT */
// header_bytes.h - the public header between the 227 little-endian bytes of
// a file and the LAS12Header that callers use, whose numbers are in host
// order.
//
// Every read of a header into the struct and every write of the struct to a
// file goes through these two, so the byte order is settled in one place.
#ifndef TAMARAK_HEADER_BYTES_H
#define TAMARAK_HEADER_BYTES_H

#include "TAMARAK_LiDAR.h"
#include "las_layout.h"

namespace tamarak {

// The header held in the image of a file's first layout::kHeaderBytes
// bytes.
LAS12Header decode_header(const unsigned char *image);

// The image in a file of the header h.
void encode_header(const LAS12Header &h, unsigned char *image);

} // namespace tamarak

#endif
