/* SPDX-License-Identifier: MIT */
// product_name.h - the suite's product line, shown by the banner and stored
// as the generating software of headers that the library fills.
#ifndef TAMARAK_PRODUCT_NAME_H
#define TAMARAK_PRODUCT_NAME_H

namespace tamarak {
inline constexpr char kProductName[] = "TAMARAK LiDAR Utilities";
}

#endif
