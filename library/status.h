/* SPDX-License-Identifier: MIT */
// status.h - how a piece of the library's work ended: one of the public
// statuses (TAMARAK_LiDAR.h) and the errno that the failing call left.  The
// routines that print turn it into their messages, those that report hand
// it out as it is.
#ifndef TAMARAK_STATUS_H
#define TAMARAK_STATUS_H

#include "TAMARAK_LiDAR.h"

namespace tamarak {

struct Result {
    tamarak_status status = TAMARAK_OK;
    int error = 0; // 0: no reason known
};

} // namespace tamarak

#endif
