/* SPDX-License-Identifier: MIT */
// argument_rules.h - the rules of the library's argument checks, without
// their messages and exits, for callers that must not end the process.
#ifndef TAMARAK_ARGUMENT_RULES_H
#define TAMARAK_ARGUMENT_RULES_H

#include <string>

namespace tamarak {

// The number test of check_numeric_argument: only digits, dots and dashes,
// at most one dot and one dash, not a lone dot or dash.  The empty text
// passes.
bool numeric_argument_is_valid(const char *str);

// The message check_numeric_argument prints for a text that fails.
std::string numeric_argument_message(const char *str);

} // namespace tamarak

#endif
