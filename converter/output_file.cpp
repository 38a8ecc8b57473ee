// SPDX-License-Identifier: MIT
// output_file.cpp - outputs under temporary names, placed whole.
#include "output_file.h"

#include "line_end.h"
#include "output_names.h"
#include "platform.h"

#include <cerrno>
#include <filesystem>
#include <optional>
#include <random>

namespace ptx {

namespace fs = std::filesystem;

namespace {

// Tries before a run gives up on temporary names that other runs hold.
constexpr int kNameTries = 64;

std::string uniqueChars() {
    static constexpr char kChars[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    static std::mt19937_64 random{std::random_device{}()};
    std::uniform_int_distribution<std::size_t> pick(0, sizeof kChars - 2);
    std::string text(kUniqueChars, ' ');
    for (char &c : text)
        c = kChars[pick(random)];
    return text;
}

// The file that the output `name` replaces: the name, or the file that a
// symbolic link of that name leads to, so that the link stays.  None where
// a rename could not replace it as writing it in place would: a dangling
// link, something that is no regular file (a folder, a device), a file
// that may not be written, or a name that cannot be examined.
std::optional<std::string> replaceableTarget(const std::string &name) {
    std::error_code ec;
    fs::path target = tamarak::utf8_path(name);
    const fs::file_status link = fs::symlink_status(target, ec);
    if (!fs::status_known(link))
        return std::nullopt;
    if (fs::is_symlink(link)) {
        target = fs::canonical(target, ec);
        if (ec)
            return std::nullopt;
    }
    const std::string utf8 = tamarak::utf8_name(target);
    const fs::file_status st = fs::status(target, ec);
    if (!fs::exists(st))
        return utf8;
    if (!fs::is_regular_file(st) || !tamarak::may_write(utf8.c_str()))
        return std::nullopt;
    return utf8;
}

} // namespace

tamarak::Stream openOutput(const std::string &name, OutputFile &out) {
    out = {name, {}};
    if (const std::optional<std::string> target = replaceableTarget(name)) {
        for (int i = 0; i < kNameTries; ++i) {
            std::string temporary = temporaryNameFor(*target, uniqueChars());
            tamarak::Stream s = tamarak::Stream::create_new(temporary.c_str());
            if (s) {
                // A replaced file's permissions stay its successor's.
                std::error_code ec;
                const fs::path before = tamarak::utf8_path(*target);
                if (fs::exists(before, ec))
                    fs::permissions(tamarak::utf8_path(temporary),
                                    fs::status(before, ec).permissions(), ec);
                out = {*target, std::move(temporary)};
                return s;
            }
            if (s.error() != EEXIST)
                break;
        }
    }
    return tamarak::Stream::open(name.c_str(), kOutputFileMode);
}

int placeOutput(OutputFile &out) {
    if (out.temporary.empty())
        return 0;
    const int error =
        tamarak::replace_file(out.temporary.c_str(), out.target.c_str());
    if (error != 0)
        discardOutput(out);
    out.temporary.clear();
    return error;
}

void discardOutput(OutputFile &out) {
    if (out.temporary.empty())
        return;
    std::error_code ec;
    fs::remove(tamarak::utf8_path(out.temporary), ec);
    out.temporary.clear();
}

} // namespace ptx
