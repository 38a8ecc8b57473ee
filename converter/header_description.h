/* SPDX-License-Identifier: MIT */
// header_description.h - the header description file: a readable, 34-line
// image of a LAS public header, written beside the LAS file.
#ifndef PTXPORT_HEADER_DESCRIPTION_H
#define PTXPORT_HEADER_DESCRIPTION_H

#include "TAMARAK_LiDAR.h"
#include "file_handle.h"
#include "las_type.h"

#include <cstdint>
#include <cstdio>
#include <string>

namespace ptx {

// The 34 lines of the description of header h of a file of type Type.
std::string describeHeader(const LAS12Header &h, tamarak::LasType Type);

// Writes the description of h to `out`, a binary stream, each line ended
// with the host's line end; false if the text could not be written, which
// `out` keeps.  Prints nothing and leaves `out` open.
bool writeHeaderDescription(tamarak::Stream &out, const LAS12Header &h,
                            tamarak::LasType Type);

// writeHeaderDescription for a stream of the caller's: 0, or -1.
int16_t writeAsciiHeader(std::FILE *out, const LAS12Header &h,
                         tamarak::LasType Type);

} // namespace ptx

#endif
