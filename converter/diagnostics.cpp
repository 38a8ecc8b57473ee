// SPDX-License-Identifier: MIT
// diagnostics.cpp - the standard-error lines of ptxport.
#include "diagnostics.h"

#include "TAMARAK_LiDAR.h"
#include "file_handle.h"
#include "file_open.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

constexpr std::size_t kFormatAt = offsetof(LAS12Header, PointDataFormatID);
// Compressed LAS (LAZ) marks its point data format with the top bit.
constexpr unsigned kCompressedBit = 0x80;

// Reads the first bytes of a file; how many it got, or -1 (errno set) if
// the file cannot be opened.
long readHead(const std::string &name, unsigned char *head, std::size_t n) {
    tamarak::File f(tamarak::open_file(name.c_str(), "rb"));
    if (!f)
        return -1;
    return static_cast<long>(std::fread(head, 1, n, f.get()));
}

} // namespace

void noteSystemError(const std::string &name, int error) {
    if (error != 0)
        std::fprintf(stderr, "ptxport: %s: %s\n", name.c_str(),
                     std::strerror(error));
}

void noteRejectedLas(const std::string &name) {
    unsigned char head[kFormatAt + 1];
    errno = 0;
    const long got = readHead(name, head, sizeof head);
    if (got < 0) {
        noteSystemError(name, errno);
        return;
    }
    if (static_cast<std::size_t>(got) == sizeof head &&
        std::memcmp(head, "LASF", 4) == 0 && head[kFormatAt] & kCompressedBit)
        std::fprintf(stderr,
                     "ptxport: note: %s looks compressed (LAZ); decompress it "
                     "to LAS first\n",
                     name.c_str());
}

void noteListLooksLikeLas(const std::string &name) {
    unsigned char head[4];
    if (readHead(name, head, sizeof head) == sizeof head &&
        std::memcmp(head, "LASF", 4) == 0)
        std::fprintf(stderr,
                     "ptxport: note: %s is a LAS file, read as a list "
                     "because its extension is not \"las\" in lower case\n",
                     name.c_str());
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
