// output_names.h - names of the two files written for each LAS file.
#ifndef PTXPORT_OUTPUT_NAMES_H
#define PTXPORT_OUTPUT_NAMES_H

#include <string>

// plot7.las gives plot7.asc: the name without its last four characters
// (".las", which validation guarantees), then the suffix.
std::string pointFileName(const std::string &las_name);
// plot7.las gives plot7_hdr.asc.
std::string headerFileName(const std::string &las_name);

#endif
