// SPDX-License-Identifier: MIT
// Fuzz target: a whole conversion of arbitrary file contents, the header
// description and the point file in every format the file's type serves.
// The rows must equal those of the printf-based reference writer byte for
// byte, so the fuzzer also hunts for values the fast formatting gets wrong.
#include "TAMARAK_LiDAR.h"
#include "fuzz_files.h"
#include "header_description.h"
#include "point_writer.h"
#include "reference_writer.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

using namespace ptx;

namespace {

// Blocks of the largest records serve every type.
PointSlots &slots() {
    static PointSlots s(1, tamarak::LasType::from_code(8).record_size());
    if (!s.ready())
        std::abort();
    return s;
}

// The point file of one format, as the driver makes it.
std::string convert(const std::string &name, int format,
                    tamarak::LasType type) {
    std::FILE *in = std::fopen(name.c_str(), "rb");
    LAS12Header h;
    if (!in || std::fread(&h, sizeof h, 1, in) != 1 ||
        fseeko(in, h.OffsetToData, SEEK_SET) != 0)
        std::abort();
    char *text = nullptr;
    std::size_t length = 0;
    std::FILE *out = open_memstream(&text, &length);
    if (writeAsciiPoints(format, type, h, in, out, slots()))
        std::abort();
    std::fclose(in);
    std::fclose(out);
    std::string result(text, length);
    std::free(text);
    return result;
}

// Line ends inside the three text fields, which are written byte for byte
// up to their first zero byte.
long textLineEnds(const LAS12Header &h) {
    const auto count = [](const void *field, std::size_t size) {
        const char *text = static_cast<const char *>(field);
        const std::size_t n = strnlen(text, size);
        return static_cast<long>(std::count(text, text + n, '\n'));
    };
    return count(h.GUIDData4, 8) + count(h.SystemIdentifier, 32) +
           count(h.GeneratingSoftware, 32);
}

// Reports the first line that differs, then stops the fuzzer.
[[noreturn]] void mismatch(int format, const std::string &got,
                           const std::string &want) {
    std::size_t at = 0;
    while (at < got.size() && at < want.size() && got[at] == want[at])
        ++at;
    const std::size_t line = got.rfind('\n', at) + 1;
    std::fprintf(stderr,
                 "format %d differs from the reference:\n  got  %s\n"
                 "  want %s\n",
                 format, got.substr(line, got.find('\n', line) - line).c_str(),
                 want.substr(line, want.find('\n', line) - line).c_str());
    std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, std::size_t size) {
    const std::string name = fuzz::writeInput("in.las", data, size);
    const tamarak::LasType type =
        tamarak::LasType::from_code(check_las(name.c_str()));
    if (!type.valid())
        return 0;
    LAS12Header h;
    std::memcpy(&h, data, sizeof h);
    const std::string description = describeHeader(h, type);
    if (std::count(description.begin(), description.end(), '\n') !=
        34 + textLineEnds(h))
        std::abort();
    const fixture::Bytes image(data, data + size);
    for (int format = 0; format < 20; ++format) {
        const std::string got = convert(name, format, type);
        const std::string want =
            fixture::referencePointFile(image, format, type.code());
        if (got != want)
            mismatch(format, got, want);
    }
    return 0;
}
