// SPDX-License-Identifier: MIT
// run_validation.cpp - the validation phase of ptxport: nothing is written
// and no banner is shown until every check here has passed.  Each check
// gives back a refusal instead of printing; a list is read to its end even
// after a refused file, so that one run names every file that needs fixing.
#include "run_validation.h"

#include "argument_rules.h"
#include "command_line.h"
#include "diagnostics.h"
#include "file_handle.h"
#include "las_type.h"
#include "las_verdict.h"
#include "list_text.h"
#include "platform.h"

#include <filesystem>
#include <map>
#include <optional>
#include <utility>

namespace ptx {

using tamarak::LasType;
using tamarak::LasVerdict;

namespace {

Failures refusal(Failure f) {
    return Failures{{std::move(f)}, {}, {}};
}

void addToGroups(std::vector<TypeGroup> &groups, LasType type,
                 const std::string &name) {
    for (TypeGroup &g : groups)
        if (g.type == type) {
            ++g.count;
            return;
        }
    groups.push_back({type, 1, name});
}

Validation validateList(const std::string &list_name) {
    tamarak::Stream list = tamarak::Stream::open(list_name.c_str(), "r");
    if (!list) {
        Failure f = refused(FileStep::openList, {list_name});
        f.verdict.error = list.error();
        return refusal(std::move(f));
    }
    const std::string notes = listLooksLikeLasNote(list_name);
    const std::vector<std::string> names = readListTokens(list.get());
    list.close();

    RunPlan plan;
    plan.list_mode = true;
    plan.notes = notes;
    Failures failures{{}, notes, {}};
    std::vector<TypeGroup> groups;
    for (const std::string &name : names) {
        const LasVerdict v = tamarak::examine_las(name.c_str());
        if (!v.ok()) {
            failures.list.push_back(
                refused(FileStep::listedFile, {name, list_name}, v));
            continue;
        }
        addToGroups(groups, v.type, name);
        if (!failures.list.empty())
            continue;
        if (plan.type.valid() && v.type != plan.type) {
            failures.list.push_back(
                refused(FileStep::listType, {name, list_name}));
            continue;
        }
        plan.type = v.type;
        plan.files.push_back(namesFor(name));
    }
    if (!failures.list.empty()) {
        failures.types = typeLines(list_name, groups);
        return failures;
    }
    if (plan.files.empty())
        return Failures{{refused(FileStep::emptyList, {list_name})}, notes, {}};
    return plan;
}

Validation validateSingleFile(const std::string &las_name) {
    const LasVerdict v = tamarak::examine_las(las_name.c_str());
    if (!v.ok())
        return refusal(refused(FileStep::lasFile, {las_name}, v));
    RunPlan plan;
    plan.type = v.type;
    plan.files.push_back(namesFor(las_name));
    return plan;
}

std::optional<Failure> validateFormat(const char *text, RunPlan &plan) {
    if (!tamarak::numeric_argument_is_valid(text))
        return refused(FileStep::numericFormat, {text});
    plan.format = parseFormatNumber(text);
    if (plan.format < 0)
        return refused(FileStep::unknownFormat);
    if (formatNeedsMissingGpsTime(plan.format, plan.type))
        return refused(FileStep::noGpsTime, {plan.first_argument});
    if (formatNeedsMissingColour(plan.format, plan.type))
        return refused(FileStep::noColour, {plan.first_argument});
    return std::nullopt;
}

using tamarak::FileIdentity;

bool identityOf(const std::string &name, FileIdentity &id) {
    return tamarak::identify_file(name.c_str(), id);
}

// Refuses a run that would write over one of its own inputs: through a
// list named like an output, a link, or another name for the same file.
std::optional<Failure> validateOutputsSpareInputs(const RunPlan &plan) {
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
            return refused(FileStep::overwrite, {*output, *hit->second});
        }
    }
    return std::nullopt;
}

// The path that tells one output from another: the canonical one where the
// system gives it, else the absolute one made normal.  (Node on Windows
// gives the WebAssembly build no canonical paths: an empty one for a file
// that exists, a bare file name for one that does not.)
std::filesystem::path outputKey(const std::string &output) {
    const std::filesystem::path name = tamarak::utf8_path(output);
    std::error_code ec;
    const std::filesystem::path key =
        std::filesystem::weakly_canonical(name, ec);
    if (!ec && key.is_absolute())
        return key;
    const std::filesystem::path whole = std::filesystem::absolute(name, ec);
    // No exception may leave validation: compare the names.
    return (ec ? name : whole).lexically_normal();
}

// Refuses a run in which two different outputs share one name, such as the
// header description of X.las and the point file of X_hdr.las: the second
// would silently replace the first.  A LAS file named twice writes the same
// two files twice, which loses nothing.
std::optional<Failure> validateOutputsAreDistinct(const RunPlan &plan) {
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
            const auto [at, added] = writers.emplace(
                outputKey(output), Writer{las, header, &file.las});
            if (added || (at->second.las == las && at->second.header == header))
                continue;
            return refused(FileStep::writtenTwice,
                           {output, *at->second.name, file.las});
        }
    }
    return std::nullopt;
}

} // namespace

Validation validateRun(int argc, char **argv) {
    if (argc != 3) {
        Failures f = refusal(refused(FileStep::arguments));
        f.notes = versionNote(argc, argv);
        return f;
    }
    const tamarak::Extension mode = checkFileExtension(argv[1], "las");
    if (mode != tamarak::Extension::matches &&
        mode != tamarak::Extension::differs)
        return refusal(refused(FileStep::firstName, {argv[1]}));
    Validation v = mode == tamarak::Extension::differs
                       ? validateList(argv[1])
                       : validateSingleFile(argv[1]);
    RunPlan *plan = std::get_if<RunPlan>(&v);
    if (!plan)
        return v;
    plan->first_argument = argv[1];
    std::optional<Failure> f = validateFormat(argv[2], *plan);
    if (!f)
        f = validateOutputsSpareInputs(*plan);
    if (!f)
        f = validateOutputsAreDistinct(*plan);
    if (f)
        return refusal(std::move(*f));
    return v;
}

} // namespace ptx
