/* SPDX-License-Identifier: MIT */
// header_update.h - update_header for callers that must not end the
// process, such as a fuzzer that calls it millions of times.
#ifndef TAMARAK_HEADER_UPDATE_H
#define TAMARAK_HEADER_UPDATE_H

#include <cstdint>

namespace tamarak {

// Does what update_header does and prints the same messages, but returns 0
// after the completion message and -1 after any failure instead of ending
// the process.
int16_t try_update_header(const char *filename);

} // namespace tamarak

#endif
