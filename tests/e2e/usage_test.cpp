// usage_test.cpp - the usage listings as the user reads them in the output document: which
// tags count as used (flows, footnotes, table cells and titles, other flows), the letter-case
// rules, sorting, titles, and the three book listings; plus the output template.
#include "plugin_fixture.h"

namespace tw::e2e {
namespace {

using host::PageKind;

using Listing = std::vector<ParagraphText>;

class UsageTest : public PluginTest {
protected:
    static std::string Path(const std::string& name) { return "C:\\Books\\" + name; }

    ObjectId AddBook(BookBuilder& builder)
    {
        ObjectId book = session.add(*builder.build());
        session.activate(book);
        return book;
    }
};

TEST_F(UsageTest, DocumentWithoutParagraphsListsEveryFormatAsUnused)
{
    DocBuilder doc(model(), "C:\\Docs\\empty.fm");
    doc.format("Zeta").format("Alpha").format("Mid");
    Open(doc);
    Load();
    session.command(TW_CMD_LIST_USAGE);
    EXPECT_EQ(Output(), (Listing{H1("empty.fm"), H2("Paragraph Tags Used:"), H2("Paragraph Tags Not Used:"),
                                 Body("Alpha"), Body("Mid"), Body("Zeta")}));
}

TEST_F(UsageTest, EveryKindOfTextHolderCountsAsUse)
{
    DocBuilder doc(model(), "C:\\Docs\\all.fm");
    for (const char* name : {"Body", "CellText", "TitleText", "Note", "Header", "Spare", "Side"})
        doc.format(name);
    doc.paragraph("Body", "main text")
        .table({{"h"}, {"cell"}}, 1, "CellText", {"Table 1"}, "TitleText")
        .cellParagraph(1, 0, "Nested", "second paragraph in a cell")
        .footnote({{"Note", "a footnote"}})
        .flow("Header", PageKind::Master)
        .paragraph("Header", "running head")
        .flow("B")
        .paragraph("Side", "a second body flow");
    Open(doc);
    Load();
    session.command(TW_CMD_LIST_USAGE);
    EXPECT_EQ(Output(), (Listing{H1("all.fm"), H2("Paragraph Tags Used:"), Body("Body"), Body("CellText"),
                                 Body("Header"), Body("Nested"), Body("Note"), Body("Side"), Body("TitleText"),
                                 H2("Paragraph Tags Not Used:"), Body("Spare")}));
}

TEST_F(UsageTest, LetterCaseRules)
{
    // Of tags differing only in case the first met is listed; the catalogue test is exact,
    // so the format "body" counts as unused. Sorting is by byte: upper case first.
    DocBuilder doc(model(), "C:\\Docs\\case.fm");
    doc.format("Body").format("body").format("alpha").format("Zulu");
    doc.paragraph("Body", "one").paragraph("body", "two").paragraph("zulu", "three").paragraph("Orphan", "no format");
    Open(doc);
    Load();
    session.command(TW_CMD_LIST_USAGE);
    EXPECT_EQ(Output(), (Listing{H1("case.fm"), H2("Paragraph Tags Used:"), Body("Body"), Body("Orphan"),
                                 Body("zulu"), H2("Paragraph Tags Not Used:"), Body("Zulu"), Body("alpha"),
                                 Body("body")}));
}

TEST_F(UsageTest, UntitledDocumentAndScanSettingsPutBack)
{
    DocBuilder doc(model());
    doc.format("Body").paragraph("Body", "x");
    doc.doc().docMode = 7;
    ObjectId id = Open(doc);
    model().screenUpdating = 0;
    Load();
    session.command(TW_CMD_LIST_USAGE);
    EXPECT_EQ(Output(), (Listing{H1("Untitled"), H2("Paragraph Tags Used:"), Body("Body"),
                                 H2("Paragraph Tags Not Used:")}));
    EXPECT_EQ(model().document(id)->docMode, 7);
    EXPECT_EQ(model().screenUpdating, 1);
}

TEST_F(UsageTest, OutputTemplateIsUsedWhenInstalled)
{
    // The template's last paragraph holds text: each entry is written at its start and split
    // off, so the template's own text stays last. A template without "Body" leaves list
    // entries in the format they were written into: the one the heading before them gave
    // the paragraph that was split.
    DocBuilder templ(model());
    templ.format("Heading1").format("Heading2").format("Footer").paragraph("Footer", "End of listing");
    Put(host::DefaultInstallDir() + "\\VellOutput.fm", templ);
    DocBuilder doc(model(), "C:\\Docs\\t.fm");
    doc.format("Body").format("Unused").paragraph("Body", "x");
    Open(doc);
    Load();
    session.command(TW_CMD_LIST_USAGE);
    auto outputs = session.outputDocuments();
    ASSERT_EQ(outputs.size(), 1u);
    EXPECT_EQ(session.paragraphs(outputs.front()),
              (Listing{H1("t.fm"), H2("Paragraph Tags Used:"), H2("Body"), H2("Paragraph Tags Not Used:"),
                       H2("Unused"), H2("End of listing")}));
    // The template itself is untouched on "disk".
    EXPECT_EQ(store.saves(host::DefaultInstallDir() + "\\VellOutput.fm"), 0);
}

class BookUsageTest : public UsageTest {
protected:
    // ch1 uses Body and Note; ch2 uses Body and body, defines Note without using it; ch3 is
    // missing; ch4 uses Heading and defines Spare.
    void SetUp() override
    {
        DocBuilder ch1(model(), Path("ch1.fm"));
        ch1.format("Body").format("Note").paragraph("Body", "a").paragraph("Note", "b");
        Put(Path("ch1.fm"), ch1);
        DocBuilder ch2(model(), Path("ch2.fm"));
        ch2.format("Body").format("Note").format("body").paragraph("body", "c").paragraph("Body", "d");
        Put(Path("ch2.fm"), ch2);
        DocBuilder ch4(model(), Path("ch4.fm"));
        ch4.format("Heading").format("Spare").paragraph("Heading", "e");
        Put(Path("ch4.fm"), ch4);
        BookBuilder book(model(), Path("Manual.book"));
        book.file(Path("ch1.fm")).group("Middle").file(Path("ch2.fm")).file(Path("ch3.fm")).end().file(Path("ch4.fm"));
        AddBook(book);
        Load();
    }
};

TEST_F(BookUsageTest, WholeBookListing)
{
    // Note is used in ch1, so it is not unused although ch2 does not use it; body met first
    // in ch2 after Body in ch1 folds into Body; ch2's format "body" stays unused (exact test).
    session.command(TW_CMD_LIST_USAGE_BOOK);
    EXPECT_EQ(Output(), (Listing{H1("Manual.book"), H2("Paragraph Tags Used:"), Body("Body"), Body("Heading"),
                                 Body("Note"), H2("Paragraph Tags Not Used:"), Body("Spare"), Body("body")}));
}

TEST_F(BookUsageTest, IndividualListingHasOneSectionPerFileInWalkOrder)
{
    session.command(TW_CMD_LIST_USAGE_BOOK_FILES);
    EXPECT_EQ(Output(), (Listing{H1("Manual.book"),
                                 H1("ch1.fm"), H2("Paragraph Tags Used:"), Body("Body"), Body("Note"),
                                 H2("Paragraph Tags Not Used:"),
                                 H1("ch2.fm"), H2("Paragraph Tags Used:"), Body("body"),
                                 H2("Paragraph Tags Not Used:"), Body("Body"), Body("Note"),
                                 H1("Untitled"), H2("Paragraph Tags Used:"), H2("Paragraph Tags Not Used:"),
                                 H1("ch4.fm"), H2("Paragraph Tags Used:"), Body("Heading"),
                                 H2("Paragraph Tags Not Used:"), Body("Spare")}));
    for (ObjectId id : model().openDocs)
        EXPECT_TRUE(model().document(id)->path.empty()) << "a book file was left open";
}

TEST_F(BookUsageTest, ByTagListingNamesTheFilesUsingEachTagExactly)
{
    // ch2 uses body, not Body, so it is not listed under Body.
    session.command(TW_CMD_LIST_USAGE_BOOK_BY_TAG);
    EXPECT_EQ(Output(), (Listing{H1("Manual.book"), H2("Body"), Body("ch1.fm"), H2("Heading"), Body("ch4.fm"),
                                 H2("Note"), Body("ch1.fm")}));
    // One walk for the book-wide lists and one per used tag.
    int walks = 0;
    for (const auto& line : session.statusLines())
        walks += line.empty();
    EXPECT_EQ(walks, 4);
}

TEST_F(UsageTest, BookListingsWithoutABookStillWriteTheirHeadings)
{
    session.activate(0);
    Load();
    session.command(TW_CMD_LIST_USAGE_BOOK);
    EXPECT_EQ(Output(), (Listing{H1(""), H2("Paragraph Tags Used:"), H2("Paragraph Tags Not Used:")}));
    session.command(TW_CMD_LIST_USAGE_BOOK_FILES);
    EXPECT_EQ(Output(), (Listing{H1("")}));
    session.command(TW_CMD_LIST_USAGE_BOOK_BY_TAG);
    EXPECT_EQ(Output(), (Listing{H1("")}));
}

} // namespace
} // namespace tw::e2e
