// SPDX-License-Identifier: MIT
// run_command.cpp - child processes for the tests, with captured output.
#include "run_command.h"

#include "build_info.h"
#include "las_fixture.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <poll.h>
#include <stdexcept>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fixture {

namespace {

struct Pipe {
    int fd[2] = {-1, -1};
    Pipe() {
        if (pipe(fd) != 0)
            throw std::runtime_error("pipe failed");
    }
    ~Pipe() {
        for (int f : fd)
            if (f >= 0)
                close(f);
    }
    void close_end(int i) {
        close(fd[i]);
        fd[i] = -1;
    }
};

// Reads both pipes until the child has closed them, then reaps it.
CommandResult collect(pid_t pid, Pipe &out, Pipe &err) {
    CommandResult r;
    out.close_end(1);
    err.close_end(1);
    pollfd fds[2] = {{out.fd[0], POLLIN, 0}, {err.fd[0], POLLIN, 0}};
    std::string *sinks[2] = {&r.out, &r.err};
    int open_fds = 2;
    char buf[65536];
    while (open_fds > 0) {
        if (poll(fds, 2, -1) < 0) {
            if (errno == EINTR)
                continue;
            break;
        }
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || !(fds[i].revents & (POLLIN | POLLHUP)))
                continue;
            const ssize_t n = read(fds[i].fd, buf, sizeof buf);
            if (n > 0) {
                sinks[i]->append(buf, static_cast<std::size_t>(n));
            } else {
                fds[i].fd = -1;
                --open_fds;
            }
        }
    }
    int wstatus = 0;
    while (waitpid(pid, &wstatus, 0) < 0 && errno == EINTR) {
    }
    if (WIFEXITED(wstatus)) {
        r.status = WEXITSTATUS(wstatus);
    } else if (WIFSIGNALED(wstatus)) {
        r.status = -1;
        r.signal = WTERMSIG(wstatus);
    }
    return r;
}

// The words of the emulator that ctest runs the build's programs with in a
// cross build; none in a native one.
std::vector<std::string> emulator_words() {
    const std::string emulator = build_info::emulator;
    std::vector<std::string> words;
    for (size_t at = 0; !emulator.empty();) {
        const size_t bar = emulator.find('|', at);
        words.push_back(emulator.substr(at, bar - at));
        if (bar == std::string::npos)
            break;
        at = bar + 1;
    }
    return words;
}

// In a cross build, a program of the build folder runs under the emulator,
// whichever host program (setpriv) starts it.
std::vector<std::string> with_emulator(const std::vector<std::string> &argv) {
    const std::string build = std::string(build_info::build_dir) + "/";
    std::vector<std::string> out;
    bool inserted = false;
    for (const std::string &a : argv) {
        if (!inserted && a.compare(0, build.size(), build) == 0) {
            const std::vector<std::string> emulator = emulator_words();
            out.insert(out.end(), emulator.begin(), emulator.end());
            inserted = true;
        }
        out.push_back(a);
    }
    return out;
}

// Runs full exactly as given.
CommandResult spawn(const std::vector<std::string> &full,
                    const std::filesystem::path &cwd,
                    const std::vector<std::string> &env) {
    Pipe out, err;
    std::fflush(nullptr);
    const pid_t pid = fork();
    if (pid < 0)
        throw std::runtime_error("fork failed");
    if (pid == 0) {
        // As from a terminal: a run of the tests in a background job or
        // under nohup would otherwise pass on signals that it ignores.
        for (const int signal : {SIGINT, SIGTERM, SIGHUP})
            std::signal(signal, SIG_DFL);
        dup2(out.fd[1], STDOUT_FILENO);
        dup2(err.fd[1], STDERR_FILENO);
        if (!cwd.empty() && chdir(cwd.c_str()) != 0)
            _exit(127);
        std::vector<char *> args;
        for (const std::string &a : full)
            args.push_back(const_cast<char *>(a.c_str()));
        args.push_back(nullptr);
        for (const std::string &e : env)
            putenv(const_cast<char *>(e.c_str()));
        execv(args[0], args.data());
        _exit(127);
    }
    return collect(pid, out, err);
}

// Why a user other than the owner cannot reach entries of folder, or empty.
std::string out_of_reach(const std::filesystem::path &folder) {
    namespace fs = std::filesystem;
    for (fs::path p = folder;; p = p.parent_path()) {
        if ((fs::status(p).permissions() & fs::perms::others_exec) ==
            fs::perms::none) {
            std::string why = p.string();
            why += " may not be entered by other users";
            return why;
        }
        if (p == p.root_path())
            return {};
    }
}

} // namespace

CommandResult run_command(const std::vector<std::string> &argv,
                          const std::filesystem::path &cwd,
                          const std::vector<std::string> &env) {
    return spawn(with_emulator(argv), cwd, env);
}

std::optional<CommandResult>
run_unprivileged(const std::vector<std::string> &argv,
                 const std::filesystem::path &cwd, std::string &why_not) {
    namespace fs = std::filesystem;
    if (geteuid() != 0)
        return run_command(argv, cwd);
    const fs::path setpriv = "/usr/bin/setpriv";
    if (!fs::exists(setpriv)) {
        why_not = "root without setpriv cannot drop its rights";
        return std::nullopt;
    }
    TempDir copies;
    const fs::perms everyone_enters =
        fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
        fs::perms::others_read | fs::perms::others_exec;
    fs::permissions(copies.path(), everyone_enters);
    why_not = out_of_reach(copies.path());
    if (!why_not.empty())
        return std::nullopt;
    const fs::path program = copies / fs::path(argv[0]).filename().string();
    const fs::path library =
        copies /
        fs::path(build_info::shared_library_soname).filename().string();
    fs::copy_file(argv[0], program);
    fs::copy_file(build_info::shared_library_soname, library);
    for (const fs::path &p : {program, library})
        fs::permissions(p, everyone_enters);

    std::vector<std::string> full = {setpriv.string(), "--reuid=65534",
                                     "--regid=65534", "--clear-groups"};
    const std::vector<std::string> emulator = emulator_words();
    full.insert(full.end(), emulator.begin(), emulator.end());
    full.push_back(program.string());
    full.insert(full.end(), argv.begin() + 1, argv.end());
    std::string search = "LD_LIBRARY_PATH=";
    search += copies.path().string();
    return spawn(full, cwd, {search});
}

CommandResult run_ptxport(const std::vector<std::string> &args,
                          const std::filesystem::path &cwd,
                          const std::vector<std::string> &env) {
    std::vector<std::string> argv{build_info::ptxport};
    argv.insert(argv.end(), args.begin(), args.end());
    return run_command(argv, cwd, env);
}

CommandResult run_in_child(const std::function<void()> &fn) {
    Pipe out, err;
    std::fflush(nullptr);
    const pid_t pid = fork();
    if (pid < 0)
        throw std::runtime_error("fork failed");
    if (pid == 0) {
        // As from a terminal: a run of the tests in a background job or
        // under nohup would otherwise pass on signals that it ignores.
        for (const int signal : {SIGINT, SIGTERM, SIGHUP})
            std::signal(signal, SIG_DFL);
        dup2(out.fd[1], STDOUT_FILENO);
        dup2(err.fd[1], STDERR_FILENO);
        fn();
        std::fflush(nullptr);
        _exit(0);
    }
    return collect(pid, out, err);
}

// The child hands its result back through a page it shares with the parent,
// so the result never mixes with what the call prints.
CallResult call_in_child(const std::function<int()> &fn) {
    struct Returned {
        bool returned;
        int result;
    };
    void *page = mmap(nullptr, sizeof(Returned), PROT_READ | PROT_WRITE,
                      MAP_SHARED | MAP_ANONYMOUS, -1, 0);
    if (page == MAP_FAILED)
        throw std::runtime_error("mmap failed");
    auto *shared = new (page) Returned{false, 0};
    CallResult r;
    static_cast<CommandResult &>(r) = run_in_child([&] {
        shared->result = fn();
        shared->returned = true;
    });
    if (shared->returned)
        r.result = shared->result;
    munmap(page, sizeof(Returned));
    return r;
}

// Built by appending: GCC 12's -Wrestrict misreads "literal" +
// std::string&& on 32-bit targets.
std::string setting(const char *name, const std::string &value, char between) {
    std::string text = name;
    text += between;
    text += value;
    return text;
}

std::vector<std::string> fault_env(const std::string &path, int at,
                                   const std::string &action,
                                   const std::string &target) {
    std::vector<std::string> env = {
        setting("LD_PRELOAD", build_info::fault_injection),
        // The sanitizer runtime would otherwise insist on being first.
        "ASAN_OPTIONS=verify_asan_link_order=0",
        setting("PTX_FAULT_PATH", path),
        setting("PTX_FAULT_AT", std::to_string(at)),
        setting("PTX_FAULT_ACTION", action),
    };
    if (!target.empty())
        env.push_back(setting("PTX_FAULT_TARGET", target));
    return env;
}

} // namespace fixture
