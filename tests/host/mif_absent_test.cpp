// mif_absent_test.cpp - statements that lack the children they usually hold (a page without
// its type, a format without its tag, a cell without content...) are read as their defaults,
// changed and written back without reading outside the statement tree (the sanitizer build
// checks the reads), and what is written reads back the same.
#include <gtest/gtest.h>

#include "host/mif/book.h"
#include "host/mif/document.h"
#include "host/files/mif_store.h"
#include "host/model/properties.h"
#include "mif_test_util.h"

using namespace tw::host;
using namespace mif_test;

namespace {

std::unique_ptr<Document> Parse(Model& m, const std::string& bytes)
{
    auto src = std::make_shared<MifSource>();
    MifError error;
    if (!ParseMif(bytes, "damaged.mif", *src, error)) {
        ADD_FAILURE() << error.text() << "\n" << bytes;
        return nullptr;
    }
    return ReadMifDocument(m, src, "damaged.mif");
}

// Damaged but well-formed documents: each leaves out a statement the reader or writer looks for.
const char* const kDamaged[] = {
    "<MIFFile><Page>",
    "<MIFFile 9.00>\n<Page <PageTag>>\n<Page <PageType>>\n",
    "<MIFFile 9.00>\n<PgfCatalog <Pgf <PgfFont>> <Pgf <PgfTag `Body'> <TabStop <TSX>> <PgfNumTabs>>>\n",
    "<MIFFile 9.00>\n<ColorCatalog <Color> <Color <ColorTag>>>\n",
    "<MIFFile 9.00>\n<Tbls <Tbl> <Tbl <TblTitle> <TblH <Row <Cell>>> <TblBody <Row>>>>\n",
    "<MIFFile 9.00>\n<Tbls <Tbl <TblID 1> <TblFormat> <TblBody <Row <Cell <CellContent <Para>>>>>>>\n",
    "<MIFFile 9.00>\n<TextFlow>\n<TextFlow <Para>>\n<TextFlow <TFTag> <TFAutoConnect> <Para <ParaLine>>>\n",
    "<MIFFile 9.00>\n<TextFlow <Para <Pgf> <ParaLine <String> <Char> <Font> <ATbl> <FNote> <TextRectID>>>>\n",
    "<MIFFile 7.00>\n<TextFlow <Para <ParaLine <Font <FEncoding>> <String `x'>>>>\n",
    "<MIFFile 9.00>\n<AFrames <Frame <TextRect>>>\n<Page <TextRect <ID>>>\n<Units>\n<CharUnits>\n",
    "<MIFFile 9.00>\n<Notes <FNote> <FNote <ID>>>\n",
};

} // namespace

TEST(MifAbsentStatements, DamagedDocumentsReadChangeAndWriteBack)
{
    for (const char* text : kDamaged) {
        SCOPED_TRACE(text);
        Model m;
        auto doc = Parse(m, text);
        ASSERT_TRUE(doc);
        // Change what the writer touches: every format renamed and given new properties, a
        // new format, and a paragraph added to every list that has one.
        for (ObjectId f : doc->catalogue) {
            PgfFormat* fmt = doc->format(f);
            fmt->name += "2";
            fmt->props[553] = 0x40000; // space above: 4 pt
        }
        AddFormat(m, *doc, "Added", DefaultParagraphProps());
        std::string bytes = MifDocumentBytes(*doc);

        Model again;
        auto reread = Parse(again, bytes);
        ASSERT_TRUE(reread);
        ASSERT_EQ(reread->catalogue.size(), doc->catalogue.size()) << bytes;
        for (size_t i = 0; i < doc->catalogue.size(); ++i)
            EXPECT_EQ(reread->format(reread->catalogue[i])->name, doc->format(doc->catalogue[i])->name) << bytes;
        EXPECT_EQ(MifDocumentBytes(*reread), bytes) << "a second save changes nothing";
    }
}

TEST(MifAbsentStatements, PageWithoutTypeIsABodyPage)
{
    Model m;
    auto doc = Parse(m, "<MIFFile><Page>");
    ASSERT_TRUE(doc);
    EXPECT_EQ(doc->bodyPages.size(), 1u);
    EXPECT_TRUE(doc->masterPages.empty());
}

TEST(MifAbsentStatements, TreeEditsOfAnAbsentStatementDoNothing)
{
    MifSource src;
    MifError error;
    ASSERT_TRUE(ParseMif("<MIFFile 9.00>\n<Page>\n", "t.mif", src, error));
    const std::string before = SerializeMif(src);
    int32_t missing = src.firstChild(0, "PgfCatalog");
    ASSERT_EQ(missing, -1);
    EXPECT_TRUE(src.children(missing).empty());
    EXPECT_TRUE(src.tokens(missing).empty());
    EXPECT_EQ(src.firstToken(missing), "");
    EXPECT_EQ(src.firstChild(missing, "Pgf"), -1);
    EXPECT_EQ(src.firstToken(static_cast<int32_t>(src.nodes.size())), "") << "past the last node";
    src.setValue(missing, "x");
    src.remove(missing);
    EXPECT_TRUE(src.insert(missing, -1, "<Pgf>").empty());
    EXPECT_EQ(SerializeMif(src), before);
}

TEST(MifAbsentStatements, BookComponentsWithoutNamesAreKept)
{
    TempDir tmp;
    std::string path = tmp.file("b.book.mif");
    WriteBytes(path, "<Book 9.00>\n<BookComponent>\n<BookFolder <BookComponent <FileName>>>\n<BookGroup>\n");
    Model m;
    LoadResult r = LoadMifFile(m, path);
    ASSERT_TRUE(r.book) << r.error;
    EXPECT_EQ(r.book->top.size(), 3u);
    EXPECT_EQ(MifBookBytes(*r.book), ReadBytes(path));
}
