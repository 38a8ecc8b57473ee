// SPDX-License-Identifier: MIT
// The driver called in-process, as another program of the suite could call
// it: a complete run returns 0, a failure during conversion returns -1 with
// its message instead of ending the process.
#include "las_fixture.h"
#include "reference_writer.h"
#include "run_driver.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

using namespace ptx;

using namespace fixture;
namespace fs = std::filesystem;

namespace {

int runInProcess(std::vector<std::string> args, std::string &out) {
    std::vector<char *> argv;
    for (std::string &a : args)
        argv.push_back(a.data());
    testing::internal::CaptureStdout();
    const int status =
        runPtxport(static_cast<int>(argv.size()), argv.data(), RunOptions{});
    std::fflush(stdout);
    out = testing::internal::GetCapturedStdout();
    return status;
}

TEST(RunDriver, CompleteRunInProcess) {
    TempDir dir;
    const std::string las = (dir / "a.las").string();
    tile(8, 500).write(las);
    std::string out;
    EXPECT_EQ(runInProcess({"ptxport", las, "19"}, out), 0);
    EXPECT_NE(out.find("Output ASCII File:  " + (dir / "a.asc").string()),
              std::string::npos);
    const Bytes asc = read_bytes(dir / "a.asc");
    EXPECT_EQ(std::string(asc.begin(), asc.end()),
              referencePointFile(read_bytes(las), 19, 8));
    EXPECT_TRUE(fs::exists(dir / "a_hdr.asc"));
}

TEST(RunDriver, FailureDuringConversionIsReturned) {
    TempDir dir;
    const std::string las = (dir / "a.las").string();
    tile(6, 500).write(las);
    fs::create_directory(dir / "a.asc");
    std::string out;
    EXPECT_EQ(runInProcess({"ptxport", las, "0"}, out), -1);
    const std::string tail =
        "\nFailed to open file " + (dir / "a.asc").string() + " for writing\n";
    ASSERT_GE(out.size(), tail.size());
    EXPECT_EQ(out.substr(out.size() - tail.size()), tail);
}

} // namespace
