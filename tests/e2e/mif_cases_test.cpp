// mif_cases_test.cpp - small hand-written MIF files through the loaded plug-in: tags that
// differ only in letter case kept by a list made from the tags in use, footnote paragraphs
// converted and cleaned in a document and in a book, and a paragraph whose tag names no
// format but which carries property statements of its own.
#include <filesystem>
#include <fstream>

#include "host/files/mif_store.h"
#include "plugin_fixture.h"
#include "tests/small_mif.h"

namespace tw::e2e {
namespace {

namespace fs = std::filesystem;
using Names = std::vector<std::string>;

using small_mif::kCentred;
using MifPara = small_mif::Para;

class MifCasesTest : public PluginTest {
protected:
    MifCasesTest()
    {
        char pattern[] = "/tmp/tw-mif-cases-XXXXXX";
        if (mkdtemp(pattern))
            dir = pattern;
        session.setStore(&mif);
    }
    ~MifCasesTest() override
    {
        std::error_code ec;
        if (!dir.empty())
            fs::remove_all(dir, ec);
    }

    std::string Write(const std::string& name, const std::string& bytes)
    {
        std::string path = (dir / name).string();
        std::ofstream(path, std::ios::binary) << bytes;
        return path;
    }

    // A MIF book of the given files, written beside them.
    std::string WriteBook(const Names& files) { return Write("Manual.book.mif", small_mif::Book(files)); }

    // Opens a file as the user would and makes it active; stops the test when it cannot.
    void OpenFile(const std::string& path, ObjectId& id)
    {
        std::string error;
        id = session.open(path, &error);
        ASSERT_NE(id, 0u) << error;
        session.activate(id);
    }

    // Reads a saved file back; stops the test when it cannot.
    void Reread(const std::string& path, Model& into, host::LoadResult& loaded)
    {
        loaded = host::LoadMifFile(into, path);
        ASSERT_TRUE(loaded.doc) << loaded.error;
    }

    // The document holding a conversion table with the given (source, destination) rows,
    // open and untitled.
    void OpenConversionTable(const std::vector<std::vector<std::string>>& pairs)
    {
        DocBuilder doc(model());
        std::vector<std::vector<std::string>> rows{{"Source Tag", "Destination Tag"}};
        rows.insert(rows.end(), pairs.begin(), pairs.end());
        doc.format("Body").paragraph("Body", "Conversions").table(rows, 1);
        Open(doc);
    }

    static Names Catalogue(const Document& d)
    {
        Names names;
        for (ObjectId f : d.catalogue)
            names.push_back(const_cast<Document&>(d).format(f)->name);
        return names;
    }

    // The only paragraph of the document's only footnote.
    static const host::Paragraph* Footnote(Document& d)
    {
        if (d.textHolders.size() != 1 || d.holder(d.textHolders[0])->paragraphs.size() != 1)
            return nullptr;
        return d.paragraph(d.holder(d.textHolders[0])->paragraphs[0]);
    }

    // The first column of the table in the only output document, heading row included.
    Names ListColumn()
    {
        auto outputs = session.outputDocuments();
        if (outputs.size() != 1)
            return {};
        Document& out = *model().document(outputs[0]);
        if (out.tables.size() != 1)
            return {};
        Names column;
        for (const auto& row : session.tableTexts(outputs[0], out.tables[0]))
            column.push_back(row.empty() ? "" : row[0]);
        return column;
    }

    fs::path dir;
    host::MifStore mif;
};

// ---- a list made from the tags in use keeps every format in use -------------------------

TEST_F(MifCasesTest, ListFromTagsInUseKeepsBothSpellingsOfATag)
{
    std::string path = Write(
        "case.mif", small_mif::Document({"Body", "body", "Note"}, {{"body", "lower", ""}, {"Body", "upper", ""}}));
    Load();
    ObjectId doc = 0;
    ASSERT_NO_FATAL_FAILURE(OpenFile(path, doc));

    session.chooseFromList("Paragraph Tags in Use");
    session.command(TW_CMD_CREATE_LIST);
    EXPECT_EQ(ListColumn(), (Names{"Tags to Keep", "Body", "body"}));

    session.activate(doc);
    session.answerAlert(0);
    session.command(TW_CMD_REMOVE_NONLIST);
    EXPECT_EQ(Catalogue(*model().document(doc)), (Names{"Body", "body"})) << "only the unused format goes";

    // The usage listing keeps its rule: one spelling per tag, the other format listed unused.
    session.activate(doc);
    session.command(TW_CMD_LIST_USAGE);
    EXPECT_EQ(Output(), (std::vector<ParagraphText>{H1("case.mif"), H2("Paragraph Tags Used:"), Body("body"),
                                                    H2("Paragraph Tags Not Used:"), Body("Body")}));
}

TEST_F(MifCasesTest, BookTablesFromTagsInUseListEverySpelling)
{
    Write("one.mif", small_mif::Document({"Body", "Note"}, {{"Body", "upper", ""}}));
    Write("two.mif", small_mif::Document({"body", "Note"}, {{"body", "lower", ""}}));
    std::string book = WriteBook({"one.mif", "two.mif"});
    Load();
    ObjectId id = 0;
    ASSERT_NO_FATAL_FAILURE(OpenFile(book, id));

    session.chooseFromList("Paragraph Tags in Use");
    session.command(TW_CMD_CREATE_LIST_BOOK);
    EXPECT_EQ(ListColumn(), (Names{"Tags to Keep", "Body", "body"}));

    session.activate(id);
    session.chooseFromList("All Paragraph Tags");
    session.command(TW_CMD_CREATE_CONVERSION_BOOK);
    EXPECT_EQ(ListColumn(), (Names{"Source Tag", "Body", "body", "Note"}));
}

// ---- footnote paragraphs are converted and cleaned -------------------------------------

TEST_F(MifCasesTest, ConvertAndRemoveOverridesReachFootnotesInADocument)
{
    MifPara note{"Footnote", "a footnote", kCentred};
    std::string path =
        Write("notes.mif", small_mif::Document({"Body", "Footnote", "Note"}, {{"Body", "text", ""}}, &note));
    OpenConversionTable({{"Footnote", "Note"}});
    Load();
    ObjectId doc = 0;
    ASSERT_NO_FATAL_FAILURE(OpenFile(path, doc));
    const host::Paragraph* footnote = Footnote(*model().document(doc));
    ASSERT_NE(footnote, nullptr);
    EXPECT_TRUE(footnote->overridden);

    session.answerAlert(0);
    session.command(TW_CMD_REMOVE_OVERRIDES);
    EXPECT_FALSE(footnote->overridden);
    EXPECT_EQ(footnote->props, model().document(doc)->formatByName("Footnote")->props);

    session.answerAlert(0);
    session.command(TW_CMD_CONVERT);
    EXPECT_EQ(footnote->tag, "Note");
}

TEST_F(MifCasesTest, ConvertAndRemoveOverridesReachFootnotesInABook)
{
    MifPara note{"Footnote", "a footnote", kCentred};
    std::string one =
        Write("one.mif", small_mif::Document({"Body", "Footnote", "Note"}, {{"Body", "text", ""}}, &note));
    std::string two =
        Write("two.mif", small_mif::Document({"Body", "Footnote", "Note"}, {{"Body", "more", ""}}, &note));
    std::string book = WriteBook({"one.mif", "two.mif"});
    Load();
    ObjectId id = 0;
    ASSERT_NO_FATAL_FAILURE(OpenFile(book, id));

    session.answerAlert(0);
    session.command(TW_CMD_REMOVE_OVERRIDES_BOOK);
    for (const auto& path : {one, two}) {
        Model m;
        host::LoadResult loaded;
        ASSERT_NO_FATAL_FAILURE(Reread(path, m, loaded));
        const host::Paragraph* footnote = Footnote(*loaded.doc);
        ASSERT_NE(footnote, nullptr) << path;
        EXPECT_FALSE(footnote->overridden) << path;
        EXPECT_EQ(footnote->tag, "Footnote") << path;
    }

    OpenConversionTable({{"Footnote", "Note"}});
    session.activate(id);
    session.answerAlert(0);
    session.command(TW_CMD_CONVERT_BOOK);
    for (const auto& path : {one, two}) {
        Model m;
        host::LoadResult loaded;
        ASSERT_NO_FATAL_FAILURE(Reread(path, m, loaded));
        const host::Paragraph* footnote = Footnote(*loaded.doc);
        ASSERT_NE(footnote, nullptr) << path;
        EXPECT_EQ(footnote->tag, "Note") << path;
        EXPECT_EQ(footnote->text, "a footnote") << path;
    }
}

// ---- a tag without a format, with properties of its own ---------------------------------

TEST_F(MifCasesTest, FormatlessParagraphWithItsOwnPropertiesIsAnOverride)
{
    std::string path = Write("orphan.mif", small_mif::Document({"Body"}, {{"Body", "start", ""},
                                                                          {"Stray", "no format, no properties", ""},
                                                                          {"Orphan", "no format, centred", kCentred},
                                                                          {"Body", "end", ""}}));
    Load();
    ObjectId doc = 0;
    ASSERT_NO_FATAL_FAILURE(OpenFile(path, doc));
    Document& d = *model().document(doc);
    ObjectId first = d.firstParagraphOfFlow(d.mainFlow);
    ObjectId stray = d.nextParagraph(first);
    ObjectId orphan = d.nextParagraph(stray);
    ASSERT_NE(orphan, 0u);
    EXPECT_FALSE(d.paragraph(stray)->overridden);
    const host::PgfProps centred = d.paragraph(orphan)->props;

    d.selection = {{first, 0}, {first, 0}};
    session.command(TW_CMD_FIND_NEXT_OVERRIDE);
    EXPECT_EQ(d.selection.begin.object, orphan) << "the walk stops at the paragraph with its own properties";
    EXPECT_TRUE(session.alerts().empty());

    session.answerAlert(0);
    session.command(TW_CMD_REMOVE_OVERRIDES);
    EXPECT_EQ(d.paragraph(orphan)->props, centred) << "no format to apply: its properties stay";
    EXPECT_FALSE(d.paragraph(orphan)->overridden) << "in a body flow the flag is cleared";
    EXPECT_EQ(d.paragraph(orphan)->tag, "Orphan");
}

} // namespace
} // namespace tw::e2e
