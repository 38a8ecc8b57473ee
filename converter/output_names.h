/* SPDX-License-Identifier: MIT */
// output_names.h - the names of the two files written for each LAS file.
#ifndef PTXPORT_OUTPUT_NAMES_H
#define PTXPORT_OUTPUT_NAMES_H

#include <string>

namespace ptx {

// A LAS file of a run and the files written for it, beside it: plot7.las
// gives the point file plot7.asc and the header description plot7_hdr.asc.
struct LasFileNames {
    std::string las;
    std::string points;
    std::string header;
};

// The names for a LAS file, whose name ends in ".las" (validation has made
// sure): its last four characters give way to the suffixes.  Any directory
// part stays.
LasFileNames namesFor(const std::string &las_name);

} // namespace ptx

#endif
