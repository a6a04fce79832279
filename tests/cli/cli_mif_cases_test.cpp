// cli_mif_cases_test.cpp - small hand-written MIF files through tagwright: a list made from
// the tags in use keeps both spellings of a tag, footnotes are converted and cleaned in a
// document and a book, and a format-less paragraph with its own properties is an override.
#include "tests/cli/tool_fixture.h"
#include "tests/small_mif.h"

#include "host/model/builder.h"
#include "host/files/mif_store.h"

namespace tw::cli_test {
namespace {

using small_mif::kCentred;
using Names = std::vector<std::string>;

class MifCases : public Tool {
protected:
    fs::path Write(const std::string& name, const std::string& bytes)
    {
        std::ofstream(file(name), std::ios::binary) << bytes;
        return file(name);
    }

    // A conversion table as a user fills it in, saved as MIF.
    void WriteConversionTable(const std::string& source, const std::string& destination)
    {
        host::Model m;
        host::DocBuilder b(m, file("conversion.mif").string());
        b.format("Body").format("CellHeading").format("CellBody").paragraph("Body", "Conversion");
        b.table({{"Source Tag", "Destination Tag"}, {source, destination}});
        auto doc = b.build();
        host::MifStore store;
        std::string error;
        ASSERT_TRUE(store.save(m, *doc, file("conversion.mif").string(), error)) << error;
    }

    // Loads a file as the host reads it; stops the test when it cannot.
    void Load(const fs::path& path, host::Model& m, host::LoadResult& loaded)
    {
        loaded = host::LoadMifFile(m, path.string());
        ASSERT_TRUE(loaded.doc) << loaded.error;
    }

    static Names Catalogue(host::Document& d)
    {
        Names names;
        for (ObjectId f : d.catalogue)
            names.push_back(d.format(f)->name);
        return names;
    }

    // Tag and whether it reads as overridden, of the only footnote paragraph of a file.
    void FootnoteOf(const fs::path& path, std::string& tag, bool& overridden)
    {
        host::Model m;
        host::LoadResult loaded;
        ASSERT_NO_FATAL_FAILURE(Load(path, m, loaded));
        host::Document& d = *loaded.doc;
        ASSERT_EQ(d.textHolders.size(), 1u) << path;
        ASSERT_EQ(d.holder(d.textHolders[0])->paragraphs.size(), 1u) << path;
        const host::Paragraph* p = d.paragraph(d.holder(d.textHolders[0])->paragraphs[0]);
        tag = p->tag;
        overridden = p->overridden;
    }
};

TEST_F(MifCases, KeepListedWithTheTagsInUseKeepsBothSpellings)
{
    fs::path doc = Write("case.mif",
                         small_mif::Document({"Body", "body", "Note"}, {{"body", "lower", ""}, {"Body", "upper", ""}}));
    Result list = run({"-o", file("keep.mif").string(), "make-list", "--choice", "in-use", doc.string()});
    ASSERT_EQ(list.exit, 0) << list.err;
    EXPECT_EQ(list.out, "| Tags to Keep |\n| Body |\n| body |\n");

    Result kept = run({"--yes", "--write", "keep-listed", doc.string(), "--table", file("keep.mif").string()});
    ASSERT_EQ(kept.exit, 0) << kept.err;
    host::Model m;
    host::LoadResult loaded;
    ASSERT_NO_FATAL_FAILURE(Load(doc, m, loaded));
    EXPECT_EQ(Catalogue(*loaded.doc), (Names{"Body", "body"}));

    Result conversion = run({"make-conversion", "--choice", "in-use", doc.string()});
    ASSERT_EQ(conversion.exit, 0) << conversion.err;
    EXPECT_EQ(conversion.out, "| Source Tag | Destination Tag |\n| Body |  |\n| body |  |\n");
}

TEST_F(MifCases, ConvertAndRemoveOverridesReachFootnotes)
{
    small_mif::Para note{"Footnote", "a footnote", kCentred};
    const Names formats{"Body", "Footnote", "Note"};
    fs::path doc = Write("notes.mif", small_mif::Document(formats, {{"Body", "text", ""}}, &note));
    fs::path one = Write("one.mif", small_mif::Document(formats, {{"Body", "one", ""}}, &note));
    fs::path two = Write("two.mif", small_mif::Document(formats, {{"Body", "two", ""}}, &note));
    fs::path book = Write("Notes.book.mif", small_mif::Book({"one.mif", "two.mif"}));
    std::string tag;
    bool overridden = false;

    // A document, saved with --write.
    Result cleaned = run({"--yes", "--write", "remove-overrides", doc.string()});
    ASSERT_EQ(cleaned.exit, 0) << cleaned.err;
    ASSERT_NO_FATAL_FAILURE(FootnoteOf(doc, tag, overridden));
    EXPECT_FALSE(overridden) << "the footnote's own centring is gone";
    ASSERT_NO_FATAL_FAILURE(WriteConversionTable("Footnote", "Note"));
    Result converted = run({"--yes", "--write", "convert", doc.string(), "--table", file("conversion.mif").string()});
    ASSERT_EQ(converted.exit, 0) << converted.err;
    ASSERT_NO_FATAL_FAILURE(FootnoteOf(doc, tag, overridden));
    EXPECT_EQ(tag, "Note");

    // A book: its files are saved by the command itself.
    Result bookCleaned = run({"--yes", "remove-overrides", book.string()});
    ASSERT_EQ(bookCleaned.exit, 0) << bookCleaned.err;
    Result bookConverted = run({"--yes", "convert", book.string(), "--table", file("conversion.mif").string()});
    ASSERT_EQ(bookConverted.exit, 0) << bookConverted.err;
    for (const auto& chapter : {one, two}) {
        ASSERT_NO_FATAL_FAILURE(FootnoteOf(chapter, tag, overridden));
        EXPECT_EQ(tag, "Note") << chapter;
        EXPECT_FALSE(overridden) << chapter;
    }
}

TEST_F(MifCases, FormatlessParagraphWithItsOwnPropertiesIsFoundAndKeepsThem)
{
    fs::path doc = Write("orphan.mif", small_mif::Document({"Body"}, {{"Body", "start", ""},
                                                                      {"Stray", "no format, no properties", ""},
                                                                      {"Orphan", "no format, centred", kCentred},
                                                                      {"Body", "end", ""}}));
    Result found = run({"next-override", doc.string()});
    ASSERT_EQ(found.exit, 0) << found.err;
    EXPECT_EQ(found.out, "no format, centred\n");

    Result removed = run({"--yes", "--write", "remove-overrides", doc.string()});
    ASSERT_EQ(removed.exit, 0) << removed.err;
    EXPECT_TRUE(Contains(Slurp(doc), "<PgfAlignment Center>")) << "no format to apply: its properties stay";
    Result again = run({"next-override", doc.string()});
    EXPECT_EQ(again.out, "no format, centred\n") << "its properties, read again, still make it an override";
}

TEST_F(MifCases, WithoutAColourCatalogueTheBuiltInColoursCountAndConvertedParagraphsAreNotOverridden)
{
    const std::string original = Slurp(fs::path(TAGWRIGHT_SOURCE_DIR) / "tests" / "data" / "no-color-catalog.mif");
    fs::path doc = Write("no-colours.mif", original);
    ASSERT_NO_FATAL_FAILURE(WriteConversionTable("Body", "Heading"));
    Result converted = run({"--yes", "--write", "convert", doc.string(), "--table", file("conversion.mif").string()});
    ASSERT_EQ(converted.exit, 0) << converted.err;
    Result next = run({"next-override", doc.string()});
    EXPECT_EQ(next.out, "") << "the converted paragraph took the format's Black";
    EXPECT_TRUE(Contains(next.err, "End of document reached.")) << next.err;
    const std::string saved = Slurp(doc);
    EXPECT_FALSE(Contains(saved, "<FColor `'>")) << saved;

    // Removing overrides leaves the red of a format that names a built-in colour.
    Write("no-colours.mif", original);
    Result removed = run({"--yes", "--write", "remove-overrides", doc.string()});
    ASSERT_EQ(removed.exit, 0) << removed.err;
    host::Model m;
    host::LoadResult loaded;
    ASSERT_NO_FATAL_FAILURE(Load(doc, m, loaded));
    for (const auto& [id, p] : loaded.doc->paragraphs) {
        SCOPED_TRACE(p.text);
        EXPECT_FALSE(p.overridden);
        EXPECT_EQ(std::get<std::string>(p.props.at(751)), p.tag == "Warning" ? "Red" : "Black");
    }
}

TEST_F(MifCases, NoBackgroundColourIsReportedByItsName)
{
    fs::path doc = fs::path(TAGWRIGHT_SOURCE_DIR) / "tests" / "data" / "unmodelled-statements-mif2019.mif";
    Result report = run({"report", "--tag", "Body", doc.string()});
    ASSERT_EQ(report.exit, 0) << report.err;
    EXPECT_TRUE(Contains(report.out, "\nBackground Color: NoColor \n")) << report.out;
}

} // namespace
} // namespace tw::cli_test
