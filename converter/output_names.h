/* SPDX-License-Identifier: MIT */
// output_names.h - the names of the two files written for each LAS file.
#ifndef PTXPORT_OUTPUT_NAMES_H
#define PTXPORT_OUTPUT_NAMES_H

#include <string>
#include <string_view>

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

// What marks the temporary name of an output being written: the final
// file's name, hidden, then this and kUniqueChars letters or digits that
// make it the run's own: plot7.asc is written as .plot7.asc.ptxport-k3F9qZ
// beside it until it is whole.
inline constexpr std::string_view kTemporaryMark = ".ptxport-";
inline constexpr std::size_t kUniqueChars = 6;

// The temporary name of the file `final_name`, in the same folder, with
// `unique` (kUniqueChars characters) at its end.
std::string temporaryNameFor(const std::string &final_name,
                             std::string_view unique);

} // namespace ptx

#endif
