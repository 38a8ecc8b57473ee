// SPDX-License-Identifier: MIT
// Checks against LAS files written by other software, where the folder of
// such files sits beside the repository; skipped with a message elsewhere.
// Every accepted file is converted and compared with the printf reference
// (in every format for one small file of each record type); every refused file
// must be refused with its reason.
#include "build_info.h"
#include "las_fixture.h"
#include "las_type.h"
#include "reference_writer.h"
#include "run_command.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>

using namespace fixture;
namespace fs = std::filesystem;

namespace {

const fs::path kData = build_info::lasdata;

// Where the folder is absent or holds no LAS file, each test says so.
std::string skipReason() {
    return "no LAS files in " + kData.string() +
           " (the folder of files written by other software; `make test "
           "LASDATA=FOLDER` reads another): checks against such files "
           "skipped";
}

std::vector<fs::path> lasFiles() {
    std::vector<fs::path> files;
    if (fs::is_directory(kData))
        for (const auto &e : fs::directory_iterator(kData))
            if (e.path().extension() == ".las")
                files.push_back(e.path());
    std::sort(files.begin(), files.end());
    return files;
}

// LASType of an accepted header, 0 otherwise.
int typeOf(const Bytes &b) {
    if (b.size() < 227 || std::memcmp(b.data(), "LASF", 4) != 0 || b[24] != 1)
        return 0;
    const tamarak::LasType type = tamarak::LasType::of(b[25], b[104]);
    const unsigned length = b[105] | b[106] << 8;
    return length == type.record_size() ? type.code() : 0;
}

} // namespace

TEST(RealFiles, EveryFormatMatchesTheReference) {
    const std::vector<fs::path> files = lasFiles();
    if (files.empty())
        GTEST_SKIP() << skipReason();
    int accepted = 0;
    bool seen[9] = {};
    for (const fs::path &file : files) {
        const Bytes las = read_bytes(file);
        const int type = typeOf(las);
        if (type == 0)
            continue;
        ++accepted;
        TempDir dir;
        fs::copy_file(file, dir / "in.las");
        // Format 0 holds every value; the other formats run on the first
        // small file of each type.
        const bool all = las.size() <= 64 * 1024 && !seen[type];
        seen[type] = seen[type] || all;
        const int formats = all ? 20 : 1;
        for (int format = 0; format < formats; ++format) {
            const CommandResult r =
                run_ptxport({"in.las", std::to_string(format)}, dir.path());
            if (!referenceServes(format, type)) {
                EXPECT_EQ(r.status, kFailureStatus) << file << " " << format;
                continue;
            }
            ASSERT_EQ(r.status, 0) << file << " " << format << r.out;
            EXPECT_EQ(read_text(dir / "in.asc"),
                      referencePointFile(las, format, type))
                << file << " format " << format;
        }
        const std::string hdr = read_text(dir / "in_hdr.asc");
        EXPECT_EQ(std::count(hdr.begin(), hdr.end(), '\n'), 34) << file;
    }
    EXPECT_GE(accepted, 40);
}

TEST(RealFiles, RefusedFilesAreRefusedWithTheirReason) {
    struct Case {
        const char *file;
        std::string reason; // %s stands for the name
    };
    const Case cases[] = {
        {"laspy_vegetation_1_3.las",
         "\nCannot handle las files of version 1.3\n"},
        {"laspy_test1_4.las", "\nCannot handle las files of version 1.4\n"},
        {"lazrs_extra-bytes.las",
         "\nData format of %s (3) is incompatible with Length of Data Record "
         "(61)\n"},
        {"pdal_1.2-empty-geotiff-vlrs.las",
         "\nData format of %s (1) is incompatible with Length of Data Record "
         "(34)\n"},
        {"lazrs_point10_laz.las",
         "\nPointDataFormatID in %s is \xB0. Only 0, 1, 2, or 3 is accepted\n"},
        {"pdal_lone-star-invalid-tile_2-2-2-2_laz.las",
         "\nCannot handle las files of version \xAE.x\n"},
        {"lasio_sample_minimal.las", "\n%s is not a valid .las file\n\n"},
    };
    if (lasFiles().empty())
        GTEST_SKIP() << skipReason();
    for (const Case &c : cases) {
        if (!fs::exists(kData / c.file))
            continue;
        TempDir dir;
        fs::copy_file(kData / c.file, dir / c.file);
        const CommandResult r = run_ptxport({c.file, "0"}, dir.path());
        std::string reason = c.reason;
        if (const auto at = reason.find("%s"); at != std::string::npos)
            reason.replace(at, 2, c.file);
        EXPECT_EQ(r.status, kFailureStatus) << c.file;
        EXPECT_EQ(r.out, reason) << c.file;
        EXPECT_EQ(dir.entries(), std::vector<std::string>{c.file});
    }
}
