// mif_edit_test.cpp - what the plug-in changes (deleted and added formats, retagged paragraphs,
// cleared overrides, next-tag settings) is written into the MIF file so that it reads back the
// same, while every statement it did not touch stays byte for byte as it was.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "host/files/mif_store.h"
#include "host/model/properties.h"
#include "mif_test_util.h"

using namespace tw::host;
using namespace mif_test;

namespace {

struct Loaded {
    Model m;
    std::unique_ptr<Document> doc;
};

// Reads a document into l; stops the test when it cannot (call with ASSERT_NO_FATAL_FAILURE).
void LoadDoc(const std::string& path, std::unique_ptr<Loaded>& l)
{
    l = std::make_unique<Loaded>();
    LoadResult r = LoadMifFile(l->m, path);
    ASSERT_TRUE(r.doc) << r.error;
    l->doc = std::move(r.doc);
}

// Saves to a temporary file and reads that file back into back; stops the test on failure.
void SaveAndReload(const Loaded& l, const TempDir& tmp, std::unique_ptr<Loaded>& back, std::string* bytes = nullptr)
{
    MifStore store;
    std::string error, path = tmp.file("edited.mif");
    ASSERT_TRUE(store.save(l.m, *l.doc, path, error)) << error;
    if (bytes)
        *bytes = ReadBytes(path);
    LoadDoc(path, back);
}

Paragraph* FindParagraph(Document& d, const std::string& text)
{
    for (auto& [id, p] : d.paragraphs)
        if (p.text == text)
            return &p;
    return nullptr;
}

std::vector<std::string> Lines(const std::string& s)
{
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t nl; (nl = s.find('\n', start)) != std::string::npos; start = nl + 1)
        lines.push_back(s.substr(start, nl - start));
    lines.push_back(s.substr(start));
    return lines;
}

std::vector<std::string> CatalogueNames(Document& d)
{
    std::vector<std::string> names;
    for (ObjectId f : d.catalogue)
        names.push_back(d.format(f)->name);
    return names;
}

const std::string kIntro = ExampleBookDir() + "/Intro.mif";

} // namespace

TEST(MifEdit, DeletedFormatLosesExactlyItsStatement)
{
    std::unique_ptr<Loaded> l;
    ASSERT_NO_FATAL_FAILURE(LoadDoc(kIntro, l));
    Document& d = *l->doc;
    PgfFormat* old = d.formatByName("OldStyle");
    ASSERT_NE(old, nullptr);
    ASSERT_TRUE(DeleteFormat(d, old->id));
    TempDir tmp;
    std::string bytes;
    std::unique_ptr<Loaded> back;
    ASSERT_NO_FATAL_FAILURE(SaveAndReload(*l, tmp, back, &bytes));
    EXPECT_EQ(back->doc->formatByName("OldStyle"), nullptr);
    EXPECT_EQ(back->doc->catalogue.size(), d.catalogue.size());
    EXPECT_EQ(ParagraphsInOrder(*back->doc), ParagraphsInOrder(d));
    // The saved file is the original without the lines of that one <Pgf> statement.
    auto before = Lines(ReadBytes(kIntro)), after = Lines(bytes);
    std::vector<std::string> expected;
    bool inOld = false;
    for (size_t i = 0; i < before.size(); ++i) {
        if (before[i] == " <Pgf " && i + 1 < before.size() && before[i + 1] == "  <PgfTag `OldStyle'>")
            inOld = true;
        if (!inOld)
            expected.push_back(before[i]);
        if (inOld && before[i] == " > # end of Pgf")
            inOld = false;
    }
    EXPECT_EQ(after, expected);
}

TEST(MifEdit, RetaggedParagraphReadsBackAndTheParagraphAfterItKeepsItsOwnFormat)
{
    std::unique_ptr<Loaded> l;
    ASSERT_NO_FATAL_FAILURE(LoadDoc(kIntro, l));
    Document& d = *l->doc;
    Paragraph* p = FindParagraph(d, "A centred paragraph with a local override.");
    Paragraph* next = FindParagraph(d, "This paragraph takes the format of the one before it.");
    ASSERT_TRUE(p && next);
    ASSERT_TRUE(p->overridden);
    ASSERT_EQ(next->tag, "Body") << "an untagged paragraph continues the previous one's format";
    // What applying a whole format does: tag and every property of the format.
    p->tag = "Heading2";
    p->props = d.formatByName("Heading2")->props;
    p->overridden = false;
    TempDir tmp;
    std::unique_ptr<Loaded> back;
    ASSERT_NO_FATAL_FAILURE(SaveAndReload(*l, tmp, back));
    Paragraph* p2 = FindParagraph(*back->doc, p->text);
    Paragraph* next2 = FindParagraph(*back->doc, next->text);
    ASSERT_TRUE(p2 && next2);
    EXPECT_EQ(p2->tag, "Heading2");
    EXPECT_FALSE(p2->overridden);
    EXPECT_EQ(p2->props, p->props);
    EXPECT_EQ(next2->tag, "Body");
    EXPECT_EQ(next2->props, next->props);
    EXPECT_EQ(next2->overridden, next->overridden);
}

TEST(MifEdit, ClearedOverrideIsWrittenAsThePlainTag)
{
    std::unique_ptr<Loaded> l;
    ASSERT_NO_FATAL_FAILURE(LoadDoc(kIntro, l));
    Document& d = *l->doc;
    Paragraph* p = FindParagraph(d, "A centred paragraph with a local override.");
    ASSERT_TRUE(p && p->overridden);
    p->props = d.formatByName(p->tag)->props;
    p->overridden = false;
    TempDir tmp;
    std::string bytes;
    std::unique_ptr<Loaded> back;
    ASSERT_NO_FATAL_FAILURE(SaveAndReload(*l, tmp, back, &bytes));
    Paragraph* p2 = FindParagraph(*back->doc, p->text);
    ASSERT_TRUE(p2);
    EXPECT_FALSE(p2->overridden);
    EXPECT_EQ(p2->props, d.formatByName("Body")->props);
    // The untagged paragraph after it had inherited the override, and keeps it: it is now
    // written with its own <Pgf>.
    Paragraph* next = FindParagraph(*back->doc, "This paragraph takes the format of the one before it.");
    ASSERT_TRUE(next);
    EXPECT_TRUE(next->overridden);
    EXPECT_EQ(std::get<int32_t>(next->props.at(547)), 3);
    EXPECT_NE(bytes.find("  <PgfTag `Body'>\n  <ParaLine \n   <String `A centred paragraph"), std::string::npos);
}

TEST(MifEdit, ChangedOverridesAndFormatPropertiesReadBack)
{
    std::unique_ptr<Loaded> l;
    ASSERT_NO_FATAL_FAILURE(LoadDoc(DataDir() + "/structured-graphics.mif", l));
    Document& d = *l->doc;
    Paragraph* p = FindParagraph(d, "Overridden tabs and cell margins");
    ASSERT_TRUE(p && p->overridden);
    auto tabs = std::get<std::vector<TabStop>>(p->props.at(574));
    ASSERT_EQ(tabs.size(), 1u);
    EXPECT_EQ(tabs[0].kind, TAB_RIGHT);
    EXPECT_EQ(tabs[0].position, 2 * 72 * 65536);
    EXPECT_EQ(std::get<int32_t>(p->props.at(583)), 4 * 65536); // left cell margin
    tabs.push_back(TabStop{3 * 72 * 65536, TAB_DECIMAL, "", ','});
    p->props[574] = tabs;
    p->props[615] = 11 * 65536; // font size
    PgfFormat* h1 = d.formatByName("Heading1");
    h1->props[552] = std::string("Bulleted");  // next tag
    h1->props[547] = 3;                        // centred
    h1->props[604] = std::string("Helvetica"); // font family
    TempDir tmp;
    std::unique_ptr<Loaded> back;
    ASSERT_NO_FATAL_FAILURE(SaveAndReload(*l, tmp, back));
    EXPECT_EQ(FindParagraph(*back->doc, p->text)->props, p->props);
    EXPECT_EQ(back->doc->formatByName("Heading1")->props, h1->props);
    // The paragraphs that use Heading1 without overrides now differ from it: they were read
    // with the old properties, and keep them.
    EXPECT_EQ(ParagraphsInOrder(*back->doc), ParagraphsInOrder(d));
}

TEST(MifEdit, NewFormatsJoinTheCatalogueWhereTheModelHasThem)
{
    std::unique_ptr<Loaded> l;
    ASSERT_NO_FATAL_FAILURE(LoadDoc(ExampleBookDir() + "/Appendix.mif", l)); // MIF 7, CRLF
    Document& d = *l->doc;
    PgfProps props = d.formatByName("Body")->props;
    props[552] = std::string("Tête");
    AddFormat(l->m, d, "Résumé", props);
    ASSERT_TRUE(DeleteFormat(d, d.formatByName("OldStyle")->id));
    // Retag a paragraph to the new format: legacy text is written with FrameRoman escapes.
    Paragraph* p = FindParagraph(d, "A paragraph whose tag has no catalogue format.");
    ASSERT_TRUE(p);
    p->tag = "Résumé";
    p->props = props;
    TempDir tmp;
    std::string bytes;
    std::unique_ptr<Loaded> back;
    ASSERT_NO_FATAL_FAILURE(SaveAndReload(*l, tmp, back, &bytes));
    EXPECT_EQ(CatalogueNames(*back->doc), CatalogueNames(d));
    ASSERT_NE(back->doc->formatByName("Résumé"), nullptr);
    EXPECT_EQ(back->doc->formatByName("Résumé")->props, props);
    EXPECT_EQ(FindParagraph(*back->doc, p->text)->tag, "Résumé");
    EXPECT_NE(bytes.find("<PgfTag `R\\x8e sum\\x8e '>"), std::string::npos);
    EXPECT_EQ(bytes.find("Résumé"), std::string::npos) << "a MIF 7 file holds no UTF-8";
    size_t lf = std::count(bytes.begin(), bytes.end(), '\n'), crlf = 0;
    for (size_t at = 0; (at = bytes.find("\r\n", at)) != std::string::npos; at += 2)
        ++crlf;
    EXPECT_EQ(lf, crlf) << "new and removed statements keep the file's CRLF line ends";
    EXPECT_EQ(bytes.find("\r\r"), std::string::npos);
    EXPECT_EQ(back->doc->formatByName("OldStyle"), nullptr);
}

TEST(MifEdit, SavingTwiceGivesTheSameFileAndLeavesTheOpenDocumentsTreeAlone)
{
    std::unique_ptr<Loaded> l;
    ASSERT_NO_FATAL_FAILURE(LoadDoc(kIntro, l));
    Document& d = *l->doc;
    ASSERT_TRUE(DeleteFormat(d, d.formatByName("Note")->id));
    const std::string before = SerializeMif(*d.mif);
    EXPECT_EQ(MifDocumentBytes(d), MifDocumentBytes(d));
    EXPECT_EQ(SerializeMif(*d.mif), before);
}

TEST(MifEdit, InsertedTextParagraphsAndTablesReadBack)
{
    std::unique_ptr<Loaded> l;
    ASSERT_NO_FATAL_FAILURE(LoadDoc(kIntro, l));
    Document& d = *l->doc;
    Paragraph* last = FindParagraph(d, "Last paragraph of the introduction.");
    ASSERT_TRUE(last);
    ObjectId lastId = last->id;
    // Text at the end, then a new paragraph holding the anchor of a new table.
    TextLoc at = InsertText(l->m, d, TextLoc{lastId, TW_END_OF_TEXT}, " More text.\nA new paragraph");
    ObjectId added = at.object;
    ASSERT_NE(added, lastId);
    ObjectId table = AddTable(l->m, d, "Format A", 2, 1, 1, 0, added, CharCount(d.paragraph(added)->text));
    const Table& t = *d.table(table);
    int n = 0;
    for (ObjectId r : t.rows)
        for (ObjectId c : d.row(r)->cells)
            InsertText(l->m, d, TextLoc{d.cell(c)->paragraphs[0], 0}, "cell " + std::to_string(++n));
    TempDir tmp;
    std::string bytes;
    std::unique_ptr<Loaded> back;
    ASSERT_NO_FATAL_FAILURE(SaveAndReload(*l, tmp, back, &bytes));
    Document& b = *back->doc;
    EXPECT_EQ(ParagraphsInOrder(b), ParagraphsInOrder(d));
    ASSERT_EQ(b.tables.size(), 2u);
    const Table& t2 = *b.table(b.tables[1]);
    EXPECT_EQ(t2.format, "Format A");
    EXPECT_EQ(t2.rows.size(), 2u);
    EXPECT_EQ(b.row(t2.rows[0])->kind, RowKind::Heading);
    ASSERT_NE(t2.anchor, 0u);
    EXPECT_EQ(b.paragraph(t2.anchor)->text, "A new paragraph");
    EXPECT_EQ(b.paragraph(b.cell(b.row(t2.rows[1])->cells[1])->paragraphs[0])->text, "cell 4");
    // The first table keeps its anchor and the footnote its own.
    EXPECT_NE(b.table(b.tables[0])->anchor, 0u);
    EXPECT_NE(b.holder(b.textHolders[0])->anchor, 0u);
}

TEST(MifEdit, TextInsertedIntoALineWithFontChangesRewritesOnlyThatText)
{
    TW_REQUIRE_MIF_SAMPLES();
    const std::string path = SamplesDir() + "/Test03.mif";
    std::unique_ptr<Loaded> l;
    ASSERT_NO_FATAL_FAILURE(LoadDoc(path, l));
    Document& d = *l->doc;
    Paragraph* p = FindParagraph(d, "Japanese text: 日本語 and É=E-acute.");
    ASSERT_TRUE(p);
    InsertText(l->m, d, TextLoc{p->id, 0}, "New: ");
    auto before = Lines(ReadBytes(path)), after = Lines(MifDocumentBytes(d));
    ASSERT_EQ(before.size(), after.size());
    int changed = 0;
    for (size_t i = 0; i < before.size(); ++i)
        if (before[i] != after[i]) {
            ++changed;
            EXPECT_EQ(after[i], "   <String `New: Japanese text: '>");
        }
    EXPECT_EQ(changed, 1);
}

TEST(MifEdit, TextInsertedBeforeFontChangesRewritesOnlyTheFirstStringInLegacyAndUtf8Files)
{
    // The paragraph's line switches to a Shift-JIS font, back to the format's font and then to a
    // roman one; the runs after the insert keep their bytes, escapes and all.
    for (const std::string name : {"japanese-mif7.mif", "japanese-mif9.mif"}) {
        SCOPED_TRACE(name);
        const std::string path = DataDir() + "/" + name;
        std::unique_ptr<Loaded> l;
        ASSERT_NO_FATAL_FAILURE(LoadDoc(path, l));
        Document& d = *l->doc;
        Paragraph* p = FindParagraph(d, "Japanese: 日本語 café, then Été.");
        ASSERT_TRUE(p);
        InsertText(l->m, d, TextLoc{p->id, 0}, "New: ");
        TempDir tmp;
        std::string bytes;
        std::unique_ptr<Loaded> back;
        ASSERT_NO_FATAL_FAILURE(SaveAndReload(*l, tmp, back, &bytes));
        auto before = Lines(ReadBytes(path)), after = Lines(bytes);
        ASSERT_EQ(before.size(), after.size()) << bytes;
        int changed = 0;
        for (size_t i = 0; i < before.size(); ++i)
            if (before[i] != after[i]) {
                ++changed;
                EXPECT_EQ(before[i], "   <String `Japanese: '>");
                EXPECT_EQ(after[i], "   <String `New: Japanese: '>");
            }
        EXPECT_EQ(changed, 1);
        EXPECT_TRUE(FindParagraph(*back->doc, "New: Japanese: 日本語 café, then Été."));
    }
}

TEST(MifEdit, TextAndTagsAddedToALegacyFileAreWrittenInTheEncodingTheyAreReadIn)
{
    TempDir tmp;
    {
        // Text added to a paragraph whose format's font is Shift-JIS, and a new paragraph of it.
        std::unique_ptr<Loaded> l;
        ASSERT_NO_FATAL_FAILURE(LoadDoc(DataDir() + "/japanese-mif7.mif", l));
        Document& d = *l->doc;
        Paragraph* p = FindParagraph(d, "日本語の表");
        ASSERT_TRUE(p);
        InsertText(l->m, d, TextLoc{p->id, 0}, "新しい段落\nと");
        std::string bytes;
        std::unique_ptr<Loaded> back;
        ASSERT_NO_FATAL_FAILURE(SaveAndReload(*l, tmp, back, &bytes));
        auto paras = ParagraphsInOrder(*back->doc);
        EXPECT_EQ(paras, ParagraphsInOrder(d));
        EXPECT_NE(std::find(paras.begin(), paras.end(), std::pair<std::string, std::string>{"Japanese", "新しい段落"}),
                  paras.end());
        EXPECT_NE(
            std::find(paras.begin(), paras.end(), std::pair<std::string, std::string>{"Japanese", "と日本語の表"}),
            paras.end());
        EXPECT_EQ(bytes.find('?'), std::string::npos) << bytes;
    }
    {
        // A file written wholly in Shift-JIS: a new format's tag.
        const std::string path = tmp.file("ja.mif");
        WriteBytes(path,
                   "<MIFFile 7.00>\n<MIFEncoding `ShiftJIS'>\n<PgfCatalog \n <Pgf \n  <PgfTag `\\x96 {\\x95 \\xb6 '>\n"
                   " >\n>\n<TextFlow \n <Para \n  <PgfTag `\\x96 {\\x95 \\xb6 '>\n  <ParaLine \n   <String "
                   "`\\x93 \\xfa \\x96 {\\x8c \\xea '>\n  >\n >\n>\n");
        std::unique_ptr<Loaded> l;
        ASSERT_NO_FATAL_FAILURE(LoadDoc(path, l));
        Document& d = *l->doc;
        AddFormat(l->m, d, "見出し", d.formatByName("本文")->props);
        Paragraph* p = FindParagraph(d, "日本語");
        ASSERT_TRUE(p);
        p->tag = "見出し";
        std::string bytes;
        std::unique_ptr<Loaded> back;
        ASSERT_NO_FATAL_FAILURE(SaveAndReload(*l, tmp, back, &bytes));
        EXPECT_NE(back->doc->formatByName("見出し"), nullptr);
        EXPECT_EQ(ParagraphsInOrder(*back->doc),
                  (std::vector<std::pair<std::string, std::string>>{{"見出し", "日本語"}}));
        EXPECT_EQ(bytes.find('?'), std::string::npos) << bytes;
    }
}

TEST(MifEdit, DocumentsNotReadFromMifAreWrittenAsNewMif)
{
    Model m;
    Document& d = m.newCustomDocument(576 * 65536, 792 * 65536);
    AddFormat(m, d, "Heading1", DefaultParagraphProps());
    ObjectId first = d.firstParagraphOfFlow(d.mainFlow);
    InsertText(m, d, TextLoc{first, 0}, "Paragraph Tags Used:\nBody");
    TempDir tmp;
    MifStore store;
    std::string error;
    ASSERT_TRUE(store.save(m, d, tmp.file("new.mif"), error)) << error;
    std::unique_ptr<Loaded> back;
    ASSERT_NO_FATAL_FAILURE(LoadDoc(tmp.file("new.mif"), back));
    EXPECT_EQ(CatalogueNames(*back->doc), CatalogueNames(d));
    EXPECT_EQ(ParagraphsInOrder(*back->doc), ParagraphsInOrder(d));
}

TEST(MifEdit, ALineRewrittenAroundAValueOverSeveralLinesKeepsThatValueAsItWas)
{
    const std::string path = DataDir() + "/equation.mif";
    std::unique_ptr<Loaded> l;
    ASSERT_NO_FATAL_FAILURE(LoadDoc(path, l));
    Document& d = *l->doc;
    Paragraph* p = nullptr;
    for (auto& [id, para] : d.paragraphs)
        if (para.tag == "Equation")
            p = &para;
    ASSERT_TRUE(p);
    InsertText(l->m, d, TextLoc{p->id, 0}, "(1)");
    std::string bytes;
    TempDir tmp;
    std::unique_ptr<Loaded> back;
    ASSERT_NO_FATAL_FAILURE(SaveAndReload(*l, tmp, back, &bytes));
    ASSERT_TRUE(back->doc);
    // The marker's text is still one value with its line break and nothing added inside it.
    EXPECT_NE(bytes.find("<MText `an index entry long enough that it runs on\n   into a second line'>"),
              std::string::npos)
        << bytes;
    EXPECT_NE(bytes.find("<String `(1)'>"), std::string::npos) << bytes;
    EXPECT_EQ(ParagraphsInOrder(*back->doc)[1], (std::pair<std::string, std::string>{"Equation", "(1)"}));
}

TEST(MifEdit, ValuesAfterARewrittenLineOnItsOwnLineStayOffTheLineStart)
{
    // A stray value after a line's closing '>': rewriting the line must not leave it at the start
    // of a line, where "=" would begin facet data and "&" a facet line, and the file would no
    // longer read.
    for (const std::string stray : {"=# end of ParaLine", "&x", "word"}) {
        TempDir tmp;
        const std::string text = "<MIFFile 2019>\n<PgfCatalog \n <Pgf \n  <PgfTag `Body'>\n > # end of Pgf\n"
                                 "> # end of PgfCatalog\n<TextFlow \n <Para \n  <PgfTag `Body'>\n  <ParaLine \n"
                                 "   <String `Overview'>\n  > " +
                                 stray + "\n > # end of Para\n> # end of TextFlow\n# End of MIFFile\n";
        WriteBytes(tmp.file("stray.mif"), text);
        std::unique_ptr<Loaded> l;
        ASSERT_NO_FATAL_FAILURE(LoadDoc(tmp.file("stray.mif"), l));
        Paragraph* p = FindParagraph(*l->doc, "Overview");
        ASSERT_TRUE(p) << stray;
        InsertText(l->m, *l->doc, TextLoc{p->id, 0}, "new ");
        std::string bytes;
        std::unique_ptr<Loaded> back;
        ASSERT_NO_FATAL_FAILURE(SaveAndReload(*l, tmp, back, &bytes));
        EXPECT_TRUE(FindParagraph(*back->doc, "new Overview")) << bytes;
        EXPECT_NE(bytes.find("  " + stray + "\n"), std::string::npos) << bytes;
    }
}

namespace {

// The lines of the <Para> statement holding `text` (from its "<Para" line to its end).
std::vector<std::string> ParaLinesOf(const std::string& bytes, const std::string& text)
{
    auto lines = Lines(bytes);
    size_t at = 0;
    while (at < lines.size() && lines[at].find("<String `" + text + "'>") == std::string::npos)
        ++at;
    size_t start = at;
    while (start > 0 && lines[start].find("<Para ") == std::string::npos)
        --start;
    size_t end = at;
    while (end < lines.size() && lines[end].find("> # end of Para") == std::string::npos)
        ++end;
    if (at == lines.size() || end == lines.size())
        return {};
    return std::vector<std::string>(lines.begin() + static_cast<std::ptrdiff_t>(start),
                                    lines.begin() + static_cast<std::ptrdiff_t>(end + 1));
}

} // namespace

TEST(MifEdit, AParagraphAfterAChangedOneKeepsEveryStatementAndGainsOnlyWhatItNeeds)
{
    // A format-less paragraph with outline, shadow and a baseline shift follows a heading
    // that is retagged; a paragraph without statements follows an override that is removed.
    // What the heading's format gives the paragraphs after it that the host does not model
    // (and the body format gives otherwise), in each form.
    const std::map<std::string, std::vector<std::string>> inherited = {
        {"mif4", {"<FDoubleUnderline Yes>", "<FNumericUnderline Yes>"}},
        {"mif7", {"<FLanguage UKEnglish>", "<FPlatformName `W.Arial.R.400'>"}},
        {"mif2019", {"<FLanguage UKEnglish>", "<PgfDir RTL>"}},
    };
    for (const std::string form : {"mif4", "mif7", "mif2019"}) {
        SCOPED_TRACE(form);
        const std::string path = DataDir() + "/unmodelled-statements-" + form + ".mif";
        const std::string original = ReadBytes(path);
        std::unique_ptr<Loaded> l;
        ASSERT_NO_FATAL_FAILURE(LoadDoc(path, l));
        Document& d = *l->doc;
        Paragraph* heading = FindParagraph(d, "Section heading");
        Paragraph* centred = FindParagraph(d, "Centred with outline");
        ASSERT_TRUE(heading && centred);
        heading->tag = "Body";
        heading->props = d.formatByName("Body")->props;
        centred->props = d.formatByName("Body")->props;
        TempDir tmp;
        std::string bytes;
        std::unique_ptr<Loaded> back;
        ASSERT_NO_FATAL_FAILURE(SaveAndReload(*l, tmp, back, &bytes));
        EXPECT_EQ(ParagraphsInOrder(*back->doc), ParagraphsInOrder(d));
        for (auto& [id, p] : d.paragraphs) {
            Paragraph* p2 = FindParagraph(*back->doc, p.text);
            ASSERT_TRUE(p2);
            EXPECT_TRUE(p2->props == p.props) << p.text;
        }
        // The retagged heading names its new tag and nothing else changed in it.
        EXPECT_EQ(ParaLinesOf(bytes, "Section heading"), [&] {
            auto lines = ParaLinesOf(original, "Section heading");
            for (auto& line : lines)
                if (line == "  <PgfTag `Heading'>")
                    line = "  <PgfTag `Body'>";
            return lines;
        }());
        // The cleaned paragraph keeps what the host does not model and loses its centring; it
        // names its tag, so as to start from its format rather than from the heading before it.
        auto cleaned = ParaLinesOf(bytes, "Centred with outline");
        auto was = ParaLinesOf(original, "Centred with outline");
        ASSERT_GT(was.size(), 2u);
        was.erase(std::find(was.begin(), was.end(), "   <PgfAlignment Center>"));
        was.insert(was.begin() + 1, "  <PgfTag `Body'>");
        EXPECT_EQ(cleaned, was);
        // The paragraphs after them keep every line and gain the statements that keep them
        // as they were: the centring, and the heading's font and spacing.
        for (const std::string text : {"Inherits the centring", "Format-less with outline"}) {
            auto before = ParaLinesOf(original, text), after = ParaLinesOf(bytes, text);
            ASSERT_FALSE(after.empty()) << text;
            for (const auto& line : before)
                EXPECT_NE(std::find(after.begin(), after.end(), line), after.end()) << text << ": lost " << line;
            EXPECT_LT(after.size(), before.size() + 20) << text << " is written in full:\n" << bytes;
        }
        // The format-less paragraph still reads with what the heading's format gave it.
        const auto formatLess = ParaLinesOf(bytes, "Format-less with outline");
        for (const std::string& statement : inherited.at(form))
            EXPECT_TRUE(std::any_of(formatLess.begin(), formatLess.end(),
                                    [&](const std::string& line) { return line.find(statement) != std::string::npos; }))
                << "lost " << statement;
        EXPECT_NE(bytes.find("<FOutline Yes>"), std::string::npos);
    }
}

TEST(MifEdit, InheritedValuesInOtherUnitsAreWrittenSoThatTheyReadBackExactly)
{
    // A paragraph without a format of its own takes a heading's tabs, indent and baseline shift,
    // given in centimetres and odd percentages; when the heading is retagged, the paragraph
    // must say them itself, in values that read back to the same 1/65536 point.
    const std::string mif = "<MIFFile 2019>\n<Units Ucm>\n<PgfCatalog \n"
                            " <Pgf \n  <PgfTag `Body'>\n > # end of Pgf\n"
                            " <Pgf \n  <PgfTag `Heading'>\n  <PgfLIndent  1.37 cm>\n  <PgfNumTabs 2>\n"
                            "  <TabStop \n   <TSX  8.0 cm>\n   <TSType Center>\n  > # end of TabStop\n"
                            "  <TabStop \n   <TSX  16.0 cm>\n   <TSType Right>\n  > # end of TabStop\n"
                            "  <PgfFont \n   <FDY  33.3333%>\n  > # end of PgfFont\n > # end of Pgf\n"
                            "> # end of PgfCatalog\n<TextFlow \n"
                            " <Para \n  <PgfTag `Heading'>\n  <ParaLine \n   <String `Heading'>\n  >\n >\n"
                            " <Para \n  <Pgf \n   <PgfTag `Loose'>\n  > # end of Pgf\n"
                            "  <ParaLine \n   <String `Inherits'>\n  >\n >\n"
                            "> # end of TextFlow\n";
    TempDir tmp;
    WriteBytes(tmp.file("cm.mif"), mif);
    std::unique_ptr<Loaded> l;
    ASSERT_NO_FATAL_FAILURE(LoadDoc(tmp.file("cm.mif"), l));
    Document& d = *l->doc;
    Paragraph* heading = FindParagraph(d, "Heading");
    Paragraph* loose = FindParagraph(d, "Inherits");
    ASSERT_TRUE(heading && loose);
    const PgfProps wanted = loose->props;
    heading->tag = "Body";
    heading->props = d.formatByName("Body")->props;
    std::string bytes;
    std::unique_ptr<Loaded> back;
    ASSERT_NO_FATAL_FAILURE(SaveAndReload(*l, tmp, back, &bytes));
    Paragraph* again = FindParagraph(*back->doc, "Inherits");
    ASSERT_TRUE(again);
    for (const auto& [number, value] : wanted)
        EXPECT_TRUE(again->props.count(number) && again->props.at(number) == value) << "property " << number;
    // Only what it needs: the indent, the tabs and the shift, not a whole <Pgf>.
    EXPECT_LT(ParaLinesOf(bytes, "Inherits").size(), 25u) << bytes;
}

namespace {

// How many statements a statement holds, at every depth.
size_t DescendantsOf(const MifSource& src, int32_t node)
{
    size_t n = 0;
    for (int32_t c : src.children(node))
        n += 1 + DescendantsOf(src, c);
    return n;
}

} // namespace

// The tree is read from the file's bytes and only a changed statement is written anew: a value
// replaced, or a statement removed, at any depth of a file (CR LF line ends, facet data and
// legacy encodings among them), changes those bytes and no others, and the tree still reads the
// statement as changed.
class MifTreeEdits : public ::testing::TestWithParam<const char*> { };

TEST_P(MifTreeEdits, AnEditAtAnyDepthChangesOnlyItsStatement)
{
    const std::string bytes = ReadBytes(DataDir() + "/" + GetParam());
    MifSource read;
    MifError error;
    ASSERT_TRUE(ParseMif(bytes, GetParam(), read, error)) << error.text();
    ASSERT_EQ(SerializeMif(read), bytes);
    const size_t step = std::max<size_t>(1, read.nodes.size() / 150);
    for (size_t n = 2; n < read.nodes.size(); n += step) { // after <MIFFile>, which makes it MIF
        const int32_t node = static_cast<int32_t>(n);
        SCOPED_TRACE(std::string(read.name(node)) + " at line " + std::to_string(read.line(node)));
        const std::string before = bytes.substr(0, read.nodes[n].begin);
        const std::string after = bytes.substr(read.nodes[n].end);
        const size_t kids = read.children(node).size();

        MifSource changed = read; // a value replaced, then the statement's parent and itself read again
        changed.setValue(node, "`edited'");
        std::string out = SerializeMif(changed);
        ASSERT_EQ(out.substr(0, before.size()), before);
        ASSERT_EQ(out.substr(out.size() - after.size()), after);
        EXPECT_EQ(changed.firstToken(node), "`edited'");
        EXPECT_EQ(changed.children(node).size(), kids);
        MifSource again;
        ASSERT_TRUE(ParseMif(out, "edited", again, error)) << error.text();
        EXPECT_EQ(again.nodes.size(), read.nodes.size());

        MifSource removed = read; // the statement gone: the rest of the file is as it was
        removed.remove(node);
        out = SerializeMif(removed);
        ASSERT_LE(out.size(), before.size() + after.size());
        EXPECT_EQ(out.substr(0, before.rfind('\n') == std::string::npos ? 0 : before.rfind('\n')),
                  before.substr(0, before.rfind('\n') == std::string::npos ? 0 : before.rfind('\n')));
        ASSERT_TRUE(ParseMif(out, "removed", again, error)) << error.text();
        EXPECT_EQ(again.nodes.size(), read.nodes.size() - 1 - DescendantsOf(read, node));
        EXPECT_EQ(removed.children(read.parent(node)).size(), read.children(read.parent(node)).size() - 1);
    }
}

INSTANTIATE_TEST_SUITE_P(TestData, MifTreeEdits,
                         ::testing::Values("crlf-unicode.mif", "structured-graphics.mif", "japanese-mif7.mif",
                                           "unmodelled-statements-mif4.mif", "unmodelled-statements-mif2019.mif"));
