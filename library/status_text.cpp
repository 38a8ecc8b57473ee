// SPDX-License-Identifier: MIT
// status_text.cpp - tamarak_status_text: the one text of each status of the
// reporting routines.
#include "TAMARAK_LiDAR.h"

extern "C" const char *tamarak_status_text(int16_t status) {
    switch (status) {
    case TAMARAK_OK:
        return "done";
    case TAMARAK_NOT_FOUND:
        return "the file cannot be opened for reading";
    case TAMARAK_BAD_NAME:
        return "the file name does not end in .las";
    case TAMARAK_OPEN_FAILED:
        return "the file cannot be opened as needed";
    case TAMARAK_NOT_LAS:
        return "not a LAS file, or its header is cut short";
    case TAMARAK_UNSUPPORTED_VERSION:
        return "a LAS version other than 1.0, 1.1 or 1.2";
    case TAMARAK_UNSUPPORTED_FORMAT:
        return "a point data format its LAS version does not have";
    case TAMARAK_BAD_RECORD_LENGTH:
        return "a record length other than its point data format's";
    case TAMARAK_READ_FAILED:
        return "reading the file failed";
    case TAMARAK_WRITE_FAILED:
        return "writing the file failed";
    case TAMARAK_NO_MEMORY:
        return "not enough memory";
    case TAMARAK_CHANGED:
        return "the file changed while it was worked on";
    case TAMARAK_TOO_MANY_POINTS:
        return "more point records than a LAS header can count";
    default:
        return "unknown status";
    }
}
