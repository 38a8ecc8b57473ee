#!/bin/sh
# SPDX-License-Identifier: MIT
# version.sh - prints the version that TAMARAK_LiDAR.h states (X.Y.Z), for
# the scripts that name packages and tarballs by it.
sed -n 's/^#define TAMARAK_LIDAR_VERSION_[A-Z]* *\([0-9]*\)$/\1/p' \
    "$(dirname "$0")/../library/include/TAMARAK_LiDAR.h" | paste -sd.
