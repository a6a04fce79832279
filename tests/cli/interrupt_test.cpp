// interrupt_test.cpp - Ctrl-C and SIGTERM in the middle of a book's saves: the file being saved
// is finished, no other file is touched, no temporary file stays, the tool says which files
// were saved and which were not and exits 130 or 143; a second Ctrl-C ends the run at once
// with the file being saved left as it was. The tool runs on a terminal of its own (a pty),
// where Ctrl-C is the character the user types. Saves wait in the middle (the tool's test
// pause) so that the signal comes while a file is being saved.
#include "tool_fixture.h"

#if !defined(_WIN32)
#include <signal.h>

#include <algorithm>
#include <chrono>
#include <thread>

#include "tests/cli/terminal_run.h"

namespace tw::cli_test {
namespace {

using namespace std::chrono_literals;

// Waits until a save is under way in `dir` (its temporary file is there) and names its file.
std::string SaveUnderWay(const fs::path& dir)
{
    for (auto until = std::chrono::steady_clock::now() + 60s; std::chrono::steady_clock::now() < until;) {
        for (const auto& entry : fs::recursive_directory_iterator(dir))
            if (entry.path().extension() == ".tw-saving")
                return entry.path().parent_path() / entry.path().stem();
        std::this_thread::sleep_for(5ms);
    }
    ADD_FAILURE() << "no save began in " << dir;
    return {};
}

std::vector<fs::path> LeftBehind(const fs::path& dir)
{
    std::vector<fs::path> left;
    for (const auto& entry : fs::recursive_directory_iterator(dir))
        if (entry.path().extension() == ".tw-saving" || entry.path().extension() == ".tw-recover")
            left.push_back(entry.path());
    return left;
}

struct Case {
    const char* command;
    int signal;
    int exit;
};

class Interrupted : public Tool, public ::testing::WithParamInterface<Case> { };

// One signal while the first file is being saved: that file is completely saved, the others
// are as they were, and the tool lists both.
TEST_P(Interrupted, FinishesTheFileBeingSavedAndSavesNoOther)
{
    const Case c = GetParam();
    fs::copy(dir_ / "book", dir_ / "done", fs::copy_options::recursive);
    ASSERT_EQ(run({"--yes", c.command, (dir_ / "done" / "Example.book.mif").string()}).exit, 0);
    const auto before = bookBytes();

    TerminalRun tool({"--yes", c.command, book().string()}, 1500);
    const std::string saving = SaveUnderWay(dir_ / "book");
    ASSERT_FALSE(saving.empty());
    tool.interrupt(c.signal);
    EXPECT_EQ(tool.wait(), c.exit) << tool.text();

    const std::string name = fs::path(saving).lexically_relative(dir_ / "book").string();
    EXPECT_TRUE(Slurp(saving) == Slurp(dir_ / "done" / name)) << name << " is finished";
    int unsaved = 0;
    for (const auto& [path, bytes] : before)
        if (path != saving && Contains(path, ".mif")) {
            EXPECT_TRUE(Slurp(path) == bytes) << path << " is as it was";
            unsaved += Contains(tool.text(), fs::path(path).filename().string()) ? 1 : 0;
        }
    EXPECT_GT(unsaved, 0) << "the files not saved are named: " << tool.text();
    EXPECT_TRUE(LeftBehind(dir_ / "book").empty());
    EXPECT_TRUE(Contains(tool.text(), std::string("interrupted by ") + (c.signal == SIGINT ? "SIGINT" : "SIGTERM")))
        << tool.text();
    EXPECT_TRUE(Contains(tool.text(), "saved: " + name)) << tool.text();
    EXPECT_TRUE(Contains(tool.text(), "not saved (left as it was): ")) << tool.text();
}

// Delete Unused saves a book's files at the end; Remove Overrides saves each as it goes.
INSTANTIATE_TEST_SUITE_P(Signals, Interrupted,
                         ::testing::Values(Case{"delete-unused", SIGINT, 130}, Case{"delete-unused", SIGTERM, 143},
                                           Case{"remove-overrides", SIGINT, 130},
                                           Case{"remove-overrides", SIGTERM, 143}),
                         [](const auto& info) {
                             std::string name = info.param.command;
                             name.erase(std::remove(name.begin(), name.end(), '-'), name.end());
                             return name + (info.param.signal == SIGINT ? "Sigint" : "Sigterm");
                         });

// A second Ctrl-C while a file (or, with --backup, its backup) is being saved.
TEST_F(Tool, ASecondCtrlCEndsAtOnceWithTheFileBeingSavedAsItWas)
{
    const auto before = bookBytes();
    for (const bool backup : {false, true}) {
        SCOPED_TRACE(backup ? "--backup" : "no backup");
        std::vector<std::string> args{"--yes", "delete-unused", book().string()};
        if (backup)
            args.insert(args.begin(), "--backup");
        TerminalRun tool(args, 60000);
        const std::string saving = SaveUnderWay(dir_ / "book");
        ASSERT_FALSE(saving.empty());
        EXPECT_EQ(saving.ends_with(".bak"), backup) << saving;
        tool.interrupt(SIGINT);
        std::this_thread::sleep_for(100ms);
        tool.interrupt(SIGINT);
        EXPECT_EQ(tool.wait(), 130) << tool.text();
        EXPECT_TRUE(Contains(tool.text(), "interrupted again")) << tool.text();
        for (const auto& [path, bytes] : before)
            EXPECT_TRUE(Slurp(path) == bytes) << path << " is as it was";
        EXPECT_TRUE(LeftBehind(dir_ / "book").empty());
    }
}

// What a backup killed halfway leaves (its temporary file) goes with the next run of any kind.
TEST_F(Tool, ABackupKilledHalfwayLeavesNothingForTheNextRun)
{
    std::ofstream(chapter("Intro.mif.bak.tw-saving"), std::ios::binary) << "half a backup";
    Result r = run({"usage", book().string()});
    EXPECT_EQ(r.exit, 0) << r.err;
    EXPECT_TRUE(LeftBehind(dir_ / "book").empty());
}

// Ctrl-C at the question before a save: nothing is saved, and the tool says so.
TEST_F(Tool, CtrlCAtTheQuestionSavesNothing)
{
    const std::string intro = Slurp(chapter("Intro.mif"));
    TerminalRun tool({"--write", "delete-unused", chapter("Intro.mif").string()}, 0);
    ASSERT_TRUE(tool.waitFor("[y/N]")) << tool.text();
    tool.interrupt(SIGINT);
    EXPECT_EQ(tool.wait(), 130) << tool.text();
    EXPECT_TRUE(Slurp(chapter("Intro.mif")) == intro);
    EXPECT_TRUE(Contains(tool.text(), "not saved (left as it was): Intro.mif")) << tool.text();
    EXPECT_TRUE(LeftBehind(dir_ / "book").empty());
}

} // namespace
} // namespace tw::cli_test
#endif
