// terminal_run.h - the built tool run on a pseudo-terminal, as a user at a terminal runs it:
// what it shows is collected, keys and Ctrl-C can be typed, signals sent. POSIX only.
#pragma once

#include <fcntl.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "tests/cli/tool_fixture.h"

namespace tw::cli_test {

// The tool running on a pseudo-terminal of its own (its controlling terminal, so that Ctrl-C
// typed there is SIGINT), with what it writes there collected. `pauseMs` is the tool's test
// pause before each save replaces its file (0: none).
class TerminalRun {
public:
    TerminalRun(const std::vector<std::string>& args, int pauseMs = 0)
    {
        master_ = ::posix_openpt(O_RDWR | O_NOCTTY);
        EXPECT_GE(master_, 0);
        EXPECT_EQ(::grantpt(master_), 0);
        EXPECT_EQ(::unlockpt(master_), 0);
        const std::string slave = ::ptsname(master_);
        std::vector<std::string> storage{TAGWRIGHT_TOOL};
        storage.insert(storage.end(), args.begin(), args.end());
        std::vector<char*> argv;
        for (auto& a : storage)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        const std::string pause = std::to_string(pauseMs);
        pid_ = ::fork();
        if (pid_ == 0) {
            ::setsid();
            int fd = ::open(slave.c_str(), O_RDWR);
            if (fd < 0)
                ::_exit(125);
            ::ioctl(fd, TIOCSCTTY, 0);
            for (int to : {0, 1, 2})
                ::dup2(fd, to);
            ::close(master_);
            ::setenv("TAGWRIGHT_TEST_SAVE_PAUSE_MS", pause.c_str(), 1);
            ::execv(argv[0], argv.data());
            ::_exit(126);
        }
        EXPECT_GT(pid_, 0);
        ::fcntl(master_, F_SETFL, O_NONBLOCK);
    }
    ~TerminalRun()
    {
        if (pid_ > 0 && status_ < 0) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
        if (master_ >= 0)
            ::close(master_);
    }

    // Types Ctrl-C on the terminal (the terminal sends SIGINT), or sends `signal` itself.
    void interrupt(int signal)
    {
        drain();
        if (signal == SIGINT)
            ASSERT_EQ(::write(master_, "\x03", 1), 1);
        else
            ASSERT_EQ(::kill(pid_, signal), 0);
    }

    // Types `keys` on the terminal, as the user would.
    void type(const std::string& keys)
    {
        drain();
        ASSERT_EQ(::write(master_, keys.data(), keys.size()), static_cast<ssize_t>(keys.size()));
    }

    // The exit status once the tool has ended (-1 if it did not exit, or was still running a
    // minute later and was killed).
    int wait()
    {
        using namespace std::chrono_literals;
        int status = 0;
        for (auto until = std::chrono::steady_clock::now() + 60s;;) {
            drain();
            pid_t done = ::waitpid(pid_, &status, WNOHANG);
            if (done == pid_)
                break;
            if (std::chrono::steady_clock::now() > until) {
                ADD_FAILURE() << "the tool did not end; it showed:\n" << text_;
                ::kill(pid_, SIGKILL);
            }
            std::this_thread::sleep_for(10ms);
        }
        drain();
        status_ = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        return status_;
    }

    // Waits until the tool has written `part` on the terminal.
    bool waitFor(const std::string& part)
    {
        using namespace std::chrono_literals;
        for (auto until = std::chrono::steady_clock::now() + 60s; std::chrono::steady_clock::now() < until;) {
            drain();
            if (Contains(text_, part))
                return true;
            std::this_thread::sleep_for(5ms);
        }
        return false;
    }

    const std::string& text() const { return text_; }

private:
    void drain()
    {
        char buffer[4096];
        for (ssize_t n; (n = ::read(master_, buffer, sizeof buffer)) > 0;)
            text_.append(buffer, static_cast<size_t>(n));
    }

    int master_ = -1;
    pid_t pid_ = -1;
    int status_ = -1;
    std::string text_;
};

} // namespace tw::cli_test
