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
 */
#ifndef TAMARAK_LIDAR_H
#define TAMARAK_LIDAR_H

#include <stddef.h>
#include <stdint.h>

#if defined(_WIN32)
#define TAMARAK_API __declspec(dllexport)
#else
#define TAMARAK_API __attribute__((visibility("default")))
#endif

#ifdef __cplusplus
#define TAMARAK_STATIC_ASSERT(cond, msg) static_assert(cond, msg)
extern "C" {
#else
#define TAMARAK_STATIC_ASSERT(cond, msg) _Static_assert(cond, msg)
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
 * FileMarker and UserBitField, LAS 1.1 and 1.2 UserData and PointSourceID. */
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

/* Record sizes and the field offsets the file format fixes. */
TAMARAK_STATIC_ASSERT(sizeof(LAS10Header) == 227, "LAS10Header size");
TAMARAK_STATIC_ASSERT(sizeof(LAS11Header) == 227, "LAS11Header size");
TAMARAK_STATIC_ASSERT(sizeof(LAS12Header) == 227, "LAS12Header size");
TAMARAK_STATIC_ASSERT(offsetof(LAS10Header, Reserved) == 4, "Reserved");
TAMARAK_STATIC_ASSERT(offsetof(LAS10Header, FlightDateJulian) == 90, "day");
TAMARAK_STATIC_ASSERT(offsetof(LAS10Header, Year) == 92, "year");
TAMARAK_STATIC_ASSERT(offsetof(LAS10Header, MinZ) == 219, "MinZ 1.0");
TAMARAK_STATIC_ASSERT(offsetof(LAS11Header, FileSourceID) == 4, "FSID");
TAMARAK_STATIC_ASSERT(offsetof(LAS11Header, Reserved) == 6, "Reserved");
TAMARAK_STATIC_ASSERT(offsetof(LAS11Header, FileCreationDay) == 90, "day");
TAMARAK_STATIC_ASSERT(offsetof(LAS11Header, FileCreationYear) == 92, "year");
TAMARAK_STATIC_ASSERT(offsetof(LAS11Header, MinZ) == 219, "MinZ 1.1");
TAMARAK_STATIC_ASSERT(offsetof(LAS12Header, LASF) == 0, "LASF");
TAMARAK_STATIC_ASSERT(offsetof(LAS12Header, FileSourceID) == 4, "FSID");
TAMARAK_STATIC_ASSERT(offsetof(LAS12Header, GlobalEncoding) == 6, "GE");
TAMARAK_STATIC_ASSERT(offsetof(LAS12Header, GUIDData1) == 8, "GUID1");
TAMARAK_STATIC_ASSERT(offsetof(LAS12Header, GUIDData2) == 12, "GUID2");
TAMARAK_STATIC_ASSERT(offsetof(LAS12Header, GUIDData3) == 14, "GUID3");
TAMARAK_STATIC_ASSERT(offsetof(LAS12Header, GUIDData4) == 16, "GUID4");
TAMARAK_STATIC_ASSERT(offsetof(LAS12Header, VersionMajor) == 24, "major");
TAMARAK_STATIC_ASSERT(offsetof(LAS12Header, VersionMinor) == 25, "minor");
TAMARAK_STATIC_ASSERT(offsetof(LAS12Header, SystemIdentifier) == 26, "SysId");
TAMARAK_STATIC_ASSERT(offsetof(LAS12Header, GeneratingSoftware) == 58, "Sw");
TAMARAK_STATIC_ASSERT(offsetof(LAS12Header, FileCreationDay) == 90, "day");
TAMARAK_STATIC_ASSERT(offsetof(LAS12Header, FileCreationYear) == 92, "year");
TAMARAK_STATIC_ASSERT(offsetof(LAS12Header, HeaderSize) == 94, "HeaderSize");
TAMARAK_STATIC_ASSERT(offsetof(LAS12Header, OffsetToData) == 96, "Offset");
TAMARAK_STATIC_ASSERT(offsetof(LAS12Header, NumberOfVariableLengthRecords) ==
                          100,
                      "NumberOfVariableLengthRecords");
TAMARAK_STATIC_ASSERT(offsetof(LAS12Header, PointDataFormatID) == 104, "fmt");
TAMARAK_STATIC_ASSERT(offsetof(LAS12Header, PointDataRecordLength) == 105,
                      "PointDataRecordLength");
TAMARAK_STATIC_ASSERT(offsetof(LAS12Header, NumberOfPointReturns) == 107,
                      "NumberOfPointReturns");
TAMARAK_STATIC_ASSERT(offsetof(LAS12Header, NumberOfPointsByReturn) == 111,
                      "NumberOfPointsByReturn");
TAMARAK_STATIC_ASSERT(offsetof(LAS12Header, XScaleFactor) == 131, "XScale");
TAMARAK_STATIC_ASSERT(offsetof(LAS12Header, YScaleFactor) == 139, "YScale");
TAMARAK_STATIC_ASSERT(offsetof(LAS12Header, ZScaleFactor) == 147, "ZScale");
TAMARAK_STATIC_ASSERT(offsetof(LAS12Header, XOffset) == 155, "XOffset");
TAMARAK_STATIC_ASSERT(offsetof(LAS12Header, YOffset) == 163, "YOffset");
TAMARAK_STATIC_ASSERT(offsetof(LAS12Header, ZOffset) == 171, "ZOffset");
TAMARAK_STATIC_ASSERT(offsetof(LAS12Header, MaxX) == 179, "MaxX");
TAMARAK_STATIC_ASSERT(offsetof(LAS12Header, MinX) == 187, "MinX");
TAMARAK_STATIC_ASSERT(offsetof(LAS12Header, MaxY) == 195, "MaxY");
TAMARAK_STATIC_ASSERT(offsetof(LAS12Header, MinY) == 203, "MinY");
TAMARAK_STATIC_ASSERT(offsetof(LAS12Header, MaxZ) == 211, "MaxZ");
TAMARAK_STATIC_ASSERT(offsetof(LAS12Header, MinZ) == 219, "MinZ");

TAMARAK_STATIC_ASSERT(sizeof(LAS10fm0) == 20, "LAS10fm0 size");
TAMARAK_STATIC_ASSERT(sizeof(LAS10fm1) == 28, "LAS10fm1 size");
TAMARAK_STATIC_ASSERT(sizeof(LAS11fm0) == 20, "LAS11fm0 size");
TAMARAK_STATIC_ASSERT(sizeof(LAS11fm1) == 28, "LAS11fm1 size");
TAMARAK_STATIC_ASSERT(sizeof(LAS12fm0) == 20, "LAS12fm0 size");
TAMARAK_STATIC_ASSERT(sizeof(LAS12fm1) == 28, "LAS12fm1 size");
TAMARAK_STATIC_ASSERT(sizeof(LAS12fm2) == 26, "LAS12fm2 size");
TAMARAK_STATIC_ASSERT(sizeof(LAS12fm3) == 34, "LAS12fm3 size");
TAMARAK_STATIC_ASSERT(offsetof(LAS12fm3, Y) == 4, "Y");
TAMARAK_STATIC_ASSERT(offsetof(LAS12fm3, Z) == 8, "Z");
TAMARAK_STATIC_ASSERT(offsetof(LAS12fm3, Intensity) == 12, "Intensity");
TAMARAK_STATIC_ASSERT(offsetof(LAS12fm3, bitfield) == 14, "bitfield");
TAMARAK_STATIC_ASSERT(offsetof(LAS12fm3, Classification) == 15, "Class");
TAMARAK_STATIC_ASSERT(offsetof(LAS12fm3, ScanAngleRank) == 16, "Angle");
TAMARAK_STATIC_ASSERT(offsetof(LAS12fm3, UserData) == 17, "UserData");
TAMARAK_STATIC_ASSERT(offsetof(LAS12fm3, PointSourceID) == 18, "PSID");
TAMARAK_STATIC_ASSERT(offsetof(LAS10fm0, ScanAngleRank) == 16, "Angle");
TAMARAK_STATIC_ASSERT(offsetof(LAS10fm0, FileMarker) == 17, "FileMarker");
TAMARAK_STATIC_ASSERT(offsetof(LAS10fm0, UserBitField) == 18, "UBF");
TAMARAK_STATIC_ASSERT(offsetof(LAS10fm1, GPSTime) == 20, "GPSTime 1.0");
TAMARAK_STATIC_ASSERT(offsetof(LAS11fm1, GPSTime) == 20, "GPSTime 1.1");
TAMARAK_STATIC_ASSERT(offsetof(LAS12fm1, GPSTime) == 20, "GPSTime 1.2");
TAMARAK_STATIC_ASSERT(offsetof(LAS12fm2, Red) == 20, "Red fm2");
TAMARAK_STATIC_ASSERT(offsetof(LAS12fm2, Green) == 22, "Green fm2");
TAMARAK_STATIC_ASSERT(offsetof(LAS12fm2, Blue) == 24, "Blue fm2");
TAMARAK_STATIC_ASSERT(offsetof(LAS12fm3, GPSTime) == 20, "GPSTime fm3");
TAMARAK_STATIC_ASSERT(offsetof(LAS12fm3, Red) == 28, "Red fm3");
TAMARAK_STATIC_ASSERT(offsetof(LAS12fm3, Green) == 30, "Green fm3");
TAMARAK_STATIC_ASSERT(offsetof(LAS12fm3, Blue) == 32, "Blue fm3");

/* LAS file model and input checks. */
TAMARAK_API int16_t file_access(const char *filename);
TAMARAK_API int16_t check_file_extension(const char *filename,
                                         const char *extension);
TAMARAK_API void error_msg(int i, const char *text);
TAMARAK_API int16_t check_las(const char *filename);
TAMARAK_API void check_numeric_argument(const char *str);
TAMARAK_API void credits(void);

/* Flag and DEM argument checks. */
TAMARAK_API int16_t check_YN(const char *text);
TAMARAK_API void check_DEM(const char *str);

/* Header recomputation and header defaults. */
TAMARAK_API void update_header(const char *filename);
TAMARAK_API void initialize_header10(LAS10Header *ph);
TAMARAK_API void initialize_header11(LAS11Header *ph);
TAMARAK_API void initialize_header12(LAS12Header *ph);

/* Quicksorts that carry a companion index array along. */
TAMARAK_API void l_quicksort(int32_t *p, int32_t count, int32_t *p_ind);
TAMARAK_API void l_qs(int32_t *p, int32_t left, int32_t right, int32_t *p_ind);
TAMARAK_API void d_quicksort(double *p, int32_t count, int32_t *p_ind);
TAMARAK_API void d_qs(double *p, int32_t left, int32_t right, int32_t *p_ind);
TAMARAK_API void l_parallel_quicksort(int32_t *p, int32_t count,
                                      int32_t *p_ind);
TAMARAK_API void l_parallel_qs(int32_t *p, int32_t left, int32_t right,
                               int32_t *p_ind, int32_t deep);
TAMARAK_API void d_parallel_quicksort(double *p, int32_t count, int32_t *p_ind);
TAMARAK_API void d_parallel_qs(double *p, int32_t left, int32_t right,
                               int32_t *p_ind, int32_t deep);

#ifdef __cplusplus
}
#endif

#endif /* TAMARAK_LIDAR_H */
