// SPDX-License-Identifier: MIT
// test_version.cpp - one version everywhere: the header's macros, the
// routine in the static and in the shared library, and the version the build
// gives the shared library and the CMake and pkg-config packages.
#include "TAMARAK_LiDAR.h"
#include "build_info.h"

#include <gtest/gtest.h>

#include <dlfcn.h>

#include <string>

namespace {

std::string from_macros() {
    return std::to_string(TAMARAK_LIDAR_VERSION_MAJOR) + "." +
           std::to_string(TAMARAK_LIDAR_VERSION_MINOR) + "." +
           std::to_string(TAMARAK_LIDAR_VERSION_PATCH);
}

std::string from_shared_library() {
    void *lib = dlopen(build_info::shared_library, RTLD_NOW | RTLD_LOCAL);
    if (lib == nullptr)
        return std::string("dlopen failed: ") + dlerror();
    using Version = const char *(*)();
    auto version =
        reinterpret_cast<Version>(dlsym(lib, "tamarak_lidar_version"));
    const std::string text =
        version ? version() : "no tamarak_lidar_version in the library";
    dlclose(lib);
    return text;
}

TEST(Version, EveryPlaceGivesTheSame) {
    const std::string want = from_macros();
    struct Place {
        const char *where;
        std::string text;
    };
    const Place places[] = {
        {"static library", tamarak_lidar_version()},
        {"shared library", from_shared_library()},
        {"build", build_info::version},
    };
    for (const Place &p : places)
        EXPECT_EQ(p.text, want) << p.where;
}

} // namespace
