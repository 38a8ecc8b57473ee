// SPDX-License-Identifier: MIT
// failure.cpp - the standard-output message of each failure of a run.
#include "failure.h"

#include "argument_rules.h"
#include "command_messages.h"
#include "file_extension.h"
#include "format_catalogue.h"

#include <utility>

namespace ptx {

using tamarak::message_text;

Failure refused(FileStep step, std::vector<std::string> names,
                const tamarak::LasVerdict &verdict) {
    return {step, FileRole::las, std::move(names), verdict};
}

Failure failed(FileStep step, FileRole file, const tamarak::Stream &stream) {
    return failed(step, file, stream.error());
}

Failure failed(FileStep step, FileRole file, int error) {
    tamarak::LasVerdict v;
    switch (step) {
    case FileStep::openToRead:
    case FileStep::openToWrite:
        v.status = TAMARAK_OPEN_FAILED;
        break;
    case FileStep::read:
        v.status = TAMARAK_READ_FAILED;
        break;
    default:
        v.status = TAMARAK_WRITE_FAILED;
        break;
    }
    v.error = error;
    return {step, file, {}, v};
}

std::string failureMessage(const Failure &f) {
    const std::vector<std::string> &n = f.names;
    const auto one = [&n](const tamarak::Message &m) {
        return message_text(m.text, n[0].c_str());
    };
    switch (f.step) {
    case FileStep::none:
        return {};
    case FileStep::arguments:
        return message_text(msg::kArgumentCount.text, usageText().c_str());
    case FileStep::firstName:
        return tamarak::extension_message(
            n[0].c_str(), tamarak::match_extension(n[0].c_str(), "las"));
    case FileStep::openList:
        return one(msg::kCannotOpenList);
    case FileStep::lasFile:
        return f.verdict.untyped()
                   ? tamarak::untyped_message(n[0].c_str(), f.verdict)
                   : tamarak::las_message(n[0].c_str(), f.verdict);
    case FileStep::listedFile:
        // The library's message is joined, not formatted: it may hold a NUL
        // byte (a version digit), where standard output ends it.
        return tamarak::las_message(n[0].c_str(), f.verdict) +
               message_text(msg::kListedNotLas.text, n[0].c_str(),
                            n[1].c_str());
    case FileStep::listType:
        return message_text(msg::kTypeDiffers.text, n[0].c_str(), n[1].c_str());
    case FileStep::emptyList:
        return one(msg::kNoValidFiles);
    case FileStep::numericFormat:
        return tamarak::numeric_argument_message(n[0].c_str());
    case FileStep::unknownFormat:
        return message_text(msg::kFormatUnknown.text, usageText().c_str());
    case FileStep::noGpsTime:
        return one(msg::kNoGpsTime);
    case FileStep::noColour:
        return one(msg::kNoColour);
    case FileStep::overwrite:
        return message_text(msg::kWouldOverwrite.text, n[0].c_str(),
                            n[1].c_str());
    case FileStep::writtenTwice:
        return message_text(msg::kWrittenTwice.text, n[0].c_str(), n[1].c_str(),
                            n[2].c_str());
    case FileStep::noMemoryForHeader:
        return msg::kNoMemoryForHeader.text;
    case FileStep::noMemoryForRecords:
        return msg::kNoMemoryForRecords.text;
    case FileStep::openToRead:
        return one(msg::kCannotOpenToRead);
    case FileStep::openToWrite:
        return one(msg::kCannotOpenToWrite);
    case FileStep::read:
        return one(msg::kReadFailed);
    case FileStep::write:
    case FileStep::close:
        return one(msg::kWriteFailed);
    case FileStep::recheck:
        return one(msg::kChanged);
    case FileStep::interrupted:
        break; // told on standard error alone
    }
    return {};
}

} // namespace ptx
