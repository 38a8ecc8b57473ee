// SPDX-License-Identifier: MIT
// las_info.cpp - checks the LAS files named on its command line with
// check_las and shows the defaults that initialize_header12 gives a fresh
// LAS 1.2 header: a small C++ user of the TAMARAK LiDAR library.
//
//   las_info_cxx_shared <file.las>...
//
// Exit status 0 if every file is a LAS file the library can read.
#include <TAMARAK_LiDAR.h>

#include <iostream>
#include <span>
#include <string_view>

namespace {

// The record types that check_las reports, by LAS version and point format.
std::string_view describe(int16_t type) {
    constexpr std::string_view names[] = {"not usable",
                                          "LAS 1.0, point format 0",
                                          "LAS 1.0, point format 1",
                                          "LAS 1.1, point format 0",
                                          "LAS 1.1, point format 1",
                                          "LAS 1.2, point format 0",
                                          "LAS 1.2, point format 1",
                                          "LAS 1.2, point format 2",
                                          "LAS 1.2, point format 3"};
    return type >= 1 && type <= 8 ? names[type] : names[0];
}

// A text field of the header: its bytes up to the first zero, at most all.
std::string_view text(std::span<const char> field) {
    std::string_view s(field.data(), field.size());
    return s.substr(0, s.find('\0'));
}

} // namespace

int main(int argc, char **argv) {
    int status = 0;
    for (int i = 1; i < argc; ++i) {
        const int16_t type = check_las(argv[i]);
        std::cout << "check_las(" << argv[i] << ") = " << type << " ("
                  << describe(type) << ")\n";
        if (type < 1)
            status = 1;
    }

    LAS12Header h{};
    initialize_header12(&h);
    std::cout << "initialize_header12:\n"
              << "  signature " << text(h.LASF) << ", version "
              << unsigned{h.VersionMajor} << '.' << unsigned{h.VersionMinor}
              << '\n'
              << "  generating software \"" << text(h.GeneratingSoftware)
              << "\"\n"
              << "  header size " << h.HeaderSize << ", offset to data "
              << h.OffsetToData << ", " << h.NumberOfPointReturns << " points\n"
              << "  scale factors " << h.XScaleFactor << ' ' << h.YScaleFactor
              << ' ' << h.ZScaleFactor << '\n';
    return status;
}
