/* SPDX-License-Identifier: MIT */
/* las_info.c - checks the LAS files named on its command line with
 * check_las and shows the defaults that initialize_header12 gives a fresh
 * LAS 1.2 header: a small C user of the TAMARAK LiDAR library.
 *
 *   las_info_c <file.las>...
 *
 * Exit status 0 if every file is a LAS file the library can read. */
#include <TAMARAK_LiDAR.h>

#include <stdio.h>
#include <string.h>

int main(int argc, char **argv) {
    int status = 0;
    for (int i = 1; i < argc; ++i) {
        const int16_t type = check_las(argv[i]);
        printf("check_las(%s) = %d\n", argv[i], (int)type);
        if (type < 1)
            status = 1;
    }

    LAS12Header h;
    memset(&h, 0, sizeof h);
    initialize_header12(&h);
    printf("initialize_header12:\n");
    printf("  signature %.4s, version %u.%u\n", h.LASF,
           (unsigned)h.VersionMajor, (unsigned)h.VersionMinor);
    printf("  generating software \"%.32s\"\n", h.GeneratingSoftware);
    printf("  header size %u, offset to data %u, %u points\n",
           (unsigned)h.HeaderSize, (unsigned)h.OffsetToData,
           (unsigned)h.NumberOfPointReturns);
    printf("  point data format %u, record length %u\n",
           (unsigned)h.PointDataFormatID, (unsigned)h.PointDataRecordLength);
    printf("  scale factors %g %g %g, offsets %g %g %g\n", h.XScaleFactor,
           h.YScaleFactor, h.ZScaleFactor, h.XOffset, h.YOffset, h.ZOffset);
    return status;
}
