// SPDX-License-Identifier: MIT
// test_header_defaults.cpp - initialize_header10/11/12 write exactly the
// default bytes of an empty file's header and leave the text tails alone;
// a header so filled becomes usable once format and record length are set.
#include "TAMARAK_LiDAR.h"
#include "header_bytes.h"
#include "las_fixture.h"
#include "run_command.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <string>
#include <vector>

namespace {

using fixture::Bytes;

// Runs one routine on a copy of the record held in `b`.
// The three versions' headers have the same size and the same number widths
// at the same places but for bytes 4 to 7, which the round trip through the
// file's byte order leaves as they were.
template <typename Header> Bytes apply(Bytes b, void (*init)(Header *)) {
    static_assert(sizeof(Header) == tamarak::layout::kHeaderBytes);
    LAS12Header host = tamarak::decode_header(b.data());
    Header h;
    std::memcpy(&h, &host, sizeof h);
    init(&h);
    std::memcpy(&host, &h, sizeof h);
    tamarak::encode_header(host, b.data());
    return b;
}

// The record after the routine of LAS version 1.minor.
Bytes initialized(const Bytes &record, uint8_t minor) {
    if (minor == 0)
        return apply(record, initialize_header10);
    if (minor == 1)
        return apply(record, initialize_header11);
    return apply(record, initialize_header12);
}

// The default image written out byte by byte from the file layout, over a
// record that held `before`.
Bytes expected_image(Bytes e, uint8_t minor) {
    auto set = [&e](std::size_t at, std::initializer_list<unsigned> bytes) {
        for (unsigned b : bytes)
            e[at++] = static_cast<unsigned char>(b);
    };
    auto zero = [&e](std::size_t first, std::size_t last) {
        std::fill(e.begin() + first, e.begin() + last + 1, 0);
    };
    set(0, {'L', 'A', 'S', 'F'});
    zero(4, 16);
    set(24, {1, minor});
    zero(26, 26);
    const char software[] = "TAMARAK LiDAR Utilities";
    std::copy(software, software + sizeof software, e.begin() + 58);
    zero(90, 93);
    set(94, {0xE3, 0x00, 0xE3, 0x00, 0x00, 0x00}); // 227 and 227
    zero(100, 130);
    for (std::size_t at = 131; at < 155; at += 8) // 1.0 three times
        set(at, {0, 0, 0, 0, 0, 0, 0xF0, 0x3F});
    zero(155, 226);
    return e;
}

Bytes pattern() {
    Bytes b(227);
    for (std::size_t i = 0; i < b.size(); ++i)
        b[i] = static_cast<unsigned char>(i * 7 + 3);
    return b;
}

struct Fill {
    const char *name;
    Bytes before;
};

TEST(HeaderDefaults, WriteExactlyTheDefaultBytes) {
    const Fill fills[] = {
        {"zeros", Bytes(227, 0x00)},
        {"0xFF", Bytes(227, 0xFF)},
        {"a different byte at each offset", pattern()},
    };
    for (uint8_t minor = 0; minor <= 2; ++minor) {
        for (const Fill &f : fills) {
            SCOPED_TRACE("LAS 1." + std::to_string(minor) + " over " + f.name);
            const Bytes got = initialized(f.before, minor);
            const Bytes want = expected_image(f.before, minor);
            const auto diff =
                std::mismatch(got.begin(), got.end(), want.begin());
            EXPECT_EQ(got, want)
                << "first difference at offset " << diff.first - got.begin();
        }
    }
}

// Tails of GUIDData4, SystemIdentifier and GeneratingSoftware.
std::vector<std::size_t> untouched_offsets() {
    std::vector<std::size_t> offsets;
    for (auto [first, last] : {std::pair{17, 23}, {27, 57}, {82, 89}})
        for (int i = first; i <= last; ++i)
            offsets.push_back(static_cast<std::size_t>(i));
    return offsets;
}

TEST(HeaderDefaults, LeaveTheFortySixTextTailBytes) {
    for (uint8_t minor = 0; minor <= 2; ++minor) {
        SCOPED_TRACE("LAS 1." + std::to_string(minor));
        const Bytes got = initialized(Bytes(227, 0xFF), minor);
        std::vector<std::size_t> still_ff;
        for (std::size_t i = 0; i < got.size(); ++i)
            if (got[i] == 0xFF)
                still_ff.push_back(i);
        EXPECT_EQ(still_ff.size(), 46u);
        EXPECT_EQ(still_ff, untouched_offsets());
    }
}

TEST(HeaderDefaults, VersionsDifferOnlyInMinorVersion) {
    const Bytes v10 = initialized(Bytes(227, 0), 0);
    const Bytes v11 = initialized(Bytes(227, 0), 1);
    const Bytes v12 = initialized(Bytes(227, 0), 2);
    EXPECT_EQ(v10[25], 0);
    EXPECT_EQ(v11[25], 1);
    EXPECT_EQ(v12[25], 2);
    for (std::size_t i = 0; i < 227; ++i) {
        if (i == 25)
            continue;
        EXPECT_EQ(v10[i], v12[i]) << "offset " << i;
        EXPECT_EQ(v11[i], v12[i]) << "offset " << i;
    }
}

// check_las's result as the child's exit status (-1 shows as 255).
fixture::CommandResult check_in_child(const std::string &name) {
    return fixture::run_in_child([&] { std::exit(check_las(name.c_str())); });
}

// A default header is refused until format and record length agree; then it
// describes a valid empty file, which update_header leaves as it is.
TEST(HeaderDefaults, BecomeAValidEmptyFileOnceRecordLengthIsSet) {
    const int types[] = {1, 3, 5};
    for (uint8_t minor = 0; minor <= 2; ++minor) {
        SCOPED_TRACE("LAS 1." + std::to_string(minor));
        fixture::TempDir dir;
        const std::string name = (dir / "empty.las").string();
        Bytes image = initialized(Bytes(227, 0), minor);
        fixture::write_bytes(name, image);
        const fixture::CommandResult refused = check_in_child(name);
        EXPECT_EQ(refused.status, fixture::kFailureStatus);
        EXPECT_EQ(refused.out, "\nData format of " + name +
                                   " (0) is incompatible with Length of Data "
                                   "Record (0)\n");

        image[105] = 20; // PointDataRecordLength of format 0
        fixture::write_bytes(name, image);
        const fixture::CommandResult accepted = check_in_child(name);
        EXPECT_EQ(accepted.status, types[minor]);
        EXPECT_EQ(accepted.out, "");

        const fixture::CommandResult updated =
            fixture::run_in_child([&] { update_header(name.c_str()); });
        EXPECT_EQ(updated.status, 0);
        EXPECT_EQ(fixture::read_bytes(name), image);
    }
}

} // namespace
