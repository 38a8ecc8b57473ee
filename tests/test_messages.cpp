// SPDX-License-Identifier: MIT
// The message tables of the command and the library: each entry names as
// many arguments as its text takes, each is used by the code, and no other
// source prints a fixed text on standard output, so that the tables are the
// one place to review what standard output holds.
#include "build_info.h"
#include "command_messages.h"
#include "messages.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>
#include <sstream>

namespace {

namespace fs = std::filesystem;

std::size_t conversions(const char *text) {
    std::size_t n = 0;
    for (const char *c = text; *c; ++c)
        if (*c == '%' && *++c != '%')
            ++n;
    return n;
}

std::size_t names(const char *arguments) {
    const std::string a(arguments);
    return a.empty() ? 0 : 1 + std::count(a.begin(), a.end(), ',');
}

// The sources of the command and the library, but the tables, by path.
std::vector<std::pair<std::string, std::string>> sources() {
    std::vector<std::pair<std::string, std::string>> files;
    for (const char *folder : {"converter", "library"})
        for (const auto &e : fs::recursive_directory_iterator(
                 fs::path(build_info::source_dir) / folder)) {
            const std::string name = e.path().filename().string();
            if (!e.is_regular_file() || name == "messages.h" ||
                name == "command_messages.h")
                continue;
            std::ifstream in(e.path());
            std::ostringstream text;
            text << in.rdbuf();
            files.emplace_back(e.path().string(), text.str());
        }
    return files;
}

std::vector<const tamarak::Message *> allMessages() {
    std::vector<const tamarak::Message *> all(
        std::begin(tamarak::kLibraryMessages),
        std::end(tamarak::kLibraryMessages));
    all.insert(all.end(), std::begin(ptx::msg::kConverterMessages),
               std::end(ptx::msg::kConverterMessages));
    return all;
}

} // namespace

TEST(MessageTables, EachEntryNamesItsArgumentsAndIsUsed) {
    const auto files = sources();
    ASSERT_FALSE(files.empty()) << build_info::source_dir;
    for (const tamarak::Message *m : allMessages()) {
        EXPECT_EQ(conversions(m->text), names(m->arguments)) << m->name;
        const std::regex use(std::string(R"(\b)") + m->name + R"(\b)");
        const bool used = std::any_of(files.begin(), files.end(), [&](auto &f) {
            return std::regex_search(f.second, use);
        });
        EXPECT_TRUE(used) << m->name << " is used nowhere";
    }
}

TEST(MessageTables, NoOtherSourcePrintsAFixedText) {
    const std::regex literal(
        R"(\b(printf|puts)\s*\(\s*"|fputs\s*\(\s*"[^;]*,\s*stdout)");
    const std::regex comment(R"(^\s*//)");
    for (const auto &[path, text] : sources()) {
        std::istringstream lines(text);
        for (std::string line; std::getline(lines, line);)
            EXPECT_FALSE(!std::regex_search(line, comment) &&
                         std::regex_search(line, literal))
                << path << ": " << line;
    }
}
