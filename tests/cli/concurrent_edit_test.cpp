// concurrent_edit_test.cpp - the tool on a terminal, asked "Are you sure...?", while another
// program changes a file the command has read: the answer "y" must not save over that change
// (exit 2, the file named, the other program's bytes kept), for a document saved with --write
// and for a chapter of a book. POSIX only: the tool runs on a pseudo-terminal.
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <functional>

#include "tool_fixture.h"

namespace tw::cli_test {
namespace {

struct TerminalRun {
    int exit = -1;
    std::string text; // standard output and error, as the terminal showed them
    bool asked = false;
};

// Runs the tool on a pseudo-terminal. When it asks its question, `meanwhile` runs (another
// program at work) and `answer` is typed.
void RunOnTerminal(const std::vector<std::string>& args, const std::function<void()>& meanwhile,
                   const std::string& answer, TerminalRun& run)
{
    std::vector<std::string> storage{TAGWRIGHT_TOOL};
    storage.insert(storage.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& a : storage)
        argv.push_back(a.data());
    argv.push_back(nullptr);

    int terminal = -1;
    const pid_t child = ::forkpty(&terminal, nullptr, nullptr, nullptr);
    ASSERT_GE(child, 0) << "no pseudo-terminal: " << std::strerror(errno);
    if (child == 0) {
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    bool timedOut = false;
    for (;;) {
        pollfd p{terminal, POLLIN, 0};
        const int ready = ::poll(&p, 1, 60000);
        if (ready == 0) {
            timedOut = true;
            ::kill(child, SIGKILL);
            break;
        }
        if (ready < 0 && errno == EINTR)
            continue;
        char buffer[4096];
        const ssize_t n = ::read(terminal, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break; // EIO once the tool has ended and closed the terminal
        run.text.append(buffer, static_cast<size_t>(n));
        if (!run.asked && Contains(run.text, "[y/N] ")) {
            run.asked = true;
            meanwhile();
            const std::string line = answer + "\n";
            ASSERT_EQ(::write(terminal, line.data(), line.size()), static_cast<ssize_t>(line.size()));
        }
    }
    ::close(terminal);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_FALSE(timedOut) << "the tool did not end; it showed:\n" << run.text;
    run.exit = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

void Append(const fs::path& path, const std::string& text)
{
    std::ofstream out(path, std::ios::binary | std::ios::app);
    out << text;
    ASSERT_TRUE(out.good()) << path;
}

TEST_F(Tool, AFileAnotherProgramChangesWhileTheQuestionIsOpenIsNotSavedOver)
{
    const std::string theirs = "# added by another program while the question was open\n";
    struct Case {
        const char* what;
        std::vector<std::string> args;
        fs::path edited;
    };
    const std::vector<Case> cases = {
        {"a document saved with --write",
         {"--write", "delete-unused", chapter("Intro.mif").string()},
         chapter("Intro.mif")},
        {"a document whose overrides are removed",
         {"--write", "remove-overrides", chapter("reference/Tables.mif").string()},
         chapter("reference/Tables.mif")},
        {"a chapter of a book", {"delete-unused", book().string()}, chapter("Appendix.mif")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string expected = Slurp(c.edited) + theirs;
        TerminalRun run;
        ASSERT_NO_FATAL_FAILURE(RunOnTerminal(
            c.args, [&] { Append(c.edited, theirs); }, "y", run));
        ASSERT_TRUE(run.asked) << run.text;
        EXPECT_EQ(run.exit, 2) << run.text;
        EXPECT_TRUE(Contains(run.text, c.edited.string() + ": was changed on disk by another program")) << run.text;
        EXPECT_EQ(Slurp(c.edited), expected) << "the other program's change was lost";
        EXPECT_FALSE(fs::exists(c.edited.string() + ".tw-saving"));
    }

    // Without another program at work, the same answer saves (the terminal is really asked).
    const std::string intro = Slurp(chapter("Intro.mif"));
    TerminalRun plain;
    ASSERT_NO_FATAL_FAILURE(RunOnTerminal(
        {"--write", "delete-unused", chapter("Intro.mif").string()}, [] {}, "y", plain));
    EXPECT_EQ(plain.exit, 0) << plain.text;
    EXPECT_NE(Slurp(chapter("Intro.mif")), intro);
}

} // namespace
} // namespace tw::cli_test
