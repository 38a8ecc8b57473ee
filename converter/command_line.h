// command_line.h - the command's arguments: usage text, the test that tells
// a LAS file from a list file, and the format number.
#ifndef PTXPORT_COMMAND_LINE_H
#define PTXPORT_COMMAND_LINE_H

#include <cstdint>

// Writes the usage text.
void usage();

// 0 if filename ends in a dot and exactly extension, -1 if it ends in a dot
// and three other characters.  A name of four characters or fewer, or one
// without a dot before its last three, ends the process with a message.
int16_t checkFileExtension(const char *filename, const char *extension);

// The format number that text selects, 0 to 19, or -1 if it selects none.
// The text has passed check_numeric_argument.
int parseFormatNumber(const char *text);

// Whether a format needs GPS time or colour that a LASType lacks.
bool formatNeedsMissingGpsTime(int format, int16_t las_type);
bool formatNeedsMissingColour(int format, int16_t las_type);

#endif
