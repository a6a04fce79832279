// delete_unused_test.cpp - deleting unused paragraph formats from a document and from every
// file of a book: the question, what is deleted and what is spared, what is saved, and book
// files on disk (MIF) that reload with only the unused formats gone.
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "host/files/mif_store.h"
#include "plugin_fixture.h"

namespace tw::e2e {
namespace {

namespace fs = std::filesystem;

const char kDocumentQuestion[] = "Are you sure you want to delete unused paragraph tags?";
const char kBookQuestion[] = "Are you sure you want to delete unused paragraph tags for all files in the book?";

std::vector<std::string> CatalogueNames(const host::Document& doc)
{
    std::vector<std::string> names;
    for (ObjectId id : doc.catalogue)
        names.push_back(doc.format(id)->name);
    return names;
}

class DeleteUnusedTest : public PluginTest {
protected:
    std::vector<std::string> Catalogue(ObjectId doc) { return CatalogueNames(*model().document(doc)); }
};

TEST_F(DeleteUnusedTest, ConfirmedDeletesOnlyFormatsNoParagraphUses)
{
    DocBuilder doc(model(), "C:\\Docs\\d.fm");
    doc.format("Body").format("Heading1").format("CellBody").format("Note").format("Footnote");
    doc.paragraph("Body", "text").table({{"x"}}, 0, "CellBody").footnote({{"Footnote", "f"}});
    ObjectId id = Open(doc);
    Load();
    session.answerAlert(0);
    session.command(TW_CMD_DELETE_UNUSED);
    ASSERT_EQ(session.alerts().size(), 1u);
    EXPECT_EQ(session.alerts()[0].text, kDocumentQuestion);
    EXPECT_EQ(session.alerts()[0].kind, 1);
    EXPECT_EQ(Catalogue(id), (std::vector<std::string>{"Body", "CellBody", "Footnote"}));
    EXPECT_TRUE(model().document(id)->modified) << "changed, and left for the user to save";
    EXPECT_EQ(store.saves("C:\\Docs\\d.fm"), 0);
}

TEST_F(DeleteUnusedTest, CancelledOrAllUsedChangesNothing)
{
    DocBuilder doc(model(), "C:\\Docs\\d.fm");
    doc.format("Body").format("Note").paragraph("Body", "text");
    ObjectId id = Open(doc);
    DocBuilder full(model(), "C:\\Docs\\full.fm");
    full.format("Body").format("Note").paragraph("Note", "n").paragraph("Body", "b");
    ObjectId fullId = Open(full);
    Load();

    session.activate(id);
    session.answerAlert(1);
    session.command(TW_CMD_DELETE_UNUSED);
    EXPECT_EQ(Catalogue(id), (std::vector<std::string>{"Body", "Note"}));

    session.activate(fullId);
    session.answerAlert(0);
    session.command(TW_CMD_DELETE_UNUSED);
    EXPECT_EQ(Catalogue(fullId), (std::vector<std::string>{"Body", "Note"}));
    EXPECT_FALSE(model().document(fullId)->modified);
}

TEST_F(DeleteUnusedTest, FormatDifferingOnlyInCaseFromAUsedTagIsSpared)
{
    // The paragraphs tagged "body" would lose their format if "body" were deleted.
    DocBuilder doc(model(), "C:\\Docs\\d.fm");
    doc.format("Body").format("body").format("Extra").paragraph("Body", "one").paragraph("body", "two");
    ObjectId id = Open(doc);
    Load();
    session.answerAlert(0);
    session.command(TW_CMD_DELETE_UNUSED);
    EXPECT_EQ(Catalogue(id), (std::vector<std::string>{"Body", "body"}));
}

TEST_F(DeleteUnusedTest, QuestionThatCannotBeShownDeletesNothing)
{
    DocBuilder doc(model(), "C:\\Docs\\d.fm");
    doc.format("Body").format("Note").paragraph("Body", "text");
    ObjectId id = Open(doc);
    Load();
    session.host().failSlot(HOST_SLOT_SHOW_ALERT, TW_E_RETRYLATER);
    session.command(TW_CMD_DELETE_UNUSED);
    EXPECT_EQ(Catalogue(id), (std::vector<std::string>{"Body", "Note"}));
    // The next question is shown and answered normally.
    session.answerAlert(0);
    session.command(TW_CMD_DELETE_UNUSED);
    EXPECT_EQ(Catalogue(id), (std::vector<std::string>{"Body"}));
}

class BookDeleteTest : public PluginTest {
protected:
    static std::string Path(const std::string& name) { return "C:\\Books\\" + name; }

    // ch1 uses Note; ch2 defines Note without using it; both define Old, used nowhere.
    void SetUp() override
    {
        DocBuilder ch1(model(), Path("ch1.fm"));
        ch1.format("Body").format("Note").format("Old").paragraph("Body", "a").paragraph("Note", "b");
        Put(Path("ch1.fm"), ch1);
        DocBuilder ch2(model(), Path("ch2.fm"));
        ch2.format("Body").format("Old").format("Note").paragraph("Body", "c");
        Put(Path("ch2.fm"), ch2);
        BookBuilder book(model(), Path("Manual.book"));
        book.file(Path("ch1.fm")).file(Path("ch2.fm"));
        session.activate(session.add(*book.build()));
        Load();
    }

    std::vector<std::string> Stored(const std::string& name) { return CatalogueNames(*store.document(Path(name))); }
};

TEST_F(BookDeleteTest, UnusedMeansUnusedInEveryFileAndEachFileIsSaved)
{
    session.answerAlert(0);
    session.command(TW_CMD_DELETE_UNUSED_BOOK);
    ASSERT_EQ(session.alerts().size(), 1u);
    EXPECT_EQ(session.alerts()[0].text, kBookQuestion);
    EXPECT_EQ(Stored("ch1.fm"), (std::vector<std::string>{"Body", "Note"}));
    EXPECT_EQ(Stored("ch2.fm"), (std::vector<std::string>{"Body", "Note"}));
    EXPECT_EQ(store.saves(Path("ch1.fm")), 1);
    EXPECT_EQ(store.saves(Path("ch2.fm")), 1);
    EXPECT_TRUE(model().openDocs.empty());
    EXPECT_TRUE(session.outputDocuments().empty());
}

TEST_F(BookDeleteTest, CancelLeavesEveryFileUntouched)
{
    session.answerAlert(1);
    session.command(TW_CMD_DELETE_UNUSED_BOOK);
    EXPECT_EQ(store.saves(Path("ch1.fm")), 0);
    EXPECT_EQ(store.saves(Path("ch2.fm")), 0);
    EXPECT_EQ(Stored("ch2.fm"), (std::vector<std::string>{"Body", "Old", "Note"}));
    EXPECT_TRUE(model().openDocs.empty()) << "the first walk closed what it opened";
    EXPECT_EQ(session.statusLines(), (std::vector<std::string>{"Examining: ch1.fm", "Examining: ch2.fm", ""}));
}

TEST_F(BookDeleteTest, FileTheFirstWalkCouldNotOpenIsLeftAsItWas)
{
    // ch2 cannot be read during the scan but can again when formats are deleted: its paragraphs
    // were never looked at, so nothing may be deleted from it.
    store.failingLoads[host::NativePath(Path("ch2.fm"))] = 1;
    session.answerAlert(0);
    session.command(TW_CMD_DELETE_UNUSED_BOOK);
    EXPECT_EQ(session.host().consoleText(), "Could not open file:" + Path("ch2.fm") + "\n");
    EXPECT_EQ(Stored("ch1.fm"), (std::vector<std::string>{"Body", "Note"}));
    EXPECT_EQ(Stored("ch2.fm"), (std::vector<std::string>{"Body", "Old", "Note"}));
    EXPECT_EQ(store.saves(Path("ch2.fm")), 0);
    EXPECT_TRUE(model().openDocs.empty());
}

TEST_F(BookDeleteTest, BookFileTheUserHasOpenStaysOpenWithItsEdits)
{
    // The user has ch1 open and has typed into it without saving.
    ObjectId ch1 = session.open(Path("ch1.fm"));
    ASSERT_NE(ch1, 0u);
    Document* doc = model().document(ch1);
    TextLoc end = host::InsertText(model(), *doc, TextLoc{doc->firstParagraphOfFlow(doc->mainFlow), 0}, "edited ");
    ASSERT_NE(end.object, 0u);
    session.activate(model().openBooks.front());

    session.command(TW_CMD_LIST_USAGE_BOOK); // a read-only walk
    ASSERT_NE(model().document(ch1), nullptr) << "the listing closed the user's document";
    EXPECT_EQ(session.paragraphs(ch1).front().text, "edited a");

    session.answerAlert(0);
    session.command(TW_CMD_DELETE_UNUSED_BOOK); // a walk that saves
    ASSERT_NE(model().document(ch1), nullptr) << "deleting closed the user's document";
    EXPECT_EQ(store.saves(Path("ch1.fm")), 1);
    EXPECT_EQ(Stored("ch1.fm"), (std::vector<std::string>{"Body", "Note"}));
    EXPECT_EQ(store.document(Path("ch1.fm"))->paragraphs.begin()->second.text.substr(0, 7), "edited ");
    EXPECT_EQ(model().documentByPath(Path("ch2.fm")), nullptr) << "ch2 is closed again";
}

// Book files as MIF on disk: after command 10 each file reads back exactly as the same file
// would after deleting the unused formats by hand, so nothing else was changed.
class MifBookDeleteTest : public PluginTest {
protected:
    void SetUp() override
    {
        dir = fs::temp_directory_path() /
              ("tagwright-e2e-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        fs::create_directories(dir);
        session.setStore(&mif);
    }
    void TearDown() override { fs::remove_all(dir); }

    // Writes the document as MIF under name into path; stops the test when it cannot.
    void Write(const std::string& name, DocBuilder& builder, std::string& path)
    {
        path = (dir / name).string();
        std::string error;
        auto doc = builder.build();
        ASSERT_TRUE(host::WriteFileAtomically(path, host::MifDocumentBytes(*doc), error)) << error;
    }

    static std::string Read(const std::string& path)
    {
        std::ifstream in(path, std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }

    // What the file should hold: itself, read and written by the host with the named formats
    // deleted. Stops the test when that cannot be made.
    void Expected(const std::string& before, const std::vector<std::string>& deleted, std::string& expected)
    {
        std::string copy = (dir / "expected.mif").string();
        std::string error;
        ASSERT_TRUE(host::WriteFileAtomically(copy, before, error)) << error;
        Model scratch;
        host::LoadResult loaded = host::LoadMifFile(scratch, copy);
        ASSERT_TRUE(loaded.doc) << loaded.error;
        for (const auto& name : deleted) {
            const host::PgfFormat* format = loaded.doc->formatByName(name);
            ASSERT_NE(format, nullptr) << name;
            EXPECT_TRUE(host::DeleteFormat(*loaded.doc, format->id)) << name;
        }
        expected = host::MifDocumentBytes(*loaded.doc);
    }

    fs::path dir;
    host::MifStore mif;
};

TEST_F(MifBookDeleteTest, SavedFilesReloadWithOnlyTheUnusedFormatsGone)
{
    DocBuilder ch1(model());
    ch1.format("Body").format("Note").format("Old").format("Heading1");
    ch1.paragraph("Heading1", "Chapter one")
        .paragraph("Body", "Text with a note.")
        .table({{"Name"}, {"Value"}}, 1, "Body");
    std::string ch1Path;
    ASSERT_NO_FATAL_FAILURE(Write("ch1.mif", ch1, ch1Path));
    DocBuilder ch2(model());
    ch2.format("Body").format("Old").format("Note").format("Heading1").format("Gone");
    ch2.paragraph("Note", "A note.").footnote({{"Heading1", "odd footnote"}});
    std::string ch2Path;
    ASSERT_NO_FATAL_FAILURE(Write("ch2.mif", ch2, ch2Path));
    std::string ch1Before = Read(ch1Path);
    std::string ch2Before = Read(ch2Path);

    BookBuilder book(model(), (dir / "Manual.book").string());
    book.file(ch1Path).file(ch2Path);
    {
        std::string error;
        ASSERT_TRUE(host::WriteFileAtomically((dir / "Manual.book").string(), host::MifBookBytes(*book.build()), error))
            << error;
    }
    Load();
    std::string error;
    ObjectId opened = session.open((dir / "Manual.book").string(), &error);
    ASSERT_NE(opened, 0u) << error;
    session.activate(opened);

    session.answerAlert(0);
    session.command(TW_CMD_DELETE_UNUSED_BOOK);
    EXPECT_TRUE(session.consoleLines().empty()) << session.host().consoleText();

    std::string ch1Expected, ch2Expected;
    ASSERT_NO_FATAL_FAILURE(Expected(ch1Before, {"Old"}, ch1Expected));
    ASSERT_NO_FATAL_FAILURE(Expected(ch2Before, {"Old", "Gone"}, ch2Expected));
    EXPECT_EQ(Read(ch1Path), ch1Expected);
    EXPECT_EQ(Read(ch2Path), ch2Expected);

    Model reread;
    host::LoadResult ch2After = host::LoadMifFile(reread, ch2Path);
    ASSERT_TRUE(ch2After.doc) << ch2After.error;
    EXPECT_EQ(CatalogueNames(*ch2After.doc), (std::vector<std::string>{"Body", "Note", "Heading1"}));
    host::LoadResult ch1After = host::LoadMifFile(reread, ch1Path);
    ASSERT_TRUE(ch1After.doc) << ch1After.error;
    const host::Document& d = *ch1After.doc;
    std::vector<ParagraphText> text;
    for (ObjectId p = d.firstParagraphOfFlow(d.mainFlow); p; p = d.nextParagraph(p))
        text.push_back({d.paragraph(p)->tag, d.paragraph(p)->text});
    EXPECT_EQ(text, (std::vector<ParagraphText>{{"Heading1", "Chapter one"}, {"Body", "Text with a note."}}));
    EXPECT_EQ(d.tables.size(), 1u);
}

TEST_F(MifBookDeleteTest, AChapterWithEquationsOverSeveralLinesIsReadAndSavedAsItWas)
{
    const std::string original = Read(std::string(TAGWRIGHT_SOURCE_DIR) + "/tests/data/equation.mif");
    const std::string unusedFormat = " <Pgf \n  <PgfTag `Unused'>";
    const size_t from = original.find(unusedFormat);
    const size_t to = original.find("> # end of Pgf\n", from);
    ASSERT_TRUE(from != std::string::npos && to != std::string::npos);
    std::string chapter = (dir / "Equations.mif").string(), error;
    ASSERT_TRUE(host::WriteFileAtomically(chapter, original, error)) << error;
    BookBuilder book(model(), (dir / "Maths.book").string());
    book.file(chapter);
    ASSERT_TRUE(host::WriteFileAtomically((dir / "Maths.book").string(), host::MifBookBytes(*book.build()), error))
        << error;
    Load();
    ObjectId opened = session.open((dir / "Maths.book").string(), &error);
    ASSERT_NE(opened, 0u) << error;
    session.activate(opened);

    session.command(9); // usage: the chapter is read, not lost
    EXPECT_TRUE(session.consoleLines().empty()) << session.host().consoleText();
    auto listing = Output();
    auto listed = [&](const std::string& text) {
        return std::find_if(listing.begin(), listing.end(), [&](const ParagraphText& p) { return p.text == text; }) !=
               listing.end();
    };
    EXPECT_TRUE(listed("Equation") && listed("Body") && listed("Unused"));

    session.answerAlert(0);
    session.command(10);
    EXPECT_TRUE(session.consoleLines().empty()) << session.host().consoleText();
    // Exactly the unused format's statement is gone; both equations are as they were.
    std::string expected = original;
    expected.erase(from, to + std::string("> # end of Pgf\n").size() - from);
    EXPECT_EQ(Read(chapter), expected);
}

} // namespace
} // namespace tw::e2e
