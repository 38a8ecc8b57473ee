/* SPDX-License-Identifier: MIT */
// las_verdict.h - the LAS file test of check_las without its messages: what
// a file is, or why it cannot be converted, as a value.  check_las prints
// the message of the verdict; callers that report in their own way (the
// command, which names every refused file of a list) take the verdict and
// its text instead.
#ifndef TAMARAK_LAS_VERDICT_H
#define TAMARAK_LAS_VERDICT_H

#include "las_type.h"
#include "status.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace tamarak {

// The status of the first test of check_las that fails, its errno, and the
// header bytes read on the way, from which each message follows.
struct LasVerdict : Result {
    LasType type;      // with TAMARAK_OK
    uint8_t major = 0; // the header bytes, as far as they were read
    uint8_t minor = 0;
    uint8_t format = 0;
    uint16_t length = 0;
    bool compressed = false; // a LAS signature and a LAZ point format

    bool ok() const { return status == TAMARAK_OK; }

    // LAS 1.0 or 1.1 declaring point data format 2 or 3, on which check_las
    // is silent: any other unsupported format is above 3.
    bool untyped() const {
        return status == TAMARAK_UNSUPPORTED_FORMAT && format <= 3;
    }

    // The result check_las gives: the type's code, 0 for an untyped file,
    // -1 for any other problem.
    int16_t code() const {
        if (ok())
            return type.code();
        return untyped() ? 0 : -1;
    }
};

// Opens the file, reads its public header and closes it again; prints
// nothing.  The tests, in the order check_las makes them: the file opens
// for reading (else TAMARAK_NOT_FOUND), its name ends in ".las"
// (TAMARAK_BAD_NAME), it opens as binary (TAMARAK_OPEN_FAILED), then the
// header tests of examine_header.
LasVerdict examine_las(const char *filename);

// The header tests alone, on the first `got` bytes of a file (a header
// image of at most 227 bytes).  Gives TAMARAK_OK or a status from
// TAMARAK_NOT_LAS on.
LasVerdict examine_header(const unsigned char *header, std::size_t got);

// What check_las prints for a verdict, byte for byte; empty for TAMARAK_OK
// and for an untyped file, on which check_las is silent.
std::string las_message(const char *filename, const LasVerdict &v);

// Why an untyped file cannot be used: its point data format is not one of
// its LAS version.
std::string untyped_message(const char *filename, const LasVerdict &v);

} // namespace tamarak

#endif
