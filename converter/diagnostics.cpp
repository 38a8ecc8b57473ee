// SPDX-License-Identifier: MIT
// diagnostics.cpp - the standard-error lines of ptxport.
#include "diagnostics.h"

#include "TAMARAK_LiDAR.h"
#include "file_handle.h"
#include "format_catalogue.h"
#include "las_layout.h"
#include "list_text.h"
#include "platform.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <string_view>

namespace ptx {

namespace {

// Reads the first bytes of a file; how many it got (none if it cannot be
// opened).
std::size_t readHead(const std::string &name, unsigned char *head,
                     std::size_t n) {
    tamarak::Stream f = tamarak::Stream::open(name.c_str(), "rb");
    return f ? f.read(head, 1, n) : 0;
}

// Whether the verdict, or the file's first bytes where the verdict came
// from its name alone, show compressed LAS.
bool looksCompressed(const std::string &name,
                     const tamarak::LasVerdict &verdict) {
    if (verdict.status != TAMARAK_BAD_NAME)
        return verdict.compressed;
    unsigned char head[tamarak::layout::kHeaderBytes];
    return tamarak::examine_header(head, readHead(name, head, sizeof head))
        .compressed;
}

std::string compressedNote(const std::string &name) {
    return "ptxport: note: " + name +
           " looks compressed (LAZ); decompress it to LAS first\n";
}

// The last line of a message that holds any text.
std::string lastLine(const std::string &message) {
    const std::size_t end = message.find_last_not_of('\n');
    if (end == std::string::npos)
        return {};
    const std::size_t begin = message.rfind('\n', end);
    const std::size_t first = begin == std::string::npos ? 0 : begin + 1;
    return message.substr(first, end - first + 1);
}

// The one-line reason for a refused file: the last line of the message
// check_las prints, or for an untyped file the reason it is untyped.
std::string reasonLine(const std::string &name, const tamarak::LasVerdict &v) {
    if (v.untyped())
        return lastLine(tamarak::untyped_message(name.c_str(), v));
    return lastLine(tamarak::las_message(name.c_str(), v));
}

// What standard error adds for a refused listed file: a name that is not
// found and does not read as text was most likely decoded from a list in
// an encoding without a mark.
std::string listedRejectionNote(const std::string &name,
                                const tamarak::LasVerdict &v) {
    if (v.status == TAMARAK_NOT_FOUND && looksMisencoded(name))
        return "ptxport: " + name +
               ": not found; the list may be in another encoding (save it as "
               "UTF-8, or as UTF-16 with a byte-order mark)\n";
    return rejectionNote(name, v);
}

// The reason of a failure, where more can be said than its message.
std::string noteOf(const Failure &f) {
    switch (f.step) {
    case FileStep::lasFile:
        return rejectionNote(f.names[0], f.verdict);
    case FileStep::listedFile:
        return listedRejectionNote(f.names[0], f.verdict);
    case FileStep::openList:
    case FileStep::openToRead:
    case FileStep::openToWrite:
    case FileStep::read:
    case FileStep::write:
    case FileStep::close:
        return systemErrorLine(f.names[0], f.error());
    default:
        return {};
    }
}

} // namespace

std::string failureNotes(const Failures &failures) {
    std::string lines = failures.notes;
    if (failures.list.empty())
        return lines;
    lines += noteOf(failures.list.front());
    // The tokens of a LAS file read as a list are no names worth a line
    // each.
    if (!failures.notes.empty())
        return lines;
    for (std::size_t i = 1; i < failures.list.size(); ++i) {
        const Failure &f = failures.list[i];
        lines += "ptxport: " + f.names[0] +
                 ": also refused: " + reasonLine(f.names[0], f.verdict) + "\n";
    }
    return lines + failures.types;
}

std::string typeLines(const std::string &list,
                      const std::vector<TypeGroup> &groups) {
    if (groups.size() < 2)
        return {};
    std::string lines;
    for (const TypeGroup &g : groups)
        lines += "ptxport: " + list + ": " + std::to_string(g.count) +
                 (g.count == 1 ? " file is" : " files are") + " LAS 1." +
                 std::to_string(g.type.version_minor()) + " point format " +
                 std::to_string(g.type.point_format()) + ", the first " +
                 g.first + "\n";
    return lines;
}

std::string systemErrorLine(const std::string &name, int error) {
    if (error == 0)
        return {};
    return "ptxport: " + name + ": " + std::strerror(error) + "\n";
}

void noteSystemError(const std::string &name, int error) {
    std::fputs(systemErrorLine(name, error).c_str(), stderr);
}

std::string rejectionNote(const std::string &name,
                          const tamarak::LasVerdict &verdict) {
    if (verdict.error != 0)
        return systemErrorLine(name, verdict.error);
    if (looksCompressed(name, verdict))
        return compressedNote(name);
    return {};
}

std::string listLooksLikeLasNote(const std::string &name) {
    using tamarak::layout::kSignature;
    unsigned char head[tamarak::layout::kHeaderBytes];
    const std::size_t got = readHead(name, head, sizeof head);
    if (got < sizeof kSignature ||
        std::memcmp(head, kSignature, sizeof kSignature) != 0)
        return {};
    if (tamarak::examine_header(head, got).compressed)
        return compressedNote(name);
    return "ptxport: note: " + name +
           " is a LAS file, read as a list because its extension is not "
           "\"las\" in lower case\n";
}

std::string interruptedLine(const std::string &las) {
    return "ptxport: interrupted: " + las +
           " was not converted; its previous outputs are unchanged\n";
}

std::string versionNote(int argc, char **argv) {
    bool asked = false;
    for (int i = 1; i < argc; ++i)
        for (const std::string_view flag : {"--version", "-V", "--help", "-h"})
            asked = asked || flag == argv[i];
    if (!asked)
        return {};
    return std::string("ptxport: version ") + tamarak_lidar_version() +
           "; usage: ptxport FILE.las|LIST FORMAT (0-" +
           std::to_string(kFormatCount - 1) + "); see man ptxport\n";
}

void warnIfTruncated(const std::string &name, uint64_t whole_records,
                     uint32_t declared) {
    if (whole_records < declared)
        std::fprintf(stderr,
                     "ptxport: warning: %s holds %llu whole point records; "
                     "its header declares %lu\n",
                     name.c_str(),
                     static_cast<unsigned long long>(whole_records),
                     static_cast<unsigned long>(declared));
}

void warnIfScaleTooFine(const std::string &name, double x_scale,
                        double y_scale) {
    // Scales of 0.0001 and coarser lose nothing that matters in a projected
    // file written to the centimetre.
    constexpr double kFinest = 0.0001;
    double finer = kFinest;
    for (const double scale : {std::fabs(x_scale), std::fabs(y_scale)})
        if (scale > 0.0 && scale < finer)
            finer = scale;
    if (finer == kFinest)
        return;
    std::fprintf(stderr,
                 "ptxport: warning: %s: X/Y scale %g is finer than the two "
                 "decimals written; coordinates are rounded to 0.01\n",
                 name.c_str(), finer);
}

} // namespace ptx
