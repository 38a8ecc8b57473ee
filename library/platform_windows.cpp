// SPDX-License-Identifier: MIT
// platform_windows.cpp - platform.h on Windows, where names and arguments
// are UTF-16 and the system's text is in its ANSI code page.
#include "platform.h"

#include <atomic>
#include <cerrno>
#include <climits>
#include <csignal>
#include <limits>
#include <thread>

#include <bit>

#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <windows.h>

namespace tamarak {

namespace {

// The UTF-16 form of a UTF-8 text; false if the text is not valid UTF-8.
bool utf8_to_wide(const char *utf8, std::wstring &wide) {
    const int n = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8, -1,
                                      nullptr, 0);
    if (n <= 0)
        return false;
    wide.assign(static_cast<std::size_t>(n), L'\0');
    if (MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8, -1,
                            wide.data(), n) != n)
        return false;
    wide.pop_back(); // the terminator that the count included
    return true;
}

std::string wide_to_utf8(const wchar_t *wide) {
    const int n =
        WideCharToMultiByte(CP_UTF8, 0, wide, -1, nullptr, 0, nullptr, nullptr);
    if (n <= 1)
        return {};
    std::string text(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide, -1, text.data(), n, nullptr, nullptr);
    text.pop_back(); // the terminator that the count included
    return text;
}

std::atomic<int> g_interruption{0};

// The status of a process that Ctrl-C ended (STATUS_CONTROL_C_EXIT).
constexpr UINT kControlCExit = 0xC000013A;

// Runs on a thread of its own that the system starts for the event.
BOOL WINAPI noteConsoleEvent(DWORD event) {
    const int signal = event == CTRL_C_EVENT       ? SIGINT
                       : event == CTRL_BREAK_EVENT ? SIGBREAK
                                                   : SIGTERM;
    int none = 0;
    g_interruption.compare_exchange_strong(none, signal);
    // After a close, log-off or shutdown the system ends the process as
    // soon as this returns: wait for the run to clean up and end it.
    if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT)
        Sleep(INFINITE);
    return TRUE;
}

// The errno value nearest to a system error code of a file operation.
int errnoFor(DWORD error) {
    switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
        return ENOENT;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
        return EACCES;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return ENOSPC;
    case ERROR_NOT_SAME_DEVICE:
        return EXDEV;
    default:
        return EIO;
    }
}

} // namespace

std::FILE *create_new_file(const char *utf8_name) {
    std::wstring name;
    if (!utf8_to_wide(utf8_name, name)) {
        errno = EINVAL;
        return nullptr;
    }
    const int fd =
        _wopen(name.c_str(), _O_CREAT | _O_EXCL | _O_WRONLY | _O_BINARY,
               _S_IREAD | _S_IWRITE);
    if (fd < 0)
        return nullptr;
    std::FILE *f = _fdopen(fd, "wb");
    if (!f)
        _close(fd);
    return f;
}

bool may_write(const char *utf8_name) {
    std::wstring name;
    return utf8_to_wide(utf8_name, name) && _waccess(name.c_str(), 2) == 0;
}

int replace_file(const char *from, const char *to) {
    std::wstring wide_from, wide_to;
    if (!utf8_to_wide(from, wide_from) || !utf8_to_wide(to, wide_to))
        return EINVAL;
    if (MoveFileExW(wide_from.c_str(), wide_to.c_str(),
                    MOVEFILE_REPLACE_EXISTING))
        return 0;
    return errnoFor(GetLastError());
}

void catch_interruptions() {
    SetConsoleCtrlHandler(noteConsoleEvent, TRUE);
}

int interruption() {
    return g_interruption.load();
}

void end_interrupted(int) {
    ExitProcess(kControlCExit);
}

std::FILE *open_file(const char *utf8_name, const char *mode) {
    std::wstring name, wide_mode;
    if (!utf8_to_wide(utf8_name, name) || !utf8_to_wide(mode, wide_mode))
        return nullptr;
    return _wfopen(name.c_str(), wide_mode.c_str());
}

int seek_to(std::FILE *f, uint64_t offset) {
    if (offset > static_cast<uint64_t>(std::numeric_limits<__int64>::max()))
        return -1;
    return _fseeki64(f, static_cast<__int64>(offset), SEEK_SET);
}

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

std::optional<std::string> code_page_to_utf8(std::string_view text) {
    if (text.empty() || text.size() > static_cast<std::size_t>(INT_MAX))
        return std::nullopt;
    const int size = static_cast<int>(text.size());
    const int n = MultiByteToWideChar(CP_ACP, 0, text.data(), size, nullptr, 0);
    if (n <= 0)
        return std::nullopt;
    std::wstring wide(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.data(), size, wide.data(), n);
    const int m = WideCharToMultiByte(CP_UTF8, 0, wide.data(), n, nullptr, 0,
                                      nullptr, nullptr);
    if (m <= 0)
        return std::nullopt;
    std::string utf8(static_cast<std::size_t>(m), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), n, utf8.data(), m, nullptr,
                        nullptr);
    return utf8;
}

unsigned affinity_cpu_count() {
    DWORD_PTR process = 0, system = 0;
    if (!GetProcessAffinityMask(GetCurrentProcess(), &process, &system))
        return std::thread::hardware_concurrency();
    return static_cast<unsigned>(std::popcount(process));
}

bool is_terminal(std::FILE *stream) {
    return _isatty(_fileno(stream)) != 0;
}

Utf8Arguments::Utf8Arguments(int argc, wchar_t **wide_argv) {
    SetConsoleOutputCP(CP_UTF8);
    for (int i = 0; i < argc; ++i)
        texts_.push_back(wide_to_utf8(wide_argv[i]));
    for (std::string &text : texts_)
        pointers_.push_back(text.data());
    pointers_.push_back(nullptr);
}

} // namespace tamarak
