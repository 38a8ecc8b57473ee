// SPDX-License-Identifier: MIT
// reference_writer.cpp - the tests' printf-based point writer.
#include "reference_writer.h"

#include "header_bytes.h"
#include "las_bytes.h"
#include "las_type.h"
#include "platform_std.h"
#include "scaled_value.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace fixture {

namespace {

struct Decoded {
    double x, y, z;
    int intensity, ret, nret, dir, edge, cls, angle, b17, b1819;
    double gps;
    int red, green, blue;
};

template <typename T> T get(const unsigned char *p) {
    return tamarak::load_le<T>(p);
}

Decoded decode(const unsigned char *r, int type, const LAS12Header &h) {
    Decoded d{};
    d.x = tamarak::scaled_value(get<int32_t>(r), h.XScaleFactor, h.XOffset);
    d.y = tamarak::scaled_value(get<int32_t>(r + 4), h.YScaleFactor, h.YOffset);
    d.z = tamarak::scaled_value(get<int32_t>(r + 8), h.ZScaleFactor, h.ZOffset);
    d.intensity = get<uint16_t>(r + 12);
    d.ret = r[14] & 7;
    d.nret = (r[14] & 0x38) >> 3;
    d.dir = (r[14] & 0x40) >> 6;
    d.edge = (r[14] & 0x80) ? 1 : 0;
    d.cls = r[15];
    d.angle = r[16] < 128 ? r[16] : r[16] - 256;
    d.b17 = r[17];
    d.b1819 = get<uint16_t>(r + 18);
    const tamarak::LasType t = tamarak::LasType::from_code(type);
    if (t.has_gps_time())
        d.gps = get<double>(r + 20);
    const int rgb = t.has_gps_time() ? 28 : 20;
    if (t.has_colour()) {
        d.red = get<uint16_t>(r + rgb);
        d.green = get<uint16_t>(r + rgb + 2);
        d.blue = get<uint16_t>(r + rgb + 4);
    }
    return d;
}

TAMARAK_PRINTF_FORMAT(2, 3) void print(std::string &out, const char *fmt, ...) {
    va_list a, b;
    va_start(a, fmt);
    va_copy(b, a);
    const int n = std::vsnprintf(nullptr, 0, fmt, a);
    va_end(a);
    std::string s(static_cast<std::size_t>(n) + 1, '\0');
    std::vsnprintf(s.data(), s.size(), fmt, b);
    va_end(b);
    s.pop_back();
    out += s;
}

void fullRecordRow(std::string &o, const Decoded &d, int type) {
    print(o, "%.2f %.2f %.2f %d %d %d %d %d %d", d.x, d.y, d.z, d.intensity,
          d.ret, d.nret, d.dir, d.edge, d.cls);
    print(o, " %d", d.angle);
    if (type == 1 || type == 3 || type == 5)
        print(o, " %d %d\n", d.b17, d.b1819);
    if (type == 2 || type == 4 || type == 6) {
        print(o, " %d %d", d.b17, d.b1819);
        print(o, " %.7f\n", d.gps);
    }
    if (type == 7) {
        print(o, " %d %d", d.b17, d.b1819);
        print(o, " %d %d %d\n", d.red, d.green, d.blue);
    }
    if (type == 8) {
        print(o, " %d %d", d.b17, d.b1819);
        print(o, " %.7f", d.gps);
        print(o, " %d %d %d\n", d.red, d.green, d.blue);
    }
}

void row(std::string &o, const Decoded &d, int format, int type) {
    switch (format) {
    case 0:
        fullRecordRow(o, d, type);
        break;
    case 1:
        print(o, "%.2f\n", d.x);
        break;
    case 2:
        print(o, "%.2f\n", d.y);
        break;
    case 3:
        print(o, "%.2f\n", d.z);
        break;
    case 4:
        print(o, "%d\n", d.intensity);
        break;
    case 5:
        print(o, "%d\n", d.ret);
        break;
    case 6:
        print(o, "%d\n", d.nret);
        break;
    case 7:
        print(o, "%d\n", d.dir);
        break;
    case 8:
        print(o, "%d\n", d.edge);
        break;
    case 9:
        print(o, "%d\n", d.cls);
        break;
    case 10:
        print(o, "%d\n", d.angle);
        break;
    case 11:
        print(o, "%d\n", d.b17);
        break;
    case 12:
        print(o, "%d\n", d.b1819);
        break;
    case 13:
        print(o, "%.7f\n", d.gps);
        break;
    case 14:
        print(o, "%d %d %d\n", d.red, d.green, d.blue);
        break;
    case 15:
        print(o, "%.2f %.2f %.2f\n", d.x, d.y, d.z);
        break;
    case 16:
        print(o, "%.2f %.2f %.2f %d\n", d.x, d.y, d.z, d.intensity);
        break;
    case 17:
        print(o, "%.2f %.2f %.2f %.7f\n", d.x, d.y, d.z, d.gps);
        break;
    case 18:
        print(o, "%.2f %.2f %.2f %d %.7f\n", d.x, d.y, d.z, d.intensity, d.gps);
        break;
    case 19:
        print(o, "%.2f %.2f %.2f %d %d %d\n", d.x, d.y, d.z, d.red, d.green,
              d.blue);
        break;
    }
}

} // namespace

std::string referenceColumnNames(int format, int type) {
    const bool v10 = tamarak::LasType::from_code(type).las10_names();
    if (format == 0) {
        static const char *tails[9] = {
            "",
            "\"FileMarker\" \"UserBitField\"\n",
            "\"FileMarker\" \"UserBitField\" \"GPSTime\"\n",
            "\"UserData\" \"PointSourceID\"\n",
            "\"UserData\" \"PointSourceID\" \"GPSTime\"\n",
            "\"UserData\" \"PointSourceID\"\n",
            "\"UserData\" \"PointSourceID\" \"GPSTime\"\n",
            "\"UserData\" \"PointSourceID\" \"Red\" \"Green\" \"Blue\"\n",
            ("\"UserData\" \"PointSourceID\" \"GPSTime\" \"Red\" \"Green\" "
             "\"Blue\"\n")};
        return std::string("\"X\" \"Y\" \"Z\" \"Intensity\" \"ReturnNum\" "
                           "\"NumReturns\" ") +
               "\"ScanDirection\" \"EdgeOfFlightLine\" \"Class\" "
               "\"ScanAngleRank\" " +
               tails[type];
    }
    static const char *lines[20] = {
        "",
        "\"X\"\n",
        "\"Y\"\n",
        "\"Z\"\n",
        "\"Intensity\"\n",
        "\"ReturnNum\"\n",
        "\"NumReturns\"\n",
        "\"ScanDirection\"\n",
        "\"EdgeOfFlightLine\"\n",
        "\"Classification\"\n",
        "\"ScanAngleRank\"\n",
        "",
        "",
        "\"GPSTime\"\n",
        "\"R\" \"G\" \"B\"\n",
        "\"X\" \"Y\" \"Z\"\n",
        "\"X\" \"Y\" \"Z\" \"Intensity\"\n",
        "\"X\" \"Y\" \"Z\" \"GPSTime\"\n",
        "\"X\" \"Y\" \"Z\" \"Intensity\" \"GPSTime\"\n",
        "\"X\" \"Y\" \"Z\" \"R\" \"g\" \"B\"\n"};
    if (format == 11)
        return v10 ? "\"FileMarker\"\n" : "\"UserData\"\n";
    if (format == 12)
        return v10 ? "\"UserBitField\"\n" : "\"PointSourceID\"\n";
    return lines[format];
}

bool referenceServes(int format, int type) {
    const tamarak::LasType t = tamarak::LasType::from_code(type);
    if (format == 13 || format == 17 || format == 18)
        return t.has_gps_time();
    if (format == 14 || format == 19)
        return t.has_colour();
    return true;
}

std::string referencePointFile(const Bytes &las, int format, int type) {
    const LAS12Header h = tamarak::decode_header(las.data());
    std::string out = referenceColumnNames(format, type);
    if (!referenceServes(format, type))
        return out;
    const std::size_t size = tamarak::LasType::from_code(type).record_size();
    for (std::size_t at = h.OffsetToData; at + size <= las.size(); at += size)
        row(out, decode(las.data() + at, type, h), format, type);
    return out;
}

} // namespace fixture
