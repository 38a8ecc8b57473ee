// SPDX-License-Identifier: MIT
// version.cpp - tamarak_lidar_version: the version of the library a program
// actually runs with, which may differ from the header it was compiled with.
#include "TAMARAK_LiDAR.h"

// Two steps, so that the macros' values are turned into text, not their names.
#define TAMARAK_TEXT(x) #x
#define TAMARAK_VALUE_TEXT(x) TAMARAK_TEXT(x)
#define TAMARAK_MAJOR TAMARAK_VALUE_TEXT(TAMARAK_LIDAR_VERSION_MAJOR)
#define TAMARAK_MINOR TAMARAK_VALUE_TEXT(TAMARAK_LIDAR_VERSION_MINOR)
#define TAMARAK_PATCH TAMARAK_VALUE_TEXT(TAMARAK_LIDAR_VERSION_PATCH)

extern "C" const char *tamarak_lidar_version(void) {
    return TAMARAK_MAJOR "." TAMARAK_MINOR "." TAMARAK_PATCH;
}
