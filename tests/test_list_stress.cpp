// SPDX-License-Identifier: MIT
// A list of 200 small files of mixed sizes converted in one run: every
// output equals that of a run over the file alone.
#include "las_fixture.h"
#include "run_command.h"

#include <gtest/gtest.h>

#include <random>

using namespace fixture;

TEST(ListStress, TwoHundredFilesMatchSingleFileRuns) {
    TempDir dir;
    std::mt19937 rng(2026);
    std::string list;
    std::vector<std::string> names;
    for (int i = 0; i < 200; ++i) {
        LasFixture f = fixture_for_type(8);
        const int points = i % 10 == 0 ? 5000 : static_cast<int>(rng() % 300);
        for (int k = 0; k < points; ++k) {
            Point p;
            p.x = static_cast<int32_t>(rng());
            p.y = static_cast<int32_t>(rng() % 100000);
            p.z = static_cast<int32_t>(rng() % 5000);
            p.gps_time = rng() * 1e-4;
            p.red = static_cast<uint16_t>(rng());
            f.points.push_back(p);
        }
        f.after.assign(rng() % 34, 0x5A);
        std::string name = std::to_string(i);
        name.insert(0, 1, 't').append(".las");
        f.write(dir / name);
        names.push_back(name);
        list += name + (i % 3 ? " " : "\n");
    }
    write_bytes(dir / "tiles.txt", Bytes(list.begin(), list.end()));
    const CommandResult all = run_ptxport({"tiles.txt", "0"}, dir.path());
    ASSERT_EQ(all.status, 0) << all.out.substr(0, 2000);
    EXPECT_NE(all.out.find("200 / 200\n"), std::string::npos);

    TempDir alone;
    for (const std::string &name : names) {
        std::filesystem::copy_file(dir / name, alone / name);
        const CommandResult one = run_ptxport({name, "0"}, alone.path());
        ASSERT_EQ(one.status, 0) << name;
        const std::string stem = name.substr(0, name.size() - 4);
        EXPECT_EQ(read_bytes(dir / (stem + ".asc")),
                  read_bytes(alone / (stem + ".asc")))
            << name;
        EXPECT_EQ(read_bytes(dir / (stem + "_hdr.asc")),
                  read_bytes(alone / (stem + "_hdr.asc")))
            << name;
        std::filesystem::remove(alone / name);
    }
}
