// output_names.cpp - derived output names; any directory part stays.
#include "output_names.h"

static std::string stem(const std::string &las_name) {
    return las_name.substr(0, las_name.size() - 4);
}

std::string pointFileName(const std::string &las_name) {
    return stem(las_name) + ".asc";
}

std::string headerFileName(const std::string &las_name) {
    return stem(las_name) + "_hdr.asc";
}
