// cli_safety_test.cpp - previews and safety around the changing commands: --dry-run writes
// nothing and says what would change, a real run prints the same summary, --backup keeps the
// files as they were, formats named as next tag are warned about before deletion, and a book
// walk shows a progress bar on a terminal only.

#include "tests/cli/terminal_run.h"
#include "tests/cli/tool_fixture.h"

namespace tw::cli_test {
namespace {

// A conversion table that turns Bulleted into Body.
void WriteConversionTable(const fs::path& to, const std::string& from, const std::string& dest)
{
    std::ofstream out(to);
    out << "<MIFFile 2019>\n<PgfCatalog\n <Pgf <PgfTag `Body'>>\n <Pgf <PgfTag `CellBody'>>\n"
           " <Pgf <PgfTag `CellHeading'>>\n>\n"
           "<Tbls\n <Tbl\n  <TblID 1>\n  <TblTag `Format A'>\n  <TblNumColumns 2>\n"
           "  <TblH\n   <Row\n    <Cell <CellContent <Para <PgfTag `CellHeading'> <ParaLine <String `Source Tag'>>>>>\n"
           "    <Cell <CellContent <Para <PgfTag `CellHeading'> <ParaLine <String `Destination Tag'>>>>>\n   >\n  >\n"
           "  <TblBody\n   <Row\n    <Cell <CellContent <Para <PgfTag `CellBody'> <ParaLine <String `"
        << from << "'>>>>>\n    <Cell <CellContent <Para <PgfTag `CellBody'> <ParaLine <String `" << dest
        << "'>>>>>\n   >\n  >\n >\n>\n"
           "<TextFlow <TFTag `A'> <TFAutoConnect Yes>\n <Para <PgfTag `Body'> <ParaLine <ATbl 1> <String `x'>>>\n>\n";
}

// Drops what differs between the summary of a dry run and of the real run.
std::string WithoutRunKind(std::string json)
{
    for (const char* kind : {"\"dryRun\": true", "\"dryRun\": false", "\"written\": true", "\"written\": false"}) {
        for (size_t at; (at = json.find(kind)) != std::string::npos;)
            json.erase(at, std::string(kind).size());
    }
    return json;
}

TEST_F(Tool, DryRunLeavesEveryFileAsItWasAndTheRealRunSaysTheSame)
{
    WriteConversionTable(file("conversion.mif"), "Bulleted", "Body");
    ASSERT_EQ(
        run({"-o", file("keep.mif").string(), "make-list", "--choice", "in-use", chapter("Intro.mif").string()}).exit,
        0);
    struct Case {
        std::vector<std::string> args;
        std::string expected; // a line of the text summary
    };
    const std::vector<Case> cases = {
        {{"delete-unused", book().string()},
         "Intro.mif: would delete 1 format, retag 0 paragraphs, remove 0 overrides\n"
         "  would be deleted: \"OldStyle\"\n"},
        {{"remove-overrides", book().string()},
         "reference/Tables.mif: would delete 0 formats, retag 0 paragraphs, remove 1 override\n"},
        {{"convert", book().string(), "--table", file("conversion.mif").string()},
         "Intro.mif: would delete 0 formats, retag 2 paragraphs, remove 0 overrides\n  retagged Bulleted -> Body: 2\n"},
        {{"--write", "delete-unused", chapter("Intro.mif").string()},
         "Intro.mif: would delete 2 formats, retag 0 paragraphs"},
        {{"--write", "remove-overrides", chapter("Intro.mif").string()}, "remove 2 overrides\n"},
        {{"--write", "keep-listed", chapter("Appendix.mif").string(), "--table", file("conversion.mif").string()}, ""},
        {{"keep-listed", book().string(), "--table", file("keep.mif").string()},
         "Appendix.mif: would delete 2 formats, retag 0 paragraphs, remove 0 overrides\n"
         "  would be deleted: \"Note\", \"OldStyle\"\n"},
    };
    const auto before = bookBytes();
    for (const Case& c : cases) {
        std::vector<std::string> args = {"--yes", "--dry-run"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        Result r = run(args);
        EXPECT_LE(r.exit, 4) << r.err;
        EXPECT_NE(r.exit, 2) << r.err;
        EXPECT_TRUE(Contains(r.out, c.expected)) << c.args[0] << ":\n" << r.out;
        EXPECT_TRUE(Contains(r.err, "dry run: no file was written")) << r.err;
        EXPECT_EQ(bookBytes(), before) << c.args[0] << " " << c.args[1] << " wrote a file";
        EXPECT_FALSE(fs::exists(chapter("Intro.mif.bak")));
    }

    // The real run's summary is the dry run's.
    for (const Case& c : {cases[0], cases[2]}) {
        std::vector<std::string> args = {"--yes", "--format", "json"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        std::vector<std::string> dry = args;
        dry.insert(dry.begin(), "--dry-run");
        Result preview = run(dry);
        Result real = run(args);
        ASSERT_EQ(real.exit, 0) << real.err;
        EXPECT_EQ(WithoutRunKind(real.out), WithoutRunKind(preview.out));
        EXPECT_TRUE(Contains(real.out, "\"written\": true")) << real.out;
        Result parsed = python("import json, sys\nprint(len(json.load(sys.stdin)['files']))\n", real.out);
        EXPECT_EQ(parsed.out, "3\n") << parsed.err << real.out;
    }
    EXPECT_NE(bookBytes(), before);
}

TEST_F(Tool, OptionsOutsideTheirCommandsAreUsageErrors)
{
    Result r = run({"--dry-run", "usage", book().string()});
    EXPECT_EQ(r.exit, 1);
    EXPECT_TRUE(Contains(r.err, "--dry-run")) << r.err;
    Result csv = run({"--format", "csv", "usage", book().string()});
    EXPECT_EQ(csv.exit, 1);
    EXPECT_TRUE(Contains(csv.err, "csv")) << csv.err;
    EXPECT_EQ(run({"compare", chapter("Intro.mif").string()}).exit, 1);               // no template
    Result onBook = run({"compare", chapter("Intro.mif").string(), book().string()}); // a book as template
    EXPECT_EQ(onBook.exit, 1);
    EXPECT_TRUE(Contains(onBook.err, "is a book")) << onBook.err;
}

TEST_F(Tool, BackupKeepsEachSavedFileAsItWasBefore)
{
    const auto before = bookBytes();
    // An older backup is replaced.
    std::ofstream(chapter("Intro.mif.bak")) << "stale";
    Result r = run({"--yes", "--backup", "delete-unused", book().string()});
    ASSERT_EQ(r.exit, 0) << r.err;
    for (const auto& [path, bytes] : before) {
        if (path.size() < 4 || path.substr(path.size() - 4) != ".mif" || path == book().string())
            continue;
        ASSERT_TRUE(fs::exists(path + ".bak")) << path;
        EXPECT_EQ(Slurp(path + ".bak"), bytes) << path;
        EXPECT_NE(Slurp(path), bytes) << path << " was not changed";
    }
    EXPECT_FALSE(fs::exists(book().string() + ".bak")); // the book file itself was not saved

    // Restoring the backups gives the original files exactly.
    for (const auto& [path, bytes] : before)
        if (fs::exists(path + ".bak"))
            fs::copy_file(path + ".bak", path, fs::copy_options::overwrite_existing);
    for (const auto& [path, bytes] : before)
        EXPECT_EQ(Slurp(path), bytes) << path;

    // A document saved with --write.
    const std::string intro = Slurp(chapter("Intro.mif"));
    Result doc = run({"--yes", "--write", "--backup", "remove-overrides", chapter("Intro.mif").string()});
    ASSERT_EQ(doc.exit, 0) << doc.err;
    EXPECT_EQ(Slurp(chapter("Intro.mif.bak")), intro);
}

TEST_F(Tool, DeletingAFormatThatIsSomeonesNextTagWarnsAndStillDeletes)
{
    edit(chapter("Intro.mif"), "<PgfNextTag `'>", "<PgfNextTag `OldStyle'>"); // Body -> OldStyle
    const std::string message = "tagwright: warning: Intro.mif: format 'Body' names 'OldStyle' as its next tag";

    // While Body does not use its next tag the reference is inert: no warning.
    Result inert = run({"--yes", "--dry-run", "delete-unused", chapter("Intro.mif").string()});
    EXPECT_EQ(inert.exit, 0) << inert.err;
    EXPECT_FALSE(Contains(inert.err, "next tag")) << inert.err;

    edit(chapter("Intro.mif"), "<PgfUseNextTag No>", "<PgfUseNextTag Yes>"); // Body's
    Result preview = run({"--yes", "--dry-run", "delete-unused", chapter("Intro.mif").string()});
    EXPECT_EQ(preview.exit, 4);
    EXPECT_TRUE(Contains(preview.err, message)) << preview.err;

    Result doc = run({"--yes", "--write", "delete-unused", chapter("Intro.mif").string()});
    EXPECT_EQ(doc.exit, 4);
    EXPECT_TRUE(Contains(doc.err, message)) << doc.err;
    EXPECT_FALSE(Contains(Slurp(chapter("Intro.mif")), "<PgfTag `OldStyle'>"));

    // In a book the warning comes before any file is written.
    edit(chapter("Appendix.mif"), "<PgfNextTag `'>", "<PgfNextTag `OldStyle'>");
    edit(chapter("Appendix.mif"), "<PgfUseNextTag No>", "<PgfUseNextTag Yes>");
    Result inBook = run({"--yes", "delete-unused", book().string()});
    EXPECT_EQ(inBook.exit, 4) << inBook.err;
    EXPECT_TRUE(Contains(inBook.err, "warning: Appendix.mif: format ")) << inBook.err;
    EXPECT_FALSE(Contains(Slurp(chapter("Appendix.mif")), "<PgfTag `OldStyle'>"));
}

TEST_F(Tool, ABookWithAMissingFileStillSummarisesTheOthers)
{
    fs::remove(chapter("Appendix.mif"));
    const auto before = bookBytes();
    Result r = run({"--yes", "--dry-run", "delete-unused", book().string()});
    EXPECT_EQ(r.exit, 2) << r.err;
    EXPECT_TRUE(Contains(r.err, "Could not open file:")) << r.err;
    EXPECT_TRUE(Contains(r.out, "reference/Tables.mif: would delete 1 format")) << r.out;
    EXPECT_EQ(bookBytes(), before);
}

TEST_F(Tool, AFileThatCannotBeSavedExitsTwoAndTheOthersAreSaved)
{
    // A directory where the save writes its new file makes the save fail, even for root.
    fs::create_directory(chapter("reference") / "Tables.mif.tw-saving");
    const std::string tables = Slurp(chapter("reference") / "Tables.mif");
    for (const char* command : {"remove-overrides", "delete-unused"}) { // saved by the plug-in / held
        Result r = run({"--yes", command, book().string()});
        EXPECT_EQ(r.exit, 2) << command << ": " << r.err;
        EXPECT_TRUE(Contains(r.err, "Tables.mif")) << r.err;
        EXPECT_EQ(Slurp(chapter("reference") / "Tables.mif"), tables);
    }
    EXPECT_FALSE(Contains(Slurp(chapter("Appendix.mif")), "<PgfTag `OldStyle'>"));
}

TEST_F(Tool, ProgressBarOnATerminalOnly)
{
    Result plain = run({"--yes", "delete-unused", book().string()});
    ASSERT_EQ(plain.exit, 0) << plain.err;
    EXPECT_FALSE(Contains(plain.err, "Examining")) << plain.err;
    EXPECT_FALSE(Contains(plain.err, "\r")) << plain.err;

    // On a terminal.
    TerminalRun onTerminal({"--yes", "remove-overrides", book().string()});
    ASSERT_EQ(onTerminal.wait(), 0) << onTerminal.text();
    const std::string tty = onTerminal.text();
    EXPECT_TRUE(Contains(tty, "[######--------------] 1/3 Processing: Intro.mif")) << tty;
    EXPECT_TRUE(Contains(tty, "] 2/3 Processing: Tables.mif")) << tty;
    EXPECT_TRUE(Contains(tty, "[####################] 3/3 Processing: Appendix.mif")) << tty;
    // The bar is cleared before the summary.
    EXPECT_TRUE(Contains(tty, "\r\033[KIntro.mif: deleted 0 formats")) << tty;
}

} // namespace
} // namespace tw::cli_test
