// SPDX-License-Identifier: MIT
// run_command.cpp - child processes for the tests, with captured output.
#include "run_command.h"

#include <cerrno>
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

// In a cross build, a program of the build folder runs under the emulator
// that ctest uses, whichever host program (setpriv) starts it.
std::vector<std::string> with_emulator(const std::vector<std::string> &argv) {
    const std::string emulator = PTXPORT_TEST_EMULATOR;
    const std::string build = PTXPORT_BUILD_DIR "/";
    if (emulator.empty())
        return argv;
    std::vector<std::string> out;
    bool inserted = false;
    for (const std::string &a : argv) {
        if (!inserted && a.compare(0, build.size(), build) == 0) {
            for (size_t at = 0;;) {
                const size_t bar = emulator.find('|', at);
                out.push_back(emulator.substr(at, bar - at));
                if (bar == std::string::npos)
                    break;
                at = bar + 1;
            }
            inserted = true;
        }
        out.push_back(a);
    }
    return out;
}

} // namespace

CommandResult run_command(const std::vector<std::string> &argv,
                          const std::filesystem::path &cwd,
                          const std::vector<std::string> &env) {
    const std::vector<std::string> full = with_emulator(argv);
    Pipe out, err;
    std::fflush(nullptr);
    const pid_t pid = fork();
    if (pid < 0)
        throw std::runtime_error("fork failed");
    if (pid == 0) {
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

CommandResult run_ptxport(const std::vector<std::string> &args,
                          const std::filesystem::path &cwd,
                          const std::vector<std::string> &env) {
    std::vector<std::string> argv{PTXPORT_PATH};
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

} // namespace fixture
