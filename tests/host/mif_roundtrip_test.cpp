// mif_roundtrip_test.cpp - MIF files read into the model and saved unchanged come back byte for
// byte; MIF 7 (FrameRoman, \x escapes, Asian font encodings) and MIF 8+ (UTF-8) read alike.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "host/files/mif_store.h"
#include "host/mif/text.h"
#include "host/mif/tree.h"
#include "mif_test_util.h"

using namespace tw::host;
using namespace mif_test;

namespace {

std::vector<std::string> RoundTripFiles()
{
    std::vector<std::string> files;
    for (const auto& dir : {SamplesDir(), ExampleBookDir(), ExampleBookDir() + "/reference", DataDir()})
        if (std::filesystem::is_directory(dir))
            for (const auto& e : std::filesystem::directory_iterator(dir))
                if (e.path().extension() == ".mif")
                    files.push_back(e.path().string());
    std::sort(files.begin(), files.end());
    return files;
}

} // namespace

TEST(MifRoundTrip, EveryDocumentAndBookSavesToTheSameBytes)
{
    auto files = RoundTripFiles();
    if (HaveSamples())
        ASSERT_GE(files.size(), 21u) << "samples, example book and test data should all be found";
    else
        ASSERT_GE(files.size(), 10u) << "example book and test data should all be found";
    TempDir tmp;
    for (const auto& path : files) {
        SCOPED_TRACE(path);
        Model m;
        LoadResult r = LoadMifFile(m, path);
        ASSERT_TRUE(r.doc || r.book) << r.error;
        MifStore store;
        std::string error, out = tmp.file("saved.mif");
        bool saved = r.doc ? store.save(m, *r.doc, out, error) : store.save(m, *r.book, out, error);
        ASSERT_TRUE(saved) << error;
        EXPECT_TRUE(ReadBytes(out) == ReadBytes(path)) << "saved file differs from the original";
    }
}

namespace {

// What a chapter with a footnote and tables holds once read: its catalogue, its tables (each
// anchored and titled), the footnote's first paragraph (anchored too), the main flow "A" on a
// body page, inches as its display unit, and master and reference pages. The failures name
// the caller's line.
void ExpectChapterContent(const std::string& path, size_t formats, size_t tables, const std::string& footnote,
                          const char* file, int line)
{
    testing::ScopedTrace trace(file, line, path);
    Model m;
    LoadResult r = LoadMifFile(m, path);
    ASSERT_TRUE(r.doc) << r.error;
    Document& d = *r.doc;
    EXPECT_EQ(d.catalogue.size(), formats);
    EXPECT_EQ(d.tables.size(), tables);
    ASSERT_EQ(d.textHolders.size(), 1u); // one footnote
    const TextHolder& note = *d.holder(d.textHolders[0]);
    ASSERT_FALSE(note.paragraphs.empty());
    EXPECT_EQ(d.paragraph(note.paragraphs[0])->tag, "Footnote");
    EXPECT_EQ(d.paragraph(note.paragraphs[0])->text, footnote);
    EXPECT_NE(note.anchor, 0u) << "the paragraph with the <FNote> anchors the footnote";
    for (ObjectId t : d.tables) {
        EXPECT_NE(d.table(t)->anchor, 0u);
        EXPECT_FALSE(d.table(t)->title.empty());
    }
    ASSERT_NE(d.mainFlow, 0u);
    EXPECT_EQ(d.flow(d.mainFlow)->tag, "A");
    EXPECT_EQ(d.page(d.frame(d.flow(d.mainFlow)->frames[0])->page)->kind, PageKind::Body);
    EXPECT_EQ(d.displayUnits, 0x480000); // <Units Uin>
    EXPECT_FALSE(d.masterPages.empty());
    EXPECT_FALSE(d.referencePages.empty());
}

// A one-table document whose title and cell paragraphs name no format: they take the table
// format's defaults ("Mapping Table Title", "Mapping Table Cell").
void ExpectTableFormatDefaults(const std::string& path, const char* file, int line)
{
    testing::ScopedTrace trace(file, line, path);
    Model m;
    LoadResult r = LoadMifFile(m, path);
    ASSERT_TRUE(r.doc) << r.error;
    Document& d = *r.doc;
    ASSERT_EQ(d.tables.size(), 1u);
    const Table& t = *d.table(d.tables[0]);
    EXPECT_EQ(t.format, "Mapping Table");
    EXPECT_NE(t.anchor, 0u);
    ASSERT_EQ(t.title.size(), 1u);
    EXPECT_EQ(d.paragraph(t.title[0])->tag, "Mapping Table Title");
    EXPECT_EQ(d.paragraph(t.title[0])->text, "Headings Table");
    const Row& heading = *d.row(t.rows[0]);
    EXPECT_EQ(heading.kind, RowKind::Heading);
    ASSERT_GE(heading.cells.size(), 2u);
    for (ObjectId c : {heading.cells[0], heading.cells[1]})
        EXPECT_EQ(d.paragraph(d.cell(c)->paragraphs[0])->tag, "Mapping Table Cell");
    EXPECT_EQ(d.paragraph(d.cell(heading.cells[1])->paragraphs[0])->text, "Paragraph Format");
}

} // namespace

TEST(MifRoundTrip, DocumentsHaveTheirContentInTheModel)
{
    TW_REQUIRE_MIF_SAMPLES();
    ExpectChapterContent(SamplesDir() + "/Test02-v9.mif", 14, 8, "Text of the footnote.", __FILE__, __LINE__);
}

TEST(MifRoundTrip, TheExampleChapterHasItsContentInTheModel)
{
    ExpectChapterContent(ExampleBookDir() + "/Intro.mif", 12, 1, "Tagwright reads footnotes as further text holders.",
                         __FILE__, __LINE__);
}

TEST(MifRoundTrip, TableTitlesAndCellsTakeTheTableFormatsParagraphDefaults)
{
    TW_REQUIRE_MIF_SAMPLES();
    ExpectTableFormatDefaults(SamplesDir() + "/Test03.mif", __FILE__, __LINE__);
}

TEST(MifRoundTrip, TitlesAndCellsWithoutATagTakeTheTableFormatsDefaultsInTestData)
{
    ExpectTableFormatDefaults(DataDir() + "/table-format-defaults.mif", __FILE__, __LINE__);
}

TEST(MifRoundTrip, Mif7AndMif9CopiesReadAsTheSameParagraphs)
{
    TW_REQUIRE_MIF_SAMPLES();
    Model m;
    LoadResult v7 = LoadMifFile(m, SamplesDir() + "/Test03_mif7.mif");
    LoadResult v9 = LoadMifFile(m, SamplesDir() + "/Test03.mif");
    ASSERT_TRUE(v7.doc && v9.doc) << v7.error << v9.error;
    auto a = ParagraphsInOrder(*v7.doc), b = ParagraphsInOrder(*v9.doc);
    EXPECT_EQ(a, b);
    // Shift-JIS text of a Japanese font, FrameRoman escapes of a roman one.
    bool japanese = false, accented = false;
    for (const auto& [tag, text] : a) {
        japanese |= text.find("日本語") != std::string::npos;
        accented |= text.find("É=E-acute.") != std::string::npos;
    }
    EXPECT_TRUE(japanese);
    EXPECT_TRUE(accented);
}

namespace {

// The same document as a legacy file (Shift-JIS under a Japanese font, FrameRoman escapes
// elsewhere) and as a UTF-8 file.
const std::string kJapanese7 = DataDir() + "/japanese-mif7.mif";
const std::string kJapanese9 = DataDir() + "/japanese-mif9.mif";
const std::vector<std::pair<std::string, std::string>> kJapaneseParagraphs = {
    {"Body", "Japanese: 日本語 café, then Été."}, // font changes: Shift-JIS, back to the format's, FrameRoman
    {"Japanese", "日本語の表"},                   // the format's own font is Shift-JIS
    {"Résumé", "“Quoted” – ˚ …"},                 // escapes ended by a space, and a space after one
    {"Body", "© 2026 ®"},                         // table cells
    {"Japanese", "表"},                           // a Shift-JIS trail byte that is a backslash
};

} // namespace

TEST(MifRoundTrip, LegacyShiftJisAndFrameRomanTextReadsAsItsUtf8Copy)
{
    Model m;
    LoadResult v7 = LoadMifFile(m, kJapanese7);
    LoadResult v9 = LoadMifFile(m, kJapanese9);
    ASSERT_TRUE(v7.doc && v9.doc) << v7.error << v9.error;
    EXPECT_TRUE(v7.doc->mif->legacy);
    EXPECT_FALSE(v9.doc->mif->legacy);
    EXPECT_EQ(ParagraphsInOrder(*v7.doc), kJapaneseParagraphs);
    EXPECT_EQ(ParagraphsInOrder(*v9.doc), kJapaneseParagraphs);
    EXPECT_NE(v7.doc->formatByName("Résumé"), nullptr);
    for (auto* r : {&v7, &v9})
        EXPECT_EQ(MifDocumentBytes(*r->doc), ReadBytes(r->doc->path)) << r->doc->path;
}

TEST(MifRoundTrip, Mif8IsTheFirstVersionReadAsUtf8)
{
    const std::string utf8 = ReadBytes(kJapanese9), escaped = ReadBytes(kJapanese7);
    const std::string header9 = "<MIFFile 2015>", header7 = "<MIFFile 7.00>";
    ASSERT_EQ(utf8.rfind(header9, 0), 0u);
    ASSERT_EQ(escaped.rfind(header7, 0), 0u);
    auto withHeader = [](std::string bytes, size_t old, const std::string& header) {
        return bytes.replace(0, old, header);
    };
    // The legacy file with its Shift-JIS escapes as the raw bytes they stand for.
    const std::string sjisEscaped = "\\x93 \\xfa \\x96 {\\x8c \\xea ", sjisRaw = "\x93\xfa\x96{\x8c\xea";
    std::string raw = escaped;
    for (size_t at; (at = raw.find(sjisEscaped)) != std::string::npos;)
        raw.replace(at, sjisEscaped.size(), sjisRaw);
    ASSERT_NE(raw, escaped);
    TempDir tmp;
    struct Case {
        std::string name, bytes;
        bool sameText;
    };
    const Case cases[] = {
        {"utf8 as 8.00", withHeader(utf8, header9.size(), "<MIFFile 8.00>"), true},
        {"utf8 as 9.00", withHeader(utf8, header9.size(), "<MIFFile 9.00>"), true},
        {"utf8 as 2019", withHeader(utf8, header9.size(), "<MIFFile 2019>"), true},
        {"utf8 as 7.00", withHeader(utf8, header9.size(), header7), false},
        {"escaped as 8.00", withHeader(escaped, header7.size(), "<MIFFile 8.00>"), false},
        {"raw Shift-JIS as 7.00", raw, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = tmp.file("v.mif");
        WriteBytes(path, c.bytes);
        Model m;
        LoadResult r = LoadMifFile(m, path);
        ASSERT_TRUE(r.doc) << r.error;
        if (c.sameText)
            EXPECT_EQ(ParagraphsInOrder(*r.doc), kJapaneseParagraphs);
        else
            EXPECT_NE(ParagraphsInOrder(*r.doc), kJapaneseParagraphs);
        EXPECT_EQ(MifDocumentBytes(*r.doc), c.bytes);
    }
    // Raw Shift-JIS bytes are not UTF-8: a MIF 8 file holding them is refused.
    WriteBytes(tmp.file("raw8.mif"), withHeader(raw, header7.size(), "<MIFFile 8.00>"));
    Model m;
    LoadResult r = LoadMifFile(m, tmp.file("raw8.mif"));
    EXPECT_FALSE(r.doc);
    EXPECT_NE(r.error.find("invalid UTF-8"), std::string::npos) << r.error;
    EXPECT_NE(r.error.find("raw8.mif"), std::string::npos) << r.error;
}

TEST(MifRoundTrip, Mif7AndMif8CopiesOfTest01AgreeExceptWhereTheV8CopyLostCharacters)
{
    TW_REQUIRE_MIF_SAMPLES();
    // The MIF 8 copy in the samples has a plain space wherever the MIF 7 copy has one of
    // four non-ASCII characters (©, ®, ˚, …); everything else must agree.
    Model m;
    LoadResult v7 = LoadMifFile(m, SamplesDir() + "/Test01-v7.mif");
    LoadResult v8 = LoadMifFile(m, SamplesDir() + "/Test01-v8.mif");
    ASSERT_TRUE(v7.doc && v8.doc);
    auto a = ParagraphsInOrder(*v7.doc), b = ParagraphsInOrder(*v8.doc);
    ASSERT_EQ(a.size(), b.size());
    int lost = 0;
    for (size_t i = 0; i < a.size(); ++i) {
        EXPECT_EQ(a[i].first, b[i].first) << i;
        if (a[i].second == b[i].second)
            continue;
        for (const char* c : {"©", "®", "˚", "…"})
            for (size_t at; (at = a[i].second.find(c)) != std::string::npos;)
                a[i].second.replace(at, strlen(c), " ");
        EXPECT_EQ(a[i].second, b[i].second) << i;
        ++lost;
    }
    EXPECT_EQ(lost, 4);
}

TEST(MifRoundTrip, LegacyFilesWithCrLfReadFrameRomanAndKeepTheirLineEnds)
{
    Model m;
    const std::string path = ExampleBookDir() + "/Appendix.mif";
    LoadResult r = LoadMifFile(m, path);
    ASSERT_TRUE(r.doc) << r.error;
    EXPECT_TRUE(r.doc->mif->legacy);
    EXPECT_EQ(r.doc->mif->newline, "\r\n");
    auto paras = ParagraphsInOrder(*r.doc);
    bool cafe = false, quoted = false;
    for (const auto& [tag, text] : paras) {
        cafe |= text == "Café au lait – written as MIF 7.00 with FrameRoman escapes.";
        quoted |= text == "Quoted “text” and a bullet •.";
    }
    EXPECT_TRUE(cafe);
    EXPECT_TRUE(quoted);
    EXPECT_EQ(MifDocumentBytes(*r.doc), ReadBytes(path));
}

TEST(MifText, StringTokensDecodeAndEncodeBothWays)
{
    std::string out, error;
    ASSERT_TRUE(DecodeMifString("`a\\tb\\>c\\qd\\Qe\\\\f'", MifEncoding::Utf8, out, error)) << error;
    EXPECT_EQ(out, "a\tb>c'd`e\\f");
    EXPECT_EQ(EncodeMifString(out, false), "`a\\tb\\>c\\qd\\Qe\\\\f'");
    ASSERT_TRUE(DecodeMifString("`\\xd2 x\\xd3 '", MifEncoding::FrameRoman, out, error));
    EXPECT_EQ(out, "“x”");
    EXPECT_EQ(EncodeMifString("Tête €", true), "`T\\x90 te \\xf5 '");
    EXPECT_EQ(EncodeMifString("Tête", false), "`Tête'");
    // Every FrameRoman byte that has a character comes back to the same byte.
    for (int b = 0x80; b < 0x100; ++b) {
        uint32_t cp = FrameRomanToUnicode(static_cast<uint8_t>(b));
        if (cp) {
            EXPECT_EQ(FrameRomanFromUnicode(cp), b) << b;
        }
    }
    // A Japanese font's text: high bytes escaped, a trail byte that is a backslash escaped too.
    const std::string sjis = EncodeMifString("日本語の表 `x'", MifEncoding::ShiftJis);
    EXPECT_EQ(sjis, "`\\x93 \\xfa \\x96 {\\x8c \\xea \\x82 \\xcc \\x95 \\\\ \\Qx\\q'");
    ASSERT_TRUE(DecodeMifString(sjis, MifEncoding::ShiftJis, out, error)) << error;
    EXPECT_EQ(out, "日本語の表 `x'");
    EXPECT_EQ(EncodeMifString("é語", MifEncoding::ShiftJis), "`?\\x8c \\xea '") << "no é in Shift-JIS";
    EXPECT_EQ(EncodeMifString("Tête 語", MifEncoding::FrameRoman), "`T\\x90 te ?'");
    EXPECT_EQ(EncodeMifString("Tête 語", MifEncoding::Utf8), "`Tête 語'");
    EXPECT_FALSE(DecodeMifString("`a\\zb'", MifEncoding::Utf8, out, error));
    EXPECT_FALSE(DecodeMifString("`\xC3('", MifEncoding::Utf8, out, error));
}

TEST(MifText, ALegacyFileWideEncodingAppliesToTagsAndText)
{
    // MIF 7 from a Japanese system: tags and text in Shift-JIS bytes.
    TempDir tmp;
    const std::string path = tmp.file("ja.mif");
    WriteBytes(
        path,
        "<MIFFile 7.00>\n<MIFEncoding `ShiftJIS'>\n<PgfCatalog \n <Pgf \n  <PgfTag `\\x96 {\\x95 \\xb6 '>\n >\n>\n"
        "<TextFlow \n <Para \n  <PgfTag `\\x96 {\\x95 \\xb6 '>\n  <ParaLine \n   <String `\\x93 \\xfa \\x96 {\\x8c "
        "\\xea '>\n  >\n >\n>\n");
    Model m;
    LoadResult r = LoadMifFile(m, path);
    ASSERT_TRUE(r.doc) << r.error;
    EXPECT_NE(r.doc->formatByName("本文"), nullptr);
    auto paras = ParagraphsInOrder(*r.doc);
    ASSERT_EQ(paras.size(), 1u);
    EXPECT_EQ(paras[0], std::make_pair(std::string("本文"), std::string("日本語")));
    EXPECT_EQ(MifDocumentBytes(*r.doc), ReadBytes(path));
}

// Equations keep their whole expression in one string value, which the publishing program
// breaks over several lines; so may any long value.
TEST(MifMultiLineValues, EquationsReadAndSaveByteIdenticalInEveryFlavour)
{
    const std::string original = ReadBytes(DataDir() + "/equation.mif");
    ASSERT_NE(original.find("[char[b\n],num"), std::string::npos)
        << "the test file must hold a value broken over lines";
    std::string crlf;
    for (char c : original)
        crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    std::string mif7 = original;
    mif7.replace(0, std::string("<MIFFile 2019>").size(), "<MIFFile 7.00>");
    TempDir tmp;
    for (const auto& [name, bytes] : {std::pair{"lf.mif", original}, {"crlf.mif", crlf}, {"mif7.mif", mif7}}) {
        SCOPED_TRACE(name);
        std::string path = tmp.file(name);
        WriteBytes(path, bytes);
        Model m;
        LoadResult r = LoadMifFile(m, path);
        ASSERT_TRUE(r.doc) << r.error;
        Document& d = *r.doc;
        EXPECT_EQ(ParagraphsInOrder(d),
                  (std::vector<std::pair<std::string, std::string>>{
                      {"Body", "The roots of the quadratic are:"}, {"Equation", ""}, {"Body", "After the equation."}}));
        // The value is one token, line breaks and all.
        std::vector<std::string> forms;
        for (size_t n = 0; n < d.mif->nodes.size(); ++n)
            if (d.mif->name(n) == "MathFullForm")
                forms.emplace_back(d.mif->firstToken(static_cast<int32_t>(n)));
        ASSERT_EQ(forms.size(), 2u);
        const std::string nl = name == std::string("crlf.mif") ? "\r\n" : "\n";
        EXPECT_TRUE(forms[0].ends_with("times[num[2,\"2\"],char[a]]]]'")) << forms[0];
        EXPECT_NE(forms[0].find("char[b" + nl + "],num[2"), std::string::npos) << forms[0];
        EXPECT_EQ(std::count(forms[1].begin(), forms[1].end(), '\n'), 2);
        MifStore store;
        std::string error;
        ASSERT_TRUE(store.save(m, d, tmp.file("saved.mif"), error)) << error;
        EXPECT_TRUE(ReadBytes(tmp.file("saved.mif")) == bytes) << "saved file differs from the original";
    }
}

TEST(MifMultiLineValues, LinesAreCountedThroughValuesAndAnOpenValueIsNamedWhereItStarts)
{
    const std::string original = ReadBytes(DataDir() + "/equation.mif");
    TempDir tmp;
    auto loadError = [&](const std::string& bytes) {
        WriteBytes(tmp.file("bad.mif"), bytes);
        Model m;
        LoadResult r = LoadMifFile(m, tmp.file("bad.mif"));
        EXPECT_FALSE(r.doc);
        return r.error.substr(tmp.file("bad.mif").size());
    };
    // A bad escape after the equations is reported on its own line.
    const size_t lines = std::count(original.begin(), original.end(), '\n');
    std::string error = loadError(original + "<Para <PgfTag `Bo\\dy'>>\n");
    EXPECT_EQ(error.rfind(":" + std::to_string(lines + 1) + ": ", 0), 0u) << error;
    // ... and one inside a value that runs over lines, on the line where it stands.
    error = loadError("<MIFFile 2019>\n<Math <MathFullForm `equal[\nchar[x],\nchar[\\y]]'>>\n");
    EXPECT_EQ(error.rfind(":4: ", 0), 0u) << error;
    EXPECT_NE(error.find("unknown escape \\y"), std::string::npos) << error;
    // A quote that never comes: the line where the value opened.
    error = loadError("<MIFFile 2019>\n<Units Uin>\n<Math <MathFullForm `equal[char[x],\nchar[y]]>>\n<Units Uin>\n");
    EXPECT_EQ(error.rfind(":3: ", 0), 0u) << error;
    EXPECT_NE(error.find("not closed"), std::string::npos) << error;
}

TEST(MifMultiLineValues, ATagOverSeveralLinesReadsAsOneLineAndSavesBackAsItWas)
{
    // A fuzz find: a tag whose value runs over lines holding what looks like further statements.
    const std::string path = SourceDir() + "/fuzz/crashes/mif/roundtrip-multiline-tag.mif";
    const std::string original = ReadBytes(path);
    ASSERT_FALSE(original.empty()) << path;
    for (const bool crlf : {false, true}) {
        SCOPED_TRACE(crlf ? "CRLF" : "LF");
        std::string bytes;
        for (char c : original)
            bytes += c == '\n' && crlf ? std::string("\r\n") : std::string(1, c);
        TempDir tmp;
        WriteBytes(tmp.file("tag.mif"), bytes);
        Model m;
        LoadResult r = LoadMifFile(m, tmp.file("tag.mif"));
        ASSERT_TRUE(r.doc) << r.error;
        bool found = false;
        for (ObjectId f : r.doc->catalogue) {
            const std::string& name = r.doc->format(f)->name;
            EXPECT_EQ(name.find_first_of("\r\n"), std::string::npos) << name;
            found |= name.rfind("B2015> # generated <Units Uin> <PgfCatalog <Pgf <PgfTag `Body", 0) == 0;
        }
        EXPECT_TRUE(found);
        EXPECT_TRUE(MifDocumentBytes(*r.doc) == bytes) << MifDocumentBytes(*r.doc);
    }
}

TEST(MifFuzzFinds, EverySavedFindThatReadsSavesBackUnchanged)
{
    // Inputs the fuzzer once broke the reader or writer with; among them a catalogue format with
    // two <PgfTag>s (the last names it), after which unchanged paragraphs were rewritten.
    int read = 0;
    for (const auto& entry : std::filesystem::directory_iterator(SourceDir() + "/fuzz/crashes/mif")) {
        SCOPED_TRACE(entry.path().filename().string());
        Model m;
        LoadResult r = LoadMifFile(m, entry.path().string());
        if (!r.doc)
            continue; // refused with a message: what the reader must do with it
        ++read;
        EXPECT_TRUE(MifDocumentBytes(*r.doc) == ReadBytes(entry.path().string()));
    }
    EXPECT_GE(read, 3);
}
