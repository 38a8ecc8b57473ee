// SPDX-License-Identifier: MIT
// test_interposition.cpp - a program that defines a routine of the library's
// name and links the shared library leaves the library's own calls alone.
#include "build_info.h"
#include "las_fixture.h"
#include "run_command.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace fixture;

TEST(SharedLibrary, KeepsItsCallsFromTheProgramsOwnErrorMsg) {
    TempDir dir;
    const std::string missing = (dir / "missing.las").string();
    const CommandResult r = run_command({build_info::own_error_msg, missing});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "Unable to open file " + missing +
                         " in file_access()\n\nFile " + missing +
                         " does NOT exist\ncheck_las = -1\n");
    EXPECT_EQ(r.out.find("own error_msg"), std::string::npos)
        << "the program's error_msg took over the library's call";
}

} // namespace
