/* SPDX-License-Identifier: MIT */
// platform.h - all that differs between the hosts the library and the
// command run on: file names in UTF-8, 64-bit seeks, file identity, the
// system's code page, the CPUs, terminals, line ends and the command line.
//
// Each host defines these in a source of its own, which library/CMakeLists.txt
// chooses (platform_posix.cpp, platform_windows.cpp), so callers need no
// conditional code.  The few facts needed at compile time are the only
// conditions here.
#ifndef TAMARAK_PLATFORM_H
#define TAMARAK_PLATFORM_H

#include <compare>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tamarak {

// std::fopen for a name in UTF-8.  On Windows the name is converted to
// UTF-16 and opened with _wfopen, so that any name the file system can hold
// works, whatever the ANSI code page; a name that is not valid UTF-8 is not
// opened (nullptr).
std::FILE *open_file(const char *utf8_name, const char *mode);

// Positions a stream at a byte offset from the start of the file, with a
// 64-bit offset everywhere; 0 on success, as fseek.
int seek_to(std::FILE *f, uint64_t offset);

// Creates a file of that UTF-8 name for writing in binary, only where no
// file of the name exists (errno EEXIST then), so that a name chosen by one
// run is never taken over by another.
std::FILE *create_new_file(const char *utf8_name);

// Gives the file `from` the name `to` in one step, replacing what `to`
// held: a reader of `to` sees the old file or the new, never a part.  0 on
// success, else an errno value for the reason (on Windows, the nearest one
// to the system's: a file another program holds open gives EACCES).
int replace_file(const char *from, const char *to);

// The interruptions a user or a batch system sends to end a run: SIGINT,
// SIGTERM and SIGHUP on POSIX, Ctrl-C, Ctrl-Break and the console's close
// on Windows.  Once catch_interruptions has been called, the first of them
// only sets what interruption() returns (the signal's number, 0 before
// any), and a blocked read or write returns early (EINTR), so that the
// caller can stop at its next step, clean up and call end_interrupted.
void catch_interruptions();
int interruption();

// Ends the process as the interruption would have without a handler: the
// default action of the signal, raised again (exit status 128 + n in a
// shell); on Windows, the status of a process ended by Ctrl-C.
[[noreturn]] void end_interrupted(int signal);

// A path from a UTF-8 name.  A path built from a plain string would take
// the ANSI code page on Windows and turn other characters into '?'.
inline std::filesystem::path utf8_path(const std::string &name) {
    return std::filesystem::path(std::u8string(name.begin(), name.end()));
}

// The UTF-8 name of a path, as utf8_path takes it.
inline std::string utf8_name(const std::filesystem::path &path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

// Whether this process may write the existing file of that UTF-8 name.
bool may_write(const char *utf8_name);

// Which file a name leads to, so that two names of one file (links, a
// relative and an absolute path, another case on a case-insensitive volume)
// can be recognised as the same file: device and inode on POSIX, volume
// serial number and file index on Windows, where st_ino is always 0.
struct FileIdentity {
    uint64_t volume = 0;
    uint64_t index = 0;
    auto operator<=>(const FileIdentity &) const = default;
};

// The identity of the existing file or folder that a UTF-8 name leads to;
// false if there is none or it cannot be examined.
bool identify_file(const char *utf8_name, FileIdentity &id);

// Text in the system's ANSI code page (what the system's own tools write on
// Windows), as UTF-8; nothing where no such code page stands for the system,
// or where the text does not convert.
std::optional<std::string> code_page_to_utf8(std::string_view text);

// The CPUs in the process's affinity mask, so that taskset, cgroups and
// batch allocations are honoured; where the mask cannot be read, what the
// system reports, which may be 0 (unknown).
unsigned affinity_cpu_count();

// Whether `stream` writes to a terminal (a console on Windows).
bool is_terminal(std::FILE *stream);

// The host's text line end.  A constant, so that the writers of many rows
// copy it without a loop.
#ifdef _WIN32
inline constexpr std::string_view kLineEnd = "\r\n";
#else
inline constexpr std::string_view kLineEnd = "\n";
#endif

#ifdef _WIN32
// Windows hands a program its arguments in UTF-16 (the ANSI vector loses
// every character outside the code page): these are they in UTF-8, as an
// argc/argv pair that lives as long as the object.  Also makes the console
// show UTF-8 output as such.
class Utf8Arguments {
  public:
    Utf8Arguments(int argc, wchar_t **wide_argv);
    int argc() const { return static_cast<int>(texts_.size()); }
    char **argv() { return pointers_.data(); }

  private:
    std::vector<std::string> texts_;
    std::vector<char *> pointers_; // into texts_, then a null pointer
};
#endif

} // namespace tamarak

#endif
