// SPDX-License-Identifier: MIT
// run_validation.cpp - the validation phase of ptxport: nothing is written
// and no banner is shown until every check here has passed.
#include "run_validation.h"

#include "TAMARAK_LiDAR.h"
#include "command_line.h"
#include "diagnostics.h"
#include "file_identity.h"
#include "file_open.h"
#include "las_type.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <utility>

using tamarak::LasType;

namespace {

[[noreturn]] void fail() {
    std::exit(-1);
}

// White space as the C library's "%s" conversion sees it.
bool isListSpace(int c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' ||
           c == '\r';
}

void validateArgumentCount(int argc) {
    if (argc == 3)
        return;
    std::printf("\n\nMissing, or excessive number of, arguments\n\n");
    usage();
    fail();
}

RunPlan validateList(const char *list_name) {
    std::FILE *list = tamarak::open_file(list_name, "r");
    if (!list) {
        const int error = errno;
        std::printf("\nCannot open input ASCII file %s for reading\n",
                    list_name);
        noteSystemError(list_name, error);
        fail();
    }
    noteListLooksLikeLas(list_name);
    const std::vector<std::string> names = readListTokens(list);
    std::fclose(list);
    RunPlan plan;
    plan.list_mode = true;
    for (const std::string &name : names) {
        const LasType type = LasType::from_code(check_las(name.c_str()));
        if (!type.valid()) {
            noteRejectedLas(name);
            std::printf("%s (listed in %s) is not a valid LAS file\n",
                        name.c_str(), list_name);
            fail();
        }
        if (!plan.type.valid())
            plan.type = type;
        else if (type != plan.type) {
            std::printf("\nType of file %s differs from that of previous "
                        "files in %s\n",
                        name.c_str(), list_name);
            fail();
        }
        plan.files.push_back(namesFor(name));
    }
    if (plan.files.empty()) {
        std::printf("\nFile %s contains no valid .las files\n", list_name);
        fail();
    }
    return plan;
}

RunPlan validateSingleFile(const char *las_name) {
    const int16_t code = check_las(las_name);
    if (code == 0)
        tamarak::report_untyped_las(las_name);
    if (code < 1) {
        noteRejectedLas(las_name);
        fail();
    }
    RunPlan plan;
    plan.type = LasType::from_code(code);
    plan.files.push_back(namesFor(las_name));
    return plan;
}

int validateFormat(const char *text, const char *first_argument, LasType type) {
    check_numeric_argument(text);
    const int format = parseFormatNumber(text);
    if (format < 0) {
        std::printf("\nError in Format specified\n\n");
        usage();
        fail();
    }
    if (formatNeedsMissingGpsTime(format, type)) {
        std::printf("\n%s does not contain GPS Time data\n", first_argument);
        fail();
    }
    if (formatNeedsMissingColour(format, type)) {
        std::printf("\n%s does not contain RGB data\n", first_argument);
        fail();
    }
    return format;
}

using tamarak::FileIdentity;

bool identityOf(const std::string &name, FileIdentity &id) {
    return tamarak::identify_file(name.c_str(), id);
}

// Refuses a run that would write over one of its own inputs: through a
// list named like an output, a link, or another name for the same file.
void validateOutputsSpareInputs(const RunPlan &plan) {
    std::map<FileIdentity, const std::string *> inputs;
    FileIdentity id;
    if (plan.list_mode && identityOf(plan.first_argument, id))
        inputs.emplace(id, &plan.first_argument);
    for (const LasFileNames &file : plan.files)
        if (identityOf(file.las, id))
            inputs.emplace(id, &file.las);
    for (const LasFileNames &file : plan.files) {
        for (const std::string *output : {&file.header, &file.points}) {
            if (!identityOf(*output, id))
                continue;
            const auto hit = inputs.find(id);
            if (hit == inputs.end())
                continue;
            std::printf("\nOutput file %s would overwrite input file %s\n",
                        output->c_str(), hit->second->c_str());
            fail();
        }
    }
}

// Refuses a run in which two different outputs share one name, such as the
// header description of X.las and the point file of X_hdr.las: the second
// would silently replace the first.  A LAS file named twice writes the same
// two files twice, which loses nothing.
void validateOutputsAreDistinct(const RunPlan &plan) {
    struct Writer {
        FileIdentity las;
        bool header; // header description, else point file
        const std::string *name;
    };
    std::map<std::filesystem::path, Writer> writers;
    for (const LasFileNames &file : plan.files) {
        FileIdentity las{};
        identityOf(file.las, las);
        for (const bool header : {true, false}) {
            const std::string &output = header ? file.header : file.points;
            std::error_code ec;
            std::filesystem::path key = std::filesystem::weakly_canonical(
                tamarak::utf8_path(output), ec);
            if (ec) // no exception may leave validation: compare the names
                key = tamarak::utf8_path(output).lexically_normal();
            const auto [at, added] =
                writers.emplace(key, Writer{las, header, &file.las});
            if (added || (at->second.las == las && at->second.header == header))
                continue;
            std::printf("\nOutput file %s would be written for both %s and "
                        "%s\n",
                        output.c_str(), at->second.name->c_str(),
                        file.las.c_str());
            fail();
        }
    }
}

} // namespace

std::vector<std::string> readListTokens(std::FILE *list) {
    std::vector<std::string> names;
    std::string token;
    bool in_token = false;
    for (int c = std::getc(list);; c = std::getc(list)) {
        if (c == EOF || isListSpace(c)) {
            if (in_token)
                names.push_back(token.substr(0, token.find('\0')));
            token.clear();
            in_token = false;
            if (c == EOF)
                break;
            continue;
        }
        token.push_back(static_cast<char>(c));
        in_token = true;
    }
    return names;
}

RunPlan validateRun(int argc, char **argv) {
    validateArgumentCount(argc);
    const bool list_mode = checkFileExtension(argv[1], "las") != 0;
    RunPlan plan =
        list_mode ? validateList(argv[1]) : validateSingleFile(argv[1]);
    plan.first_argument = argv[1];
    plan.format = validateFormat(argv[2], argv[1], plan.type);
    validateOutputsSpareInputs(plan);
    validateOutputsAreDistinct(plan);
    return plan;
}
