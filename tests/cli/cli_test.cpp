// cli_test.cpp - the tagwright tool as a user runs it: standard output, standard error, exit
// status and the files on disk, on copies of the example book in a temporary directory.

#include "tests/cli/tool_fixture.h"

namespace tw::cli_test {
namespace {

// Sets (or with null, removes) a variable of this process's environment.
void SetEnvironment(const char* name, const char* value)
{
#if defined(_WIN32)
    ::_putenv_s(name, value ? value : "");
#else
    if (value)
        ::setenv(name, value, 1);
    else
        ::unsetenv(name);
#endif
}

// ---- listings ----------------------------------------------------------------------------

TEST_F(Tool, UsageOfABookListsUsedThenUnusedTagsWithHeadingMarks)
{
    Result r = run({"usage", book().string()});
    ASSERT_EQ(r.exit, 0) << r.err;
    EXPECT_EQ(r.out.rfind("# Example.book.mif\n## Paragraph Tags Used:\n", 0), 0u) << r.out;
    const size_t used = r.out.find("## Paragraph Tags Used:");
    const size_t unused = r.out.find("## Paragraph Tags Not Used:");
    ASSERT_NE(unused, std::string::npos);
    // Tags used somewhere in the book are listed once, under used; OldStyle is used nowhere.
    EXPECT_TRUE(Contains(r.out.substr(used, unused - used), "\nBody\n"));
    EXPECT_TRUE(Contains(r.out.substr(unused), "\nOldStyle\n"));
    EXPECT_FALSE(Contains(r.out.substr(unused), "\nBody\n"));
    // The last, unwritten paragraph of the output document is not printed.
    EXPECT_NE(r.out.substr(r.out.size() - 2), "\n\n");
}

TEST_F(Tool, UsageOfADocumentAsJson)
{
    Result r = run({"--format", "json", "usage", chapter("Intro.mif").string()});
    ASSERT_EQ(r.exit, 0) << r.err;
    EXPECT_EQ(r.out.rfind("[\n  {\"tag\": \"Heading1\", \"text\": \"Intro.mif\"},\n"
                          "  {\"tag\": \"Heading2\", \"text\": \"Paragraph Tags Used:\"},\n",
                          0),
              0u)
        << r.out;
    EXPECT_TRUE(Contains(r.out, "{\"tag\": \"Body\", \"text\": \"OldStyle\"}\n]\n")) << r.out;
}

TEST_F(Tool, EachFileAndByTagNeedABook)
{
    Result each = run({"usage", "--each-file", book().string()});
    ASSERT_EQ(each.exit, 0) << each.err;
    EXPECT_TRUE(Contains(each.out, "# Intro.mif\n## Paragraph Tags Used:\n"));
    EXPECT_TRUE(Contains(each.out, "# Appendix.mif\n"));

    Result byTag = run({"usage", "--by-tag", book().string()});
    ASSERT_EQ(byTag.exit, 0) << byTag.err;
    EXPECT_TRUE(Contains(byTag.out, "## Body\n")) << byTag.out;

    Result onDoc = run({"usage", "--each-file", chapter("Intro.mif").string()});
    EXPECT_EQ(onDoc.exit, 1);
    EXPECT_TRUE(Contains(onDoc.err, "Intro.mif is a document")) << onDoc.err;
}

TEST_F(Tool, HostDirWithOnlyATemplate)
{
    // The template is a MIF document; every output document starts as an untitled copy of it.
    fs::create_directory(file("host"));
    {
        std::ofstream t(file("host") / "VellOutput.fm");
        t << Slurp(chapter("Appendix.mif"));
    }
    const std::string templateBefore = Slurp(file("host") / "VellOutput.fm");
    Result r = run({"--host-dir", file("host").string(), "usage", chapter("Intro.mif").string()});
    ASSERT_EQ(r.exit, 0) << r.err;
    EXPECT_TRUE(Contains(r.out, "\n# Intro.mif\n## Paragraph Tags Used:\n")) << r.out;
    EXPECT_EQ(Slurp(file("host") / "VellOutput.fm"), templateBefore);

    // The folder has no converter data of its own; book files are still saved.
    Result saved = run({"--host-dir", file("host").string(), "--yes", "delete-unused", book().string()});
    ASSERT_EQ(saved.exit, 0) << saved.err;
    EXPECT_FALSE(Contains(Slurp(chapter("Intro.mif")), "OldStyle"));
}

TEST_F(Tool, OutputDocumentSavedWithDashOReloads)
{
    Result r = run({"-o", file("listing.mif").string(), "usage", chapter("Intro.mif").string()});
    ASSERT_EQ(r.exit, 0) << r.err;
    ASSERT_TRUE(fs::exists(file("listing.mif")));
    Result again = run({"usage", file("listing.mif").string()});
    ASSERT_EQ(again.exit, 0) << again.err;
    EXPECT_TRUE(Contains(again.out, "## Paragraph Tags Used:\nBody\nHeading1\nHeading2\n")) << again.out;
}

// ---- changing documents and books ---------------------------------------------------------

TEST_F(Tool, QuestionsAreCancelledOffATerminalAndNothingChanges)
{
    const std::string before = Slurp(chapter("Intro.mif"));
    Result r = run({"--write", "delete-unused", chapter("Intro.mif").string()});
    EXPECT_EQ(r.exit, 3) << r.err;
    EXPECT_EQ(Slurp(chapter("Intro.mif")), before);
}

TEST_F(Tool, DeleteUnusedInADocumentIsSavedOnlyWithWrite)
{
    const std::string before = Slurp(chapter("Intro.mif"));
    Result memoryOnly = run({"--yes", "delete-unused", chapter("Intro.mif").string()});
    EXPECT_EQ(memoryOnly.exit, 0) << memoryOnly.err;
    EXPECT_TRUE(Contains(memoryOnly.err, "tagwright: note: ")) << memoryOnly.err;
    EXPECT_EQ(Slurp(chapter("Intro.mif")), before);

    Result written = run({"--yes", "--write", "delete-unused", chapter("Intro.mif").string()});
    ASSERT_EQ(written.exit, 0) << written.err;
    Result after = run({"usage", chapter("Intro.mif").string()});
    ASSERT_EQ(after.exit, 0) << after.err;
    EXPECT_TRUE(Contains(after.out, "## Paragraph Tags Not Used:\n")) << after.out;
    EXPECT_FALSE(Contains(after.out, "OldStyle")) << after.out;
}

TEST_F(Tool, DeleteUnusedInABookSavesEveryChapterAndReportsAMissingOne)
{
    fs::remove(chapter("Appendix.mif"));
    Result r = run({"--yes", "delete-unused", book().string()});
    EXPECT_EQ(r.exit, 2) << r.err;
    EXPECT_TRUE(Contains(r.err, "Could not open file:")) << r.err;
    EXPECT_TRUE(Contains(r.err, "Appendix.fm")) << r.err;
    Result after = run({"usage", chapter("Intro.mif").string()});
    ASSERT_EQ(after.exit, 0) << after.err;
    EXPECT_FALSE(Contains(after.out, "OldStyle")) << after.out;
}

TEST_F(Tool, ADocumentWithEquationsOverSeveralLinesIsListedAndSavedAsItWas)
{
    const std::string original = Slurp(fs::path(TAGWRIGHT_SOURCE_DIR) / "tests" / "data" / "equation.mif");
    const fs::path doc = file("Equations.mif");
    fs::copy_file(fs::path(TAGWRIGHT_SOURCE_DIR) / "tests" / "data" / "equation.mif", doc);
    Result r = run({"usage", doc.string()});
    ASSERT_EQ(r.exit, 0) << r.err;
    const size_t unused = r.out.find("## Paragraph Tags Not Used:");
    ASSERT_NE(unused, std::string::npos) << r.out;
    EXPECT_TRUE(Contains(r.out.substr(0, unused), "\nEquation\n")) << r.out;
    EXPECT_TRUE(Contains(r.out.substr(unused), "\nUnused\n")) << r.out;

    Result written = run({"--yes", "--write", "delete-unused", doc.string()});
    ASSERT_EQ(written.exit, 0) << written.err;
    std::string expected = original;
    const size_t from = expected.find(" <Pgf \n  <PgfTag `Unused'>");
    const size_t to = expected.find("> # end of Pgf\n", from);
    ASSERT_TRUE(from != std::string::npos && to != std::string::npos);
    expected.erase(from, to + std::string("> # end of Pgf\n").size() - from);
    EXPECT_EQ(Slurp(doc), expected);
}

TEST_F(Tool, ByTagListsTheSameWithTheCacheOffOrSetByTheEnvironment)
{
    Result cached = run({"usage", "--by-tag", book().string()});
    ASSERT_EQ(cached.exit, 0) << cached.err;
    Result off = run({"--cache-mb", "0", "usage", "--by-tag", book().string()});
    ASSERT_EQ(off.exit, 0) << off.err;
    EXPECT_EQ(off.out, cached.out);
    SetEnvironment("TAGWRIGHT_CACHE_MB", "0");
    Result envOff = run({"usage", "--by-tag", book().string()});
    SetEnvironment("TAGWRIGHT_CACHE_MB", "lots");
    Result bad = run({"usage", book().string()});
    SetEnvironment("TAGWRIGHT_CACHE_MB", nullptr);
    EXPECT_EQ(envOff.exit, 0) << envOff.err;
    EXPECT_EQ(envOff.out, cached.out);
    EXPECT_EQ(bad.exit, 1);
    EXPECT_TRUE(Contains(bad.err, "TAGWRIGHT_CACHE_MB")) << bad.err;
    EXPECT_EQ(run({"--cache-mb", "-1", "usage", book().string()}).exit, 1);
}

// ---- errors -------------------------------------------------------------------------------

TEST_F(Tool, FilesThatCannotBeReadNameTheFileAndExitTwo)
{
    Result missing = run({"usage", file("nothing.mif").string()});
    EXPECT_EQ(missing.exit, 2);
    EXPECT_TRUE(Contains(missing.err, "nothing.mif")) << missing.err;
    // A path from the root of the drive is a path on Windows too, not a "/option".
    Result rooted = run({"usage", "/no-such-folder/nothing.mif"});
    EXPECT_EQ(rooted.exit, 2) << rooted.err;
    EXPECT_TRUE(Contains(rooted.err, "nothing.mif")) << rooted.err;

    {
        std::ofstream bin(file("binary.fm"), std::ios::binary);
        bin << std::string("\x00\x01\x02<MakerFile 15.0>", 19);
    }
    Result binary = run({"usage", file("binary.fm").string()});
    EXPECT_EQ(binary.exit, 2);
    EXPECT_TRUE(Contains(binary.err, "binary.fm")) << binary.err;
    EXPECT_TRUE(Contains(binary.err, "MIF")) << binary.err;

    {
        std::ofstream bad(file("broken.mif"));
        bad << "<MIFFile 2019>\n<PgfCatalog\n <Pgf\n  <PgfTag `Body'>\n";
    }
    Result truncated = run({"usage", file("broken.mif").string()});
    EXPECT_EQ(truncated.exit, 2);
    EXPECT_TRUE(Contains(truncated.err, "broken.mif")) << truncated.err;
    EXPECT_TRUE(Contains(truncated.err, "line")) << truncated.err;
}

TEST_F(Tool, BadUsageExitsOne)
{
    EXPECT_EQ(run({}).exit, 1);
    EXPECT_EQ(run({"usage"}).exit, 1);
    EXPECT_EQ(run({"frobnicate", book().string()}).exit, 1);
    EXPECT_EQ(run({"make-list", book().string(), "--choice", "some"}).exit, 1);
    EXPECT_EQ(run({"keep-listed", book().string()}).exit, 1); // --table is required
}

TEST_F(Tool, AboutAndVersion)
{
    Result about = run({"about"});
    ASSERT_EQ(about.exit, 0) << about.err;
    EXPECT_EQ(about.out.rfind("Tagwright \nVersion 2.1 Build 104 \n", 0), 0u) << about.out;
    Result version = run({"--version"});
    EXPECT_EQ(version.exit, 0);
    EXPECT_TRUE(Contains(version.out, "tagwright 2.1.0")) << version.out;
}

} // namespace
} // namespace tw::cli_test
