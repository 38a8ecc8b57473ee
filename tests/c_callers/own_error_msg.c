/* SPDX-License-Identifier: MIT */
/* own_error_msg.c - a program with an error_msg of its own, linked against
 * the shared library, that calls check_las on the file it is given and
 * prints the result.  The library's calls of error_msg must still reach the
 * library's routine, whatever the program defines.
 *
 *   own_error_msg <file.las> */
#include "TAMARAK_LiDAR.h"

#include <stdio.h>

void error_msg(int i, const char *text) {
    printf("[the program's own error_msg: %d %s]\n", i, text);
}

int main(int argc, char **argv) {
    if (argc != 2)
        return 2;
    printf("check_las = %d\n", (int)check_las(argv[1]));
    return 0;
}
