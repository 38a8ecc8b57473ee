/* SPDX-License-Identifier: MIT */
// command_line.h - the command's arguments: the test that tells a LAS file
// from a list file, and the format number.
#ifndef PTXPORT_COMMAND_LINE_H
#define PTXPORT_COMMAND_LINE_H

#include "file_extension.h"
#include "las_type.h"

#include <cstdint>
#include <string>

namespace ptx {

// Whether filename ends in a dot and exactly extension (a LAS file), in a
// dot and three other characters (a list file), or in neither: a name of
// four characters or fewer, or one without a dot before its last three,
// which the run refuses with tamarak::extension_message.
tamarak::Extension checkFileExtension(const char *filename,
                                      const char *extension);

// The format number that text selects, 0 to 19, or -1 if it selects none.
// The text has passed check_numeric_argument.
int parseFormatNumber(const char *text);

// Whether a format (0 to 19) needs GPS time or colour that a record type
// lacks.
bool formatNeedsMissingGpsTime(int format, tamarak::LasType type);
bool formatNeedsMissingColour(int format, tamarak::LasType type);

} // namespace ptx

#endif
