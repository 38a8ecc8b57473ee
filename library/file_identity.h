/* SPDX-License-Identifier: MIT */
// file_identity.h - which file a name leads to, so that two names of one
// file (links, a relative and an absolute path, another case on a
// case-insensitive volume) can be recognised as the same file.
#ifndef TAMARAK_FILE_IDENTITY_H
#define TAMARAK_FILE_IDENTITY_H

#include <compare>
#include <cstdint>

namespace tamarak {

// Device and inode on POSIX; volume serial number and file index on
// Windows, where st_ino is always 0.
struct FileIdentity {
    uint64_t volume = 0;
    uint64_t index = 0;
    auto operator<=>(const FileIdentity &) const = default;
};

// The identity of the existing file or folder that a UTF-8 name leads to;
// false if there is none or it cannot be examined.
bool identify_file(const char *utf8_name, FileIdentity &id);

} // namespace tamarak

#endif
