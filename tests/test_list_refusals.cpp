// SPDX-License-Identifier: MIT
// Validation of a list goes on past the first refused file: standard output
// keeps the first refusal's message alone, standard error names every
// further refused file and, for a list of mixed record types, each type.
#include "diagnostics.h"
#include "las_fixture.h"
#include "run_command.h"
#include "run_validation.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>

using namespace ptx;

using namespace fixture;

namespace {

// Validates "ptxport LIST 0".
Validation validateList(const std::filesystem::path &list) {
    std::string program = "ptxport", name = list.string(), format = "0";
    char *argv[] = {program.data(), name.data(), format.data(), nullptr};
    return validateRun(3, argv);
}

void writeList(const std::filesystem::path &list,
               const std::vector<std::string> &names) {
    std::string text;
    for (const std::string &n : names)
        text += n + "\n";
    write_bytes(list, Bytes(text.begin(), text.end()));
}

std::size_t countOf(const std::string &text, const std::string &piece) {
    std::size_t n = 0;
    for (std::size_t at = text.find(piece); at != std::string::npos;
         at = text.find(piece, at + 1))
        ++n;
    return n;
}

// What the command prints for a refusal: standard output and error.
struct Refusal {
    std::string message, reasons;
};

std::optional<Refusal> refusalOf(const Validation &v) {
    const Failures *f = std::get_if<Failures>(&v);
    if (!f)
        return std::nullopt;
    return Refusal{failureMessage(f->list.front()), failureNotes(*f)};
}

} // namespace

TEST(ListRefusals, ThousandFilesThreeBadAllNamed) {
    TempDir dir;
    std::vector<std::string> names;
    for (int i = 0; i < 1000; ++i) {
        const std::string name =
            dir / std::string("t").append(std::to_string(i)).append(".las");
        names.push_back(name);
        if (i == 10)
            continue; // missing
        LasFixture f = fixture_for_type(6);
        f.points.resize(1);
        if (i == 500)
            f.minor = 3, f.header.VersionMinor = 3;
        if (i == 999)
            f.auto_length = false, f.header.PointDataRecordLength = 30;
        f.write(name);
    }
    writeList(dir / "tiles.txt", names);

    const Validation v = validateList(dir / "tiles.txt");
    const std::optional<Refusal> r = refusalOf(v);
    ASSERT_TRUE(r);
    EXPECT_EQ(r->message, "Unable to open file " + names[10] +
                              " in file_access()\n\nFile " + names[10] +
                              " does NOT exist\n" + names[10] + " (listed in " +
                              (dir / "tiles.txt").string() +
                              ") is not a valid LAS file\n");
    EXPECT_EQ(countOf(r->reasons, "also refused"), 2u) << r->reasons;
    EXPECT_NE(r->reasons.find("ptxport: " + names[500] +
                              ": also refused: Cannot handle las files of "
                              "version 1.3\n"),
              std::string::npos)
        << r->reasons;
    EXPECT_NE(r->reasons.find("ptxport: " + names[999] +
                              ": also refused: Data format of " + names[999] +
                              " (1) is incompatible with Length of Data "
                              "Record (30)\n"),
              std::string::npos)
        << r->reasons;
    EXPECT_EQ(r->reasons.find("files are"), std::string::npos);

    // The command itself: the same message, status -1 and nothing written.
    const auto before = dir.entries();
    const CommandResult run =
        run_ptxport({(dir / "tiles.txt").string(), "0"}, dir.path());
    EXPECT_EQ(run.status, kFailureStatus);
    EXPECT_EQ(run.out, r->message);
    EXPECT_EQ(countOf(run.err, "also refused"), 2u);
    EXPECT_EQ(dir.entries(), before);
}

TEST(ListRefusals, MixedTypesOneLinePerType) {
    TempDir dir;
    const int types[] = {6, 6, 8, 5, 8, 6};
    std::vector<std::string> names;
    for (std::size_t i = 0; i < std::size(types); ++i) {
        names.push_back(
            dir / std::string("m").append(std::to_string(i)).append(".las"));
        fixture_for_type(types[i]).write(names.back());
    }
    writeList(dir / "mixed.txt", names);
    const std::string list = (dir / "mixed.txt").string();

    const Validation v = validateList(dir / "mixed.txt");
    const std::optional<Refusal> r = refusalOf(v);
    ASSERT_TRUE(r);
    EXPECT_EQ(r->message, "\nType of file " + names[2] +
                              " differs from that of previous files in " +
                              list + "\n");
    const auto line = [&](const char *count, const char *type, int first) {
        std::string text = "ptxport: ";
        text.append(list).append(": ").append(count).append(" LAS 1.2 ");
        return text.append(type)
            .append(", the first ")
            .append(names[first])
            .append("\n");
    };
    EXPECT_EQ(r->reasons, line("3 files are", "point format 1", 0) +
                              line("2 files are", "point format 3", 2) +
                              line("1 file is", "point format 0", 3));
}
