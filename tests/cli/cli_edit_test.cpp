// cli_edit_test.cpp - the tagwright subcommands that build tag tables and change documents:
// make-list / keep-listed, make-conversion / convert, remove-overrides / next-override, and
// the paragraph tag report, run as a user runs them.

#include "tests/cli/tool_fixture.h"

#include "host/model/builder.h"
#include "host/files/mif_store.h"

namespace tw::cli_test {
namespace {

// The body-text lines of a usage listing between its two section headings.
std::string UsedSection(const std::string& listing)
{
    const size_t used = listing.find("## Paragraph Tags Used:\n");
    const size_t unused = listing.find("## Paragraph Tags Not Used:\n");
    if (used == std::string::npos || unused == std::string::npos)
        return {};
    return listing.substr(used, unused - used);
}

std::string UnusedSection(const std::string& listing)
{
    const size_t unused = listing.find("## Paragraph Tags Not Used:\n");
    return unused == std::string::npos ? std::string() : listing.substr(unused);
}

TEST_F(Tool, MakeListPrintsTheTableAndKeepListedKeepsOnlyItsTags)
{
    Result list =
        run({"-o", file("keep.mif").string(), "make-list", "--choice", "in-use", chapter("Intro.mif").string()});
    ASSERT_EQ(list.exit, 0) << list.err;
    EXPECT_EQ(list.out.rfind("| Tags to Keep |\n| Body |\n| Bulleted |\n", 0), 0u) << list.out;
    EXPECT_FALSE(Contains(list.out, "OldStyle"));

    Result kept =
        run({"--yes", "--write", "keep-listed", chapter("Intro.mif").string(), "--table", file("keep.mif").string()});
    ASSERT_EQ(kept.exit, 0) << kept.err;
    Result after = run({"usage", chapter("Intro.mif").string()});
    ASSERT_EQ(after.exit, 0) << after.err;
    EXPECT_EQ(UnusedSection(after.out), "## Paragraph Tags Not Used:\n") << after.out;
    EXPECT_TRUE(Contains(UsedSection(after.out), "\nBulleted\n"));
}

TEST_F(Tool, MakeListOnABookAndTheEmptyChoice)
{
    Result all = run({"make-list", "--choice", "all", book().string()});
    ASSERT_EQ(all.exit, 0) << all.err;
    EXPECT_TRUE(Contains(all.out, "| Legacy Tag |")) << all.out; // used only in the appendix
    EXPECT_TRUE(Contains(all.out, "| OldStyle |")) << all.out;   // used nowhere

    Result empty = run({"make-conversion", "--choice", "empty", chapter("Intro.mif").string()});
    ASSERT_EQ(empty.exit, 0) << empty.err;
    std::string tenEmptyRows;
    for (int i = 0; i < 10; i++)
        tenEmptyRows += "|  |  |\n";
    EXPECT_EQ(empty.out, "| Source Tag | Destination Tag |\n" + tenEmptyRows);
    Result missing = run({"make-list", chapter("Intro.mif").string()}); // no --choice, no terminal
    EXPECT_EQ(missing.exit, 1);
    EXPECT_TRUE(Contains(missing.err, "make-list needs --choice")) << missing.err;
    EXPECT_EQ(missing.out, "");
}

TEST_F(Tool, KeepListedWithoutAListTableWarnsAndChangesNothing)
{
    const std::string before = Slurp(chapter("Intro.mif"));
    Result r = run({"--yes", "--write", "keep-listed", chapter("Intro.mif").string(), "--table",
                    chapter("Appendix.mif").string()});
    EXPECT_EQ(r.exit, 4);
    EXPECT_TRUE(Contains(r.err, "tagwright: warning: The list of paragraph tags to keep could not be found.")) << r.err;
    EXPECT_EQ(Slurp(chapter("Intro.mif")), before);
}

TEST_F(Tool, ConvertRetagsFromAFilledConversionTable)
{
    // A conversion table as a user fills it in: Bulleted becomes Body.
    {
        host::Model m;
        host::DocBuilder b(m, file("conversion.mif").string());
        b.format("Body").format("CellHeading").format("CellBody").paragraph("Body", "Conversion");
        b.table({{"Source Tag", "Destination Tag"}, {"Bulleted", "Body"}});
        auto doc = b.build();
        host::MifStore store;
        std::string error;
        ASSERT_TRUE(store.save(m, *doc, file("conversion.mif").string(), error)) << error;
    }
    Result r =
        run({"--yes", "--write", "convert", chapter("Intro.mif").string(), "--table", file("conversion.mif").string()});
    ASSERT_EQ(r.exit, 0) << r.err;
    Result after = run({"usage", chapter("Intro.mif").string()});
    ASSERT_EQ(after.exit, 0) << after.err;
    EXPECT_FALSE(Contains(UsedSection(after.out), "\nBulleted\n")) << after.out;
    EXPECT_TRUE(Contains(UnusedSection(after.out), "\nBulleted\n")) << after.out; // the format stays

    Result noTable =
        run({"--yes", "convert", chapter("Intro.mif").string(), "--table", chapter("Appendix.mif").string()});
    EXPECT_EQ(noTable.exit, 4);
    EXPECT_TRUE(Contains(noTable.err, "The list of paragraph tags to convert could not be found.")) << noTable.err;
}

TEST_F(Tool, NextOverrideThenRemoveOverrides)
{
    Result found = run({"next-override", chapter("Intro.mif").string()});
    ASSERT_EQ(found.exit, 0) << found.err;
    EXPECT_EQ(found.out, "A centred paragraph with a local override.\n");

    Result badStart = run({"next-override", "--from", "999", chapter("Intro.mif").string()});
    EXPECT_EQ(badStart.exit, 1);

    Result removed = run({"--yes", "--write", "remove-overrides", chapter("Intro.mif").string()});
    ASSERT_EQ(removed.exit, 0) << removed.err;
    Result none = run({"next-override", chapter("Intro.mif").string()});
    EXPECT_EQ(none.exit, 0) << none.err;
    EXPECT_EQ(none.out, "");
    EXPECT_TRUE(Contains(none.err, "tagwright: note: End of document reached.")) << none.err;
}

TEST_F(Tool, RemoveOverridesOnABookSavesItsChapters)
{
    Result r = run({"--yes", "remove-overrides", book().string()});
    ASSERT_EQ(r.exit, 0) << r.err;
    Result none = run({"next-override", chapter("Intro.mif").string()});
    EXPECT_TRUE(Contains(none.err, "End of document reached.")) << none.err;
}

TEST_F(Tool, ReportOfOneTagAndOfAll)
{
    Result one = run({"report", "--tag", "Body", chapter("Intro.mif").string()});
    ASSERT_EQ(one.exit, 0) << one.err;
    EXPECT_EQ(one.out.rfind("# Body\n## Default Font\nCapitalization: Normal \n", 0), 0u) << one.out;
    EXPECT_TRUE(Contains(one.out, "\n## Indents\nFirst Indent: ")) << one.out;
    EXPECT_FALSE(Contains(one.out, "# Heading1"));

    Result all = run({"--format", "json", "report", chapter("Intro.mif").string()});
    ASSERT_EQ(all.exit, 0) << all.err;
    EXPECT_TRUE(Contains(all.out, "{\"tag\": \"Heading1\", \"text\": \"Heading1\"}")) << all.out;
    EXPECT_TRUE(Contains(all.out, "{\"tag\": \"Heading1\", \"text\": \"OldStyle\"}")) << all.out;

    Result unknown = run({"report", "--tag", "NoSuchTag", chapter("Intro.mif").string()});
    EXPECT_EQ(unknown.exit, 1);
    EXPECT_TRUE(Contains(unknown.err, "no paragraph format named 'NoSuchTag'")) << unknown.err;
}

} // namespace
} // namespace tw::cli_test
