/* SPDX-License-Identifier: MIT */
// terminal.h - whether a stream is shown on a terminal, on every platform.
#ifndef PTXPORT_TERMINAL_H
#define PTXPORT_TERMINAL_H

#include <cstdio>

namespace ptx {

// Whether `stream` writes to a terminal (a console on Windows).
bool isTerminal(std::FILE *stream);

} // namespace ptx

#endif
