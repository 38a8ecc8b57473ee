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
#include "format_catalogue.h"
#include "las_type.h"
#include "las_verdict.h"
#include "list_text.h"
#include "platform.h"

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <map>
#include <optional>
#include <utility>

namespace ptx {

using tamarak::LasProblem;
using tamarak::LasType;
using tamarak::LasVerdict;

namespace {

// The last line of a message that holds any text.
std::string lastLine(const std::string &message) {
    const std::size_t end = message.find_last_not_of('\n');
    if (end == std::string::npos)
        return {};
    const std::size_t begin = message.rfind('\n', end);
    return message.substr(begin == std::string::npos ? 0 : begin + 1,
                          end - (begin == std::string::npos ? 0 : begin + 1) +
                              1);
}

// The one-line reason for a refused file: the last line of the message
// check_las prints, or for an untyped file the reason it is untyped.
std::string reasonLine(const std::string &name, const LasVerdict &v) {
    if (v.problem == LasProblem::untyped)
        return lastLine(tamarak::untyped_message(name.c_str(), v));
    return lastLine(tamarak::las_message(name.c_str(), v));
}

// What standard error adds for a refused listed file: a name that is not
// found and does not read as text was most likely decoded from a list in
// an encoding without a mark.
std::string listedRejectionNote(const std::string &name, const LasVerdict &v) {
    if (v.problem == LasProblem::missing && looksMisencoded(name))
        return "ptxport: " + name +
               ": not found; the list may be in another encoding (save it as "
               "UTF-8, or as UTF-16 with a byte-order mark)\n";
    return rejectionNote(name, v);
}

// The files of one record type in a list.
struct TypeGroup {
    LasType type;
    std::size_t count = 0;
    std::string first;
};

void addToGroups(std::vector<TypeGroup> &groups, LasType type,
                 const std::string &name) {
    for (TypeGroup &g : groups)
        if (g.type == type) {
            ++g.count;
            return;
        }
    groups.push_back({type, 1, name});
}

// One line per record type, where a list holds more than one.
std::string typeLines(const std::string &list,
                      const std::vector<TypeGroup> &groups) {
    if (groups.size() < 2)
        return {};
    std::string lines;
    for (const TypeGroup &g : groups)
        lines += "ptxport: " + list + ": " + std::to_string(g.count) +
                 (g.count == 1 ? " file is" : " files are") + " LAS 1." +
                 std::to_string(g.type.version_minor()) + " point format " +
                 std::to_string(g.type.point_format()) + ", the first " +
                 g.first + "\n";
    return lines;
}

Validation validateList(const std::string &list_name) {
    errno = 0;
    tamarak::File list(tamarak::open_file(list_name.c_str(), "r"));
    if (!list)
        return Refusal{"\nCannot open input ASCII file " + list_name +
                           " for reading\n",
                       systemErrorLine(list_name, errno)};
    const std::string notes = listLooksLikeLasNote(list_name);
    const std::vector<std::string> names = readListTokens(list.get());
    list.reset();

    RunPlan plan;
    plan.list_mode = true;
    plan.notes = notes;
    std::optional<Refusal> refusal;
    std::string also_refused;
    std::vector<TypeGroup> groups;
    for (const std::string &name : names) {
        const LasVerdict v = tamarak::examine_las(name.c_str());
        if (v.problem != LasProblem::none) {
            if (refusal)
                also_refused += "ptxport: " + name +
                                ": also refused: " + reasonLine(name, v) + "\n";
            else
                refusal = Refusal{tamarak::las_message(name.c_str(), v) + name +
                                      " (listed in " + list_name +
                                      ") is not a valid LAS file\n",
                                  notes + listedRejectionNote(name, v)};
            continue;
        }
        addToGroups(groups, v.type, name);
        if (refusal)
            continue;
        if (plan.type.valid() && v.type != plan.type) {
            refusal = Refusal{"\nType of file " + name +
                                  " differs from that of previous files in " +
                                  list_name + "\n",
                              notes};
            continue;
        }
        plan.type = v.type;
        plan.files.push_back(namesFor(name));
    }
    if (refusal) {
        // The tokens of a LAS file read as a list are no names worth a line
        // each.
        if (notes.empty())
            refusal->reasons += also_refused + typeLines(list_name, groups);
        return *refusal;
    }
    if (plan.files.empty())
        return Refusal{
            "\nFile " + list_name + " contains no valid .las files\n", notes};
    return plan;
}

Validation validateSingleFile(const std::string &las_name) {
    const LasVerdict v = tamarak::examine_las(las_name.c_str());
    if (v.problem == LasProblem::untyped)
        return Refusal{tamarak::untyped_message(las_name.c_str(), v), {}};
    if (v.problem != LasProblem::none)
        return Refusal{tamarak::las_message(las_name.c_str(), v),
                       rejectionNote(las_name, v)};
    RunPlan plan;
    plan.type = v.type;
    plan.files.push_back(namesFor(las_name));
    return plan;
}

std::optional<Refusal> validateFormat(const char *text, RunPlan &plan) {
    if (!tamarak::numeric_argument_is_valid(text))
        return Refusal{tamarak::numeric_argument_message(text), {}};
    plan.format = parseFormatNumber(text);
    if (plan.format < 0)
        return Refusal{"\nError in Format specified\n\n" + ptx::usageText(),
                       {}};
    if (formatNeedsMissingGpsTime(plan.format, plan.type))
        return Refusal{"\n" + plan.first_argument +
                           " does not contain GPS Time data\n",
                       {}};
    if (formatNeedsMissingColour(plan.format, plan.type))
        return Refusal{
            "\n" + plan.first_argument + " does not contain RGB data\n", {}};
    return std::nullopt;
}

using tamarak::FileIdentity;

bool identityOf(const std::string &name, FileIdentity &id) {
    return tamarak::identify_file(name.c_str(), id);
}

// Refuses a run that would write over one of its own inputs: through a
// list named like an output, a link, or another name for the same file.
std::optional<Refusal> validateOutputsSpareInputs(const RunPlan &plan) {
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
            return Refusal{"\nOutput file " + *output +
                               " would overwrite input file " + *hit->second +
                               "\n",
                           {}};
        }
    }
    return std::nullopt;
}

// Refuses a run in which two different outputs share one name, such as the
// header description of X.las and the point file of X_hdr.las: the second
// would silently replace the first.  A LAS file named twice writes the same
// two files twice, which loses nothing.
std::optional<Refusal> validateOutputsAreDistinct(const RunPlan &plan) {
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
            return Refusal{"\nOutput file " + output +
                               " would be written for both " +
                               *at->second.name + " and " + file.las + "\n",
                           {}};
        }
    }
    return std::nullopt;
}

} // namespace

Validation validateRun(int argc, char **argv) {
    if (argc != 3)
        return Refusal{"\n\nMissing, or excessive number of, arguments\n\n" +
                           ptx::usageText(),
                       {}};
    const tamarak::Extension mode = checkFileExtension(argv[1], "las");
    if (mode != tamarak::Extension::matches &&
        mode != tamarak::Extension::differs)
        return Refusal{tamarak::extension_message(argv[1], mode), {}};
    Validation v = mode == tamarak::Extension::differs
                       ? validateList(argv[1])
                       : validateSingleFile(argv[1]);
    RunPlan *plan = std::get_if<RunPlan>(&v);
    if (!plan)
        return v;
    plan->first_argument = argv[1];
    if (std::optional<Refusal> r = validateFormat(argv[2], *plan))
        return *r;
    if (std::optional<Refusal> r = validateOutputsSpareInputs(*plan))
        return *r;
    if (std::optional<Refusal> r = validateOutputsAreDistinct(*plan))
        return *r;
    return v;
}

} // namespace ptx
