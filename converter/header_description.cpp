// SPDX-License-Identifier: MIT
// header_description.cpp - formats and writes the header description file.
#include "header_description.h"

#include "line_end.h"
#include "number_format.h"
#include "platform_std.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>

namespace ptx {

namespace {

// 32-bit header counts and offsets are shown as signed 32-bit numbers.
long asSigned(uint32_t v) {
    return static_cast<long>(static_cast<int32_t>(v));
}

// Readers see the small version and format numbers as the character '0' + n.
int asDigit(uint8_t v) {
    return '0' + v;
}

// The lines printed here hold at most a label and a 32-byte field; the
// doubles, which may have 309 digits, go through appendNumber.
TAMARAK_PRINTF_FORMAT(2, 3)
void append(std::string &out, const char *fmt, ...) {
    char line[256];
    va_list args;
    va_start(args, fmt);
    const int n = std::vsnprintf(line, sizeof line, fmt, args);
    va_end(args);
    if (n > 0)
        out.append(line,
                   std::min(static_cast<std::size_t>(n), sizeof line - 1));
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

// A label, then a double printed as "%f" (Put = put_fixed6) or "%.3f"
// (put_fixed3) right-aligned in `width` characters.  Not through printf:
// the C runtimes of Windows print a NaN with its sign bit set as "nan",
// where glibc prints "-nan", and this file must read the same everywhere.
template <char *(*Put)(char *, double)>
void appendNumber(std::string &out, const char *label, double v,
                  std::size_t width) {
    char text[ptx::kMaxNumberChars];
    const auto n = static_cast<std::size_t>(Put(text, v) - text);
    out += label;
    if (n < width)
        out.append(width - n, ' ');
    out.append(text, n);
    out += '\n';
}

void appendGeometry(std::string &out, const LAS12Header &h) {
    using ptx::put_fixed3, ptx::put_fixed6;
    appendNumber<put_fixed6>(
        out, "X Scale Factor:                    ", h.XScaleFactor, 0);
    appendNumber<put_fixed6>(
        out, "Y Scale Factor:                    ", h.YScaleFactor, 0);
    appendNumber<put_fixed6>(
        out, "Z Scale Factor:                    ", h.ZScaleFactor, 0);
    appendNumber<put_fixed6>(
        out, "X Offset :                         ", h.XOffset, 0);
    appendNumber<put_fixed6>(
        out, "Y Offset :                         ", h.YOffset, 0);
    appendNumber<put_fixed6>(
        out, "Z Offset :                         ", h.ZOffset, 0);
    appendNumber<put_fixed3>(out, "X min :                     ", h.MinX, 12);
    appendNumber<put_fixed3>(out, "X max :                     ", h.MaxX, 12);
    appendNumber<put_fixed3>(out, "Y min :                     ", h.MinY, 12);
    appendNumber<put_fixed3>(out, "Y max :                     ", h.MaxY, 12);
    appendNumber<put_fixed3>(out, "Z min :                     ", h.MinZ, 12);
    appendNumber<put_fixed3>(out, "Z max :                     ", h.MaxZ, 12);
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

bool writeHeaderDescription(tamarak::Stream &out, const LAS12Header &h,
                            tamarak::LasType Type) {
    const std::string text = ptx::withLineEnds(describeHeader(h, Type));
    return out.write(text.data(), text.size());
}

int16_t writeAsciiHeader(std::FILE *out, const LAS12Header &h,
                         tamarak::LasType Type) {
    tamarak::Stream stream(out);
    return writeHeaderDescription(stream, h, Type) ? 0 : -1;
}

} // namespace ptx
