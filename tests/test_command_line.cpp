// SPDX-License-Identifier: MIT
// Tests of the command's argument rules: the LAS-or-list test, the format
// number, the format against the record type and the reading of lists.
#include "command_line.h"
#include "list_text.h"
#include "run_command.h"
#include "run_validation.h"

#include <gtest/gtest.h>

#include <cstdio>

using namespace ptx;

using namespace fixture;

TEST(CheckFileExtensionOfCommand, ModeOrRefusal) {
    using tamarak::Extension;
    struct Case {
        const char *name;
        Extension mode;
        const char *refusal; // the message of a name that is neither
    };
    const Case cases[] = {
        {"a.las", Extension::matches, ""},
        {"x.LAS", Extension::differs, ""},
        {"flights.txt", Extension::differs, ""},
        {"abcd", Extension::too_short, "\nFile name (abcd) is too short\n"},
        {"a.la", Extension::too_short, "\nFile name (a.la) is too short\n"},
        {"plotfile", Extension::no_dot,
         "\nExtension of file plotfile should be preceeded by a dot (.)\n"},
        {"list.text", Extension::no_dot,
         "\nExtension of file list.text should be preceeded by a dot (.)\n"},
        {"ab.la", Extension::no_dot,
         "\nExtension of file ab.la should be preceeded by a dot (.)\n"},
    };
    for (const Case &c : cases) {
        const Extension mode = checkFileExtension(c.name, "las");
        EXPECT_EQ(mode, c.mode) << c.name;
        EXPECT_EQ(tamarak::extension_message(c.name, mode), c.refusal)
            << c.name;
    }
}

TEST(FormatNumber, IntegerAndFloatingReadingsMustAgree) {
    const std::pair<const char *, int> cases[] = {
        {"0", 0},
        {"7", 7},
        {"7.0", 7},
        {"7.", 7},
        {"19", 19},
        {"", 0},
        {"3-4", 3},
        {"-.", 0},
        {"-0", 0},
        {"0019", 19},
        {"5-", 5},
        {"7.5", -1},
        {"20", -1},
        {"-1", -1},
        {".5", -1},
        {"-0.5", -1},
        {"19.0000001", -1},
        {"0000000000000000000000000000000000000007", 7},
        {"4294967303", -1}, // 2^32 + 7: no wrap-around to 7
        {"99999999999999999999999999999999999999999", -1},
        {"-99999999999999999999999999999999999999999", -1},
    };
    for (const auto &[text, format] : cases)
        EXPECT_EQ(parseFormatNumber(text), format) << text;
}

TEST(FormatAgainstType, GpsAndColourRules) {
    for (int format = 0; format < 20; ++format) {
        for (int16_t type = 1; type <= 8; ++type) {
            const bool gps_format =
                format == 13 || format == 17 || format == 18;
            const bool rgb_format = format == 14 || format == 19;
            const bool has_gps =
                type == 2 || type == 4 || type == 6 || type == 8;
            const bool has_rgb = type == 7 || type == 8;
            EXPECT_EQ(formatNeedsMissingGpsTime(
                          format, tamarak::LasType::from_code(type)),
                      gps_format && !has_gps)
                << format << "/" << type;
            EXPECT_EQ(formatNeedsMissingColour(
                          format, tamarak::LasType::from_code(type)),
                      rgb_format && !has_rgb)
                << format << "/" << type;
        }
    }
}

TEST(ListTokens, AnyWhiteSpaceSeparatesAndZeroBytesEndNames) {
    struct Case {
        std::string text;
        std::vector<std::string> names;
    };
    const Case cases[] = {
        {"", {}},
        {" \t\r\n\v\f", {}},
        {"a.las b.las", {"a.las", "b.las"}},
        {"a.las\nb.las\n", {"a.las", "b.las"}},
        {"\r\n a.las\t\tb.las \r\nc.las", {"a.las", "b.las", "c.las"}},
        {"a.las\vb.las\fc.las", {"a.las", "b.las", "c.las"}},
        {std::string("ab\0cd.las x.las", 15), {"ab", "x.las"}},
        {std::string(300, 'n') + ".las", {std::string(300, 'n') + ".las"}},
        {"\xC3\xA9t\xC3\xA9.las", {"\xC3\xA9t\xC3\xA9.las"}},
    };
    for (const Case &c : cases) {
        std::FILE *f = std::tmpfile();
        std::fwrite(c.text.data(), 1, c.text.size(), f);
        std::rewind(f);
        EXPECT_EQ(readListTokens(f), c.names) << c.text;
        std::fclose(f);
    }
}
