// SPDX-License-Identifier: MIT
// Lists as editors and shells write them: after a UTF-8 byte-order mark,
// and in UTF-16 of either byte order after its mark, the names are read as
// the text they stand for and their files converted.
#include "las_fixture.h"
#include "run_command.h"

#include <gtest/gtest.h>

using namespace fixture;

namespace {

const std::string kGreek = "\xCE\x94\xCE\xAC\xCF\x83\xCE\xBF\xCF\x82.las";
const std::string kGerman = "\xC3\x84rger.las";

// The UTF-16 code units of an ASCII-or-two-byte UTF-8 text.
std::u16string utf16(const std::string &utf8) {
    std::u16string out;
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        const auto c = static_cast<unsigned char>(utf8[i]);
        if (c < 0x80)
            out += char16_t(c);
        else
            out += char16_t((c & 0x1F) << 6 |
                            (static_cast<unsigned char>(utf8[++i]) & 0x3F));
    }
    return out;
}

Bytes encode(const std::string &text, const std::string &encoding) {
    if (encoding == "utf-8-bom") {
        const std::string all = "\xEF\xBB\xBF" + text;
        return Bytes(all.begin(), all.end());
    }
    const bool big = encoding == "utf-16be";
    Bytes out = big ? Bytes{0xFE, 0xFF} : Bytes{0xFF, 0xFE};
    for (const char16_t u : utf16(text)) {
        const auto hi = static_cast<unsigned char>(u >> 8);
        const auto lo = static_cast<unsigned char>(u & 0xFF);
        out.push_back(big ? hi : lo);
        out.push_back(big ? lo : hi);
    }
    return out;
}

} // namespace

TEST(ListEncodings, MarkedListsConvertTheirFiles) {
    for (const char *encoding : {"utf-8-bom", "utf-16le", "utf-16be"}) {
        TempDir dir;
        for (const std::string &name : {kGreek, kGerman}) {
            LasFixture f = fixture_for_type(6);
            f.points.resize(3);
            f.write(dir / name);
        }
        write_bytes(dir / "tiles.txt",
                    encode(kGreek + "\r\n" + kGerman + "\r\n", encoding));
        const CommandResult r = run_ptxport({"tiles.txt", "0"}, dir.path());
        EXPECT_EQ(r.status, 0) << encoding << r.out << r.err;
        EXPECT_NE(r.out.find("2 / 2\n"), std::string::npos) << encoding;
        for (const std::string &stem : {kGreek, kGerman})
            EXPECT_TRUE(std::filesystem::exists(
                dir / (stem.substr(0, stem.size() - 4) + ".asc")))
                << encoding << " " << stem;
    }
}

TEST(ListEncodings, NameFromAnUnmarkedEncodingIsPointedOut) {
    TempDir dir;
    write_bytes(dir / "tiles.txt",
                Bytes{0xC4, 'r', 'g', 'e', 'r', '.', 'l', 'a', 's', '\n'});
    const CommandResult r = run_ptxport({"tiles.txt", "0"}, dir.path());
    EXPECT_EQ(r.status, kFailureStatus);
    EXPECT_NE(r.err.find(": not found; the list may be in another encoding"),
              std::string::npos)
        << r.err;
}
