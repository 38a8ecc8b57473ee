// SPDX-License-Identifier: MIT
// credits.cpp - the banner that every tool of the suite prints.
#include "TAMARAK_LiDAR.h"
#include "messages.h"
#include "product_name.h"

#include <cstdio>

extern "C" void credits(void) {
    std::fputs(tamarak::message_text(tamarak::msg::kCredits.text,
                                     tamarak::kProductName)
                   .c_str(),
               stdout);
}
