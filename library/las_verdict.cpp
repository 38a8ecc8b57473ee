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
#include "messages.h"
#include "platform.h"

#include <cstring>

namespace tamarak {

namespace {

// A small number of a header as the messages show it: the character '0'
// plus the value.
int digit(unsigned value) {
    return static_cast<char>('0' + value);
}

LasVerdict failed(tamarak_status status, int error = 0) {
    LasVerdict v;
    v.status = status;
    v.error = error;
    return v;
}

} // namespace

LasVerdict examine_header(const unsigned char *h, std::size_t got) {
    using namespace layout;
    LasVerdict v;
    auto verdict = [&v](tamarak_status status) {
        v.status = status;
        return v;
    };
    if (got < sizeof kSignature ||
        std::memcmp(h + kSignatureAt, kSignature, sizeof kSignature) != 0)
        return verdict(TAMARAK_NOT_LAS);
    // Compressed LAS (LAZ) marks its point data format with the top bit,
    // whatever its version.
    v.compressed = got > kFormatAt && (h[kFormatAt] & 0x80) != 0;
    if (got <= kMajorAt)
        return verdict(TAMARAK_NOT_LAS);
    v.major = h[kMajorAt];
    if (v.major != 1)
        return verdict(TAMARAK_UNSUPPORTED_VERSION);
    if (got <= kMinorAt)
        return verdict(TAMARAK_NOT_LAS);
    v.minor = h[kMinorAt];
    if (v.minor > 2)
        return verdict(TAMARAK_UNSUPPORTED_VERSION);
    if (got <= kFormatAt)
        return verdict(TAMARAK_NOT_LAS);
    v.format = h[kFormatAt];
    if (v.format > 3)
        return verdict(TAMARAK_UNSUPPORTED_FORMAT);
    if (got < kRecordLengthAt + 2)
        return verdict(TAMARAK_NOT_LAS);
    v.length = load_u16(h + kRecordLengthAt);
    const LasType type = LasType::of(v.minor, v.format);
    if (type.valid() && type.record_size() != v.length)
        return verdict(TAMARAK_BAD_RECORD_LENGTH);
    if (got < kHeaderBytes)
        return verdict(TAMARAK_NOT_LAS);
    v.type = type;
    return verdict(type.valid() ? TAMARAK_OK : TAMARAK_UNSUPPORTED_FORMAT);
}

LasVerdict examine_las(const char *filename) {
    if (const Stream probe = Stream::open(filename, "r"); !probe)
        return failed(TAMARAK_NOT_FOUND, probe.error());
    if (match_extension(filename, "las") != Extension::matches)
        return failed(TAMARAK_BAD_NAME);
    Stream f = Stream::open(filename, "rb");
    if (!f)
        return failed(TAMARAK_OPEN_FAILED, f.error());
    unsigned char h[layout::kHeaderBytes];
    return examine_header(h, f.read(h, 1, sizeof h));
}

std::string las_message(const char *filename, const LasVerdict &v) {
    switch (v.status) {
    case TAMARAK_NOT_FOUND:
        return message_text(msg::kUnableToOpen.text, filename) +
               message_text(msg::kDoesNotExist.text, filename);
    case TAMARAK_BAD_NAME:
        return name_message(filename, "las");
    case TAMARAK_OPEN_FAILED:
        return message_text(msg::kCannotOpenBinary.text, filename);
    case TAMARAK_NOT_LAS:
        return message_text(msg::kNotLas.text, filename);
    case TAMARAK_UNSUPPORTED_VERSION:
        if (v.major != 1)
            return message_text(msg::kMajorVersion.text, digit(v.major));
        return message_text(msg::kMinorVersion.text, digit(v.major),
                            digit(v.minor));
    case TAMARAK_UNSUPPORTED_FORMAT:
        if (v.untyped())
            return {};
        return message_text(msg::kPointFormat.text, filename, digit(v.format));
    case TAMARAK_BAD_RECORD_LENGTH:
        return message_text(msg::kRecordLength.text, filename, digit(v.format),
                            unsigned{v.length});
    default:
        return {};
    }
}

std::string untyped_message(const char *filename, const LasVerdict &v) {
    return message_text(msg::kUntyped.text, digit(v.format), filename,
                        digit(v.major), digit(v.minor));
}

} // namespace tamarak
