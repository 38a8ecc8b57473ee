/* SPDX-License-Identifier: MIT */
// failure.h - why a run stops, as a value: the step that failed, the file
// it worked on, the library's status and the error number as the failing
// call left it.  Validation and conversion both hand failures back instead
// of printing; the driver alone tells the user, from the message table
// (command_messages.h) and the standard-error lines (diagnostics.h).
#ifndef PTXPORT_FAILURE_H
#define PTXPORT_FAILURE_H

#include "file_handle.h"
#include "las_verdict.h"

#include <cstdint>
#include <string>
#include <vector>

namespace ptx {

enum class FileStep : std::uint8_t {
    none,
    // Validation, before anything is written.
    arguments,     // not exactly two
    firstName,     // the first argument is too short or has no dot
    openList,      // the list file cannot be opened
    lasFile,       // the LAS file of the run is refused
    listedFile,    // a file named in the list is refused
    listType,      // a listed file of another record type than the first
    emptyList,     // a list naming no file
    numericFormat, // the format is not a number
    unknownFormat, // a number that is no format
    noGpsTime,     // a format with GPS time for records without
    noColour,      // a format with colour for records without
    overwrite,     // an output that is one of the inputs
    writtenTwice,  // one output for two different files
    // Conversion.
    noMemoryForHeader,
    noMemoryForRecords,
    openToRead,
    openToWrite,
    read,
    write,
    close,       // of a file written: data may be lost
    recheck,     // the LAS file is no longer what validation saw
    interrupted, // a signal asked the run to stop
};

// The LAS file, or one of the two files written for it.
enum class FileRole : std::uint8_t { las, header, points };

struct Failure {
    FileStep step = FileStep::none;
    FileRole file = FileRole::las;  // in conversion, until names is set
    std::vector<std::string> names; // the names the message holds, in order
    // The library's status and errno, and for a refused LAS file the header
    // bytes that its message shows.
    tamarak::LasVerdict verdict;

    explicit operator bool() const { return step != FileStep::none; }
    int error() const { return verdict.error; }
};

// A failure of validation about the given names.
Failure refused(FileStep step, std::vector<std::string> names = {},
                const tamarak::LasVerdict &verdict = {});

// A failure of conversion with the errno value it left (0: none known).
Failure failed(FileStep step, FileRole file, int error);

// The failure of the last call made on a stream.
Failure failed(FileStep step, FileRole file, const tamarak::Stream &stream);

// A run's failures: the first stops it, and for a list every further
// refused file follows, so that one run names all that need fixing; with
// the standard-error lines that validation found on the way.
struct Failures {
    std::vector<Failure> list;
    std::string notes; // before the first failure's own
    std::string types; // after the further refused files
};

// What standard output shows for a run's failures: the message of the
// first, exactly.
std::string failureMessage(const Failure &f);

} // namespace ptx

#endif
