// SPDX-License-Identifier: MIT
// Runs that are interrupted, killed, run twice at once or meet a full disk:
// no final name ever holds a part of a file, the files converted before
// stay whole, the exit status is the signal's, and the log names the file
// the run was on.  The fault injection library sends the signals at exact
// points of the run, so no case depends on timing.
#include "TAMARAK_LiDAR.h"
#include "build_info.h"
#include "las_fixture.h"
#include "run_command.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <map>

using namespace fixture;
namespace fs = std::filesystem;

namespace {

// Enough records for every worker thread to take blocks, and for a signal
// sent at the first tenth of them to find the run mid-file.
constexpr int kPoints = 40000;
constexpr int kType = 2;

const char *const kOutputs[] = {"a.asc", "a_hdr.asc", "b.asc", "b_hdr.asc"};

std::string previous(const std::string &name) {
    return "previous " + name + "\n";
}

// A folder with a.las and b.las, a list of both, and earlier outputs of
// them under every output name.
void listWithPreviousOutputs(const TempDir &dir) {
    tile(kType, kPoints).write(dir / "a.las");
    tile(kType, kPoints + 1).write(dir / "b.las");
    write_bytes(dir / "list.txt",
                {'a', '.', 'l', 'a', 's', '\n', 'b', '.', 'l', 'a', 's', '\n'});
    for (const char *name : kOutputs) {
        const std::string text = previous(name);
        write_bytes(dir / name, Bytes(text.begin(), text.end()));
    }
}

// The outputs of an uninterrupted run of the list with the format.
std::map<std::string, std::string> referenceOutputs(const char *format) {
    TempDir dir;
    listWithPreviousOutputs(dir);
    const CommandResult r = run_ptxport({"list.txt", format}, dir.path());
    EXPECT_EQ(r.status, 0) << r.out << r.err;
    std::map<std::string, std::string> files;
    for (const char *name : kOutputs)
        files[name] = read_text(dir / name);
    return files;
}

// What standard output shows once the run has opened `files` of the list.
std::string logAfter(int files) {
    std::string log = run_in_child([] { credits(); }).out;
    for (int i = 0; i < files; ++i) {
        const std::string las = i == 0 ? "a" : "b";
        log += "Input LAS File:     " + las +
               ".las\nOutput ASCII File:  " + las + ".asc\n" +
               std::to_string(i + 1) + " / 2\n\n";
    }
    return log;
}

// Whether a file holds exactly `expected`.  Compared as a whole, not with
// EXPECT_EQ, whose line-by-line difference of two point files would take
// more memory than the machine has.
testing::AssertionResult holds(const fs::path &file,
                               const std::string &expected) {
    const std::string text = read_text(file);
    if (text == expected)
        return testing::AssertionSuccess();
    return testing::AssertionFailure()
           << file.filename() << " holds " << text.size() << " bytes, not the "
           << expected.size() << " expected";
}

std::size_t temporaries(const TempDir &dir) {
    std::size_t n = 0;
    for (const std::string &name : dir.entries())
        n += name.find(".ptxport-") != std::string::npos;
    return n;
}

} // namespace

TEST(Interruptions, EveryFinalNameHoldsAWholeFileWhereverASignalComes) {
    struct Point {
        const char *what;
        const char *path;  // the fault injection's name
        int at;            // its open
        std::string bytes; // ":N" to signal once N bytes are read; "" at once
        const char *in_progress;
        int opened;                // files whose names the log shows
        int killed_opened;         // the same after SIGKILL, which ends at once
        bool a_converted;          // a's outputs are the new ones
        std::size_t killed_leaves; // temporaries that SIGKILL leaves
    };
    // Halfway through the records: several blocks are written by then.
    const std::string mid =
        ":" + std::to_string(tile(kType, kPoints).bytes().size() / 2);
    const Point points[] = {
        {"as the first file opens", "a.las", kConversionOpen, "", "a.las", 1, 0,
         false, 0},
        {"in the first file's points", "a.las", kConversionOpen, mid, "a.las",
         1, 1, false, 2},
        {"as the second file opens", "b.las", kConversionOpen, "", "b.las", 2,
         1, true, 0},
        {"as the second point file is created", ".b.asc.ptxport-*", 1, "",
         "b.las", 2, 2, true, 1},
        {"in the second file's points", "b.las", kConversionOpen, mid, "b.las",
         2, 2, true, 2},
    };
    const std::map<std::string, std::string> converted = referenceOutputs("0");
    for (const int signal : {SIGINT, SIGTERM, SIGHUP, SIGKILL})
        for (const Point &p : points) {
            const std::string what =
                std::string(p.what) + ", signal " + std::to_string(signal);
            TempDir dir;
            listWithPreviousOutputs(dir);
            const CommandResult r = run_ptxport(
                {"list.txt", "0"}, dir.path(),
                fault_env(p.path, p.at,
                          "signal:" + std::to_string(signal) + p.bytes));
            EXPECT_EQ(r.status, -1) << what << r.out << r.err;
            EXPECT_EQ(r.signal, signal) << what;
            EXPECT_EQ(r.out,
                      logAfter(signal == SIGKILL ? p.killed_opened : p.opened))
                << what;
            EXPECT_EQ(r.err, signal == SIGKILL
                                 ? ""
                                 : std::string("ptxport: interrupted: ") +
                                       p.in_progress +
                                       " was not converted; its previous "
                                       "outputs are unchanged\n")
                << what;
            for (const char *name : kOutputs) {
                const bool is_new = p.a_converted && name[0] == 'a';
                EXPECT_TRUE(holds(dir / name,
                                  is_new ? converted.at(name) : previous(name)))
                    << what << ": " << name;
            }
            EXPECT_EQ(temporaries(dir), signal == SIGKILL ? p.killed_leaves : 0)
                << what;
        }
}

// Two runs of one list at once: the first is held halfway through its
// first file while the second runs from start to end with another format.
// Each final name then holds one run's whole file: the first run's, whose
// files are placed last.
TEST(Interruptions, TwoRunsOfOneListAtOnce) {
    const std::map<std::string, std::string> first = referenceOutputs("0");
    TempDir dir;
    listWithPreviousOutputs(dir);
    const std::string mid =
        std::to_string(tile(kType, kPoints).bytes().size() / 2);
    const CommandResult r =
        run_ptxport({"list.txt", "0"}, dir.path(),
                    fault_env("a.las", kConversionOpen,
                              "run:" + mid + ":" + build_info::ptxport +
                                  " list.txt 15 >/dev/null"));
    EXPECT_EQ(r.status, 0) << r.out << r.err;
    for (const char *name : kOutputs)
        EXPECT_TRUE(holds(dir / name, first.at(name)));
    EXPECT_EQ(temporaries(dir), 0u);
}

// A disk that fills while an output is written: the run fails as it always
// has, with what was written so far under the final names and the header
// description complete, and no temporary left.
TEST(Interruptions, FullDiskLeavesTheWrittenPartUnderTheFinalName) {
    struct Case {
        const char *temporary; // of the output that fills the disk
        const char *failed;
        std::size_t room;
    };
    const Case cases[] = {
        {".a.asc.ptxport-*", "a.asc", 300000},
        {".a_hdr.asc.ptxport-*", "a_hdr.asc", 100},
    };
    const std::map<std::string, std::string> converted = referenceOutputs("0");
    for (const Case &c : cases) {
        TempDir dir;
        listWithPreviousOutputs(dir);
        const CommandResult r = run_ptxport(
            {"list.txt", "0"}, dir.path(),
            fault_env(c.temporary, 1, "full:" + std::to_string(c.room)));
        EXPECT_EQ(r.status, kFailureStatus) << c.failed;
        EXPECT_EQ(r.out,
                  logAfter(1) + "\nFailed to write file " + c.failed + "\n");
        EXPECT_EQ(r.err, std::string("ptxport: ") + c.failed +
                             ": No space left on device\n");
        EXPECT_TRUE(
            holds(dir / c.failed, converted.at(c.failed).substr(0, c.room)));
        const bool points_failed = std::string(c.failed) == "a.asc";
        EXPECT_TRUE(holds(dir / "a_hdr.asc",
                          points_failed
                              ? converted.at("a_hdr.asc")
                              : converted.at("a_hdr.asc").substr(0, c.room)));
        if (!points_failed) {
            EXPECT_TRUE(holds(dir / "a.asc", previous("a.asc")));
        }
        EXPECT_TRUE(holds(dir / "b.asc", previous("b.asc")));
        EXPECT_EQ(temporaries(dir), 0u);
    }
}

// Where the outputs are kept matters to the setups that use them: a link
// stays a link and its target gets the new file; a folder where no file
// may be created still has its outputs rewritten in place; an output that
// may not be written still fails to open.
TEST(Interruptions, LinksAndFoldersWhereNoFileMayBeCreated) {
    TempDir dir;
    fs::permissions(dir.path(), fs::perms::all);
    const LasFixture las = tile(kType, 50);
    fs::create_directories(dir / "store");
    fs::create_directories(dir / "shut");
    fs::create_directories(dir / "linked");
    for (const char *folder : {"shut", "linked"})
        las.write(dir / folder / "a.las");
    const std::string old = previous("a.asc");
    write_bytes(dir / "store" / "a.asc", Bytes(old.begin(), old.end()));
    fs::create_symlink("../store/a.asc", dir / "linked" / "a.asc");
    for (const char *name : {"a.asc", "a_hdr.asc"})
        write_bytes(dir / "shut" / name, Bytes(old.begin(), old.end()));
    // Everybody may read, enter and rewrite; nobody may create in shut.
    const fs::perms rx = fs::perms::owner_read | fs::perms::owner_exec |
                         fs::perms::group_read | fs::perms::group_exec |
                         fs::perms::others_read | fs::perms::others_exec;
    for (const char *folder : {"store", "linked"})
        fs::permissions(dir / folder, fs::perms::all);
    for (const char *name : {"store/a.asc", "shut/a.asc", "shut/a_hdr.asc"})
        fs::permissions(dir / name, fs::perms::all & ~fs::perms::owner_exec &
                                        ~fs::perms::group_exec &
                                        ~fs::perms::others_exec);
    fs::permissions(dir / "shut", rx);
    std::string why_not;
    const auto linked = run_unprivileged(
        {build_info::ptxport, "linked/a.las", "0"}, dir.path(), why_not);
    const auto shut = run_unprivileged({build_info::ptxport, "shut/a.las", "0"},
                                       dir.path(), why_not);
    fs::permissions(dir / "shut/a.asc", fs::perms::owner_read |
                                            fs::perms::group_read |
                                            fs::perms::others_read);
    const std::string rewritten = read_text(dir / "shut" / "a.asc");
    const auto read_only = run_unprivileged(
        {build_info::ptxport, "shut/a.las", "0"}, dir.path(), why_not);
    fs::permissions(dir / "shut", fs::perms::owner_write,
                    fs::perm_options::add);
    if (!linked || !shut || !read_only)
        GTEST_SKIP() << why_not;

    EXPECT_EQ(linked->status, 0) << linked->out << linked->err;
    EXPECT_TRUE(fs::is_symlink(dir / "linked" / "a.asc"));
    const std::string fresh = read_text(dir / "store" / "a.asc");
    EXPECT_NE(fresh, old);
    EXPECT_EQ(fs::directory_iterator(dir / "store")->path().filename(),
              "a.asc");

    EXPECT_EQ(shut->status, 0) << shut->out << shut->err;
    EXPECT_EQ(rewritten, fresh);
    EXPECT_EQ(read_only->status, kFailureStatus);
    EXPECT_TRUE(read_only->out.ends_with(
        "\nFailed to open file shut/a.asc for writing\n"))
        << read_only->out;
    EXPECT_EQ(read_only->err, "ptxport: shut/a.asc: Permission denied\n");
    EXPECT_TRUE(holds(dir / "shut" / "a.asc", fresh));
}

// Asking for the version or the usage keeps the usage on standard output
// and the status; standard error adds the version.
TEST(Interruptions, VersionAndUsageOnStandardError) {
    const std::string usage = run_ptxport({}, {}).out;
    const std::string note = std::string("ptxport: version ") +
                             tamarak_lidar_version() +
                             "; usage: ptxport FILE.las|LIST FORMAT (0-19); "
                             "see man ptxport\n";
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{"--version"}, note}, {{"-V"}, note}, {{"--help"}, note},
        {{"-h"}, note},        {{"-v"}, ""},   {{"a.las"}, ""},
    };
    for (const auto &[args, err] : cases) {
        const CommandResult r = run_ptxport(args, {});
        EXPECT_EQ(r.status, kFailureStatus);
        EXPECT_EQ(r.out, usage);
        EXPECT_EQ(r.err, err) << (args.empty() ? "" : args[0]);
    }
}
