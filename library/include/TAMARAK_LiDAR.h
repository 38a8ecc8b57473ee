/* SPDX-License-Identifier: MIT */
/*
 * TAMARAK_LiDAR.h - public interface of the TAMARAK LiDAR library.
 *
 * The record types are exact byte images of the ASPRS LAS 1.0 to 1.2 public
 * header and of the eight point records the suite handles: packed, with
 * little-endian multi-byte fields, so a record is read or written as one
 * block of its size.  The routines follow one convention: a check reports by
 * a 16-bit result (a positive code or 0 for success, -1 for failure) after
 * printing its own message on standard output; a routine that cannot go on
 * prints its message and ends the process with exit status -1.
 *
 * The header compiles as C11 and as C++20; every routine has C linkage.
 *
 * Every routine is declared TAMARAK_LIDAR_API, which depends on who compiles:
 *   TAMARAK_LIDAR_BUILDING  the library's own sources (for the shared library
 *                           and for the static archive alike, so that a
 *                           program taking the archive whole re-exports the
 *                           routines): dllexport on Windows, default
 *                           visibility elsewhere;
 *   TAMARAK_LIDAR_STATIC    a program linking the static library: nothing;
 *   neither                 a program linking the shared library: dllimport
 *                           on Windows, nothing elsewhere.
 * The CMake package and pkg-config (--static) define TAMARAK_LIDAR_STATIC for
 * users of the static library; define it yourself when linking
 * libtamarak_lidar.a by hand on Windows.
 */
#ifndef TAMARAK_LIDAR_H
#define TAMARAK_LIDAR_H

#include <stddef.h>
#include <stdint.h>

/* The library's version; tamarak_lidar_version() gives that of the library
 * actually linked. */
#define TAMARAK_LIDAR_VERSION_MAJOR 1
#define TAMARAK_LIDAR_VERSION_MINOR 1
#define TAMARAK_LIDAR_VERSION_PATCH 0

#if defined(TAMARAK_LIDAR_BUILDING)
#if defined(_WIN32) || defined(__CYGWIN__)
#define TAMARAK_LIDAR_API __declspec(dllexport)
#else
#define TAMARAK_LIDAR_API __attribute__((visibility("default")))
#endif
#elif defined(TAMARAK_LIDAR_STATIC)
#define TAMARAK_LIDAR_API
#elif defined(_WIN32) || defined(__CYGWIN__)
#define TAMARAK_LIDAR_API __declspec(dllimport)
#else
#define TAMARAK_LIDAR_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

#pragma pack(push, 1)

/* Public header of LAS 1.0 (227 bytes). */
typedef struct LAS10Header {
    char LASF[4];
    uint32_t Reserved;
    uint32_t GUIDData1;
    uint16_t GUIDData2;
    uint16_t GUIDData3;
    uint8_t GUIDData4[8];
    uint8_t VersionMajor;
    uint8_t VersionMinor;
    char SystemIdentifier[32];
    char GeneratingSoftware[32];
    uint16_t FlightDateJulian;
    uint16_t Year;
    uint16_t HeaderSize;
    uint32_t OffsetToData;
    uint32_t NumberOfVariableLengthRecords;
    uint8_t PointDataFormatID;
    uint16_t PointDataRecordLength;
    uint32_t NumberOfPointReturns;
    uint32_t NumberOfPointsByReturn[5];
    double XScaleFactor;
    double YScaleFactor;
    double ZScaleFactor;
    double XOffset;
    double YOffset;
    double ZOffset;
    double MaxX;
    double MinX;
    double MaxY;
    double MinY;
    double MaxZ;
    double MinZ;
} LAS10Header;

/* Public header of LAS 1.1 (227 bytes). */
typedef struct LAS11Header {
    char LASF[4];
    uint16_t FileSourceID;
    uint16_t Reserved;
    uint32_t GUIDData1;
    uint16_t GUIDData2;
    uint16_t GUIDData3;
    uint8_t GUIDData4[8];
    uint8_t VersionMajor;
    uint8_t VersionMinor;
    char SystemIdentifier[32];
    char GeneratingSoftware[32];
    uint16_t FileCreationDay;
    uint16_t FileCreationYear;
    uint16_t HeaderSize;
    uint32_t OffsetToData;
    uint32_t NumberOfVariableLengthRecords;
    uint8_t PointDataFormatID;
    uint16_t PointDataRecordLength;
    uint32_t NumberOfPointReturns;
    uint32_t NumberOfPointsByReturn[5];
    double XScaleFactor;
    double YScaleFactor;
    double ZScaleFactor;
    double XOffset;
    double YOffset;
    double ZOffset;
    double MaxX;
    double MinX;
    double MaxY;
    double MinY;
    double MaxZ;
    double MinZ;
} LAS11Header;

/* Public header of LAS 1.2 (227 bytes); the common view of every version. */
typedef struct LAS12Header {
    char LASF[4];
    uint16_t FileSourceID;
    uint16_t GlobalEncoding;
    uint32_t GUIDData1;
    uint16_t GUIDData2;
    uint16_t GUIDData3;
    uint8_t GUIDData4[8];
    uint8_t VersionMajor;
    uint8_t VersionMinor;
    char SystemIdentifier[32];
    char GeneratingSoftware[32];
    uint16_t FileCreationDay;
    uint16_t FileCreationYear;
    uint16_t HeaderSize;
    uint32_t OffsetToData;
    uint32_t NumberOfVariableLengthRecords;
    uint8_t PointDataFormatID;
    uint16_t PointDataRecordLength;
    uint32_t NumberOfPointReturns;
    uint32_t NumberOfPointsByReturn[5];
    double XScaleFactor;
    double YScaleFactor;
    double ZScaleFactor;
    double XOffset;
    double YOffset;
    double ZOffset;
    double MaxX;
    double MinX;
    double MaxY;
    double MinY;
    double MaxZ;
    double MinZ;
} LAS12Header;

/* The 20 bytes every point record begins with; LAS 1.0 names bytes 17 to 19
 * FileMarker and UserBitField, LAS 1.1 and 1.2 UserData and PointSourceID.
 * ScanAngleRank (byte 16) is a signed angle in degrees, -90 to +90, in every
 * version: the suite reads it as int8_t, although some of these records
 * declare it uint8_t, so cast it before use. */
#define TAMARAK_POINT_CORE_V10                                                 \
    int32_t X;                                                                 \
    int32_t Y;                                                                 \
    int32_t Z;                                                                 \
    uint16_t Intensity;                                                        \
    int8_t bitfield;                                                           \
    uint8_t Classification;

#define TAMARAK_POINT_CORE_V11                                                 \
    TAMARAK_POINT_CORE_V10                                                     \
    uint8_t ScanAngleRank;                                                     \
    uint8_t UserData;                                                          \
    uint16_t PointSourceID;

typedef struct LAS10fm0 {
    TAMARAK_POINT_CORE_V10
    int8_t ScanAngleRank;
    uint8_t FileMarker;
    uint16_t UserBitField;
} LAS10fm0;

typedef struct LAS10fm1 {
    TAMARAK_POINT_CORE_V10
    uint8_t ScanAngleRank;
    uint8_t FileMarker;
    uint16_t UserBitField;
    double GPSTime;
} LAS10fm1;

typedef struct LAS11fm0 {
    TAMARAK_POINT_CORE_V11
} LAS11fm0;

typedef struct LAS11fm1 {
    TAMARAK_POINT_CORE_V11
    double GPSTime;
} LAS11fm1;

typedef struct LAS12fm0 {
    TAMARAK_POINT_CORE_V11
} LAS12fm0;

typedef struct LAS12fm1 {
    TAMARAK_POINT_CORE_V11
    double GPSTime;
} LAS12fm1;

typedef struct LAS12fm2 {
    TAMARAK_POINT_CORE_V11
    uint16_t Red;
    uint16_t Green;
    uint16_t Blue;
} LAS12fm2;

typedef struct LAS12fm3 {
    TAMARAK_POINT_CORE_V11
    double GPSTime;
    uint16_t Red;
    uint16_t Green;
    uint16_t Blue;
} LAS12fm3;

#pragma pack(pop)

#undef TAMARAK_POINT_CORE_V11
#undef TAMARAK_POINT_CORE_V10

/* The version of the library linked, "MAJOR.MINOR.PATCH"; never null. */
TAMARAK_LIDAR_API const char *tamarak_lidar_version(void);

/* LAS file model and input checks. */

/* file_access: 0 if filename opens for reading; -1 after printing
 * "Unable to open file %s in file_access()\n"; never exits. */
TAMARAK_LIDAR_API int16_t file_access(const char *filename);
/* check_file_extension: 0 if filename ends in "." and exactly extension
 * (three characters, no dot, case-sensitive); -1 after printing why (too
 * short, no dot, other extension); never exits. */
TAMARAK_LIDAR_API int16_t check_file_extension(const char *filename,
                                               const char *extension);
/* error_msg: prints the message of code i about text (1 does NOT exist,
 * 2 already exists, 3 specified twice), nothing for other codes; returns
 * nothing; never exits. */
TAMARAK_LIDAR_API void error_msg(int i, const char *text);
/* check_las: LASType 1-8, 0 for LAS 1.0/1.1 with point format 2 or 3
 * (silent), -1 after printing why; never exits.  check_las_status gives the
 * same verdict with the reason and the system's error number instead. */
TAMARAK_LIDAR_API int16_t check_las(const char *filename);
/* check_numeric_argument: returns silently if str is digits with at most one
 * '.' and one '-' (not a lone one; "" passes); else prints
 * "\nInvalid argument value (%s)\n" and exits with status -1. */
TAMARAK_LIDAR_API void check_numeric_argument(const char *str);
/* credits: prints the suite's banner; never exits. */
TAMARAK_LIDAR_API void credits(void);

/* Flag and DEM argument checks. */

/* check_YN: 0 if text is exactly Y, N, y or n; -1 after printing
 * "\nASCII Header Flag should be either Y (y) or N (n)\n"; never exits. */
TAMARAK_LIDAR_API int16_t check_YN(const char *text);
/* check_DEM: returns for a .asc name or a .flt name with its .hdr beside it,
 * after the extension checks' messages; else prints why and exits with
 * status -1. */
TAMARAK_LIDAR_API void check_DEM(const char *str);

/* Header recomputation and header defaults. */

/* update_header: rewrites the point counts and extents from the records,
 * prints "\rHeader of file %s has been updated    " and returns; on any
 * failure prints why and exits with status -1, the file unchanged unless
 * the final header write itself failed.  update_header_status does the same
 * work and returns instead. */
TAMARAK_LIDAR_API void update_header(const char *filename);
/* initialize_header10/11/12: fill *ph with the defaults of an empty file of
 * that version (a null ph is ignored); print nothing; never exit. */
TAMARAK_LIDAR_API void initialize_header10(LAS10Header *ph);
TAMARAK_LIDAR_API void initialize_header11(LAS11Header *ph);
TAMARAK_LIDAR_API void initialize_header12(LAS12Header *ph);

/* Routines that report instead of printing (since 1.1).  Each returns one
 * of these statuses and, where error_number is not null, stores the error
 * number (errno) that the failing system call left, or 0 where no call
 * failed (a file that is not LAS, say).  They print nothing, never end the
 * process and close every file they open. */
enum tamarak_status {
    TAMARAK_OK = 0,
    TAMARAK_NOT_FOUND = 1,           /* cannot be opened for reading */
    TAMARAK_BAD_NAME = 2,            /* too short, no dot, or not ".las" */
    TAMARAK_OPEN_FAILED = 3,         /* cannot be opened as needed */
    TAMARAK_NOT_LAS = 4,             /* no LASF signature, or cut short */
    TAMARAK_UNSUPPORTED_VERSION = 5, /* not LAS 1.0, 1.1 or 1.2 */
    TAMARAK_UNSUPPORTED_FORMAT = 6,  /* a point format the version lacks
                                        (LAZ sets its top bit) */
    TAMARAK_BAD_RECORD_LENGTH = 7,   /* not the point format's */
    TAMARAK_READ_FAILED = 8,
    TAMARAK_WRITE_FAILED = 9,
    TAMARAK_NO_MEMORY = 10,
    TAMARAK_CHANGED = 11,        /* no longer the file that was checked */
    TAMARAK_TOO_MANY_POINTS = 12 /* more than a header can count */
};
/* check_las_status: the test of check_las.  On TAMARAK_OK stores the
 * file's LASType (1-8) in *las_type, else 0 (las_type may be null). */
TAMARAK_LIDAR_API int16_t check_las_status(const char *filename,
                                           int16_t *las_type,
                                           int *error_number);
/* update_header_status: the work of update_header.  After a failure the
 * file is unchanged unless the final header write itself failed
 * (TAMARAK_WRITE_FAILED). */
TAMARAK_LIDAR_API int16_t update_header_status(const char *filename,
                                               int *error_number);
/* tamarak_status_text: a one-line English text for a status; never null. */
TAMARAK_LIDAR_API const char *tamarak_status_text(int16_t status);

/* Quicksorts that carry a companion index array along: each sorts p in
 * place (0 to count - 1, or left to right) and applies every exchange to
 * p_ind as well; a count below 1 or right < left touches nothing.  The
 * parallel ones take a depth budget that does not change the result.  They
 * return nothing, print nothing and never exit. */
TAMARAK_LIDAR_API void l_quicksort(int32_t *p, int32_t count, int32_t *p_ind);
TAMARAK_LIDAR_API void l_qs(int32_t *p, int32_t left, int32_t right,
                            int32_t *p_ind);
TAMARAK_LIDAR_API void d_quicksort(double *p, int32_t count, int32_t *p_ind);
TAMARAK_LIDAR_API void d_qs(double *p, int32_t left, int32_t right,
                            int32_t *p_ind);
TAMARAK_LIDAR_API void l_parallel_quicksort(int32_t *p, int32_t count,
                                            int32_t *p_ind);
TAMARAK_LIDAR_API void l_parallel_qs(int32_t *p, int32_t left, int32_t right,
                                     int32_t *p_ind, int32_t deep);
TAMARAK_LIDAR_API void d_parallel_quicksort(double *p, int32_t count,
                                            int32_t *p_ind);
TAMARAK_LIDAR_API void d_parallel_qs(double *p, int32_t left, int32_t right,
                                     int32_t *p_ind, int32_t deep);

#ifdef __cplusplus
}
#endif

#endif /* TAMARAK_LIDAR_H */
