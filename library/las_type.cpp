// SPDX-License-Identifier: MIT
// las_type.cpp - the header test that a file still has the type it was
// validated with, by the same rules as check_las.
#include "las_type.h"

#include "las_layout.h"
#include "las_verdict.h"

namespace tamarak {

bool header_declares_type(const unsigned char *header, LasType type) {
    const LasVerdict v = examine_header(header, layout::kHeaderBytes);
    return type.valid() && v.ok() && v.type == type;
}

} // namespace tamarak
