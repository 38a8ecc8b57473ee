/* SPDX-License-Identifier: MIT */
// las_verdict.h - the LAS file test of check_las without its messages: what
// a file is, or why it cannot be converted, as a value.  check_las prints
// the message of the verdict; callers that report in their own way (the
// command, which names every refused file of a list) take the verdict and
// its text instead.
#ifndef TAMARAK_LAS_VERDICT_H
#define TAMARAK_LAS_VERDICT_H

#include "las_type.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace tamarak {

// The tests of check_las, in the order it makes them; the first that
// fails is the verdict.
enum class LasProblem : uint8_t {
    none,            // a LAS file of a type the suite handles
    missing,         // cannot be opened for reading
    name_too_short,  // four characters or fewer
    no_dot,          // no dot before the last three characters
    wrong_extension, // an extension other than "las"
    cannot_open,     // the binary open failed after the first succeeded
    not_las,         // no signature, or the header ends early
    major_version,   // not LAS 1.x
    minor_version,   // LAS 1.3 or later
    point_format,    // a point data format above 3
    record_length,   // a record length that is not the format's
    untyped,         // LAS 1.0 or 1.1 declaring point data format 2 or 3
};

struct LasVerdict {
    LasProblem problem = LasProblem::none;
    LasType type;      // with LasProblem::none
    uint8_t major = 0; // the header bytes, as far as they were read
    uint8_t minor = 0;
    uint8_t format = 0;
    uint16_t length = 0;
    int error = 0;           // errno of a failed open
    bool compressed = false; // a LAS signature and a LAZ point format

    // The result check_las gives: the type's code, 0 for an untyped file,
    // -1 for any other problem.
    int16_t code() const {
        if (problem == LasProblem::none)
            return type.code();
        return problem == LasProblem::untyped ? 0 : -1;
    }
};

// The status of the library's reporting routines for a verdict.
int16_t status_of(const LasVerdict &v);

// Opens the file, reads its public header and closes it again; prints
// nothing.
LasVerdict examine_las(const char *filename);

// The header tests alone, on the first `got` bytes of a file (a header
// image of at most 227 bytes).  Gives none, untyped or a problem from
// not_las on.
LasVerdict examine_header(const unsigned char *header, std::size_t got);

// What check_las prints for a verdict, byte for byte; empty for none and
// for untyped, on which check_las is silent.
std::string las_message(const char *filename, const LasVerdict &v);

// Why an untyped file cannot be used: its point data format is not one of
// its LAS version.
std::string untyped_message(const char *filename, const LasVerdict &v);

} // namespace tamarak

#endif
