/* SPDX-License-Identifier: MIT */
// run_command.h - runs the built command, or a piece of the library that may
// end the process, in a child process and captures what it prints.
#ifndef TESTS_RUN_COMMAND_H
#define TESTS_RUN_COMMAND_H

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace fixture {

struct CommandResult {
    int status = -1; // exit status 0 to 255, or -1 if killed by a signal
    int signal = 0;  // the signal that ended the child, if any
    std::string out; // everything written to standard output
    std::string err; // everything written to standard error
};

// Runs program with the arguments (argv[0] is the program) in directory cwd
// (the current one if empty), with "NAME=value" entries added to the
// environment.
CommandResult run_command(const std::vector<std::string> &argv,
                          const std::filesystem::path &cwd = {},
                          const std::vector<std::string> &env = {});

// Runs ptxport with the given arguments in directory cwd.
CommandResult run_ptxport(const std::vector<std::string> &args,
                          const std::filesystem::path &cwd,
                          const std::vector<std::string> &env = {});

// Runs argv, whose argv[0] is a program of the build folder, as a user
// without root's rights, so that file permissions apply to it: as it is when
// the tests do not run as root, else as nobody through setpriv, from a copy
// with the shared library beside it in a folder that every user may enter
// (the build folder may be out of nobody's reach, as a clone in /root is).
// Empty, with the reason in why_not, when that cannot be done.
std::optional<CommandResult>
run_unprivileged(const std::vector<std::string> &argv,
                 const std::filesystem::path &cwd, std::string &why_not);

// Calls fn in a forked child and captures its standard output; the status is
// that of exit() if fn ends the process, else 0.
CommandResult run_in_child(const std::function<void()> &fn);

// What run_in_child gives for a call that may return a result or end the
// process: the result is there only if the call returned.
struct CallResult : CommandResult {
    std::optional<int> result;
};
CallResult call_in_child(const std::function<int()> &fn);

// NAME=VALUE (or NAME:VALUE).
std::string setting(const char *name, const std::string &value,
                    char between = '=');

// The environment that makes the preloaded fault library act on path: at
// its at-th open, action (see fault_injection.cpp), on target if given.
std::vector<std::string> fault_env(const std::string &path, int at,
                                   const std::string &action,
                                   const std::string &target = "");

// Opens of a listed LAS file: file_access and check_las during validation,
// then the conversion's own.
inline constexpr int kConversionOpen = 3;

// The exit status that exit(-1) leaves.
inline constexpr int kFailureStatus = 255;

} // namespace fixture

#endif
