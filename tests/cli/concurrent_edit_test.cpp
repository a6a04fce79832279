// concurrent_edit_test.cpp - the tool on a terminal, asked "Are you sure...?", while another
// program changes a file the command has read: the answer "y" must not save over that change
// (exit 2, the file named, the other program's bytes kept), for a document saved with --write
// and for a chapter of a book. POSIX only: the tool runs on a pseudo-terminal.
#include "tests/cli/terminal_run.h"

namespace tw::cli_test {
namespace {

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
        TerminalRun run(c.args);
        ASSERT_TRUE(run.waitFor("[y/N] ")) << run.text();
        ASSERT_NO_FATAL_FAILURE(Append(c.edited, theirs));
        run.type("y\n");
        EXPECT_EQ(run.wait(), 2) << run.text();
        EXPECT_TRUE(Contains(run.text(), c.edited.string() + ": was changed on disk by another program")) << run.text();
        EXPECT_EQ(Slurp(c.edited), expected) << "the other program's change was lost";
        EXPECT_FALSE(fs::exists(c.edited.string() + ".tw-saving"));
    }

    // Without another program at work, the same answer saves (the terminal is really asked).
    const std::string intro = Slurp(chapter("Intro.mif"));
    TerminalRun plain({"--write", "delete-unused", chapter("Intro.mif").string()});
    ASSERT_TRUE(plain.waitFor("[y/N] ")) << plain.text();
    plain.type("y\n");
    EXPECT_EQ(plain.wait(), 0) << plain.text();
    EXPECT_NE(Slurp(chapter("Intro.mif")), intro);
}

} // namespace
} // namespace tw::cli_test
