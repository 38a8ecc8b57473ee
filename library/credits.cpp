// SPDX-License-Identifier: MIT
// credits.cpp - the banner that every tool of the suite prints.
#include "TAMARAK_LiDAR.h"
#include "product_name.h"

#include <cstdio>

extern "C" void credits(void) {
    std::fputs("\n", stdout);
    std::fputs(tamarak::kProductName, stdout);
    std::fputs("\n\nDeveloped and maintained by the TAMARAK LiDAR development "
               "team",
               stdout);
    std::fputs("\nTAMARAK LiDAR Utilities project", stdout);
    std::fputs("\nContact: through the project's issue tracker", stdout);
    std::fputs("\n\n** No warranty regarding script behavior is given or "
               "implied **",
               stdout);
    std::fputs("\n** Acknowledging the author's efforts ensures script updates "
               "and availability **\n",
               stdout);
}
