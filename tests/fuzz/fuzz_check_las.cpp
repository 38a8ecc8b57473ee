// SPDX-License-Identifier: MIT
// Fuzz target: check_las on arbitrary file contents.  Besides the
// sanitizers, it checks that an accepted file has a whole public header
// that declares the type returned.
#include "TAMARAK_LiDAR.h"
#include "fuzz_files.h"
#include "las_layout.h"
#include "las_type.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, std::size_t size) {
    const std::string name = fuzz::writeInput("in.las", data, size);
    const int16_t type = check_las(name.c_str());
    if (type < -1 || type > 8)
        std::abort();
    if (type >= 1 && (size < tamarak::layout::kHeaderBytes ||
                      !tamarak::header_declares_type(
                          data, tamarak::LasType::from_code(type))))
        std::abort();
    return 0;
}
