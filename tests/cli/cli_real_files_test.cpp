// cli_real_files_test.cpp - what files written elsewhere bring to tagwright: formats named like
// used tags in another letter case, format-less paragraphs with properties of their own,
// values spelled out that the host also takes by default, and books made on Windows (drive
// volumes in device-independent paths, chapters saved under another letter case).
#include "tests/cli/tool_fixture.h"
#include "tests/small_mif.h"

#include "host/model/builder.h"
#include "host/files/mif_store.h"

namespace tw::cli_test {
namespace {

using small_mif::kCentred;
using Names = std::vector<std::string>;

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// Where file names are not told apart by letter case, the host may name a file as the book does.
std::string Lower(std::string text)
{
    for (char& c : text)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return text;
}

class RealFiles : public Tool {
protected:
    fs::path Write(const std::string& name, const std::string& bytes)
    {
        fs::create_directories(file(name).parent_path());
        std::ofstream(file(name), std::ios::binary) << bytes;
        return file(name);
    }

    // The catalogue of a file as the host reads it; stops the test when it cannot be read.
    void CatalogueOf(const fs::path& path, Names& names)
    {
        host::Model m;
        host::LoadResult loaded = host::LoadMifFile(m, path.string());
        ASSERT_TRUE(loaded.doc) << loaded.error;
        for (ObjectId f : loaded.doc->catalogue)
            names.push_back(loaded.doc->format(f)->name);
    }

    // The lines under "Paragraph Tags Not Used:" of a document's usage listing.
    std::string NotUsed(const fs::path& doc)
    {
        Result r = run({"usage", doc.string()});
        EXPECT_EQ(r.exit, 0) << r.err;
        const size_t at = r.out.find("## Paragraph Tags Not Used:\n");
        return at == std::string::npos ? "<no section>" : r.out.substr(at + 28);
    }
};

// ---- delete-unused: the exact name decides -------------------------------------------------

TEST_F(RealFiles, FormatsNoParagraphCarriesAreDeletedThoughATagDiffersOnlyInCase)
{
    fs::path doc = Write("case.mif", small_mif::Document({"Body", "body", "Step Single", "Step single", "Extra"},
                                                         {{"Body", "a", ""}, {"Step Single", "b", ""}}));
    EXPECT_EQ(NotUsed(doc), "Extra\nStep single\nbody\n");

    Result preview = run({"--yes", "--dry-run", "delete-unused", doc.string()});
    ASSERT_EQ(preview.exit, 0) << preview.err;
    EXPECT_TRUE(Contains(preview.out, "would delete 3 formats")) << preview.out;
    EXPECT_TRUE(Contains(preview.out, "  would be deleted: \"body\", \"Step single\", \"Extra\"\n")) << preview.out;

    Result r = run({"--yes", "--write", "delete-unused", doc.string()});
    ASSERT_EQ(r.exit, 0) << r.err;
    Names names;
    ASSERT_NO_FATAL_FAILURE(CatalogueOf(doc, names));
    EXPECT_EQ(names, (Names{"Body", "Step Single"}));
    EXPECT_EQ(NotUsed(doc), "");
}

TEST_F(RealFiles, ACaseTwinThatParagraphsCarryIsSparedInADocumentAndABook)
{
    fs::path doc = Write(
        "both.mif", small_mif::Document({"Body", "body", "Extra"}, {{"body", "lower", ""}, {"Body", "upper", ""}}));
    Result r = run({"--yes", "--write", "delete-unused", doc.string()});
    ASSERT_EQ(r.exit, 0) << r.err;
    EXPECT_TRUE(Contains(r.out, "  formats deleted: \"Extra\"\n")) << r.out;
    Names names;
    ASSERT_NO_FATAL_FAILURE(CatalogueOf(doc, names));
    EXPECT_EQ(names, (Names{"Body", "body"}));

    // Book-wide: "body" is carried in two.mif only, "Note" nowhere.
    Write("b/one.mif", small_mif::Document({"Body", "body", "Note"}, {{"Body", "upper", ""}}));
    Write("b/two.mif", small_mif::Document({"Body", "body", "Note"}, {{"body", "lower", ""}}));
    fs::path book = Write("b/B.book.mif", small_mif::Book({"one.mif", "two.mif"}));
    Result inBook = run({"--yes", "delete-unused", book.string()});
    ASSERT_EQ(inBook.exit, 0) << inBook.err;
    for (const char* name : {"b/one.mif", "b/two.mif"}) {
        Names kept;
        ASSERT_NO_FATAL_FAILURE(CatalogueOf(file(name), kept));
        EXPECT_EQ(kept, (Names{"Body", "body"})) << name;
    }
}

// ---- the change summary counts the overrides removed ----------------------------------------

TEST_F(RealFiles, RemovedOverridesCountOnlyParagraphsThatLostTheirOverrides)
{
    // "Loose" has no format: its flag is cleared but it keeps its properties.
    fs::path doc = Write("over.mif", small_mif::Document({"Body", "Note"}, {{"Body", "centred", kCentred},
                                                                            {"Loose", "own", kCentred},
                                                                            {"Loose", "more", kCentred},
                                                                            {"Body", "plain", ""}}));
    Result preview = run({"--yes", "--dry-run", "remove-overrides", doc.string()});
    ASSERT_EQ(preview.exit, 0) << preview.err;
    EXPECT_TRUE(Contains(preview.out, "remove 1 override\n")) << preview.out;
    Result r = run({"--yes", "--write", "remove-overrides", doc.string()});
    ASSERT_EQ(r.exit, 0) << r.err;
    EXPECT_TRUE(Contains(r.out, "removed 1 override\n")) << r.out;
}

// ---- compare: one meaning, one value --------------------------------------------------------

TEST_F(RealFiles, CompareTakesSpelledOutDefaultsAsTheDefaults)
{
    const std::string spelled = "<MIFFile 2019>\n<PgfCatalog\n <Pgf\n  <PgfTag `Body'>\n"
                                "  <PgfMinWordSpace 90>\n  <PgfMaxWordSpace 110>\n  <PgfOptWordSpace 100>\n"
                                "  <PgfLetterSpace No>\n  <PgfFont\n   <FSize  12.0 pt>\n   <FStretch 100.0%>\n"
                                "   <FDW 0.0%>\n  >\n >\n>\n# End of MIFFile\n";
    fs::path doc = Write("spelled.mif", spelled);
    fs::path implicit = Write("implicit.mif", small_mif::Document({"Body"}, {}));
    Result r = run({"compare", doc.string(), implicit.string()});
    EXPECT_EQ(r.exit, 0) << r.out << r.err;
    EXPECT_TRUE(Contains(r.out, "The paragraph catalogues are the same.")) << r.out;

    // Every property the host knows, written out by the host at its default value.
    host::Model m;
    host::DocBuilder b(m, file("full.mif").string());
    b.format("Body").paragraph("Body", "text");
    auto full = b.build();
    host::MifStore store;
    std::string error;
    ASSERT_TRUE(store.save(m, *full, file("full.mif").string(), error)) << error;
    Result all = run({"compare", implicit.string(), file("full.mif").string()});
    EXPECT_EQ(all.exit, 0) << all.out << all.err;

    // A real difference is still one.
    Write("wider.mif", std::string(spelled).replace(spelled.find("110"), 3, "120"));
    Result wider = run({"compare", file("wider.mif").string(), implicit.string()});
    EXPECT_EQ(wider.exit, 4);
    EXPECT_TRUE(Contains(wider.out, "PgfMaxWordSpace")) << wider.out;
    EXPECT_TRUE(Contains(wider.out, "120.00%")) << wider.out;
}

// ---- books made on Windows -----------------------------------------------------------------

TEST_F(RealFiles, WindowsBookPathsAreReadAsTheMifReferenceDefinesThem)
{
    // A volume path whose chapter lies beside the book under another case, a chapter named
    // .fm saved as .MIF, and a volume path that names nothing here.
    Write("w/Ch1.MIF", small_mif::Document({"Body", "Step"}, {{"Step", "one", ""}}));
    Write("w/Intro.MIF", small_mif::Document({"Body"}, {{"Body", "intro", ""}}));
    fs::path book = Write("w/W.book.mif", small_mif::Book({"<v\\>O:<c\\>Bills 09<c\\>Ch1.fm", "<c\\>Intro.fm",
                                                           "<v\\>O:<c\\>Bills 09<c\\>Gone.fm"}));
    Result usage = run({"usage", "--each-file", book.string()});
    EXPECT_EQ(usage.exit, 2) << usage.err;
    EXPECT_TRUE(Contains(Lower(usage.out), "# ch1.mif\n## paragraph tags used:\nstep\n")) << usage.out;
    EXPECT_TRUE(Contains(Lower(usage.out), "# intro.mif\n## paragraph tags used:\nbody\n")) << usage.out;
    EXPECT_TRUE(Contains(usage.err, "Could not open file:O:")) << usage.err;
    EXPECT_TRUE(Contains(usage.err, "Bills 09")) << usage.err;
    EXPECT_FALSE(Contains(usage.err, "O::")) << usage.err;
    EXPECT_FALSE(Contains(usage.err, "/O:")) << usage.err;

    Result stats = run({"--format", "json", "stats", book.string()});
    EXPECT_EQ(stats.exit, 2);
    EXPECT_TRUE(Contains(stats.out, "\"path\": \"O:")) << stats.out;
    EXPECT_FALSE(Contains(stats.out, "O::")) << stats.out;
}

} // namespace
} // namespace tw::cli_test
