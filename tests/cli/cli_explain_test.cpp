// cli_explain_test.cpp - the tool says what went wrong and what to do: usage errors in its own
// words, unconfirmed changes, dry runs without --yes, options that do nothing, -o -, quoted
// lists of names, and a progress bar fit for the terminal it is on.

#include "tests/cli/tool_fixture.h"

namespace tw::cli_test {
namespace {

// Every line of standard error is the tool's own, and the first is an error.
void ExpectUsageError(const Result& r, const std::string& said)
{
    EXPECT_EQ(r.exit, 1) << r.err;
    EXPECT_EQ(r.err.rfind("tagwright: error: ", 0), 0u) << r.err;
    EXPECT_TRUE(Contains(r.err, said)) << r.err;
    std::istringstream lines(r.err);
    for (std::string line; std::getline(lines, line);)
        EXPECT_EQ(line.rfind("tagwright: ", 0), 0u) << line;
}

TEST_F(Tool, UsageErrorsSayWhatIsWrongInTheToolsWords)
{
    const std::string intro = chapter("Intro.mif").string();
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{"frobnicate", intro}, "unknown command 'frobnicate'"},
        {{"-o", file("x.mif").string(), "--yes", "frobnicate"}, "unknown command 'frobnicate'"},
        {{}, "no command given"},
        {{"usage"}, "PATH is required"},
        {{"--bogus", "usage", intro}, "--bogus"},
        {{"--cache-mb", "lots", "usage", intro}, "--cache-mb"},
        {{"make-list", intro}, "make-list needs --choice: empty"},
        {{"make-conversion", book().string()}, "make-conversion needs --choice"},
        {{"--format", "csv", "usage", intro}, "--format csv is for stats, compare, make-list and make-conversion"},
        {{"-o", file("x.csv").string(), "report", intro}, "that is for make-list and make-conversion"},
        {{"--dry-run", "usage", intro}, "--dry-run works with"},
    };
    for (const auto& [args, said] : cases) {
        SCOPED_TRACE(said);
        ExpectUsageError(run(args), said);
    }
    EXPECT_FALSE(fs::exists(file("x.mif")));
}

TEST_F(Tool, AnUnconfirmedChangeSaysHowToConfirmAndADryRunNeedsNoConfirmation)
{
    const auto before = bookBytes();
    for (const std::string& target : {book().string(), chapter("Intro.mif").string()}) {
        Result r = run({"--write", "delete-unused", target});
        EXPECT_EQ(r.exit, 3) << r.err;
        EXPECT_TRUE(Contains(r.err, "tagwright: error: not confirmed: \"Are you sure you want to delete unused"))
            << r.err;
        EXPECT_TRUE(Contains(r.err, "Add --yes to confirm")) << r.err;
        EXPECT_EQ(bookBytes(), before);
    }

    Result dry = run({"--dry-run", "delete-unused", book().string()});
    EXPECT_EQ(dry.exit, 0) << dry.err;
    EXPECT_TRUE(Contains(dry.out, "Appendix.mif: would delete 1 format, retag 0 paragraphs, remove 0 overrides\n"
                                  "  would be deleted: \"OldStyle\"\n"))
        << dry.out;
    EXPECT_EQ(bookBytes(), before);
}

TEST_F(Tool, NamesInOneLineOrCellAreQuotedSoBlanksStayInside)
{
    edit(chapter("Appendix.mif"), "<PgfTag `Note'>", "<PgfTag `Old Note'>");
    ASSERT_EQ(
        run({"make-list", "--choice", "in-use", chapter("Intro.mif").string(), "-o", file("keep.mif").string()}).exit,
        0);
    Result dry = run({"--dry-run", "keep-listed", book().string(), "--table", file("keep.mif").string()});
    EXPECT_EQ(dry.exit, 0) << dry.err;
    EXPECT_TRUE(Contains(dry.out, "  would be deleted: \"Old Note\", \"OldStyle\"\n")) << dry.out;
    Result real = run({"--yes", "keep-listed", book().string(), "--table", file("keep.mif").string()});
    EXPECT_TRUE(Contains(real.out, "  formats deleted: \"Old Note\", \"OldStyle\"\n")) << real.out;

    Result stats = run({"stats", chapter("Intro.mif").string()});
    EXPECT_TRUE(Contains(stats.out, "\"Heading1\", \"Heading2\"\n")) << stats.out;
}

TEST_F(Tool, FormatOrOutputWhereTheyDoNothingSaySo)
{
    const std::string intro = chapter("Intro.mif").string();
    struct Case {
        std::vector<std::string> args;
        std::string note; // "" for none
    };
    const std::vector<Case> cases = {
        {{"--format", "json", "next-override", intro}, "--format json does nothing for next-override"},
        {{"--format", "text", "about"}, "--format text does nothing for about"},
        {{"--format", "json", "compare", "--html", file("c.html").string(), intro, intro},
         "--format json does nothing with --html"},
        {{"-o", file("x.mif").string(), "stats", intro}, "-o does nothing for stats"},
        {{"--yes", "-o", file("x.mif").string(), "remove-overrides", intro}, "-o does nothing for remove-overrides"},
        {{"--format", "json", "usage", intro}, ""},
        {{"--format", "text", "-o", file("x.mif").string(), "report", intro}, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args[1]);
        Result r = run(c.args);
        EXPECT_EQ(r.exit, 0) << r.err;
        if (c.note.empty())
            EXPECT_FALSE(Contains(r.err, "does nothing")) << r.err;
        else
            EXPECT_TRUE(Contains(r.err, "tagwright: note: " + c.note)) << r.err;
    }
}

TEST_F(Tool, DashAsOutputPutsTheDocumentOnStandardOutput)
{
    Result r = run({"make-list", "--choice", "in-use", chapter("Intro.mif").string(), "-o", "-"});
    ASSERT_EQ(r.exit, 0) << r.err;
    EXPECT_EQ(r.out.rfind("<MIFFile", 0), 0u) << r.out.substr(0, 200);
    EXPECT_FALSE(fs::exists("-"));
    // It is the table document: the list it holds keeps what the saved one keeps.
    std::ofstream(file("piped.mif"), std::ios::binary) << r.out;
    ASSERT_EQ(
        run({"make-list", "--choice", "in-use", chapter("Intro.mif").string(), "-o", file("keep.mif").string()}).exit,
        0);
    Result piped = run({"--dry-run", "keep-listed", book().string(), "--table", file("piped.mif").string()});
    Result saved = run({"--dry-run", "keep-listed", book().string(), "--table", file("keep.mif").string()});
    EXPECT_EQ(piped.exit, 0) << piped.err;
    EXPECT_EQ(piped.out, saved.out);
    EXPECT_TRUE(Contains(piped.out, "would be deleted")) << piped.out;
}

#if !defined(TAGWRIGHT_TOOL_IN_PROCESS)
// The progress bar as a terminal of 40 columns shows it (through script(1)'s terminal), with
// the environment given.
TEST_F(Tool, TheProgressBarFitsTheTerminalAndPlainTerminalsGetNoEscapes)
{
    if (std::system("command -v script >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "script(1) is not installed";
    // A long chapter name makes the bar longer than the terminal.
    const std::string longName = "A-chapter-with-a-name-much-longer-than-forty-columns.mif";
    fs::rename(chapter("Intro.mif"), chapter(longName));
    edit(book(), "Intro.fm'", longName + "'");
    auto screen = [&](const std::string& env) {
        const std::string inner =
            "stty cols 40; " + env + " " + Quote(TAGWRIGHT_TOOL) + " usage " + Quote(book().string()) + " >/dev/null";
        const std::string cmd = "script -qec " + Quote(inner) + " /dev/null </dev/null >" + Quote(file("tty.txt"));
        EXPECT_EQ(std::system(cmd.c_str()), 0) << cmd;
        return Slurp(file("tty.txt"));
    };
    for (const std::string env : {"TERM=xterm", "TERM=dumb", "TERM=xterm NO_COLOR=1"}) {
        SCOPED_TRACE(env);
        const std::string shown = screen("env " + env);
        EXPECT_TRUE(Contains(shown, "[")) << shown;
        EXPECT_TRUE(Contains(shown, "Examining: ")) << shown;
        EXPECT_EQ(Contains(shown, "\033"), env == "TERM=xterm") << shown;
        // No piece of the line between carriage returns is wider than the terminal.
        std::string piece;
        for (char c : shown + "\r") {
            if (c == '\r' || c == '\n') {
                std::string visible = piece;
                if (size_t esc = visible.find("\033[K"); esc != std::string::npos)
                    visible.erase(esc, 3);
                EXPECT_LT(visible.size(), 40u) << visible;
                piece.clear();
            } else {
                piece += c;
            }
        }
    }
}
#endif

} // namespace
} // namespace tw::cli_test
