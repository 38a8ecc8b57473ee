/* SPDX-License-Identifier: MIT */
// reference_writer.h - an independent, slow point writer for the tests: it
// decodes every record field by field and prints each row with snprintf and
// the conversions the formats are defined by, so the converter's fast rows
// can be compared with it byte for byte.
#ifndef TESTS_REFERENCE_WRITER_H
#define TESTS_REFERENCE_WRITER_H

#include "las_fixture.h"

#include <string>

namespace fixture {

// The column-name line of a format for a LASType, typed out literally.
std::string referenceColumnNames(int format, int type);

// Whether a format has rows for a LASType.
bool referenceServes(int format, int type);

// The whole point file that a LAS file image gives in a format.
std::string referencePointFile(const Bytes &las, int format, int type);

} // namespace fixture

#endif
