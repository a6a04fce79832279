// tables_test.cpp - the list and conversion tables as the user meets them: the table each
// building command writes (kind, headings, rows, widths), finding a table again among the open
// documents by its heading, and keeping only the listed formats in a document or a book.
#include "plugin_fixture.h"

namespace tw::e2e {
namespace {

using Cells = std::vector<std::vector<std::string>>;
using Names = std::vector<std::string>;

constexpr int32_t kTwoInches = 0x900000;
constexpr char kKeepQuestion[] = "Are you sure you want to keep only the paragraph tags listed?";
constexpr char kNoListTable[] = "The list of paragraph tags to keep could not be found.";

std::vector<std::string> CatalogueOf(const Document& doc)
{
    std::vector<std::string> names;
    for (ObjectId id : doc.catalogue)
        names.push_back(doc.format(id)->name);
    return names;
}

class TablesTest : public PluginTest {
protected:
    static std::string Path(const std::string& name) { return "C:\\Books\\" + name; }

    // The one table of the last command's output document.
    const host::Table* OutputTable()
    {
        auto outputs = session.outputDocuments();
        EXPECT_EQ(outputs.size(), 1u);
        if (outputs.size() != 1)
            return nullptr;
        Document* out = model().document(outputs.front());
        EXPECT_EQ(out->tables.size(), 1u);
        return out->tables.size() == 1 ? out->table(out->tables.front()) : nullptr;
    }

    Cells OutputCells()
    {
        const host::Table* table = OutputTable();
        return table ? session.tableTexts(session.outputDocuments().front(), table->id) : Cells{};
    }

    // A document with Body and Note used, Spare and Alpha unused.
    ObjectId OpenSample()
    {
        DocBuilder doc(model(), "C:\\Docs\\sample.fm");
        doc.format("Spare").format("Body").format("Note").format("Alpha");
        doc.paragraph("Note", "n").paragraph("Body", "b");
        return Open(doc);
    }

    // An untitled document holding one table whose first column holds texts (row 0 is the
    // heading row), as a user would have after building and editing a list table.
    ObjectId OpenTableDocument(const std::vector<std::string>& firstColumn)
    {
        DocBuilder doc(model());
        Cells rows;
        for (const auto& text : firstColumn)
            rows.push_back({text});
        doc.format("Body").paragraph("Body", "anchor").table(rows, 1);
        return Open(doc);
    }

    // A target document with the given catalogue, a paragraph per format, made active.
    ObjectId OpenTarget(const Names& formats)
    {
        DocBuilder doc(model(), "C:\\Docs\\target.fm");
        for (const auto& name : formats)
            doc.format(name).paragraph(name, name + " text");
        return Open(doc);
    }

    ObjectId AddBook(BookBuilder& builder)
    {
        ObjectId book = session.add(*builder.build());
        session.activate(book);
        return book;
    }

    std::vector<std::string> AlertTexts(int32_t kind)
    {
        std::vector<std::string> texts;
        for (const auto& alert : session.alerts())
            if (alert.kind == kind)
                texts.push_back(alert.text);
        return texts;
    }
};

// ---- building ------------------------------------------------------------------------------

TEST_F(TablesTest, ListTableOfTagsInUse)
{
    OpenSample();
    Load();
    session.chooseFromList("Paragraph Tags in Use");
    session.command(TW_CMD_CREATE_LIST);

    ASSERT_EQ(session.host().listDialogs().size(), 1u);
    const auto& dialog = session.host().listDialogs().front();
    EXPECT_EQ(dialog.title, "Choose a list type");
    EXPECT_EQ(dialog.items, (Names{"Empty", "Paragraph Tags in Use", "All Paragraph Tags"}));
    EXPECT_EQ(dialog.defaultIndex, -1);

    EXPECT_EQ(OutputCells(), (Cells{{"Tags to Keep"}, {"Body"}, {"Note"}}));
    const host::Table* table = OutputTable();
    ASSERT_NE(table, nullptr);
    EXPECT_EQ(table->format, "Format A");
    EXPECT_EQ(table->columns, 1);
    EXPECT_EQ(table->columnWidths, (std::vector<int32_t>{kTwoInches}));
    EXPECT_EQ(table->setting1289, 0);
    Document* out = model().document(session.outputDocuments().front());
    EXPECT_EQ(out->row(table->rows.front())->kind, host::RowKind::Heading);
    EXPECT_EQ(out->row(table->rows.back())->kind, host::RowKind::Body);
    EXPECT_TRUE(AlertTexts(1).empty()) << "building asks no question";
}

TEST_F(TablesTest, ConversionTableOfAllTagsLeavesDestinationsEmpty)
{
    OpenSample();
    Load();
    session.chooseFromList("All Paragraph Tags");
    session.command(TW_CMD_CREATE_CONVERSION);
    // Used tags first, then the unused formats, each group sorted.
    EXPECT_EQ(OutputCells(), (Cells{{"Source Tag", "Destination Tag"},
                                    {"Body", ""},
                                    {"Note", ""},
                                    {"Alpha", ""},
                                    {"Spare", ""}}));
    const host::Table* table = OutputTable();
    ASSERT_NE(table, nullptr);
    EXPECT_EQ(table->columns, 2);
    EXPECT_EQ(table->columnWidths, (std::vector<int32_t>{kTwoInches, kTwoInches}));
    EXPECT_EQ(table->setting1289, 0);
}

TEST_F(TablesTest, EmptyGivesTenBlankRowsWhateverTheDocumentHolds)
{
    OpenSample();
    Load();
    session.chooseFromList("Empty");
    session.command(TW_CMD_CREATE_CONVERSION);
    Cells expected{{"Source Tag", "Destination Tag"}};
    expected.resize(11, {"", ""});
    EXPECT_EQ(OutputCells(), expected);

    session.chooseFromList(0);
    session.command(TW_CMD_CREATE_LIST);
    Cells list{{"Tags to Keep"}};
    list.resize(11, {""});
    EXPECT_EQ(OutputCells(), list);
}

TEST_F(TablesTest, NoTagInUseGivesAHeadingRowOnly)
{
    DocBuilder doc(model(), "C:\\Docs\\formats-only.fm");
    doc.format("Body").format("Note");
    Open(doc);
    Load();
    session.chooseFromList(1);
    session.command(TW_CMD_CREATE_LIST);
    EXPECT_EQ(OutputCells(), (Cells{{"Tags to Keep"}}));
}

TEST_F(TablesTest, CancelledChoiceOrNoDocumentCreatesNothing)
{
    OpenSample();
    Load();
    session.chooseFromList(-1);
    session.command(TW_CMD_CREATE_LIST);
    EXPECT_TRUE(session.outputDocuments().empty());
    session.command(TW_CMD_CREATE_CONVERSION); // nothing queued: the dialog is cancelled
    EXPECT_TRUE(session.outputDocuments().empty());
    EXPECT_EQ(session.host().listDialogs().size(), 2u);

    session.activate(0);
    session.chooseFromList(1);
    session.command(TW_CMD_CREATE_LIST);
    session.command(TW_CMD_CREATE_CONVERSION);
    EXPECT_TRUE(session.outputDocuments().empty());
    EXPECT_EQ(session.host().listDialogs().size(), 2u) << "no dialog without a document";
    EXPECT_EQ(AlertTexts(2), (Names{"Please open a document first.", "Please open a document first."}));
}

TEST_F(TablesTest, BookTablesGatherTheTagsOfEveryFile)
{
    DocBuilder ch1(model(), Path("ch1.fm"));
    ch1.format("Body").format("Old").paragraph("Body", "a");
    Put(Path("ch1.fm"), ch1);
    DocBuilder ch2(model(), Path("ch2.fm"));
    ch2.format("Body").format("Note").format("Old").format("Zed").paragraph("Note", "b");
    Put(Path("ch2.fm"), ch2);
    BookBuilder book(model(), Path("Manual.book"));
    book.file(Path("ch1.fm")).file(Path("ch2.fm"));
    AddBook(book);
    Load();

    session.chooseFromList("All Paragraph Tags");
    session.command(TW_CMD_CREATE_LIST_BOOK);
    EXPECT_EQ(OutputCells(), (Cells{{"Tags to Keep"}, {"Body"}, {"Note"}, {"Old"}, {"Zed"}}));
    EXPECT_EQ(session.statusLines(), (Names{"Examining: ch1.fm", "Examining: ch2.fm", ""}));

    session.chooseFromList("Paragraph Tags in Use");
    session.command(TW_CMD_CREATE_CONVERSION_BOOK);
    EXPECT_EQ(OutputCells(), (Cells{{"Source Tag", "Destination Tag"}, {"Body", ""}, {"Note", ""}}));

    // Only reads: every book file was closed, none saved.
    for (ObjectId id : model().openDocs)
        EXPECT_TRUE(model().document(id)->path.empty());
    EXPECT_EQ(store.saves(Path("ch1.fm")) + store.saves(Path("ch2.fm")), 0);
}

// ---- finding and applying a list table -----------------------------------------------------

TEST_F(TablesTest, KeepsOnlyExactlyListedFormats)
{
    // "Note " (trailing blank) and "BODY" match nothing; the heading row takes part, so a
    // format named like the heading stays. Paragraphs keep their tags.
    OpenTableDocument({"Tags to Keep", "Body", "Note ", "BODY", "Heading1"});
    ObjectId target = OpenTarget({"Body", "Note", "body", "Tags to Keep", "Heading1", "Spare"});
    Load();
    session.answerAlert(0);
    session.command(TW_CMD_REMOVE_NONLIST);
    EXPECT_EQ(AlertTexts(1), (Names{kKeepQuestion}));
    Document* doc = model().document(target);
    EXPECT_EQ(CatalogueOf(*doc), (Names{"Body", "Tags to Keep", "Heading1"}));
    EXPECT_EQ(session.paragraphs(target).at(5), (ParagraphText{"Spare", "Spare text"}));
}

TEST_F(TablesTest, OnlyTheFirstParagraphOfACellCounts)
{
    DocBuilder list(model());
    list.format("Body").paragraph("Body", "anchor").table({{"Tags to Keep"}, {"Body"}}, 1).cellParagraph(1, 0, "CellBody", "Note");
    Open(list);
    ObjectId target = OpenTarget({"Body", "Note"});
    Load();
    session.answerAlert(0);
    session.command(TW_CMD_REMOVE_NONLIST);
    EXPECT_EQ(CatalogueOf(*model().document(target)), (Names{"Body"}));
}

TEST_F(TablesTest, BlankListKeepsOnlyAFormatNamedLikeTheHeading)
{
    OpenTableDocument({"Tags to Keep", "", "", ""});
    ObjectId target = OpenTarget({"Body", "Tags to Keep", "Note"});
    Load();
    session.answerAlert(0);
    session.command(TW_CMD_REMOVE_NONLIST);
    EXPECT_EQ(CatalogueOf(*model().document(target)), (Names{"Tags to Keep"}));
}

TEST_F(TablesTest, HeadingIsAPrefixTestAndCaseSensitive)
{
    // Lower case is not recognised: the table further on in open order is used instead.
    OpenTableDocument({"tags to keep", "Note"});
    OpenTableDocument({"Tags to Keep (edited 3 May)", "Body"});
    ObjectId target = OpenTarget({"Body", "Note"});
    Load();
    session.answerAlert(0);
    session.command(TW_CMD_REMOVE_NONLIST);
    EXPECT_EQ(CatalogueOf(*model().document(target)), (Names{"Body"}));
}

TEST_F(TablesTest, FirstOpenDocumentWithATableWinsOverTheActiveOne)
{
    // The second document holds an ordinary table first and a list table second; the target,
    // opened last and active, holds a list table of its own. The second document comes first
    // in open order, so its list table is used.
    DocBuilder first(model());
    first.format("Body").paragraph("Body", "no tables here");
    Open(first);
    DocBuilder second(model());
    second.format("Body").paragraph("Body", "x").table({{"Price"}, {"Note"}}).paragraph("Body", "y").table(
        {{"Tags to Keep"}, {"Body"}});
    Open(second);
    DocBuilder target(model(), "C:\\Docs\\target.fm");
    target.format("Body").format("Note").format("Extra").paragraph("Body", "z").table({{"Tags to Keep"}, {"Extra"}});
    ObjectId targetId = Open(target);
    Load();
    session.answerAlert(0);
    session.command(TW_CMD_REMOVE_NONLIST);
    EXPECT_EQ(CatalogueOf(*model().document(targetId)), (Names{"Body"}));
}

TEST_F(TablesTest, NothingChangesWithoutATableDocumentOrConsent)
{
    ObjectId target = OpenTarget({"Body", "Note"});
    Load();
    session.command(TW_CMD_REMOVE_NONLIST);
    EXPECT_EQ(AlertTexts(3), (Names{kNoListTable}));
    EXPECT_TRUE(AlertTexts(1).empty()) << "nothing to ask about without a list";

    OpenTableDocument({"Tags to Keep", "Body"});
    session.activate(target);
    session.answerAlert(1); // Cancel
    session.command(TW_CMD_REMOVE_NONLIST);
    EXPECT_EQ(AlertTexts(1), (Names{kKeepQuestion}));
    EXPECT_EQ(CatalogueOf(*model().document(target)), (Names{"Body", "Note"}));

    // Without an active document the command says so before it looks for the list.
    session.activate(0);
    size_t before = session.alerts().size();
    session.command(TW_CMD_REMOVE_NONLIST);
    ASSERT_EQ(session.alerts().size(), before + 1);
    EXPECT_EQ(session.alerts().back().text, "Please open a document first.");
    EXPECT_EQ(session.alerts().back().kind, 2);
}

class KeepListedBookTest : public TablesTest {
protected:
    void SetUp() override
    {
        DocBuilder ch1(model(), Path("ch1.fm"));
        ch1.format("Body").format("Old").format("Note").paragraph("Old", "a");
        Put(Path("ch1.fm"), ch1);
        DocBuilder ch2(model(), Path("ch2.fm"));
        ch2.format("Note").format("Body").format("Zed").paragraph("Zed", "b");
        Put(Path("ch2.fm"), ch2);
        BookBuilder book(model(), Path("Manual.book"));
        book.file(Path("ch1.fm")).file(Path("ch2.fm"));
        AddBook(book);
    }

    Names Stored(const std::string& name)
    {
        const Document* doc = store.document(Path(name));
        return doc ? CatalogueOf(*doc) : Names{"<missing>"};
    }
};

TEST_F(KeepListedBookTest, EveryFileKeepsTheListedFormatsAndIsSaved)
{
    OpenTableDocument({"Tags to Keep", "Body", "Note"});
    Load();
    session.answerAlert(0);
    session.command(TW_CMD_REMOVE_NONLIST_BOOK);
    EXPECT_EQ(AlertTexts(1), (Names{kKeepQuestion}));
    EXPECT_EQ(Stored("ch1.fm"), (Names{"Body", "Note"}));
    EXPECT_EQ(Stored("ch2.fm"), (Names{"Note", "Body"}));
    EXPECT_EQ(store.saves(Path("ch1.fm")), 1);
    EXPECT_EQ(store.saves(Path("ch2.fm")), 1);
    EXPECT_EQ(session.statusLines(), (Names{"Processing: ch1.fm", "Processing: ch2.fm", ""}));
    for (ObjectId id : model().openDocs)
        EXPECT_TRUE(model().document(id)->path.empty()) << "a book file was left open";
}

TEST_F(KeepListedBookTest, ListTableInsideABookFileServesTheWholeBook)
{
    // The user keeps the list in ch1 itself, open. The walk works on that same document; it
    // must stay readable for ch2, so it is saved but left open.
    DocBuilder ch1(model(), Path("ch1.fm"));
    ch1.format("Body").format("Old").format("Note").paragraph("Old", "a").table({{"Tags to Keep"}, {"Body"}, {"Note"}});
    Put(Path("ch1.fm"), ch1);
    std::string error;
    ObjectId opened = session.open(Path("ch1.fm"), &error);
    ASSERT_NE(opened, 0u) << error;
    Load();
    session.answerAlert(0);
    session.command(TW_CMD_REMOVE_NONLIST_BOOK);
    EXPECT_EQ(Stored("ch1.fm"), (Names{"Body", "Note"}));
    EXPECT_EQ(Stored("ch2.fm"), (Names{"Note", "Body"}));
    EXPECT_EQ(store.saves(Path("ch1.fm")), 1);
    EXPECT_NE(model().document(opened), nullptr) << "the user's document stays open";
    EXPECT_TRUE(session.consoleLines().empty()) << session.host().consoleText();
}

} // namespace
} // namespace tw::e2e
