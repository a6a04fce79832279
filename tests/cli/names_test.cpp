// names_test.cpp - tags the plug-in cannot carry in its encoding (Japanese tags arrive with
// every character substituted, so 見出し and 本文書 arrive as the same text): the plug-in never
// converts, deletes or keeps by such a name, and says what it left alone; the tool's own
// listings keep the real names.

#include "tests/cli/tool_fixture.h"

#include "host/model/builder.h"
#include "host/files/mif_store.h"

namespace tw::cli_test {
namespace {

const std::string kHeading = "\xE8\xA6\x8B\xE5\x87\xBA\xE3\x81\x97";  // 見出し
const std::string kBodyText = "\xE6\x9C\xAC\xE6\x96\x87\xE6\x9B\xB8"; // 本文書
const std::string kTable = "\xE8\xA1\xA8";                            // 表
// Three substitution characters, as the tool shows what the plug-in wrote or said.
const std::string kMangled3 = "\\x1a\\x1a\\x1a";

class Names : public Tool {
protected:
    // Writes a document with the given formats, paragraphs (tag, text) and optional table.
    void writeDoc(const std::string& name, const std::vector<std::string>& formats,
                  const std::vector<std::pair<std::string, std::string>>& paragraphs,
                  const std::vector<std::vector<std::string>>& table = {})
    {
        host::Model m;
        host::DocBuilder b(m, file(name).string());
        for (const auto& f : formats)
            b.format(f);
        for (const auto& [tag, text] : paragraphs)
            b.paragraph(tag, text);
        if (!table.empty())
            b.table(table);
        auto doc = b.build();
        host::MifStore store;
        std::string error;
        ASSERT_TRUE(store.save(m, *doc, file(name).string(), error)) << error;
    }

    // The tags of a saved document's paragraphs by text, and its catalogue's names.
    void readDoc(const std::string& name, std::map<std::string, std::string>& tagOf,
                 std::vector<std::string>& catalogue) const
    {
        host::Model m;
        host::MifStore store;
        host::LoadResult loaded = store.load(m, file(name).string());
        ASSERT_TRUE(loaded.doc) << loaded.error;
        for (const auto& [id, p] : loaded.doc->paragraphs)
            tagOf[p.text] = p.tag;
        for (ObjectId id : loaded.doc->catalogue)
            if (const host::PgfFormat* f = loaded.doc->format(id))
                catalogue.push_back(f->name);
    }

    static bool Has(const std::vector<std::string>& names, const std::string& name)
    {
        return std::find(names.begin(), names.end(), name) != names.end();
    }
};

TEST_F(Names, AConversionRowWithAnUnreadableTagConvertsNothing)
{
    writeDoc("doc.mif", {"Body", "Old", kHeading, kBodyText},
             {{kHeading, "heading"}, {kBodyText, "body one"}, {kBodyText, "body two"}, {"Old", "old"}});
    writeDoc("conversion.mif", {"Body", "CellHeading", "CellBody"}, {{"Body", "Conversion"}},
             {{"Source Tag", "Destination Tag"}, {kHeading, "Body"}, {"Old", "Body"}, {"Body", kBodyText}});
    Result r =
        run({"--yes", "--write", "convert", file("doc.mif").string(), "--table", file("conversion.mif").string()});
    ASSERT_EQ(r.exit, 0) << r.err;

    std::map<std::string, std::string> tagOf;
    std::vector<std::string> catalogue;
    readDoc("doc.mif", tagOf, catalogue);
    EXPECT_EQ(tagOf["heading"], kHeading);
    EXPECT_EQ(tagOf["body one"], kBodyText); // not retagged by the row naming 見出し
    EXPECT_EQ(tagOf["body two"], kBodyText);
    EXPECT_EQ(tagOf["old"], "Body"); // the other rows still apply
    EXPECT_TRUE(Contains(r.err, "Skipped conversion row '" + kMangled3 + "' -> 'Body'")) << r.err;
    EXPECT_TRUE(Contains(r.err, "Skipped conversion row 'Body' -> '" + kMangled3 + "'")) << r.err;
    EXPECT_TRUE(Contains(r.out, "retagged Old -> Body: 1")) << r.out; // the tool's summary: real names
}

TEST_F(Names, DeletionsLeaveFormatsWithUnreadableNames)
{
    // delete-unused: 見出し is used by no paragraph, but its name cannot be told from others'.
    writeDoc("unused.mif", {"Body", "OldStyle", kHeading}, {{"Body", "text"}});
    Result deleted = run({"--yes", "--write", "delete-unused", file("unused.mif").string()});
    ASSERT_EQ(deleted.exit, 0) << deleted.err;
    std::map<std::string, std::string> tagOf;
    std::vector<std::string> catalogue;
    readDoc("unused.mif", tagOf, catalogue);
    EXPECT_TRUE(Has(catalogue, kHeading));
    EXPECT_FALSE(Has(catalogue, "OldStyle"));
    EXPECT_TRUE(Contains(deleted.err, "unused.mif: kept paragraph format '" + kMangled3 + "'")) << deleted.err;

    // keep-listed: the list names Body and 表; 本文書 carries paragraphs and is not listed,
    // 見出し is not listed: neither is deleted by its substituted name.
    writeDoc("keep.mif", {"Body", "OldStyle", kHeading, kBodyText}, {{"Body", "text"}, {kBodyText, "body"}});
    writeDoc("list.mif", {"Body", "CellHeading", "CellBody"}, {{"Body", "List"}},
             {{"Tags to Keep"}, {"Body"}, {kTable}});
    Result kept =
        run({"--yes", "--write", "keep-listed", file("keep.mif").string(), "--table", file("list.mif").string()});
    ASSERT_EQ(kept.exit, 0) << kept.err;
    tagOf.clear();
    catalogue.clear();
    readDoc("keep.mif", tagOf, catalogue);
    EXPECT_TRUE(Has(catalogue, kHeading));
    EXPECT_TRUE(Has(catalogue, kBodyText));
    EXPECT_TRUE(Has(catalogue, "Body"));
    EXPECT_FALSE(Has(catalogue, "OldStyle"));
    EXPECT_TRUE(Contains(kept.err, "Skipped list entry '\\x1a'")) << kept.err;
    EXPECT_TRUE(Contains(kept.err, "keep.mif: kept paragraph format '" + kMangled3 + "'")) << kept.err;
}

TEST_F(Names, UsageListsWhatArrivedAndSaysSoWhileStatsShowsRealNames)
{
    writeDoc("doc.mif", {"Body", kHeading, kBodyText}, {{kHeading, "h"}, {kBodyText, "b1"}, {kBodyText, "b2"}});
    Result usage = run({"usage", file("doc.mif").string()});
    ASSERT_EQ(usage.exit, 0) << usage.err;
    // Both tags arrive as one name: listed once, and the console says it may be several.
    EXPECT_TRUE(Contains(usage.out, "## Paragraph Tags Used:\n" + kMangled3 + "\n## Paragraph Tags Not Used:\nBody\n"))
        << usage.out;
    EXPECT_TRUE(Contains(usage.err, "Paragraph tag '" + kMangled3 + "'")) << usage.err;
    EXPECT_TRUE(Contains(usage.err, "may stand for several")) << usage.err;

    Result stats = run({"stats", file("doc.mif").string()});
    ASSERT_EQ(stats.exit, 0) << stats.err;
    EXPECT_TRUE(Contains(stats.out, "\n" + kHeading + " ")) << stats.out;
    EXPECT_TRUE(Contains(stats.out, "\n" + kBodyText + " ")) << stats.out;
}

#if !defined(TAGWRIGHT_TOOL_IN_PROCESS) // a narrow Japanese file name is not a Windows path
TEST_F(Names, AChapterWhoseFileNameIsUnreadableCouldNotBeOpened)
{
    fs::rename(chapter("Intro.mif"), chapter(kTable + ".mif"));
    edit(book(), "<c\\>Intro.fm", "<c\\>" + kTable + ".mif");
    Result usage = run({"usage", book().string()});
    EXPECT_EQ(usage.exit, 2) << usage.err;
    EXPECT_TRUE(Contains(usage.err, "Could not open file:")) << usage.err;
    Result stats = run({"stats", book().string()}); // the tool itself reads it
    EXPECT_EQ(stats.exit, 0) << stats.err;
    EXPECT_TRUE(Contains(stats.out, kTable + ".mif")) << stats.out;
}
#endif

} // namespace
} // namespace tw::cli_test
