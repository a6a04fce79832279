// overrides_test.cpp - Remove Overrides on a document and on every file of a book (what is
// reapplied, which flags are cleared, what is left alone), and Find Next Override: the walk
// order through flows, wrap-around, tables and their titles, and master page flows.
#include "plugin_fixture.h"

namespace tw::e2e {
namespace {

using host::PageKind;
using host::PgfProps;

constexpr int32_t kPt = 0x10000;
constexpr int32_t kFirstIndent = 556;
constexpr int32_t kLeftIndent = 555;

const char kQuestion[] = "Are you sure you want to remove paragraph overrides?";
const char kBookQuestion[] = "Are you sure you want to remove paragraph overrides for all files in the book?";
const char kEndOfDocument[] = "End of document reached.";
const char kEndOfTable[] = "End of table reached.";

PgfProps Indented() { return {{kFirstIndent, 18 * kPt}}; }

// Selections as readable text, e.g. "12:0-12:end".
std::string Offset(int32_t offset)
{
    return offset == TW_END_OF_TEXT ? "text-end" : offset == TW_END_OF_OBJECT ? "end" : std::to_string(offset);
}
std::string Range(const TextRange& r)
{
    return std::to_string(r.begin.object) + ":" + Offset(r.begin.offset) + "-" + std::to_string(r.end.object) + ":" +
           Offset(r.end.offset);
}
std::string Range(ObjectId pgf, int32_t begin, int32_t end) { return Range(TextRange{{pgf, begin}, {pgf, end}}); }

class OverridesTest : public PluginTest {
protected:
    host::Document& Doc(ObjectId id) { return *model().document(id); }
    const host::Paragraph& Pgf(ObjectId doc, ObjectId pgf) { return *Doc(doc).paragraph(pgf); }
    int32_t FirstIndentOf(ObjectId doc, ObjectId pgf)
    {
        return std::get<int32_t>(Pgf(doc, pgf).props.at(kFirstIndent));
    }
};

TEST_F(OverridesTest, ConfirmedReappliesFormatsInFlowsCellsAndTitles)
{
    DocBuilder doc(model(), "C:\\Docs\\d.fm");
    doc.format("Body").format("Cell").format("Title");
    doc.paragraph("Body", "plain");
    ObjectId plain = doc.lastParagraph();
    doc.paragraph("Body", "indented", Indented());
    ObjectId inFlow = doc.lastParagraph();
    doc.table({{"a", "b"}}, 0, "Cell", {"Table 1"}, "Title").cellParagraph(0, 1, "Cell", "second", Indented());
    ObjectId table = doc.lastTable();
    doc.flow("Side").paragraph("Body", "side flow", Indented());
    ObjectId inSide = doc.lastParagraph();
    doc.doc().docMode = 7;
    ObjectId id = Open(doc);
    ObjectId cellPgf = Doc(id).cell(Doc(id).row(Doc(id).table(table)->rows[0])->cells[1])->paragraphs[1];
    ObjectId title = Doc(id).table(table)->title[0];
    Doc(id).paragraph(title)->props[kLeftIndent] = 9 * kPt;
    Doc(id).paragraph(title)->overridden = true;
    Load();

    session.answerAlert(0);
    session.command(TW_CMD_REMOVE_OVERRIDES);
    ASSERT_EQ(session.alerts().size(), 1u);
    EXPECT_EQ(session.alerts()[0].text, kQuestion);
    EXPECT_EQ(session.alerts()[0].kind, 1);
    for (ObjectId pgf : {inFlow, inSide, cellPgf, title}) {
        EXPECT_FALSE(Pgf(id, pgf).overridden) << "paragraph " << pgf;
        EXPECT_EQ(Pgf(id, pgf).props, Doc(id).formatByName(Pgf(id, pgf).tag)->props) << "paragraph " << pgf;
    }
    EXPECT_EQ(Pgf(id, plain).text, "plain");
    EXPECT_EQ(Pgf(id, inFlow).text, "indented") << "only the format changes, not the text";
    EXPECT_EQ(Doc(id).docMode, 7) << "document mode restored";
    EXPECT_TRUE(session.outputDocuments().empty());
}

TEST_F(OverridesTest, CancelChangesNothing)
{
    DocBuilder doc(model(), "C:\\Docs\\d.fm");
    doc.format("Body").paragraph("Body", "indented", Indented());
    ObjectId pgf = doc.lastParagraph();
    ObjectId id = Open(doc);
    Load();
    session.answerAlert(1);
    session.command(TW_CMD_REMOVE_OVERRIDES);
    EXPECT_TRUE(Pgf(id, pgf).overridden);
    EXPECT_EQ(FirstIndentOf(id, pgf), 18 * kPt);
}

TEST_F(OverridesTest, ParagraphsWhoseFormatCannotBeAppliedKeepPropertiesFlagClearedInFlows)
{
    // No format to apply (or the paragraph is to be left unchanged): the properties stay. In
    // a body flow the flag is cleared all the same; in a table cell it stays set.
    DocBuilder doc(model(), "C:\\Docs\\d.fm");
    doc.format("Body").format("Cell");
    doc.paragraph("Orphan", "no such format", Indented());
    ObjectId orphan = doc.lastParagraph();
    doc.paragraph("Body", "kept as it is", Indented()).locked();
    ObjectId locked = doc.lastParagraph();
    doc.table({{"x"}}, 0, "Cell").cellParagraph(0, 0, "Orphan", "in a cell", Indented());
    ObjectId table = doc.lastTable();
    ObjectId id = Open(doc);
    ObjectId cellOrphan = Doc(id).cell(Doc(id).row(Doc(id).table(table)->rows[0])->cells[0])->paragraphs[1];
    Load();
    for (ObjectId pgf : {orphan, locked, cellOrphan})
        ASSERT_TRUE(Pgf(id, pgf).overridden) << "a format-less paragraph with its own properties reads as overridden";

    session.answerAlert(0);
    session.command(TW_CMD_REMOVE_OVERRIDES);
    for (ObjectId pgf : {orphan, locked, cellOrphan})
        EXPECT_EQ(FirstIndentOf(id, pgf), 18 * kPt) << "paragraph " << pgf;
    EXPECT_FALSE(Pgf(id, orphan).overridden);
    EXPECT_FALSE(Pgf(id, locked).overridden);
    EXPECT_TRUE(Pgf(id, cellOrphan).overridden);

    // With the flags of the flow cleared, Find Next Override finds none there.
    Doc(id).selection = {{orphan, 0}, {orphan, 0}};
    session.command(TW_CMD_FIND_NEXT_OVERRIDE);
    EXPECT_EQ(Alerts().back(), kEndOfDocument);
    EXPECT_EQ(Range(Doc(id).selection), Range(orphan, 0, 0));
}

TEST_F(OverridesTest, BookVariantCleansAndSavesEveryFile)
{
    auto path = [](const std::string& name) { return "C:\\Books\\" + name; };
    for (const char* name : {"ch1.fm", "ch2.fm"}) {
        DocBuilder ch(model(), path(name));
        ch.format("Body").paragraph("Body", "a", Indented()).paragraph("Body", "b");
        Put(path(name), ch);
    }
    BookBuilder book(model(), path("Manual.book"));
    book.file(path("ch1.fm")).file(path("missing.fm")).file(path("ch2.fm"));
    session.activate(session.add(*book.build()));
    Load();

    session.answerAlert(1);
    session.command(TW_CMD_REMOVE_OVERRIDES_BOOK);
    EXPECT_EQ(store.saves(path("ch1.fm")), 0);
    EXPECT_TRUE(session.statusLines().empty()) << "nothing opened after Cancel";

    session.answerAlert(0);
    session.command(TW_CMD_REMOVE_OVERRIDES_BOOK);
    ASSERT_EQ(session.alerts().size(), 2u);
    EXPECT_EQ(session.alerts()[1].text, kBookQuestion);
    for (const char* name : {"ch1.fm", "ch2.fm"}) {
        EXPECT_EQ(store.saves(path(name)), 1) << name;
        const host::Document* saved = store.document(path(name));
        for (const auto& [pid, p] : saved->paragraphs) {
            EXPECT_FALSE(p.overridden) << name;
            EXPECT_EQ(std::get<int32_t>(p.props.at(kFirstIndent)), 0) << name;
        }
    }
    EXPECT_EQ(session.statusLines(), (std::vector<std::string>{"Processing: ch1.fm", "Processing: missing.fm",
                                                               "Processing: ch2.fm", ""}));
    EXPECT_TRUE(model().openDocs.empty());
}

// ---- Find Next Override -------------------------------------------------------------------

class FindNextTest : public OverridesTest {
protected:
    void Place(ObjectId doc, ObjectId pgf, int32_t offset = 0) { Doc(doc).selection = {{pgf, offset}, {pgf, offset}}; }
    static std::string Found(ObjectId pgf) { return Range(pgf, 0, TW_END_OF_TEXT); }
    std::string Selection(ObjectId doc) { return Range(Doc(doc).selection); }
};

TEST_F(FindNextTest, WalksFlowsInOrderAndWrapsAround)
{
    // Main flow: p1* p2 p3* (table with an overridden cell) ; flow B: b1* ; empty flow C ;
    // flow D: d1*.  (* = overridden)
    DocBuilder doc(model(), "C:\\Docs\\d.fm");
    doc.format("Body").format("Cell");
    doc.paragraph("Body", "one", Indented());
    ObjectId p1 = doc.lastParagraph();
    doc.paragraph("Body", "two");
    ObjectId p2 = doc.lastParagraph();
    doc.paragraph("Body", "three", Indented());
    ObjectId p3 = doc.lastParagraph();
    doc.table({{"x"}}, 0, "Cell").cellParagraph(0, 0, "Cell", "overridden cell", Indented());
    doc.flow("B").paragraph("Body", "b", Indented());
    ObjectId b1 = doc.lastParagraph();
    doc.flow("C");
    doc.flow("D").paragraph("Body", "d", Indented());
    ObjectId d1 = doc.lastParagraph();
    ObjectId id = Open(doc);
    Load();

    Place(id, p2, 1);
    std::vector<ObjectId> order;
    for (int i = 0; i < 5; i++) {
        session.command(TW_CMD_FIND_NEXT_OVERRIDE);
        order.push_back(Doc(id).selection.begin.object);
        EXPECT_EQ(Selection(id), Found(order.back()));
    }
    // The empty flow C is passed over; the cell paragraph is never visited from the flows.
    EXPECT_EQ(order, (std::vector<ObjectId>{p3, b1, d1, p1, p3}));
    EXPECT_TRUE(session.alerts().empty());
}

TEST_F(FindNextTest, OnlyOverrideIsTheStartParagraph)
{
    DocBuilder doc(model(), "C:\\Docs\\d.fm");
    doc.format("Body").paragraph("Body", "a").paragraph("Body", "only", Indented());
    ObjectId only = doc.lastParagraph();
    doc.paragraph("Body", "c");
    ObjectId id = Open(doc);
    Load();
    Place(id, only, 2);
    session.command(TW_CMD_FIND_NEXT_OVERRIDE);
    EXPECT_EQ(Selection(id), Found(only));
    EXPECT_TRUE(session.alerts().empty());
}

TEST_F(FindNextTest, NoOverrideOrNoInsertionPoint)
{
    DocBuilder doc(model(), "C:\\Docs\\d.fm");
    doc.format("Body").paragraph("Body", "a").paragraph("Body", "b");
    ObjectId b = doc.lastParagraph();
    doc.flow("B").paragraph("Body", "c");
    ObjectId id = Open(doc);
    Load();

    Doc(id).selection = {{b, 0}, {b, 1}};
    session.command(TW_CMD_FIND_NEXT_OVERRIDE);
    EXPECT_EQ(Alerts(), (std::vector<std::string>{kEndOfDocument}));
    EXPECT_EQ(Selection(id), Range(b, 0, 1)) << "selection unchanged";

    Doc(id).selection = {};
    session.command(TW_CMD_FIND_NEXT_OVERRIDE);
    EXPECT_EQ(Alerts().back(), "No insertion point.");

    session.activate(0);
    session.command(TW_CMD_FIND_NEXT_OVERRIDE);
    EXPECT_EQ(Alerts().back(), "Please open a document first.");
}

TEST_F(FindNextTest, OverrideInAMasterPageFlowSelectsTheParagraphBefore)
{
    DocBuilder doc(model(), "C:\\Docs\\d.fm");
    doc.format("Body").format("Header");
    doc.paragraph("Body", "start");
    ObjectId start = doc.lastParagraph();
    doc.paragraph("Body", "last body");
    ObjectId last = doc.lastParagraph();
    doc.flow("Header", PageKind::Master).paragraph("Header", "running head", Indented());
    ObjectId id = Open(doc);
    Load();
    Place(id, start);
    session.command(TW_CMD_FIND_NEXT_OVERRIDE);
    EXPECT_EQ(Alerts(), (std::vector<std::string>{kEndOfDocument}));
    EXPECT_EQ(Selection(id), Found(last));
}

TEST_F(FindNextTest, StartOutsideEveryFlowCycleEndsTheSearch)
{
    // A start paragraph in a flow the document does not list cannot be reached again by the
    // wrapping walk; the search must still end.
    DocBuilder doc(model(), "C:\\Docs\\d.fm");
    doc.format("Body").paragraph("Body", "main");
    doc.flow("Lost").paragraph("Body", "lost");
    ObjectId lost = doc.lastParagraph();
    ObjectId id = Open(doc);
    Doc(id).flows.pop_back();
    Load();
    Place(id, lost);
    session.command(TW_CMD_FIND_NEXT_OVERRIDE);
    EXPECT_EQ(Alerts(), (std::vector<std::string>{kEndOfDocument}));
    EXPECT_EQ(Selection(id), Range(lost, 0, 0));
}

class FindInTableTest : public FindNextTest {
protected:
    // Rows {a b} {c d}; cells a and d carry a second paragraph as given; titles t1 t2.
    void Build(bool overrideAfter, bool overrideTitle)
    {
        DocBuilder doc(model(), "C:\\Docs\\t.fm");
        doc.format("Body").format("Cell").format("Title");
        doc.paragraph("Body", "anchor", Indented());
        doc.table({{"a", "b"}, {"c", "d"}}, 0, "Cell", {"t1", "t2"}, "Title");
        doc.cellParagraph(0, 0, "Cell", "a2", Indented());
        doc.cellParagraph(1, 1, "Cell", "d2", overrideAfter ? Indented() : PgfProps{});
        ObjectId table = doc.lastTable();
        id = Open(doc);
        host::Table& t = *Doc(id).table(table);
        auto cell = [&](size_t r, size_t c) { return Doc(id).cell(Doc(id).row(t.rows[r])->cells[c]); };
        a2 = cell(0, 0)->paragraphs[1];
        b = cell(0, 1)->paragraphs[0];
        c = cell(1, 0)->paragraphs[0];
        d = cell(1, 1)->paragraphs[0];
        d2 = cell(1, 1)->paragraphs[1];
        t1 = t.title[0];
        t2 = t.title[1];
        if (overrideTitle) {
            Doc(id).paragraph(t2)->props[kFirstIndent] = 5 * kPt;
            Doc(id).paragraph(t2)->overridden = true;
        }
        Load();
    }
    ObjectId id = 0, a2 = 0, b = 0, c = 0, d = 0, d2 = 0, t1 = 0, t2 = 0;
};

TEST_F(FindInTableTest, FindsTheNextCellParagraphRowByRow)
{
    Build(true, false);
    Place(id, b);
    session.command(TW_CMD_FIND_NEXT_OVERRIDE);
    EXPECT_EQ(Selection(id), Found(d2));
    EXPECT_TRUE(session.alerts().empty());
}

TEST_F(FindInTableTest, TitleIsSearchedAfterTheRows)
{
    Build(false, true);
    Place(id, c);
    session.command(TW_CMD_FIND_NEXT_OVERRIDE);
    EXPECT_EQ(Selection(id), Found(t2));
}

TEST_F(FindInTableTest, EndOfTableDoesNotWrapToEarlierCells)
{
    Build(false, false);
    Place(id, d2, 1);
    session.command(TW_CMD_FIND_NEXT_OVERRIDE);
    EXPECT_EQ(Alerts(), (std::vector<std::string>{kEndOfTable}));
    EXPECT_EQ(Selection(id), Range(d2, 1, 1));
}

TEST_F(FindInTableTest, StartInTheTitleLooksOnlyAtTheTitleParagraphsAfterIt)
{
    // Repeating the command from a found title paragraph moves on instead of finding it again.
    Build(false, true);
    Place(id, t1);
    session.command(TW_CMD_FIND_NEXT_OVERRIDE);
    EXPECT_EQ(Selection(id), Found(t2));
    session.command(TW_CMD_FIND_NEXT_OVERRIDE);
    EXPECT_EQ(Alerts(), (std::vector<std::string>{kEndOfTable}));
    EXPECT_EQ(Selection(id), Found(t2));
}

} // namespace
} // namespace tw::e2e
