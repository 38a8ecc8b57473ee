// SPDX-License-Identifier: MIT
// record_layout_check.cpp - the record layout checks of record_layout.h as a
// C++ compiler sees the packed records.
#include "record_layout.h"
