// SPDX-License-Identifier: MIT
// test_argument_checks.cpp - the yes/no flag and DEM name checks: what they
// print on standard output, in order, and whether they return or end the
// process, and with which exit status.
#include "TAMARAK_LiDAR.h"
#include "build_info.h"
#include "run_command.h"

#include <gtest/gtest.h>

#include <dlfcn.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

namespace fs = std::filesystem;

using fixture::call_in_child;
using fixture::CallResult;

const std::string kFlagLine =
    "\nASCII Header Flag should be either Y (y) or N (n)\n";

TEST(CheckYN, AcceptsOnlyTheFourOneLetterAnswers) {
    struct Case {
        const char *text;
        int result;
    };
    const Case cases[] = {{"Y", 0},    {"N", 0},   {"y", 0},   {"n", 0},
                          {"Yes", -1}, {"no", -1}, {"", -1},   {"y ", -1},
                          {" n", -1},  {"YN", -1}, {"x", -1},  {"0", -1},
                          {"1", -1},   {"\n", -1}, {"N\n", -1}};
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string("text \"") + c.text + "\"");
        const CallResult o = call_in_child([&] { return check_YN(c.text); });
        ASSERT_TRUE(o.result.has_value()) << "the process must go on";
        EXPECT_EQ(o.result, c.result);
        EXPECT_EQ(o.out, c.result == 0 ? "" : kFlagLine);
    }
}

TEST(CheckYN, ReportsEveryCallOnItsOwn) {
    const CallResult o = call_in_child([] {
        return check_YN("maybe") * 100 + check_YN("y") * 10 + check_YN("");
    });
    ASSERT_TRUE(o.result.has_value());
    EXPECT_EQ(o.result, -101);
    EXPECT_EQ(o.out, kFlagLine + kFlagLine);
}

// The messages the DEM check prints, and the checks it calls print for it.
std::string not_ext(const std::string &name, const char *ext) {
    return "\nFile extension of " + name + " is not ." + ext + "\n";
}
std::string too_short(const std::string &name) {
    return "\nFile name (" + name + ") is too short\n";
}
std::string no_dot(const std::string &name) {
    return "\nExtension of file " + name +
           " should be preceeded by a dot (.)\n";
}
std::string unable_to_open(const std::string &name) {
    return "Unable to open file " + name + " in file_access()\n";
}
const std::string kExtensionLine = "\nDEM file extension should be either "
                                   "'.asc' (ASCII) or '.flt' (floating point "
                                   "binary)\n";
const std::string kHeaderLine = "\nFloating point binary DEM files also "
                                "require a ASCII header file ('.hdr')\n";

class CheckDEM : public testing::Test {
  protected:
    void SetUp() override {
        char pattern[] = "/tmp/check_dem_XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir_ = pattern;
    }
    void TearDown() override {
        std::error_code ignored;
        fs::remove_all(dir_, ignored);
    }
    // Creates a file, and any folders it lies in, under the test's folder.
    std::string make_file(const std::string &relative) {
        const fs::path path = dir_ / relative;
        fs::create_directories(path.parent_path());
        std::ofstream(path) << "ncols 1\n";
        return path.string();
    }
    std::string in_dir(const std::string &relative) {
        return (dir_ / relative).string();
    }
    fs::path dir_;
};

struct DemCase {
    std::string name;
    std::string out;
    bool returns;
};

void expect_dem_outcome(const DemCase &c) {
    SCOPED_TRACE("name \"" + c.name + "\"");
    const CallResult o = call_in_child([&] {
        check_DEM(c.name.c_str());
        return 0;
    });
    EXPECT_EQ(o.out, c.out);
    EXPECT_EQ(o.result.has_value(), c.returns);
    if (!c.returns) {
        EXPECT_EQ(o.status, fixture::kFailureStatus);
    }
}

TEST_F(CheckDEM, NamesAndWhatTheyPrint) {
    make_file("dem.hdr");
    const std::string asc = in_dir("dem.asc"), flt = in_dir("dem.flt");
    const std::string bare = in_dir("bare.flt");
    const std::string txt = in_dir("dem.txt"), upper = in_dir("dem.ASC");
    const std::string upper_flt = in_dir("dem.FLT");
    const DemCase cases[] = {
        {asc, not_ext(asc, "flt"), true},
        {"x.asc", not_ext("x.asc", "flt"), true},
        {flt, not_ext(flt, "asc"), true},
        {bare,
         not_ext(bare, "asc") + unable_to_open(in_dir("bare.hdr")) +
             kHeaderLine,
         false},
        {txt, not_ext(txt, "asc") + not_ext(txt, "flt") + kExtensionLine,
         false},
        {upper, not_ext(upper, "asc") + not_ext(upper, "flt") + kExtensionLine,
         false},
        {upper_flt,
         not_ext(upper_flt, "asc") + not_ext(upper_flt, "flt") + kExtensionLine,
         false},
        {".asc", too_short(".asc") + too_short(".asc") + kExtensionLine, false},
        {"a.b", too_short("a.b") + too_short("a.b") + kExtensionLine, false},
        {"", too_short("") + too_short("") + kExtensionLine, false},
        {"demflt", no_dot("demflt") + no_dot("demflt") + kExtensionLine, false},
        {"dem.ascx", no_dot("dem.ascx") + no_dot("dem.ascx") + kExtensionLine,
         false},
        {"ab.fl", no_dot("ab.fl") + no_dot("ab.fl") + kExtensionLine, false},
    };
    for (const DemCase &c : cases)
        expect_dem_outcome(c);
}

// The header file is looked for beside the grid, by the grid's whole name.
TEST_F(CheckDEM, HeaderIsLookedForUnderTheGridsName) {
    make_file("dem.hdr");
    const std::string other = in_dir("other.flt"), dotted = in_dir("dem..flt");
    const DemCase cases[] = {
        {other,
         not_ext(other, "asc") + unable_to_open(in_dir("other.hdr")) +
             kHeaderLine,
         false},
        {dotted,
         not_ext(dotted, "asc") + unable_to_open(in_dir("dem..hdr")) +
             kHeaderLine,
         false},
    };
    for (const DemCase &c : cases)
        expect_dem_outcome(c);
}

// Names far longer than any fixed buffer of a command line's size.
TEST_F(CheckDEM, LongBinaryNamesAreHandledWhole) {
    const std::string folder = std::string(120, 'f') + "/" +
                               std::string(120, 'g') + "/" +
                               std::string(120, 'h');
    const std::string present = in_dir(folder + "/dem.flt");
    const std::string absent =
        in_dir(folder + "/" + std::string(200, 'x') + ".flt");
    make_file(folder + "/dem.hdr");
    const std::string absent_header =
        absent.substr(0, absent.size() - 4) + ".hdr";
    ASSERT_GT(present.size(), 360u);
    const DemCase cases[] = {
        {present, not_ext(present, "asc"), true},
        {absent,
         not_ext(absent, "asc") + unable_to_open(absent_header) + kHeaderLine,
         false},
    };
    for (const DemCase &c : cases)
        expect_dem_outcome(c);
}

// Reached by name, as a tool that loads the library at run time reaches it
// (that every routine is exported is the Exports check of the build).
TEST(SharedLibrary, FlagCheckWhenReachedByName) {
    void *lib = dlopen(build_info::shared_library, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(lib, nullptr) << dlerror();
    using Flag = int16_t (*)(const char *);
    auto flag = reinterpret_cast<Flag>(dlsym(lib, "check_YN"));
    ASSERT_NE(flag, nullptr);
    const CallResult o =
        call_in_child([&] { return flag("n") * 10 + flag("?"); });
    EXPECT_EQ(o.result, -1);
    EXPECT_EQ(o.out, kFlagLine);
    dlclose(lib);
}

} // namespace
