// mif_book_test.cpp - MIF books: components, folders and device-independent paths, the ".mif"
// beside the book when a chapter's named file cannot be opened, and a walk of the example book
// through the host API slots the plug-in's host operations call.
#include <gtest/gtest.h>

#include <functional>

#include "bridge/boundary.h"
#include "host/com/host.h"
#include "host/mif/book.h"
#include "host/files/mif_store.h"
#include "mif_test_util.h"

using namespace tw::host;
using namespace mif_test;

namespace {

const std::string kBook = ExampleBookDir() + "/Example.book.mif";

// Reads properties through the host API object's slots, as the plug-in's bridge does.
class Slots {
public:
    explicit Slots(Host& h) : api_(h.hostObject()) { }
    ObjectId id(ObjectId doc, ObjectId obj, int32_t prop)
    {
        PropertyIdent ident{prop, nullptr};
        int32_t status = -1;
        ObjectId value = 0;
        HostSlotGetIdProperty(api_)(api_, doc, obj, &ident, &status, &value);
        return status == 0 ? value : 0;
    }
    int32_t integer(ObjectId doc, ObjectId obj, int32_t prop)
    {
        PropertyIdent ident{prop, nullptr};
        int32_t status = -1, value = 0;
        HostSlotGetIntProperty(api_)(api_, doc, obj, &ident, &status, &value);
        return status == 0 ? value : 0;
    }
    std::string string(ObjectId doc, ObjectId obj, int32_t prop)
    {
        PropertyIdent ident{prop, nullptr};
        int32_t status = -1;
        char* value = nullptr;
        HostSlotGetStringProperty(api_)(api_, doc, obj, &ident, &status, &value);
        return status == 0 && value ? value : "";
    }

private:
    HostApi* api_;
};

// Every paragraph of a document reached the way the usage scan reaches them, as (tag, text).
std::vector<std::string> WalkParagraphs(Slots& s, const Document& d, ObjectId doc)
{
    std::vector<std::string> seen;
    auto run = [&](ObjectId first) {
        for (ObjectId p = first; p; p = s.id(doc, p, PROP_NEXT_PARAGRAPH))
            seen.push_back(s.string(doc, p, PROP_NAME) + "|" + d.paragraphs.at(p).text);
    };
    for (ObjectId f = s.id(0, doc, PROP_FIRST_FLOW); f; f = s.id(doc, f, PROP_NEXT_FLOW)) {
        ObjectId frame = s.id(doc, f, PROP_FIRST_FRAME);
        while (frame && !s.id(doc, frame, PROP_FIRST_PARAGRAPH))
            frame = s.id(doc, frame, PROP_NEXT_FRAME);
        if (frame)
            run(s.id(doc, frame, PROP_FIRST_PARAGRAPH));
    }
    for (ObjectId h = s.id(0, doc, PROP_FIRST_TEXT_HOLDER); h; h = s.id(doc, h, PROP_NEXT_TEXT_HOLDER))
        run(s.id(doc, h, PROP_FIRST_PARAGRAPH));
    for (ObjectId t = s.id(0, doc, PROP_FIRST_TABLE); t; t = s.id(doc, t, PROP_NEXT_TABLE)) {
        run(s.id(doc, t, PROP_FIRST_PARAGRAPH)); // the title
        for (ObjectId r = s.id(doc, t, PROP_FIRST_ROW); r; r = s.id(doc, r, PROP_NEXT_ROW))
            for (ObjectId c = s.id(doc, r, PROP_FIRST_CELL); c; c = s.id(doc, c, PROP_NEXT_CELL))
                run(s.id(doc, c, PROP_FIRST_PARAGRAPH));
    }
    return seen;
}

bool Has(const std::vector<std::string>& v, const std::string& s)
{
    return std::find(v.begin(), v.end(), s) != v.end();
}

} // namespace

TEST(MifBook, ComponentsFoldersAndChapterFilesAreFound)
{
    Model m;
    LoadResult r = LoadMifFile(m, kBook);
    ASSERT_TRUE(r.book) << r.error;
    Book& b = *r.book;
    ASSERT_EQ(b.top.size(), 3u);
    const BookComponent& intro = *b.component(b.top[0]);
    const BookComponent& folder = *b.component(b.top[1]);
    const BookComponent& appendix = *b.component(b.top[2]);
    EXPECT_EQ(intro.kind, kComponentFile);
    EXPECT_EQ(folder.kind, kComponentFolder);
    EXPECT_EQ(folder.path, "Reference");
    ASSERT_EQ(folder.children.size(), 1u);
    const BookComponent& tables = *b.component(folder.children[0]);
    EXPECT_EQ(tables.parent, folder.id);
    // The book names .fm files (one by an absolute path from another machine); the .mif files
    // beside the book, or at the same relative place, are what opens.
    EXPECT_EQ(intro.path, ExampleBookDir() + "/Intro.mif");
    EXPECT_EQ(tables.path, ExampleBookDir() + "/reference/Tables.mif");
    EXPECT_EQ(appendix.path, ExampleBookDir() + "/Appendix.mif");
    for (const std::string& p : {intro.path, tables.path, appendix.path}) {
        Model m2;
        EXPECT_TRUE(LoadMifFile(m2, p).doc) << p;
    }
}

TEST(MifBook, AChapterThatCannotBeFoundKeepsItsNamedPathAndFailsToOpen)
{
    TempDir tmp;
    WriteBytes(tmp.file("B.book.mif"),
               "<Book 2019>\n<BookComponent \n <FileName `<c\\>Gone.fm'>\n> # end of BookComponent\n"
               "<BookComponent \n <FileName `<c\\>Binary.fm'>\n> # end of BookComponent\n");
    WriteBytes(tmp.file("Binary.fm"), ReadBytes(DataDir() + "/binary-document.fm"));
    WriteBytes(tmp.file("Binary.mif"), "<MIFFile 2019>\n");
    Model m;
    LoadResult r = LoadMifFile(m, tmp.file("B.book.mif"));
    ASSERT_TRUE(r.book) << r.error;
    EXPECT_EQ(r.book->component(r.book->top[0])->path, tmp.file("Gone.fm"));
    EXPECT_TRUE(LoadMifFile(m, tmp.file("Gone.fm")).missing);
    // A binary .fm cannot be opened by this host: its MIF copy beside the book is used.
    EXPECT_EQ(r.book->component(r.book->top[1])->path, tmp.file("Binary.mif"));
}

TEST(MifBook, DeviceIndependentPathsBecomeNativePaths)
{
    EXPECT_EQ(MifPathToNative("<c>ch1.fm"), "ch1.fm");
    EXPECT_EQ(MifPathToNative("<c>ref<c>ch2.fm"), "ref/ch2.fm");
    EXPECT_EQ(MifPathToNative("<u><u><c>shared<c>a.fm"), "../../shared/a.fm");
    EXPECT_EQ(MifPathToNative("<r><c>usr<c>doc<c>b.fm"), "/usr/doc/b.fm");
    EXPECT_EQ(MifPathToNative("<v>C<c>Docs<c>c.fm"), "C:/Docs/c.fm");
    EXPECT_EQ(MifPathToNative("<v>O:<c>Bills 09<c>e.fm"), "O:/Bills 09/e.fm");
    EXPECT_EQ(MifPathToNative("chapters\\d.fm"), "chapters/d.fm");
    auto c = ComponentCandidates("/books/x/My.book.mif", "<v>C<c>Docs<c>c.fm");
    EXPECT_EQ(c.back(), "/books/x/c.mif");
    c = ComponentCandidates("/books/x/My.book.mif", "<u><c>other<c>d.fm");
    ASSERT_GE(c.size(), 3u);
    EXPECT_EQ(c[0], "/books/other/d.fm");
    EXPECT_EQ(c[1], "/books/other/d.mif");
    EXPECT_EQ(c[2], "/books/x/d.mif");
}

TEST(MifBook, WalkingTheExampleBookReachesParagraphsOfEveryKind)
{
    MifStore store;
    Host host;
    host.setStore(&store);
    int32_t status = -1;
    ObjectId book = host.openFile(kBook, false, status);
    ASSERT_NE(book, 0u) << status;
    Slots s(host);
    std::vector<std::string> files, folders;
    std::vector<std::string> all;
    std::function<void(ObjectId)> walk = [&](ObjectId first) {
        for (ObjectId c = first; c; c = s.id(book, c, PROP_NEXT_COMPONENT)) {
            int32_t kind = s.integer(book, c, PROP_COMPONENT_KIND);
            std::string name = s.string(book, c, PROP_NAME);
            if (kind == COMPONENT_FOLDER || kind == COMPONENT_GROUP) {
                folders.push_back(name);
                EXPECT_EQ(s.id(book, s.id(book, c, PROP_FIRST_CHILD_COMPONENT), PROP_PARENT_COMPONENT), c);
                walk(s.id(book, c, PROP_FIRST_CHILD_COMPONENT));
                continue;
            }
            ASSERT_EQ(kind, COMPONENT_DOCUMENT);
            files.push_back(name);
            int32_t st = -1;
            ObjectId doc = host.openFile(name, false, st);
            ASSERT_NE(doc, 0u) << name << " status " << st;
            const Document& d = *host.model().document(doc);
            auto seen = WalkParagraphs(s, d, doc);
            EXPECT_EQ(seen.size(), d.paragraphs.size()) << name << ": every paragraph reached once";
            all.insert(all.end(), seen.begin(), seen.end());
        }
    };
    walk(s.id(0, book, PROP_FIRST_COMPONENT));
    EXPECT_EQ(files.size(), 3u);
    EXPECT_EQ(folders, std::vector<std::string>{"Reference"});
    EXPECT_TRUE(Has(all, "Heading1|Introduction"));                                       // body flow
    EXPECT_TRUE(Has(all, "Header|Introduction"));                                         // master page
    EXPECT_TRUE(Has(all, "Body|Reference page text: house style notes."));                // reference page
    EXPECT_TRUE(Has(all, "TableTitle|Chapters of this book"));                            // table title
    EXPECT_TRUE(Has(all, "CellHeading|Chapter"));                                         // heading cell
    EXPECT_TRUE(Has(all, "CellBody|What the book is"));                                   // body cell
    EXPECT_TRUE(Has(all, "Footnote|Tagwright reads footnotes as further text holders.")); // footnote
    EXPECT_TRUE(Has(all, "Legacy Tag|A paragraph whose tag has no catalogue format."));   // MIF 7 chapter
}
