// SPDX-License-Identifier: MIT
// las_verdict.cpp - what a file is as LAS, found without a word printed,
// and the messages that check_las prints for each verdict.
//
// The whole public header is read at once; each test then looks only at the
// bytes the read delivered, so no field is ever taken from bytes that the
// file does not hold.
#include "las_verdict.h"

#include "file_extension.h"
#include "file_handle.h"
#include "las_bytes.h"
#include "las_layout.h"
#include "platform.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace tamarak {

namespace {

// A small number of a header as the messages show it: the character '0'
// plus the value.
char digit(unsigned value) {
    return static_cast<char>('0' + value);
}

// A record length as "%d" prints it.  Not std::to_string: its inline
// digit table would be exported from the shared library as a unique
// symbol of the C++ runtime.
std::string decimal(unsigned value) {
    char text[16];
    std::snprintf(text, sizeof text, "%u", value);
    return text;
}

LasVerdict problem(LasProblem p, int error = 0) {
    LasVerdict v;
    v.problem = p;
    v.error = error;
    return v;
}

} // namespace

LasVerdict examine_header(const unsigned char *h, std::size_t got) {
    using namespace layout;
    LasVerdict v;
    auto verdict = [&v](LasProblem p) {
        v.problem = p;
        return v;
    };
    if (got < sizeof kSignature ||
        std::memcmp(h + kSignatureAt, kSignature, sizeof kSignature) != 0)
        return verdict(LasProblem::not_las);
    // Compressed LAS (LAZ) marks its point data format with the top bit,
    // whatever its version.
    v.compressed = got > kFormatAt && (h[kFormatAt] & 0x80) != 0;
    if (got <= kMajorAt)
        return verdict(LasProblem::not_las);
    v.major = h[kMajorAt];
    if (v.major != 1)
        return verdict(LasProblem::major_version);
    if (got <= kMinorAt)
        return verdict(LasProblem::not_las);
    v.minor = h[kMinorAt];
    if (v.minor > 2)
        return verdict(LasProblem::minor_version);
    if (got <= kFormatAt)
        return verdict(LasProblem::not_las);
    v.format = h[kFormatAt];
    if (v.format > 3)
        return verdict(LasProblem::point_format);
    if (got < kRecordLengthAt + 2)
        return verdict(LasProblem::not_las);
    v.length = load_u16(h + kRecordLengthAt);
    const LasType type = LasType::of(v.minor, v.format);
    if (type.valid() && type.record_size() != v.length)
        return verdict(LasProblem::record_length);
    if (got < kHeaderBytes)
        return verdict(LasProblem::not_las);
    v.type = type;
    return verdict(type.valid() ? LasProblem::none : LasProblem::untyped);
}

LasVerdict examine_las(const char *filename) {
    errno = 0;
    if (!File(open_file(filename, "r")))
        return problem(LasProblem::missing, errno);
    switch (match_extension(filename, "las")) {
    case Extension::matches:
        break;
    case Extension::differs:
        return problem(LasProblem::wrong_extension);
    case Extension::too_short:
        return problem(LasProblem::name_too_short);
    case Extension::no_dot:
        return problem(LasProblem::no_dot);
    }
    errno = 0;
    File f(open_file(filename, "rb"));
    if (!f)
        return problem(LasProblem::cannot_open, errno);
    unsigned char h[layout::kHeaderBytes];
    const std::size_t got = std::fread(h, 1, sizeof h, f.get());
    return examine_header(h, got);
}

std::string las_message(const char *filename, const LasVerdict &v) {
    const std::string name = filename;
    switch (v.problem) {
    case LasProblem::none:
    case LasProblem::untyped:
        return {};
    case LasProblem::missing:
        return "Unable to open file " + name + " in file_access()\n" +
               "\nFile " + name + " does NOT exist\n";
    case LasProblem::name_too_short:
        return extension_message(filename, Extension::too_short);
    case LasProblem::no_dot:
        return extension_message(filename, Extension::no_dot);
    case LasProblem::wrong_extension:
        return "\nFile extension of " + name + " is not .las\n";
    case LasProblem::cannot_open:
        return "\nCannot open binary file " + name + " for reading\n\n";
    case LasProblem::not_las:
        return "\n" + name + " is not a valid .las file\n\n";
    case LasProblem::major_version:
        return std::string("\nCannot handle las files of version ") +
               digit(v.major) + ".x\n";
    case LasProblem::minor_version:
        return std::string("\nCannot handle las files of version ") +
               digit(v.major) + '.' + digit(v.minor) + "\n";
    case LasProblem::point_format:
        return "\nPointDataFormatID in " + name + " is " + digit(v.format) +
               ". Only 0, 1, 2, or 3 is accepted\n";
    case LasProblem::record_length:
        return "\nData format of " + name + " (" + digit(v.format) +
               ") is incompatible with Length of Data Record (" +
               decimal(v.length) + ")\n";
    }
    return {};
}

std::string untyped_message(const char *filename, const LasVerdict &v) {
    return std::string("\nPoint data format ") + digit(v.format) + " of " +
           filename + " is not supported in LAS version " + digit(v.major) +
           '.' + digit(v.minor) + "\n";
}

} // namespace tamarak

namespace tamarak {

int16_t status_of(const LasVerdict &v) {
    switch (v.problem) {
    case LasProblem::none:
        return TAMARAK_OK;
    case LasProblem::missing:
        return TAMARAK_NOT_FOUND;
    case LasProblem::name_too_short:
    case LasProblem::no_dot:
    case LasProblem::wrong_extension:
        return TAMARAK_BAD_NAME;
    case LasProblem::cannot_open:
        return TAMARAK_OPEN_FAILED;
    case LasProblem::not_las:
        return TAMARAK_NOT_LAS;
    case LasProblem::major_version:
    case LasProblem::minor_version:
        return TAMARAK_UNSUPPORTED_VERSION;
    case LasProblem::point_format:
    case LasProblem::untyped:
        return TAMARAK_UNSUPPORTED_FORMAT;
    case LasProblem::record_length:
        return TAMARAK_BAD_RECORD_LENGTH;
    }
    return TAMARAK_NOT_LAS;
}

} // namespace tamarak

extern "C" const char *tamarak_status_text(int16_t status) {
    switch (status) {
    case TAMARAK_OK:
        return "done";
    case TAMARAK_NOT_FOUND:
        return "the file cannot be opened for reading";
    case TAMARAK_BAD_NAME:
        return "the file name does not end in .las";
    case TAMARAK_OPEN_FAILED:
        return "the file cannot be opened as needed";
    case TAMARAK_NOT_LAS:
        return "not a LAS file, or its header is cut short";
    case TAMARAK_UNSUPPORTED_VERSION:
        return "a LAS version other than 1.0, 1.1 or 1.2";
    case TAMARAK_UNSUPPORTED_FORMAT:
        return "a point data format its LAS version does not have";
    case TAMARAK_BAD_RECORD_LENGTH:
        return "a record length other than its point data format's";
    case TAMARAK_READ_FAILED:
        return "reading the file failed";
    case TAMARAK_WRITE_FAILED:
        return "writing the file failed";
    case TAMARAK_NO_MEMORY:
        return "not enough memory";
    case TAMARAK_CHANGED:
        return "the file changed while it was worked on";
    case TAMARAK_TOO_MANY_POINTS:
        return "more point records than a LAS header can count";
    default:
        return "unknown status";
    }
}
