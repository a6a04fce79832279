// output_safety_test.cpp - what the tool writes stays safe whatever the names in the files:
// JSON and HTML are valid UTF-8 for a file name that is not, CSV cells cannot open as
// spreadsheet formulas, and text output shows control characters in names escaped.

#include "tests/cli/tool_fixture.h"

#if !defined(TAGWRIGHT_TOOL_IN_PROCESS) // file names that are not UTF-8, python3 and a pseudo-terminal

#include "tests/cli/terminal_run.h"

namespace tw::cli_test {
namespace {

TEST_F(Tool, JsonAndHtmlAreValidUtf8ForAFileNameThatIsNot)
{
    const fs::path latin1 = file("caf\xE9.mif"); // é in Latin-1: not UTF-8
    fs::copy_file(chapter("Intro.mif"), latin1);
    fs::copy_file(chapter("Intro.mif"), file("other.mif"));
    const std::string doc = latin1.string();
    const std::vector<std::vector<std::string>> runs = {
        {"--format", "json", "stats", doc},
        {"--format", "json", "usage", doc},
        {"--yes", "--dry-run", "--format", "json", "delete-unused", doc},
        {"--format", "json", "compare", doc, file("other.mif").string()},
        {"--format", "json", "compare", file("other.mif").string(), doc},
    };
    for (const auto& args : runs) {
        Result r = run(args);
        SCOPED_TRACE(args[args.size() - 2]);
        ASSERT_LE(r.exit, 4) << r.err;
        Result parsed = python("import json, sys\n"
                               "text = sys.stdin.buffer.read().decode('utf-8')\n"
                               "print('caf' in text, type(json.loads(text)).__name__)\n",
                               r.out);
        EXPECT_EQ(parsed.exit, 0) << parsed.err << r.out;
        EXPECT_TRUE(parsed.out.rfind("True ", 0) == 0) << parsed.out << r.out;
    }
    // Where the tool names the file itself, the stray byte shows as U+FFFD.
    Result stats = run({"--format", "json", "stats", doc});
    EXPECT_TRUE(Contains(stats.out, "\"caf\xEF\xBF\xBD.mif\"")) << stats.out;
    Result html = run({"stats", "--html", file("page.html").string(), doc});
    ASSERT_EQ(html.exit, 0) << html.err;
    Result decoded = python("import sys\nprint('caf\\ufffd.mif' in sys.stdin.buffer.read().decode('utf-8'))\n",
                            Slurp(file("page.html")));
    EXPECT_EQ(decoded.out, "True\n") << decoded.err;
}

TEST_F(Tool, CsvCellsThatASpreadsheetWouldTakeForFormulasAreNeutralised)
{
    edit(chapter("Intro.mif"), "<PgfTag `OldStyle'>", "<PgfTag `=HYPERLINK(\"http://x\")'>");
    edit(chapter("Intro.mif"), "<PgfTag `Bulleted'>", "<PgfTag `@SUM(1+1)'>");
    const fs::path doc = file("-2+3.mif");
    fs::copy_file(chapter("Intro.mif"), doc);
    fs::copy_file(chapter("Appendix.mif"), file("+template.mif"));
    const std::string check = "import csv, sys\n"
                              "rows = list(csv.reader(sys.stdin))\n"
                              "cells = [c for r in rows for c in r]\n"
                              "print(len([c for c in cells if c[:1] in ('=', '+', '-', '@', '\\t', '\\r')]))\n"
                              "print(' | '.join(sorted(set(c for c in cells if c.startswith(\"'\")))))\n";
    Result stats = run({"--format", "csv", "stats", doc.string()});
    ASSERT_EQ(stats.exit, 0) << stats.err;
    Result cells = python(check, stats.out);
    EXPECT_EQ(cells.out, "0\n'-2+3.mif | '=HYPERLINK(\"http://x\") | '@SUM(1+1)\n") << cells.err << stats.out;

    Result compare = run({"--format", "csv", "compare", doc.string(), file("+template.mif").string()});
    ASSERT_EQ(compare.exit, 4) << compare.err;
    cells = python(check, compare.out);
    EXPECT_TRUE(cells.out.rfind("0\n", 0) == 0) << cells.out << compare.out;
    EXPECT_TRUE(Contains(cells.out, "'@SUM(1+1)")) << cells.out;

    // JSON keeps the exact names.
    Result json = run({"--format", "json", "stats", doc.string()});
    EXPECT_TRUE(Contains(json.out, "{\"tag\": \"@SUM(1+1)\"")) << json.out;
}

TEST_F(Tool, TextOutputShowsControlCharactersInNamesEscaped)
{
    // A tag that would retitle the terminal, and one that would read as two lines.
    edit(chapter("Intro.mif"), "<PgfTag `OldStyle'>", "<PgfTag `Evil\\x1b ]0;owned\\x07 '>");
    edit(chapter("Intro.mif"), "<PgfTag `Bulleted'>", "<PgfTag `Two\\x0a Tags'>");
    // The chapter's file name holds an escape sequence and a line break.
    const std::string name = "red\x1b[31m\nx.mif";
    fs::rename(chapter("Intro.mif"), chapter(name));
    edit(book(), "<c\\>Intro.fm", "<c\\>red\\x1b [31m\\x0a x.mif");
    const std::string doc = chapter(name).string();

    auto noRawControls = [](const std::string& text) {
        for (char c : text)
            if (static_cast<unsigned char>(c) < 0x20 && c != '\n' && c != '\r')
                return false;
        return true;
    };
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"usage", doc}, std::vector<std::string>{"stats", doc},
          std::vector<std::string>{"--yes", "--dry-run", "delete-unused", doc},
          std::vector<std::string>{"usage", "--each-file", book().string()},
          std::vector<std::string>{"stats", book().string()}}) {
        Result r = run(args);
        SCOPED_TRACE(args[args.size() - 2]);
        EXPECT_LE(r.exit, 4) << r.err;
        EXPECT_TRUE(noRawControls(r.out)) << r.out;
        EXPECT_TRUE(noRawControls(r.err)) << r.err;
    }
    // The plug-in's listing: the tag as one escaped line.
    Result usage = run({"usage", doc});
    EXPECT_TRUE(Contains(usage.out, "\nEvil\\x1b]0;owned\\x07\n")) << usage.out;
    // The tool's own listings: each name on one line.
    Result stats = run({"stats", book().string()});
    EXPECT_TRUE(Contains(stats.out, "\nTwo\\nTags ")) << stats.out;
    EXPECT_TRUE(Contains(stats.out, " red\\x1b[31m\\nx.mif ")) << stats.out;
    Result dry = run({"--yes", "--dry-run", "delete-unused", doc});
    EXPECT_TRUE(Contains(dry.out, "red\\x1b[31m\\nx.mif: would delete 3 formats")) << dry.out;
    EXPECT_TRUE(Contains(dry.out, "\"Two\\nTags\"")) << dry.out;

    // The progress bar on a terminal.
    TerminalRun onTerminal({"--yes", "remove-overrides", book().string()});
    ASSERT_EQ(onTerminal.wait(), 0) << onTerminal.text();
    const std::string tty = onTerminal.text();
    EXPECT_TRUE(Contains(tty, "1/3 Processing: red\\x1b[31m\\nx.mif")) << tty;
    EXPECT_FALSE(Contains(tty, "\x1b[31m")) << tty;
}

} // namespace
} // namespace tw::cli_test

#endif
