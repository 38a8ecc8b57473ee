// SPDX-License-Identifier: MIT
// output_names.cpp - derives the output names from a LAS file's name.
#include "output_names.h"

namespace ptx {

LasFileNames namesFor(const std::string &las_name) {
    const std::string stem = las_name.substr(0, las_name.size() - 4);
    return {las_name, stem + ".asc", stem + "_hdr.asc"};
}

} // namespace ptx
