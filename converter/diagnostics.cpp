// SPDX-License-Identifier: MIT
// diagnostics.cpp - the standard-error lines of ptxport.
#include "diagnostics.h"

#include "file_handle.h"
#include "las_layout.h"
#include "platform.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace ptx {

namespace {

// Reads the first bytes of a file; how many it got (none if it cannot be
// opened).
std::size_t readHead(const std::string &name, unsigned char *head,
                     std::size_t n) {
    tamarak::File f(tamarak::open_file(name.c_str(), "rb"));
    return f ? std::fread(head, 1, n, f.get()) : 0;
}

// Whether the verdict, or the file's first bytes where the verdict came
// from its name alone, show compressed LAS.
bool looksCompressed(const std::string &name,
                     const tamarak::LasVerdict &verdict) {
    using tamarak::LasProblem;
    switch (verdict.problem) {
    case LasProblem::wrong_extension:
    case LasProblem::name_too_short:
    case LasProblem::no_dot:
        break;
    default:
        return verdict.compressed;
    }
    unsigned char head[tamarak::layout::kHeaderBytes];
    return tamarak::examine_header(head, readHead(name, head, sizeof head))
        .compressed;
}

std::string compressedNote(const std::string &name) {
    return "ptxport: note: " + name +
           " looks compressed (LAZ); decompress it to LAS first\n";
}

} // namespace

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
