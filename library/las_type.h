// las_type.h - the record-type code of a LAS file, shared by the checks.
//
// A LASType names one pair of LAS version and point data format:
//   1 = 1.0/0  2 = 1.0/1  3 = 1.1/0  4 = 1.1/1
//   5 = 1.2/0  6 = 1.2/1  7 = 1.2/2  8 = 1.2/3
// Each type has exactly one record size.
#ifndef TAMARAK_LAS_TYPE_H
#define TAMARAK_LAS_TYPE_H

#include <cstddef>
#include <cstdint>

namespace tamarak {

// Offsets of the header bytes that decide a file's type.
constexpr std::size_t kHeaderBytes = 227;
constexpr std::size_t kOffVersionMajor = 24;
constexpr std::size_t kOffVersionMinor = 25;
constexpr std::size_t kOffPointFormat = 104;
constexpr std::size_t kOffRecordLength = 105;

// Record size of a LASType 1 to 8; 0 for any other code.
std::size_t record_size_of(int16_t las_type);

// Type of a LAS 1.x file from its minor version and point data format, which
// the caller has already limited to 0..2 and 0..3: 1 to 8, or 0 for a LAS 1.0
// or 1.1 file that declares point format 2 or 3 (a pair without a type).
int16_t las_type_of(unsigned minor, unsigned format);

// Whether a 227-byte header image still declares a LASType: the signature,
// version, point format and record length that check_las accepted.  Used
// where a file is read again after validation and may have been replaced.
bool header_declares_type(const unsigned char *header, int16_t las_type);

// Prints why a file for which check_las gave 0 cannot be used.  Reads the
// three header bytes it names again; prints nothing if they cannot be read.
void report_untyped_las(const char *filename);

} // namespace tamarak

#endif
