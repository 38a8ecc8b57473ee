/* SPDX-License-Identifier: MIT */
/* header_c11_check.c - the public header must compile as plain C11, so that
 * tools written in C can use the library, and the records must have the
 * layout of the file format as a C compiler sees them too. */
#include "TAMARAK_LiDAR.h"
#include "record_layout.h"

int header_c11_check(void) {
    LAS12Header h;
    initialize_header12(&h);
    return check_las("x.las") + (int)sizeof(LAS12fm3) + h.VersionMinor;
}
