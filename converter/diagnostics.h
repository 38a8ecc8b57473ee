/* SPDX-License-Identifier: MIT */
// diagnostics.h - the lines ptxport adds on standard error, one per event,
// to say why something failed or what looks wrong: every line that begins
// with "ptxport: " is made here.  Standard output keeps exactly the
// command's fixed messages; these come in addition.  Each line is made as
// text, so that validation can hand it back with its failures.
#ifndef PTXPORT_DIAGNOSTICS_H
#define PTXPORT_DIAGNOSTICS_H

#include "failure.h"
#include "las_type.h"
#include "las_verdict.h"

#include <cstdint>
#include <string>
#include <vector>

namespace ptx {

// "ptxport: NAME: reason" for an operating-system error number; nothing
// for 0.
std::string systemErrorLine(const std::string &name, int error);

// Prints systemErrorLine.
void noteSystemError(const std::string &name, int error);

// Why a file that check_las refused cannot be read as LAS, where more can
// be said than its message: the system's reason when it cannot be opened,
// or that it looks compressed (LAZ).
std::string rejectionNote(const std::string &name,
                          const tamarak::LasVerdict &verdict);

// What standard error adds to the message of a run's failures: the notes
// found on the way, the reason of the first failure where one is known and,
// for a list whose notes are silent, a line for each further refused file
// and the record types of a mixed list.
std::string failureNotes(const Failures &failures);

// The files of one record type in a list.
struct TypeGroup {
    tamarak::LasType type;
    std::size_t count = 0;
    std::string first;
};

// One line per record type, where a list holds more than one.
std::string typeLines(const std::string &list,
                      const std::vector<TypeGroup> &groups);

// A list file that is in fact a LAS file: named with a capital extension,
// or compressed (LAZ) and named .laz.
std::string listLooksLikeLasNote(const std::string &name);

// A file whose X or Y scale factor is finer than the two decimals the
// coordinates are written with (a file in degrees, say): the rows hold
// less than the file does, which no exit status tells.
void warnIfScaleTooFine(const std::string &name, double x_scale,
                        double y_scale);

// A LAS file whose point records end before the count its header declares.
void warnIfTruncated(const std::string &name, uint64_t whole_records,
                     uint32_t declared);

// A run stopped by a signal while it converted `las`, whose outputs it
// left as they were.
std::string interruptedLine(const std::string &las);

// What standard error adds to the usage of a command line that asks for
// the version or the usage (--version, -V, --help, -h); nothing otherwise.
std::string versionNote(int argc, char **argv);

} // namespace ptx

#endif
