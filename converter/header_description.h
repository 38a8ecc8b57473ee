// header_description.h - the header description file: a readable, 34-line
// image of a LAS public header, written beside the LAS file.
#ifndef PTXPORT_HEADER_DESCRIPTION_H
#define PTXPORT_HEADER_DESCRIPTION_H

#include "TAMARAK_LiDAR.h"

#include <cstdint>
#include <string>

// The 34 lines of the description of header h of a file of type Type.
std::string describeHeader(const LAS12Header &h, int16_t Type);

// Writes the description of h to the header description file of Name
// (plot7.las gives plot7_hdr.asc).  Ends the process with a message if the
// file cannot be created or written.
void writeAsciiHeader(const std::string &Name, const LAS12Header &h,
                      int16_t Type);

#endif
