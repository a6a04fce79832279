// conversion_test.cpp - retagging paragraphs from a conversion table: which row decides,
// destinations the document lacks, paragraphs left unchanged, next-tag references in the
// catalogue, flows, cells and titles, overrides, and the book command saving each file
// (in memory and as MIF on disk).
#include <filesystem>

#include "host/files/mif_store.h"
#include "host/model/properties.h"
#include "plugin_fixture.h"

namespace tw::e2e {
namespace {

namespace fs = std::filesystem;

using Names = std::vector<std::string>;
using Rows = std::vector<std::vector<std::string>>;

constexpr int32_t kUseNextTag = PROP_USE_NEXT_TAG;
constexpr int32_t kNextTag = PROP_NEXT_TAG_NAME;
constexpr int32_t kFontSize = 615;
constexpr int32_t kPt = 0x10000;
constexpr char kQuestion[] = "Are you sure you want to convert paragraph tags?";
constexpr char kBookQuestion[] = "Are you sure you want to convert paragraph tags for all files in the book?";
constexpr char kNoTable[] = "The list of paragraph tags to convert could not be found.";

// A property value of a paragraph or format, the host's default when it has none.
template <typename T> T PropOf(const host::PgfProps& props, int32_t number)
{
    auto it = props.find(number);
    if (it != props.end())
        return std::get<T>(it->second);
    return std::get<T>(host::DefaultParagraphProps().at(number));
}

host::PgfProps NextTag(const std::string& tag) { return {{kUseNextTag, 1}, {kNextTag, tag}}; }

// Tags of a document's main flow, in order.
Names MainFlowTags(const Document& doc)
{
    Names tags;
    for (ObjectId p = doc.firstParagraphOfFlow(doc.mainFlow); p != 0; p = doc.nextParagraph(p))
        tags.push_back(doc.paragraph(p)->tag);
    return tags;
}

class ConvertParagraphs : public PluginTest {
protected:
    // An untitled document holding a conversion table: the heading row, then the given
    // (source, destination) rows.
    ObjectId OpenConversionTable(const Rows& pairs)
    {
        DocBuilder doc(model());
        Rows rows{{"Source Tag", "Destination Tag"}};
        rows.insert(rows.end(), pairs.begin(), pairs.end());
        doc.format("Body").paragraph("Body", "Conversions").table(rows, 1);
        return Open(doc);
    }

    Document& Doc(ObjectId id) { return *model().document(id); }
    const host::Paragraph& Pgf(ObjectId doc, ObjectId id) { return *Doc(doc).paragraph(id); }

    void Convert(ObjectId target)
    {
        session.activate(target);
        session.answerAlert(0);
        session.command(TW_CMD_CONVERT);
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

TEST_F(ConvertParagraphs, FirstMatchingRowDecidesExactly)
{
    // The first row for Old names a format the document lacks, so Old stays although a later
    // row would have worked. "note" and "Head " (trailing blank) match nothing. The heading
    // row takes part: "Source Tag" becomes "Destination Tag". Source formats stay.
    OpenConversionTable({{"Old", "Missing"}, {"Old", "Body"}, {"Note", "Body"}, {"Head ", "Body"}, {"NOTE", "Body"}});
    DocBuilder doc(model(), "C:\\Docs\\t.fm");
    doc.format("Body").format("Old").format("Note").format("Head").format("Destination Tag");
    doc.paragraph("Old", "a").paragraph("Note", "b").paragraph("note", "c").paragraph("Head", "d");
    doc.paragraph("Source Tag", "e");
    ObjectId target = Open(doc);
    Load();
    Convert(target);
    EXPECT_EQ(AlertTexts(1), (Names{kQuestion}));
    EXPECT_EQ(MainFlowTags(Doc(target)), (Names{"Old", "Body", "note", "Head", "Destination Tag"}));
    EXPECT_EQ(Doc(target).catalogue.size(), 5u);
}

TEST_F(ConvertParagraphs, ConvertedParagraphsLoseOverridesOthersKeepThem)
{
    OpenConversionTable({{"Note", "Body"}});
    DocBuilder doc(model(), "C:\\Docs\\t.fm");
    doc.format("Body", {{kFontSize, 11 * kPt}}).format("Note").format("Keep");
    doc.paragraph("Note", "big note", {{kFontSize, 20 * kPt}});
    ObjectId converted = doc.lastParagraph();
    doc.paragraph("Keep", "big keep", {{kFontSize, 20 * kPt}});
    ObjectId kept = doc.lastParagraph();
    ObjectId target = Open(doc);
    Load();
    ASSERT_TRUE(Pgf(target, converted).overridden);
    Convert(target);
    EXPECT_EQ(Pgf(target, converted).tag, "Body");
    EXPECT_FALSE(Pgf(target, converted).overridden);
    EXPECT_EQ(PropOf<int32_t>(Pgf(target, converted).props, kFontSize), 11 * kPt);
    EXPECT_EQ(Pgf(target, kept).tag, "Keep");
    EXPECT_TRUE(Pgf(target, kept).overridden);
    EXPECT_EQ(PropOf<int32_t>(Pgf(target, kept).props, kFontSize), 20 * kPt);
}

// The flow's paragraphs are also reached from the chain of further text holders, as on a real
// host: each is converted once, so X -> Y -> Z stops at Y and a swap does not swap back.
TEST_F(ConvertParagraphs, ParagraphReachedTwiceIsConvertedOnce)
{
    OpenConversionTable({{"X", "Y"}, {"Y", "Z"}, {"A", "B"}, {"B", "A"}});
    DocBuilder doc(model(), "C:\\Docs\\t.fm");
    doc.format("X").format("Y").format("Z").format("A").format("B");
    doc.paragraph("X", "x").chainEntry().paragraph("A", "a").paragraph("B", "b").paragraph("Z", "z");
    ObjectId target = Open(doc);
    Load();
    Convert(target);
    EXPECT_EQ(MainFlowTags(Doc(target)), (Names{"Y", "B", "A", "Z"}));
}

TEST_F(ConvertParagraphs, LockedParagraphsStayAsTheyAre)
{
    OpenConversionTable({{"Note", "Body"}});
    DocBuilder doc(model(), "C:\\Docs\\t.fm");
    doc.format("Body").format("Note").paragraph("Note", "locked").locked().paragraph("Note", "free");
    ObjectId target = Open(doc);
    Load();
    Convert(target);
    EXPECT_EQ(MainFlowTags(Doc(target)), (Names{"Note", "Body"}));
}

TEST_F(ConvertParagraphs, NextTagsFollowTheTableInCatalogueAndParagraphs)
{
    // Rows X->Y and Y->Z. Lead's next tag X becomes Y in the catalogue; a paragraph retagged
    // to Lead brings next tag Y with it, which is then converted to Z on the paragraph. A
    // next tag without the switch on, or whose destination is missing, stays.
    OpenConversionTable({{"X", "Y"}, {"Y", "Z"}, {"Old", "Lead"}, {"Q", "Missing"}});
    DocBuilder doc(model(), "C:\\Docs\\t.fm");
    doc.format("X")
        .format("Y")
        .format("Z")
        .format("Lead", NextTag("X"))
        .format("Quiet", {{kUseNextTag, 0}, {kNextTag, "X"}});
    doc.format("Old").format("ToQ", NextTag("Q"));
    doc.paragraph("Old", "retagged");
    ObjectId retagged = doc.lastParagraph();
    doc.paragraph("ToQ", "next tag to a missing format");
    ObjectId toQ = doc.lastParagraph();
    ObjectId target = Open(doc);
    Load();
    Convert(target);

    Document& d = Doc(target);
    EXPECT_EQ(PropOf<std::string>(d.formatByName("Lead")->props, kNextTag), "Y");
    EXPECT_EQ(PropOf<std::string>(d.formatByName("Quiet")->props, kNextTag), "X");
    EXPECT_EQ(PropOf<std::string>(d.formatByName("ToQ")->props, kNextTag), "Q");
    EXPECT_EQ(Pgf(target, retagged).tag, "Lead");
    EXPECT_EQ(PropOf<std::string>(Pgf(target, retagged).props, kNextTag), "Z");
    EXPECT_EQ(PropOf<std::string>(Pgf(target, toQ).props, kNextTag), "Q");
}

TEST_F(ConvertParagraphs, CellsGetBothTitlesOnlyTheirTag)
{
    // Lead's next tag Y is converted to Z in the catalogue; paragraphs already tagged Lead
    // still carry Y. In the first table the cell's Y becomes Z, the title's Y stays. In the
    // second table cell and title tagged Old are both retagged to Lead.
    OpenConversionTable({{"Old", "Lead"}, {"X", "Y"}, {"Y", "Z"}});
    DocBuilder doc(model(), "C:\\Docs\\t.fm");
    doc.format("Y").format("Z").format("Lead", NextTag("Y")).format("Old");
    doc.paragraph("Lead", "anchor").table({{"head"}, {"cell"}}, 1, "Lead", {"Title"}, "Lead");
    doc.paragraph("Lead", "anchor").table({{"head"}, {"cell"}}, 1, "Old", {"Title"}, "Old");
    ObjectId target = Open(doc);
    Load();
    Convert(target);

    Document& d = Doc(target);
    ASSERT_EQ(d.tables.size(), 2u);
    auto titleOf = [&](ObjectId table) -> const host::Paragraph& {
        return *d.paragraph(d.table(table)->title.front());
    };
    auto bodyCellOf = [&](ObjectId table) -> const host::Paragraph& {
        const host::Cell& cell = *d.cell(d.row(d.table(table)->rows.back())->cells.front());
        return *d.paragraph(cell.paragraphs.front());
    };
    EXPECT_EQ(PropOf<std::string>(d.formatByName("Lead")->props, kNextTag), "Z");
    EXPECT_EQ(PropOf<std::string>(titleOf(d.tables[0]).props, kNextTag), "Y");
    EXPECT_EQ(PropOf<std::string>(bodyCellOf(d.tables[0]).props, kNextTag), "Z");
    EXPECT_EQ(titleOf(d.tables[1]).tag, "Lead");
    EXPECT_EQ(bodyCellOf(d.tables[1]).tag, "Lead");
    // The flow paragraph tagged Lead has its next tag converted as well.
    EXPECT_EQ(PropOf<std::string>(d.paragraph(d.firstParagraphOfFlow(d.mainFlow))->props, kNextTag), "Z");
}

TEST_F(ConvertParagraphs, TableBuiltByTheCommandConvertsNothingUntilFilledIn)
{
    DocBuilder doc(model(), "C:\\Docs\\t.fm");
    doc.format("Body").format("Note").paragraph("Note", "n").paragraph("Body", "b");
    doc.doc().docMode = 5;
    ObjectId target = Open(doc);
    Load();
    session.chooseFromList("All Paragraph Tags");
    session.command(TW_CMD_CREATE_CONVERSION);
    ASSERT_EQ(session.outputDocuments().size(), 1u);
    Convert(target);
    EXPECT_EQ(MainFlowTags(Doc(target)), (Names{"Note", "Body"}));
    EXPECT_EQ(Doc(target).docMode, 5) << "the document mode is put back";
}

TEST_F(ConvertParagraphs, NothingChangesWithoutATableOrConsent)
{
    DocBuilder doc(model(), "C:\\Docs\\t.fm");
    doc.format("Body").format("Note").paragraph("Note", "n");
    ObjectId target = Open(doc);
    Load();
    session.command(TW_CMD_CONVERT);
    EXPECT_EQ(AlertTexts(3), (Names{kNoTable}));
    EXPECT_TRUE(AlertTexts(1).empty());

    // A list table is no conversion table.
    DocBuilder list(model());
    list.format("Body").paragraph("Body", "x").table({{"Tags to Keep"}, {"Note"}});
    Open(list);
    session.activate(target);
    session.command(TW_CMD_CONVERT);
    EXPECT_EQ(AlertTexts(3), (Names{kNoTable, kNoTable}));

    OpenConversionTable({{"Note", "Body"}});
    session.activate(target);
    session.answerAlert(1);
    session.command(TW_CMD_CONVERT);
    EXPECT_EQ(AlertTexts(1), (Names{kQuestion}));
    EXPECT_EQ(MainFlowTags(Doc(target)), (Names{"Note"}));
}

class ConvertParagraphsInBooks : public ConvertParagraphs {
protected:
    static std::string Path(const std::string& name) { return "C:\\Books\\" + name; }

    void PutChapter(const std::string& name, const std::string& tag)
    {
        DocBuilder doc(model(), Path(name));
        doc.format("Body").format("Note").paragraph(tag, name);
        Put(Path(name), doc);
    }

    Names StoredTags(const std::string& name)
    {
        const Document* doc = store.document(Path(name));
        return doc ? MainFlowTags(*doc) : Names{"<missing>"};
    }

    void AddBook(const Names& files)
    {
        BookBuilder book(model(), Path("Manual.book"));
        for (const auto& file : files)
            book.file(Path(file));
        session.activate(session.add(*book.build()));
    }
};

TEST_F(ConvertParagraphsInBooks, EveryFileIsConvertedAndSaved)
{
    PutChapter("ch1.fm", "Note");
    PutChapter("ch2.fm", "Body");
    AddBook({"ch1.fm", "ch2.fm"});
    OpenConversionTable({{"Note", "Body"}});
    Load();
    session.answerAlert(0);
    session.command(TW_CMD_CONVERT_BOOK);
    EXPECT_EQ(AlertTexts(1), (Names{kBookQuestion}));
    EXPECT_EQ(StoredTags("ch1.fm"), (Names{"Body"}));
    EXPECT_EQ(StoredTags("ch2.fm"), (Names{"Body"}));
    EXPECT_EQ(store.saves(Path("ch1.fm")), 1);
    EXPECT_EQ(store.saves(Path("ch2.fm")), 1);
    EXPECT_EQ(session.statusLines(), (Names{"Processing: ch1.fm", "Processing: ch2.fm", ""}));
}

TEST_F(ConvertParagraphsInBooks, ParagraphReachedTwiceIsConvertedOnceInEveryFile)
{
    for (const char* name : {"ch1.fm", "ch2.fm"}) {
        DocBuilder doc(model(), Path(name));
        doc.format("X").format("Y").format("Z").format("A").format("B");
        doc.paragraph("X", "x").chainEntry().paragraph("A", "a").paragraph("B", "b");
        Put(Path(name), doc);
    }
    AddBook({"ch1.fm", "ch2.fm"});
    OpenConversionTable({{"X", "Y"}, {"Y", "Z"}, {"A", "B"}, {"B", "A"}});
    Load();
    session.answerAlert(0);
    session.command(TW_CMD_CONVERT_BOOK);
    EXPECT_EQ(StoredTags("ch1.fm"), (Names{"Y", "B", "A"}));
    EXPECT_EQ(StoredTags("ch2.fm"), (Names{"Y", "B", "A"}));
}

TEST_F(ConvertParagraphsInBooks, AFileTheBookNamesTwiceIsConvertedOnce)
{
    PutChapter("ch1.fm", "Note");
    AddBook({"ch1.fm", "ch1.fm"});
    OpenConversionTable({{"Note", "Body"}, {"Body", "Note"}});
    Load();
    session.answerAlert(0);
    session.command(TW_CMD_CONVERT_BOOK);
    EXPECT_EQ(StoredTags("ch1.fm"), (Names{"Body"}));
    EXPECT_EQ(store.saves(Path("ch1.fm")), 1);
}

TEST_F(ConvertParagraphsInBooks, DeclinedOrMissingTableSavesNothing)
{
    PutChapter("ch1.fm", "Note");
    AddBook({"ch1.fm"});
    Load();
    session.command(TW_CMD_CONVERT_BOOK);
    EXPECT_EQ(AlertTexts(3), (Names{kNoTable}));
    OpenConversionTable({{"Note", "Body"}});
    session.answerAlert(1);
    session.command(TW_CMD_CONVERT_BOOK);
    EXPECT_EQ(store.saves(Path("ch1.fm")), 0);
    EXPECT_TRUE(session.statusLines().empty());
}

TEST_F(ConvertParagraphsInBooks, TableInsideABookFileServesTheWholeBook)
{
    // ch1 holds the conversion table and is open; converting it must not close it before ch2
    // has been converted.
    DocBuilder ch1(model(), Path("ch1.fm"));
    ch1.format("Body")
        .format("Note")
        .paragraph("Note", "a")
        .table({{"Source Tag", "Destination Tag"}, {"Note", "Body"}});
    Put(Path("ch1.fm"), ch1);
    PutChapter("ch2.fm", "Note");
    AddBook({"ch1.fm", "ch2.fm"});
    std::string error;
    ObjectId opened = session.open(Path("ch1.fm"), &error);
    ASSERT_NE(opened, 0u) << error;
    Load();
    session.answerAlert(0);
    session.command(TW_CMD_CONVERT_BOOK);
    EXPECT_EQ(StoredTags("ch1.fm"), (Names{"Body"}));
    EXPECT_EQ(StoredTags("ch2.fm"), (Names{"Body"}));
    EXPECT_NE(model().document(opened), nullptr);
}

// The conversion on a chapter written by the publishing program, as MIF on disk: the saved
// file reads back with exactly the converted paragraphs retagged and every text in place.
class ConvertParagraphsInMif : public ConvertParagraphs {
protected:
    void SetUp() override
    {
        dir = fs::temp_directory_path() /
              ("tagwright-conv-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        fs::create_directories(dir);
        session.setStore(&mif);
    }
    void TearDown() override { fs::remove_all(dir); }

    // Every paragraph of the flows, then of every table's cells and title, as (tag, text).
    static std::vector<ParagraphText> Contents(Document& d)
    {
        std::vector<ParagraphText> out;
        auto add = [&](ObjectId p) { out.push_back({d.paragraph(p)->tag, d.paragraph(p)->text}); };
        for (ObjectId flow : d.flows)
            for (ObjectId p = d.firstParagraphOfFlow(flow); p != 0; p = d.nextParagraph(p))
                add(p);
        for (ObjectId t : d.tables) {
            for (ObjectId r : d.table(t)->rows)
                for (ObjectId c : d.row(r)->cells)
                    for (ObjectId p : d.cell(c)->paragraphs)
                        add(p);
            for (ObjectId p : d.table(t)->title)
                add(p);
        }
        return out;
    }

    fs::path dir;
    host::MifStore mif;
};

TEST_F(ConvertParagraphsInMif, SavedChapterReadsBackConverted)
{
    // The repository's sample chapter, from the source folder the build names.
    fs::path source = fs::path(TAGWRIGHT_SOURCE_DIR) / "examples" / "book" / "Intro.mif";
    ASSERT_TRUE(fs::exists(source)) << source;
    std::string chapter = (dir / "Intro.mif").string();
    fs::copy_file(source, chapter);
    std::string bookPath = (dir / "Manual.book").string();
    BookBuilder book(model(), bookPath);
    book.file(chapter);
    std::string error;
    ASSERT_TRUE(host::WriteFileAtomically(bookPath, host::MifBookBytes(*book.build()), error)) << error;

    Model before;
    host::LoadResult original = host::LoadMifFile(before, chapter);
    ASSERT_TRUE(original.doc) << original.error;
    std::vector<ParagraphText> expected = Contents(*original.doc);
    size_t converted = 0;
    for (auto& paragraph : expected)
        if (paragraph.tag == "Note" || paragraph.tag == "Bulleted") {
            paragraph.tag = "Body";
            converted++;
        }
    ASSERT_GT(converted, 0u) << "the sample chapter uses the source tags";

    OpenConversionTable({{"Note", "Body"}, {"Bulleted", "Body"}});
    Load();
    ObjectId opened = session.open(bookPath, &error);
    ASSERT_NE(opened, 0u) << error;
    session.activate(opened);
    session.answerAlert(0);
    session.command(TW_CMD_CONVERT_BOOK);
    EXPECT_TRUE(session.consoleLines().empty()) << session.host().consoleText();

    Model after;
    host::LoadResult reread = host::LoadMifFile(after, chapter);
    ASSERT_TRUE(reread.doc) << reread.error;
    EXPECT_EQ(Contents(*reread.doc), expected);
    EXPECT_NE(reread.doc->formatByName("Note"), nullptr) << "source formats stay";
    EXPECT_NE(reread.doc->formatByName("Bulleted"), nullptr);
}

} // namespace
} // namespace tw::e2e
