// SPDX-License-Identifier: MIT
// Tests of the file helpers that differ by platform: names outside any ANSI
// code page, seeks past 2 GiB and 4 GiB, file identity, and the exclusive
// creation and replacing rename that outputs are placed with.
#include "header_bytes.h"
#include "header_update.h"
#include "las_fixture.h"
#include "platform.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>

using fixture::TempDir;
namespace fs = std::filesystem;

namespace {

std::string utf8(const fs::path &p) {
    const std::u8string s = p.u8string();
    return std::string(s.begin(), s.end());
}

fs::path from_utf8(const std::string &s) {
    return fs::path(std::u8string(s.begin(), s.end()));
}

} // namespace

TEST(OpenFile, NamesInAnyScriptAreCreatedAndReadUnderTheirOwnName) {
    const char *const names[] = {
        "plain.las",          "Δάσος_Forêt.las",  "森林测量.las",
        "Лесной_участок.las", "mixed Ω 空 Ж.txt",
    };
    for (const char *name : names) {
        TempDir dir;
        const std::string full = utf8(dir.path()) + "/" + name;
        std::FILE *f = tamarak::open_file(full.c_str(), "wb");
        ASSERT_NE(f, nullptr) << name;
        EXPECT_GE(std::fputs(name, f), 0);
        std::fclose(f);
        // The folder holds exactly that name, not a lossy stand-in.
        EXPECT_EQ(dir.entries().size(), 1u) << name;
        EXPECT_TRUE(fs::exists(dir.path() / from_utf8(name))) << name;

        std::FILE *in = tamarak::open_file(full.c_str(), "rb");
        ASSERT_NE(in, nullptr) << name;
        char back[64] = {};
        EXPECT_EQ(std::fread(back, 1, sizeof back - 1, in),
                  std::string(name).size());
        EXPECT_STREQ(back, name);
        std::fclose(in);
    }
}

TEST(OpenFile, MissingFileIsNotOpened) {
    TempDir dir;
    const std::string name = utf8(dir.path()) + "/Δάσος_missing.las";
    EXPECT_EQ(tamarak::open_file(name.c_str(), "rb"), nullptr);
}

// A temporary file is created only where no file has its name, and renamed
// over its final name in one step, whatever that held; names in any script.
TEST(ReplaceFile, CreatesOnlyNewFilesAndReplacesWhole) {
    struct Case {
        const char *what;
        bool final_exists;
        bool temporary_exists;  // before create_new_file
        int created_error;      // errno of create_new_file, 0 if it opens
        int replaced_error;     // what replace_file gives
        const char *final_text; // afterwards
    };
    const Case cases[] = {
        {"new final name", false, false, 0, 0, "new"},
        {"final name taken", true, false, 0, 0, "new"},
        {"temporary name taken", true, true, EEXIST, 0, "taken"},
    };
    for (const Case &c : cases) {
        TempDir dir;
        const std::string final_name = utf8(dir.path()) + "/Δάσος.asc";
        const std::string temporary = utf8(dir.path()) + "/.Δάσος.asc.ptx-1";
        const auto put = [](const std::string &name, const char *text) {
            std::FILE *f = tamarak::open_file(name.c_str(), "wb");
            ASSERT_NE(f, nullptr);
            std::fputs(text, f);
            std::fclose(f);
        };
        if (c.final_exists)
            put(final_name, "old");
        if (c.temporary_exists)
            put(temporary, "taken");
        errno = 0;
        std::FILE *f = tamarak::create_new_file(temporary.c_str());
        EXPECT_EQ(f == nullptr ? errno : 0, c.created_error) << c.what;
        if (f) {
            std::fputs("new", f);
            std::fclose(f);
        }
        EXPECT_EQ(tamarak::replace_file(temporary.c_str(), final_name.c_str()),
                  c.replaced_error)
            << c.what;
        std::FILE *in = tamarak::open_file(final_name.c_str(), "rb");
        ASSERT_NE(in, nullptr) << c.what;
        char back[16] = {};
        std::fread(back, 1, sizeof back - 1, in);
        std::fclose(in);
        EXPECT_STREQ(back, c.final_text) << c.what;
        EXPECT_EQ(dir.entries().size(), 1u) << c.what;
    }
    TempDir dir;
    const std::string missing = utf8(dir.path()) + "/missing";
    EXPECT_EQ(tamarak::replace_file(missing.c_str(), (missing + "2").c_str()),
              ENOENT);
}

// Offsets that a 32-bit signed or unsigned seek cannot reach, in a sparse
// file: a marker byte written there must be read back from there.
TEST(SeekTo, ReachesOffsetsBeyondTwoAndFourGiB) {
    const uint64_t offsets[] = {227, (uint64_t{1} << 31) + 5,
                                (uint64_t{1} << 32) + 17};
    TempDir dir;
    const std::string name = utf8(dir.path()) + "/sparse.bin";
    std::FILE *f = tamarak::open_file(name.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    for (const uint64_t at : offsets) {
        ASSERT_EQ(tamarak::seek_to(f, at), 0) << at;
        std::fputc(static_cast<int>(at % 251), f);
    }
    ASSERT_EQ(std::fclose(f), 0);
    EXPECT_EQ(fs::file_size(from_utf8(name)), offsets[2] + 1);

    std::FILE *in = tamarak::open_file(name.c_str(), "rb");
    ASSERT_NE(in, nullptr);
    for (const uint64_t at : offsets) {
        ASSERT_EQ(tamarak::seek_to(in, at), 0) << at;
        EXPECT_EQ(std::fgetc(in), static_cast<int>(at % 251)) << at;
    }
    std::fclose(in);
}

TEST(FileIdentity, SameFileThroughAnyNameDifferentFilesApart) {
    TempDir dir;
    const std::string a = utf8(dir.path()) + "/Δάσος_a.las";
    const std::string b = utf8(dir.path()) + "/Лес_b.las";
    for (const std::string &name : {a, b}) {
        std::FILE *f = tamarak::open_file(name.c_str(), "wb");
        ASSERT_NE(f, nullptr);
        std::fclose(f);
    }
    fs::create_hard_link(from_utf8(a), dir.path() / from_utf8("森林_link.las"));
    const std::string link = utf8(dir.path()) + "/森林_link.las";
    const std::string dotted = utf8(dir.path()) + "/./Δάσος_a.las";

    struct Case {
        std::string first, second;
        bool same;
    };
    const Case cases[] = {
        {a, a, true},  {a, dotted, true}, {a, link, true},
        {a, b, false}, {b, link, false},
    };
    for (const Case &c : cases) {
        tamarak::FileIdentity x, y;
        ASSERT_TRUE(tamarak::identify_file(c.first.c_str(), x)) << c.first;
        ASSERT_TRUE(tamarak::identify_file(c.second.c_str(), y)) << c.second;
        EXPECT_EQ(x == y, c.same) << c.first << " / " << c.second;
    }
    tamarak::FileIdentity none;
    EXPECT_FALSE(tamarak::identify_file((a + ".missing").c_str(), none));
}

// update_header reads and rewrites in place through the same helpers: a
// file under a name outside any ANSI code page, whose points begin past
// 2 GiB, gets its point count and extents from its records.
TEST(HeaderUpdate, NameInAnyScriptAndPointsPastTwoGiB) {
    fixture::LasFixture f = fixture::fixture_for_type(5);
    f.points = {{100, -20, 7}, {-300, 40, 9}, {50, 60, -1}};
    f.auto_offset = false;
    f.auto_count = false;
    const uint64_t offset = (uint64_t{1} << 31) + 227;
    f.header.OffsetToData = static_cast<uint32_t>(offset);
    f.header.NumberOfPointReturns = 99;
    const fixture::Bytes image = f.bytes();

    TempDir dir;
    const std::string name = utf8(dir.path()) + "/Δάσος_森林.las";
    std::FILE *out = tamarak::open_file(name.c_str(), "wb");
    ASSERT_NE(out, nullptr);
    std::fwrite(image.data(), 1, 227, out);
    ASSERT_EQ(tamarak::seek_to(out, offset), 0);
    std::fwrite(image.data() + 227, 1, image.size() - 227, out);
    ASSERT_EQ(std::fclose(out), 0);

    testing::internal::CaptureStdout();
    const int16_t result = tamarak::try_update_header(name.c_str());
    const std::string printed = testing::internal::GetCapturedStdout();
    ASSERT_EQ(result, 0) << printed;

    unsigned char stored[tamarak::layout::kHeaderBytes];
    std::FILE *in = tamarak::open_file(name.c_str(), "rb");
    ASSERT_NE(in, nullptr);
    ASSERT_EQ(std::fread(stored, sizeof stored, 1, in), 1u);
    std::fclose(in);
    const LAS12Header h = tamarak::decode_header(stored);
    // Copies: gtest binds references, which packed fields cannot take.
    EXPECT_EQ(uint32_t{h.NumberOfPointReturns}, 3u);
    EXPECT_DOUBLE_EQ(double{h.MinX}, -3.0);
    EXPECT_DOUBLE_EQ(double{h.MaxY}, 0.6);
    EXPECT_EQ(fs::file_size(from_utf8(name)), offset + 3 * 20);
}
