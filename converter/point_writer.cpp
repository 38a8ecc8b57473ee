// point_writer.cpp - streams the point records of one LAS file into its
// point file: blocks of whole records in, rows assembled in one text
// buffer, large writes out.
#include "point_writer.h"

#include "las_type.h"
#include "point_rows.h"

#include <array>
#include <new>
#include <utility>

using ptx::Layout;

namespace {

// 4096 records of the largest layout in, 256 KiB of text out: large writes,
// and little memory that a small file leaves untouched.
constexpr std::size_t kRecordsPerBlock = 4096;
constexpr std::size_t kTextBytes = std::size_t{256} << 10;

// Column names that depend on the LAS version: bytes 17 to 19 are named
// FileMarker and UserBitField in LAS 1.0, UserData and PointSourceID later.
bool isVersion10(int16_t las_type) {
    return las_type <= 2;
}

std::string fullRecordNames(int16_t las_type) {
    std::string line = "\"X\" \"Y\" \"Z\" \"Intensity\" \"ReturnNum\" "
                       "\"NumReturns\" \"ScanDirection\" \"EdgeOfFlightLine\" "
                       "\"Class\" \"ScanAngleRank\" ";
    line += isVersion10(las_type) ? "\"FileMarker\" \"UserBitField\""
                                  : "\"UserData\" \"PointSourceID\"";
    if (las_type % 2 == 0)
        line += " \"GPSTime\"";
    if (las_type >= 7)
        line += " \"Red\" \"Green\" \"Blue\"";
    return line + "\n";
}

Layout layoutOf(int16_t las_type) {
    switch (las_type) {
    case 7:
        return Layout::Rgb26;
    case 8:
        return Layout::GpsRgb34;
    default:
        return las_type % 2 == 0 ? Layout::Gps28 : Layout::Core20;
    }
}

// Writes out the text assembled so far.
bool flush(std::FILE *out, const char *text, std::size_t n) {
    return n == 0 || std::fwrite(text, 1, n, out) == n;
}

// The conversion loop of one format on one layout.
template <int F, Layout L>
int16_t convert(std::FILE *in, std::FILE *out, PointBuffers &b,
                std::size_t record_size, const ptx::Transform &t) {
    const std::size_t block = kRecordsPerBlock * record_size;
    char *const text = b.text.get();
    char *const limit = text + b.text_bytes - ptx::kMaxRowChars;
    char *p = text;
    for (;;) {
        const std::size_t got = std::fread(b.records.get(), 1, block, in);
        const unsigned char *r = b.records.get();
        const unsigned char *const end = r + got / record_size * record_size;
        for (; r != end; r += record_size) {
            if (p > limit) {
                if (!flush(out, text, static_cast<std::size_t>(p - text)))
                    return kPointsWriteError;
                p = text;
            }
            p = ptx::writeRow<F, L>(p, r, t);
        }
        if (got < block) {
            if (std::ferror(in))
                return kPointsReadError;
            break;
        }
    }
    return flush(out, text, static_cast<std::size_t>(p - text))
               ? kPointsWritten
               : kPointsWriteError;
}

using Converter = int16_t (*)(std::FILE *, std::FILE *, PointBuffers &,
                              std::size_t, const ptx::Transform &);

// The loop of format F for each layout; null where the layout lacks a value
// that the format prints.
template <int F> constexpr std::array<Converter, 4> convertersOf() {
    constexpr bool gps = F == 13 || F == 17 || F == 18;
    constexpr bool rgb = F == 14 || F == 19;
    return {gps || rgb ? nullptr : &convert<F, Layout::Core20>,
            rgb ? nullptr : &convert<F, Layout::Gps28>,
            gps ? nullptr : &convert<F, Layout::Rgb26>,
            &convert<F, Layout::GpsRgb34>};
}

template <std::size_t... F>
constexpr auto makeCatalogue(std::index_sequence<F...>) {
    return std::array<std::array<Converter, 4>, sizeof...(F)>{
        convertersOf<static_cast<int>(F)>()...};
}

constexpr auto kCatalogue = makeCatalogue(std::make_index_sequence<20>());

Converter converterFor(int format, int16_t las_type) {
    if (format < 0 || format > 19 || las_type < 1 || las_type > 8)
        return nullptr;
    return kCatalogue[static_cast<std::size_t>(format)]
                     [static_cast<std::size_t>(layoutOf(las_type))];
}

} // namespace

bool obtainPointBuffers(PointBuffers &b) {
    b.record_bytes = kRecordsPerBlock * 34;
    b.text_bytes = kTextBytes;
    b.records.reset(new (std::nothrow) unsigned char[b.record_bytes]);
    b.text.reset(new (std::nothrow) char[b.text_bytes]);
    return b.records && b.text;
}

std::string columnNames(int format, int16_t las_type) {
    static constexpr const char *kNames[20] = {
        nullptr,
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
        nullptr,
        nullptr,
        "\"GPSTime\"\n",
        "\"R\" \"G\" \"B\"\n",
        "\"X\" \"Y\" \"Z\"\n",
        "\"X\" \"Y\" \"Z\" \"Intensity\"\n",
        "\"X\" \"Y\" \"Z\" \"GPSTime\"\n",
        "\"X\" \"Y\" \"Z\" \"Intensity\" \"GPSTime\"\n",
        "\"X\" \"Y\" \"Z\" \"R\" \"g\" \"B\"\n",
    };
    switch (format) {
    case 0:
        return fullRecordNames(las_type);
    case 11:
        return isVersion10(las_type) ? "\"FileMarker\"\n" : "\"UserData\"\n";
    case 12:
        return isVersion10(las_type) ? "\"UserBitField\"\n"
                                     : "\"PointSourceID\"\n";
    default:
        return format > 0 && format < 20 ? kNames[format] : "";
    }
}

bool formatServesType(int format, int16_t las_type) {
    return converterFor(format, las_type) != nullptr;
}

int16_t writeAsciiPoints(int format, int16_t las_type,
                         const LAS12Header &header, std::FILE *in,
                         std::FILE *out, PointBuffers &buffers) {
    const std::string names = columnNames(format, las_type);
    if (!flush(out, names.data(), names.size()))
        return kPointsWriteError;
    const Converter convert = converterFor(format, las_type);
    if (!convert)
        return kPointsWritten;
    const ptx::Transform t{header.XScaleFactor, header.YScaleFactor,
                           header.ZScaleFactor, header.XOffset,
                           header.YOffset,      header.ZOffset};
    return convert(in, out, buffers, tamarak::record_size_of(las_type), t);
}
