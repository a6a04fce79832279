// book_walk_test.cpp - how book commands visit the files of a book: order over nested groups
// and folders, components that are skipped, the status line, files that cannot be opened
// or saved, and that every file the walk opened is let go again.
#include <algorithm>

#include "plugin_fixture.h"

namespace tw::e2e {
namespace {

using host::kComponentFolder;
using host::kComponentGroup;

class BookWalkTest : public PluginTest {
protected:
    static std::string Path(const std::string& name) { return "C:\\Books\\" + name; }

    // A book file on "disk" whose only paragraph is tagged after the file and whose
    // catalogue holds that tag and "Old", which nothing uses.
    void PutChapter(const std::string& name)
    {
        DocBuilder doc(model(), Path(name));
        doc.format("Old").format("Tag-" + name).paragraph("Tag-" + name, name);
        Put(Path(name), doc);
    }

    ObjectId AddBook(BookBuilder& builder)
    {
        ObjectId book = session.add(*builder.build());
        session.activate(book);
        return book;
    }

    // Book files the plug-in asked the host to open, in order (not the output template).
    std::vector<std::string> Opened()
    {
        std::vector<std::string> paths;
        for (const auto& open : session.host().opens())
            if (!open.path.ends_with("VellOutput.fm"))
                paths.push_back(open.path);
        return paths;
    }

    bool ConsoleHas(const std::string& line)
    {
        auto lines = session.consoleLines();
        return std::find(lines.begin(), lines.end(), line) != lines.end();
    }

    // Documents still open apart from the output documents.
    size_t OpenBookFiles()
    {
        size_t count = 0;
        for (ObjectId id : model().openDocs)
            if (!model().document(id)->path.empty())
                count++;
        return count;
    }
};

TEST_F(BookWalkTest, VisitsFilesDepthFirstAndSkipsOtherKinds)
{
    for (const char* name : {"ch1.fm", "ch2.fm", "ch3.fm", "ch4.fm", "ch5.fm", "ch6.fm", "hidden.fm"})
        PutChapter(name);
    BookBuilder book(model(), Path("Guide.book"));
    book.file(Path("ch1.fm"))
        .group("Part One")
        .file(Path("ch2.fm"))
        .group("Inner", kComponentFolder)
        .file(Path("ch3.fm"))
        .end()
        .end()
        .group("Empty folder", kComponentFolder)
        .end()
        .component(4, "Generated list")
        .group("Other kind", 8)
        .file(Path("hidden.fm"))
        .end()
        .file(Path("ch4.fm"))
        .group("Last", kComponentGroup)
        .group("Deeper", kComponentFolder)
        .file(Path("ch5.fm"))
        .end()
        .end();
    AddBook(book);
    Load();

    session.command(TW_CMD_LIST_USAGE_BOOK);
    const std::vector<std::string> order = {Path("ch1.fm"), Path("ch2.fm"), Path("ch3.fm"), Path("ch4.fm"),
                                            Path("ch5.fm")};
    EXPECT_EQ(Opened(), order);
    EXPECT_EQ(session.statusLines(),
              (std::vector<std::string>{"Examining: ch1.fm", "Examining: ch2.fm", "Examining: ch3.fm",
                                        "Examining: ch4.fm", "Examining: ch5.fm", ""}));
    EXPECT_EQ(OpenBookFiles(), 0u);
    // Every file's tags were gathered, the skipped one's not.
    auto out = Output();
    EXPECT_EQ(std::count(out.begin(), out.end(), Body("Tag-hidden.fm")), 0);
    EXPECT_EQ(std::count(out.begin(), out.end(), Body("Tag-ch5.fm")), 1);
}

TEST_F(BookWalkTest, EmptyBookOpensNothingAndClearsTheStatusLine)
{
    BookBuilder book(model(), Path("Empty.book"));
    AddBook(book);
    Load();
    session.command(TW_CMD_LIST_USAGE_BOOK);
    EXPECT_TRUE(Opened().empty());
    EXPECT_EQ(session.statusLines(), std::vector<std::string>{""});
}

TEST_F(BookWalkTest, MissingFileIsReportedAndTheWalkGoesOn)
{
    PutChapter("ch1.fm");
    PutChapter("ch3.fm");
    BookBuilder book(model(), Path("Guide.book"));
    book.file(Path("ch1.fm")).file(Path("ch2.fm")).file(Path("ch3.fm")).file("");
    AddBook(book);
    Load();

    session.command(TW_CMD_LIST_USAGE_BOOK);
    EXPECT_TRUE(ConsoleHas("Could not open file:" + Path("ch2.fm")));
    EXPECT_EQ(session.statusLines(), (std::vector<std::string>{"Examining: ch1.fm", "Examining: ch2.fm",
                                                               "Examining: ch3.fm", "Examining: ", ""}));
    EXPECT_TRUE(session.alerts().empty());
    auto out = Output();
    EXPECT_NE(std::find(out.begin(), out.end(), Body("Tag-ch3.fm")), out.end());
}

TEST_F(BookWalkTest, UnsaveableFileIsReportedStaysOpenAndTheWalkGoesOn)
{
    for (const char* name : {"ch1.fm", "ch3.fm", "ch4.fm"})
        PutChapter(name);
    store.unsaveable.insert(host::NativePath(Path("ch3.fm")));
    BookBuilder book(model(), Path("Guide.book"));
    book.file(Path("ch1.fm")).file(Path("ch2.fm")).file(Path("ch3.fm")).file(Path("ch4.fm"));
    AddBook(book);
    Load();

    session.answerAlert(0);
    session.command(TW_CMD_DELETE_UNUSED_BOOK);
    EXPECT_TRUE(ConsoleHas("Could not save file:" + Path("ch3.fm")));
    EXPECT_FALSE(ConsoleHas("Could not save file:" + Path("ch2.fm"))) << "its open failure was reported already";
    auto console = session.consoleLines();
    EXPECT_EQ(std::count(console.begin(), console.end(), "Could not open file:" + Path("ch2.fm")), 2)
        << "once per walk";
    // ch1 and ch4 lost "Old" on disk, ch3 did not; ch3 is still open with the change.
    for (const char* name : {"ch1.fm", "ch4.fm"}) {
        ASSERT_NE(store.document(Path(name)), nullptr);
        EXPECT_EQ(store.saves(Path(name)), 1) << name;
        EXPECT_EQ(store.document(Path(name))->catalogue.size(), 1u) << name;
    }
    EXPECT_EQ(store.saves(Path("ch3.fm")), 0);
    EXPECT_EQ(store.document(Path("ch3.fm"))->catalogue.size(), 2u);
    EXPECT_EQ(OpenBookFiles(), 1u);
    const host::Document* open = model().documentByPath(host::NativePath(Path("ch3.fm")));
    ASSERT_NE(open, nullptr);
    EXPECT_EQ(open->catalogue.size(), 1u);
    EXPECT_EQ(session.statusLines(),
              (std::vector<std::string>{"Examining: ch1.fm", "Examining: ch2.fm", "Examining: ch3.fm",
                                        "Examining: ch4.fm", "", "Removing Unused Tags: ch1.fm",
                                        "Removing Unused Tags: ch2.fm", "Removing Unused Tags: ch3.fm",
                                        "Removing Unused Tags: ch4.fm", ""}));
}

} // namespace
} // namespace tw::e2e
