// SPDX-License-Identifier: MIT
// output_names.cpp - derives the output names from a LAS file's name.
#include "output_names.h"

#include "platform.h"

namespace ptx {

LasFileNames namesFor(const std::string &las_name) {
    const std::string stem = las_name.substr(0, las_name.size() - 4);
    return {las_name, stem + ".asc", stem + "_hdr.asc"};
}

std::string temporaryNameFor(const std::string &final_name,
                             std::string_view unique) {
    const std::filesystem::path path = tamarak::utf8_path(final_name);
    // Appended, not "." + name: GCC 12 misreads that as an overlapping copy.
    std::string name(1, '.');
    name += tamarak::utf8_name(path.filename());
    name += kTemporaryMark;
    name += unique;
    return tamarak::utf8_name(path.parent_path() / tamarak::utf8_path(name));
}

} // namespace ptx
