/* SPDX-License-Identifier: MIT */
// output_file.h - an output file written under a temporary name beside the
// file it replaces, and put in place whole once complete, so that its final
// name never holds a part: a run killed at any instant, or a reader, sees
// the previous complete file or the new one.
#ifndef PTXPORT_OUTPUT_FILE_H
#define PTXPORT_OUTPUT_FILE_H

#include "file_handle.h"

#include <string>

namespace ptx {

struct OutputFile {
    std::string target;    // the file replaced: the name, or a link's target
    std::string temporary; // written until placed; empty when in place
};

// Opens the output `name` for writing: a new file of a temporary name beside
// its target, or where that cannot be (a folder where files may be
// rewritten but none created, a name too long, a target that is no regular
// file or may not be written), the name itself, as it is rewritten in
// place.  A stream that did not open failed as opening the name did.
tamarak::Stream openOutput(const std::string &name, OutputFile &out);

// Gives the written file its final name, replacing the target; 0, or the
// errno value of the failure, after which the target keeps what it held.
int placeOutput(OutputFile &out);

// Removes the temporary file of an output that is not to be kept.
void discardOutput(OutputFile &out);

} // namespace ptx

#endif
