/* SPDX-License-Identifier: MIT */
// failure.h - a failed step of the conversion of one LAS file, as a value:
// what was done, to which of its files, and the error number as the
// failing call left it.  errno belongs to the thread that made the call, so
// it is taken there, right after the call, and travels with the value to
// the driver, which tells the user.
#ifndef PTXPORT_FAILURE_H
#define PTXPORT_FAILURE_H

#include <cerrno>
#include <cstdint>

namespace ptx {

enum class FileStep : std::uint8_t {
    none,
    openToRead,
    openToWrite,
    read,
    write,
    close,   // of a file written: data may be lost
    recheck, // the LAS file is no longer what validation saw
};

// The LAS file, or one of the two files written for it.
enum class FileRole : std::uint8_t { las, header, points };

struct Failure {
    FileStep step = FileStep::none;
    FileRole file = FileRole::las;
    int error = 0; // errno after the failing call; 0: no reason known

    explicit operator bool() const { return step != FileStep::none; }
};

// The failure of the call just made on this thread.
inline Failure failed(FileStep step, FileRole file) {
    return {step, file, errno};
}

} // namespace ptx

#endif
