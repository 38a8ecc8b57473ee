/* SPDX-License-Identifier: MIT */
/* status_routines.c - a C program that calls the routines that report
 * instead of printing, on the file it is given, and prints what they
 * returned.  Nothing else may appear on its standard output.
 *
 *   status_routines check|update <file.las> */
#include "TAMARAK_LiDAR.h"

#include <stdio.h>
#include <string.h>

int main(int argc, char **argv) {
    int error = -1;
    int16_t status;
    if (argc != 3)
        return 2;
    if (strcmp(argv[1], "check") == 0) {
        int16_t type = -1;
        status = check_las_status(argv[2], &type, &error);
        printf("status %d type %d errno %d\n", (int)status, (int)type, error);
    } else {
        status = update_header_status(argv[2], &error);
        printf("status %d errno %d\n", (int)status, error);
    }
    printf("%s\n", tamarak_status_text(status));
    return 0;
}
