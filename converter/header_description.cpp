// header_description.cpp - formats and writes the header description file.
#include "header_description.h"

#include <cstdarg>
#include <cstdio>

namespace {

// 32-bit header counts and offsets are shown as signed 32-bit numbers.
long asSigned(uint32_t v) {
    return static_cast<long>(static_cast<int32_t>(v));
}

// Readers see the small version and format numbers as the character '0' + n.
int asDigit(uint8_t v) {
    return '0' + v;
}

[[gnu::format(printf, 2, 3)]] void append(std::string &out, const char *fmt,
                                          ...) {
    char line[512];
    va_list args;
    va_start(args, fmt);
    const int n = std::vsnprintf(line, sizeof line, fmt, args);
    va_end(args);
    if (n < 0)
        return;
    if (static_cast<std::size_t>(n) < sizeof line) {
        out.append(line, static_cast<std::size_t>(n));
        return;
    }
    // Only a huge extent (up to 309 digits) makes a line this long.
    std::string wide(static_cast<std::size_t>(n) + 1, '\0');
    va_start(args, fmt);
    std::vsnprintf(wide.data(), wide.size(), fmt, args);
    va_end(args);
    wide.pop_back();
    out += wide;
}

void appendIdentity(std::string &out, const LAS12Header &h,
                    tamarak::LasType Type) {
    append(out, "GUID Data 1 :                      %ld\n",
           asSigned(h.GUIDData1));
    append(out, "GUID Data 2 :                      %d\n", h.GUIDData2);
    append(out, "GUID Data 3 :                      %d\n", h.GUIDData3);
    append(out, "GUID Data 4 :                      %.8s\n",
           reinterpret_cast<const char *>(h.GUIDData4));
    append(out, "Version Major :                    %c\n",
           asDigit(h.VersionMajor));
    append(out, "Version Minor :                    %c\n",
           asDigit(h.VersionMinor));
    append(out, "System Identifier :                %.32s\n",
           h.SystemIdentifier);
    append(out, "Generating Software :              %.32s\n",
           h.GeneratingSoftware);
    if (Type.las10_names()) {
        append(out, "Flight Date Julian :               %d\n",
               h.FileCreationDay);
        append(out, "Year :                             %d\n",
               h.FileCreationYear);
    } else {
        append(out, "File Creation Day :                %d\n",
               h.FileCreationDay);
        append(out, "File Creation Year :               %d\n",
               h.FileCreationYear);
    }
}

void appendLayout(std::string &out, const LAS12Header &h) {
    append(out, "Header Size :                      %d\n", h.HeaderSize);
    append(out, "Offset to Data:                    %ld\n",
           asSigned(h.OffsetToData));
    append(out, "Number of Variable Length Records: %ld\n",
           asSigned(h.NumberOfVariableLengthRecords));
    append(out, "Point Data Format ID:              %c\n",
           asDigit(h.PointDataFormatID));
    append(out, "Point Data Record Length:          %d\n",
           h.PointDataRecordLength);
    append(out, "Number of Point Returns:           %ld\n",
           asSigned(h.NumberOfPointReturns));
    append(out, "Number Of Points By Return:\n");
    for (int n = 1; n <= 5; ++n)
        append(out, "                    Return %d       %ld\n", n,
               asSigned(h.NumberOfPointsByReturn[n - 1]));
}

void appendGeometry(std::string &out, const LAS12Header &h) {
    append(out, "X Scale Factor:                    %f\n", h.XScaleFactor);
    append(out, "Y Scale Factor:                    %f\n", h.YScaleFactor);
    append(out, "Z Scale Factor:                    %f\n", h.ZScaleFactor);
    append(out, "X Offset :                         %f\n", h.XOffset);
    append(out, "Y Offset :                         %f\n", h.YOffset);
    append(out, "Z Offset :                         %f\n", h.ZOffset);
    append(out, "X min :                     %12.3f\n", h.MinX);
    append(out, "X max :                     %12.3f\n", h.MaxX);
    append(out, "Y min :                     %12.3f\n", h.MinY);
    append(out, "Y max :                     %12.3f\n", h.MaxY);
    append(out, "Z min :                     %12.3f\n", h.MinZ);
    append(out, "Z max :                     %12.3f\n", h.MaxZ);
}

} // namespace

std::string describeHeader(const LAS12Header &h, tamarak::LasType Type) {
    std::string out;
    out.reserve(1536);
    appendIdentity(out, h, Type);
    appendLayout(out, h);
    appendGeometry(out, h);
    return out;
}

int16_t writeAsciiHeader(std::FILE *out, const LAS12Header &h,
                         tamarak::LasType Type) {
    const std::string text = describeHeader(h, Type);
    return std::fwrite(text.data(), 1, text.size(), out) == text.size() ? 0
                                                                        : -1;
}
