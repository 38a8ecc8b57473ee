// SPDX-License-Identifier: MIT
// file_identity.cpp - file identity from the volume and file index on
// Windows, from st_dev and st_ino elsewhere.
#include "file_identity.h"

#ifdef _WIN32
#include "file_open.h"

#include <windows.h>
#else
#include <sys/stat.h>
#endif

namespace tamarak {

#ifdef _WIN32

bool identify_file(const char *utf8_name, FileIdentity &id) {
    std::wstring name;
    if (*utf8_name == '\0' || !utf8_to_wide(utf8_name, name))
        return false;
    // No access rights are asked for, only the file's attributes, and every
    // sharing mode is allowed, so a file open elsewhere can be examined.
    // Backup semantics let a folder be opened as well.
    HANDLE h = CreateFileW(
        name.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
        nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    BY_HANDLE_FILE_INFORMATION info;
    const bool known = GetFileInformationByHandle(h, &info) != 0;
    CloseHandle(h);
    if (!known)
        return false;
    id.volume = info.dwVolumeSerialNumber;
    id.index =
        static_cast<uint64_t>(info.nFileIndexHigh) << 32 | info.nFileIndexLow;
    return true;
}

#else

bool identify_file(const char *utf8_name, FileIdentity &id) {
    struct stat st;
    if (stat(utf8_name, &st) != 0)
        return false;
    id.volume = static_cast<uint64_t>(st.st_dev);
    id.index = static_cast<uint64_t>(st.st_ino);
    return true;
}

#endif

} // namespace tamarak
