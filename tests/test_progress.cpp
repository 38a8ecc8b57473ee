// SPDX-License-Identifier: MIT
// Tests of the progress line: shown on a terminal at the pace asked and
// erased at the end, absent where standard error is no terminal.
#include "las_fixture.h"
#include "progress.h"
#include "reference_writer.h"
#include "run_command.h"
#include "run_driver.h"

#include <gtest/gtest.h>

#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

using namespace ptx;

using namespace fixture;
namespace fs = std::filesystem;

namespace {

std::string drain(int fd) {
    std::string text;
    char buf[65536];
    for (ssize_t n; (n = read(fd, buf, sizeof buf)) > 0;)
        text.append(buf, static_cast<std::size_t>(n));
    return text;
}

struct TerminalRun {
    int status = -1;
    std::string out;      // standard output, a pipe
    std::string terminal; // standard error, a pseudo-terminal
};

// Runs the command in a child whose standard error is a pseudo-terminal.
// The outputs are small enough for the pipe and the terminal's buffer.
TerminalRun runOnTerminal(const fs::path &dir, const RunOptions &options) {
    TerminalRun r;
    int master = -1, slave = -1, out[2];
    if (openpty(&master, &slave, nullptr, nullptr, nullptr) != 0 ||
        pipe(out) != 0)
        return r;
    std::fflush(nullptr);
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(out[1], 1);
        dup2(slave, 2);
        if (chdir(dir.c_str()) != 0)
            _exit(127);
        char *argv[] = {const_cast<char *>("ptxport"),
                        const_cast<char *>("big.las"), const_cast<char *>("15"),
                        nullptr};
        std::exit(runPtxport(3, argv, options));
    }
    close(out[1]);
    close(slave);
    r.out = drain(out[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    r.terminal = drain(master);
    close(out[0]);
    close(master);
    return r;
}

// The progress lines of big.las (4000 points) in what the terminal got,
// each begun with "\r"; -1 if anything else is there but the final erase.
int progressLines(const std::string &terminal) {
    int lines = 0;
    std::size_t at = 0;
    while (at < terminal.size()) {
        const std::size_t next = terminal.find('\r', at + 1);
        const std::string piece = terminal.substr(at, next - at);
        at = next == std::string::npos ? terminal.size() : next;
        if (piece == "\r\x1b[K" && at == terminal.size())
            break;
        const bool line = piece.starts_with("\rptxport: big.las  ") &&
                          piece.find("% ") != std::string::npos &&
                          piece.find(" / 4000 points  ") != std::string::npos &&
                          piece.ends_with(" points/s\x1b[K");
        if (!line)
            return -1;
        ++lines;
    }
    return lines;
}

// Whether this system gives a pseudo-terminal (a chroot without /dev/pts
// gives none).
bool canOpenPseudoTerminal() {
    int master = -1, slave = -1;
    if (openpty(&master, &slave, nullptr, nullptr, nullptr) != 0)
        return false;
    close(master);
    close(slave);
    return true;
}

} // namespace

// A line per block at most once an interval, none before the delay, and
// erased at the end; standard output as without a terminal.
TEST(Progress, ShownOnATerminalAndErased) {
    if (!canOpenPseudoTerminal())
        GTEST_SKIP() << "no pseudo-terminal can be opened here";
    TempDir dir;
    survey(6, 4000, 0, 0).write(dir / "big.las");
    using std::chrono::milliseconds;
    struct Case {
        unsigned workers;
        ProgressTiming timing;
        int least, most; // progress lines shown
    };
    const milliseconds none(0), long_(60000);
    const Case cases[] = {
        {1, {none, none}, 40, 40}, // one thread, the same blocks
        {3, {none, none}, 40, 40},
        {3, {none, long_}, 1, 1},
        {3, {long_, none}, 0, 0},
    };
    for (const Case &c : cases) {
        const TerminalRun r =
            runOnTerminal(dir.path(), {c.workers, 100, c.timing});
        ASSERT_EQ(r.status, 0) << r.out;
        const int lines = progressLines(r.terminal);
        EXPECT_GE(lines, c.least) << r.terminal;
        EXPECT_LE(lines, c.most) << r.terminal;
        if (c.most == 0) {
            EXPECT_EQ(r.terminal, "");
        } else {
            EXPECT_TRUE(r.terminal.ends_with("\r\x1b[K")) << r.terminal;
        }
        if (c.least > 1) {
            EXPECT_NE(r.terminal.find("100%  4000 / 4000 points"),
                      std::string::npos);
        }
        EXPECT_EQ(r.out.find("ptxport:"), std::string::npos);
        EXPECT_NE(r.out.find("Output ASCII File:  big.asc\n"),
                  std::string::npos);
    }
}

// The real command with standard error on a pipe, not a terminal: not a
// byte there, even for a file of many blocks.
TEST(Progress, NothingWhenStandardErrorIsNoTerminal) {
    TempDir dir;
    const Bytes las = survey(8, 150000, 0, 0).bytes();
    write_bytes(dir / "big.las", las);
    const CommandResult r = run_ptxport({"big.las", "19"}, dir.path());
    ASSERT_EQ(r.status, 0) << r.out;
    EXPECT_EQ(r.err, "");
    EXPECT_TRUE(read_text(dir / "big.asc") == referencePointFile(las, 19, 8));
}
