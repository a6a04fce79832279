// synthetic_book.cpp - writes synthetic chapters and books as MIF 2019, laid out the way the
// publishing program writes them: colour and paragraph catalogues, document settings, tables,
// master, reference and body pages, then the text flows with their footnotes.
#include "bench/synthetic_book.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>

namespace tw::bench {
namespace {

// splitmix64: small, fast and the same on every platform (std distributions are not).
class Random {
public:
    explicit Random(uint64_t seed) : state_(seed) { }
    uint64_t next()
    {
        uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    int below(int n) { return n <= 0 ? 0 : static_cast<int>(next() % static_cast<uint64_t>(n)); }

private:
    uint64_t state_;
};

template <class T> void Shuffle(std::vector<T>& v, Random& r)
{
    for (size_t i = v.size(); i > 1; --i)
        std::swap(v[i - 1], v[static_cast<size_t>(r.below(static_cast<int>(i)))]);
}

constexpr const char* kNamedTags[] = {"Body",     "Heading1", "Heading2", "Heading3", "Bulleted",
                                      "Numbered", "Note",     "Code",     "Quote",    "Caption"};
constexpr const char* kCellHeading = "CellHeading";
constexpr const char* kCellBody = "CellBody";
constexpr const char* kTableTitle = "TableTitle";
constexpr const char* kFootnote = "Footnote";
constexpr const char* kHeader = "Header";

constexpr const char* kWords[] = {
    "format",  "paragraph", "catalogue", "chapter", "book",    "table",  "title",   "footnote", "override",
    "margin",  "indent",    "leading",   "font",    "heading", "body",   "layout",  "page",     "frame",
    "flow",    "text",      "style",     "tag",     "master",  "column", "row",     "cell",     "reference",
    "publish", "document",  "template",  "spacing", "number",  "list",   "caption", "section",  "index"};

// The paragraph properties a generated format sets; everything else is written as the
// publishing program's defaults.
struct FormatLook {
    const char* alignment = "LeftRight";
    const char* family = "Times New Roman";
    const char* weight = "Regular";
    double size = 10.0;    // pt
    double spBefore = 0.0; // pt
    double spAfter = 6.0;  // pt
    double fIndent = 0.0;  // in
    double lIndent = 0.0;  // in
    bool autoNum = false;
    std::string numFormat;
    std::string nextTag; // non-empty: <PgfUseNextTag Yes>
};

// Fixed-point text as MIF writes it ("12.0", "0.25").
std::string Num(double v)
{
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.4g", v);
    std::string s = buf;
    if (s.find('.') == std::string::npos)
        s += ".0";
    return s;
}

FormatLook LookOf(const std::string& name, int variant)
{
    FormatLook f;
    if (name.rfind("Heading", 0) == 0) {
        f.alignment = "Left";
        f.family = "Arial";
        f.weight = "Bold";
        f.size = name == "Heading1" ? 18.0 : name == "Heading2" ? 14.0 : 12.0;
        f.spBefore = f.size * 0.75;
        f.spAfter = 4.0;
        f.nextTag = "Body";
        if (name == "Heading1") {
            f.autoNum = true;
            f.numFormat = "C:<n+\\>\\t";
        }
    } else if (name == "Bulleted" || name == "Numbered") {
        f.fIndent = 0.0;
        f.lIndent = 0.25;
        f.spAfter = 2.0;
        f.autoNum = true;
        f.numFormat = name == "Bulleted" ? "\\xa5 \\t" : "<n+\\>.\\t";
        f.nextTag = name;
    } else if (name == kCellHeading || name == kTableTitle) {
        f.alignment = name == kTableTitle ? "Center" : "Left";
        f.family = "Arial";
        f.weight = "Bold";
        f.size = 9.0;
        f.spAfter = 2.0;
    } else if (name == kCellBody || name == kFootnote || name == kHeader) {
        f.alignment = "Left";
        f.size = name == kCellBody ? 9.0 : 8.0;
        f.spAfter = 0.0;
    } else if (name != "Body") {
        // Other tags differ from Body in a few properties chosen by their number.
        static const char* alignments[] = {"Left", "LeftRight", "Center", "Right"};
        f.alignment = alignments[variant % 4];
        f.size = 9.0 + variant % 4;
        f.spBefore = (variant % 3) * 3.0;
        f.fIndent = (variant % 2) * 0.125;
        f.lIndent = (variant % 3) * 0.0625;
        if (variant % 5 == 0)
            f.family = "Courier New";
    }
    return f;
}

// The statements of a <Pgf>, indented by `in` spaces.
void WritePgfBody(std::string& o, const std::string& tag, const FormatLook& f, const std::string& in)
{
    auto line = [&](const std::string& s) { o += in + s + "\n"; };
    line("<PgfTag `" + tag + "'>");
    line(std::string("<PgfUseNextTag ") + (f.nextTag.empty() ? "No" : "Yes") + ">");
    line("<PgfNextTag `" + f.nextTag + "'>");
    line(std::string("<PgfAlignment ") + f.alignment + ">");
    line("<PgfFIndent  " + Num(f.fIndent) + "\">");
    line("<PgfLIndent  " + Num(f.lIndent) + "\">");
    line("<PgfRIndent  0.0\">");
    line("<PgfFIndentRelative No>");
    line("<PgfTopSeparator `'>");
    line("<PgfBotSeparator `'>");
    line("<PgfPlacement Anywhere>");
    line("<PgfPlacementStyle Normal>");
    line("<PgfRunInDefaultPunct `. '>");
    line("<PgfSpBefore  " + Num(f.spBefore) + " pt>");
    line("<PgfSpAfter  " + Num(f.spAfter) + " pt>");
    line("<PgfWithPrev No>");
    line(std::string("<PgfWithNext ") + (f.nextTag == "Body" ? "Yes" : "No") + ">");
    line("<PgfBlockSize 1>");
    line("<PgfFont ");
    const std::string fin = in + " ";
    o += fin + "<FTag `'>\n";
    o += fin + "<FPlatformName `W." + f.family + ".R.400'>\n";
    o += fin + "<FFamily `" + f.family + "'>\n";
    o += fin + "<FVar `Regular'>\n";
    o += fin + "<FWeight `" + f.weight + "'>\n";
    o += fin + "<FAngle `Regular'>\n";
    o += fin + "<FEncoding `FrameRoman'>\n";
    o += fin + "<FSize  " + Num(f.size) + " pt>\n";
    o += fin + "<FUnderlining FNoUnderlining>\n";
    o += fin + "<FOverline No>\n";
    o += fin + "<FStrike No>\n";
    o += fin + "<FChangeBar No>\n";
    o += fin + "<FPairKern Yes>\n";
    o += fin + "<FCase FAsTyped>\n";
    o += fin + "<FPosition FNormal>\n";
    o += fin + "<FDW  0.0%>\n";
    o += fin + "<FStretch  100.0%>\n";
    o += fin + "<FLanguage USEnglish>\n";
    o += fin + "<FLocked No>\n";
    line("> # end of PgfFont");
    line("<PgfLineSpacing Fixed>");
    line("<PgfLeading  2.0 pt>");
    line(std::string("<PgfAutoNum ") + (f.autoNum ? "Yes" : "No") + ">");
    line("<PgfNumFormat `" + f.numFormat + "'>");
    line("<PgfNumberFont `'>");
    line("<PgfNumAtEnd No>");
    line("<PgfHyphenate Yes>");
    line("<HyphenMaxLines 2>");
    line("<HyphenMinPrefix 3>");
    line("<HyphenMinSuffix 3>");
    line("<HyphenMinWord 5>");
    line("<PgfLetterSpace No>");
    line("<PgfMinWordSpace 90>");
    line("<PgfOptWordSpace 100>");
    line("<PgfMaxWordSpace 110>");
    line("<PgfLanguage USEnglish>");
    line("<PgfCellAlignment Top>");
    line("<PgfCellMargins  0.0 pt 0.0 pt 0.0 pt 0.0 pt>");
    line("<PgfCellLMarginFixed No>");
    line("<PgfCellTMarginFixed No>");
    line("<PgfCellRMarginFixed No>");
    line("<PgfCellBMarginFixed No>");
    line("<PgfNumTabs 0>");
}

std::string Words(Random& r, int least, int most)
{
    std::string s;
    int n = least + r.below(most - least + 1);
    for (int i = 0; i < n; ++i) {
        if (i)
            s += ' ';
        s += kWords[r.below(static_cast<int>(std::size(kWords)))];
    }
    if (!s.empty())
        s[0] = static_cast<char>(s[0] - 'a' + 'A');
    return s;
}

// Every tag a chapter's paragraphs use, with its look.
struct Catalogue {
    std::vector<std::string> names; // in file order
    std::vector<FormatLook> looks;
    const FormatLook& look(const std::string& name) const
    {
        auto it = std::find(names.begin(), names.end(), name);
        return looks[static_cast<size_t>(it - names.begin())];
    }
};

bool HasFootnotes(const BookShape& s) { return s.footnoteEvery > 0 && s.paragraphs >= s.footnoteEvery; }

Catalogue MakeCatalogue(const BookShape& shape)
{
    std::vector<std::string> names = MainFlowTags(shape);
    if (shape.tables > 0)
        names.insert(names.end(), {kCellHeading, kCellBody, kTableTitle});
    if (HasFootnotes(shape))
        names.push_back(kFootnote);
    names.push_back(kHeader);
    for (const auto& u : UnusedFormatNames(shape))
        names.push_back(u);
    // The catalogue is in no particular order, as in a document that grew over the years.
    Random r(shape.seed * 7919 + 17);
    Shuffle(names, r);
    Catalogue c;
    c.names = names;
    // The look's variant comes from the name's bytes (std::hash differs between libraries).
    for (const std::string& name : names) {
        unsigned v = 0;
        for (unsigned char ch : name)
            v = v * 31 + ch;
        c.looks.push_back(LookOf(name, static_cast<int>(v % 97)));
    }
    return c;
}

class ChapterWriter {
public:
    ChapterWriter(const BookShape& shape, int index)
        : shape_(shape),
          index_(index),
          r_(shape.seed * 1000003 + static_cast<uint64_t>(index)),
          catalogue_(MakeCatalogue(shape)),
          tags_(MainFlowTags(shape))
    { }

    std::string run()
    {
        planParagraphs();
        o_ += "<MIFFile 2019> # Generated by tw_generate\n";
        o_ += "<Units Uin>\n";
        writeColours();
        writeCatalogue();
        o_ += "<Document \n <DPageSize  8.5\" 11.0\">\n <DStartPage 1>\n <DTwoSides Yes>\n";
        o_ += " <DFNoteTag `" + std::string(kFootnote) + "'>\n> # end of Document\n";
        writeTables();
        writePages();
        writeFlows();
        o_ += "# End of MIFFile\n";
        return std::move(o_);
    }

private:
    struct Planned {
        std::string tag;
        std::string text;
        bool override = false;
        int footnote = 0;        // footnote ID anchored at its end; 0: none
        std::vector<int> tables; // table IDs anchored at its end
        int textRect = 0;        // a new body frame starts with this paragraph
    };

    void planParagraphs()
    {
        const int n = std::max(shape_.paragraphs, 1);
        // The first paragraphs use every tag once (so each chapter uses all of them), in a
        // chapter-specific order, then Body dominates as in real text.
        std::vector<int> order(tags_.size());
        for (size_t i = 0; i < order.size(); ++i)
            order[i] = static_cast<int>(i);
        Shuffle(order, r_);
        for (int i = 0; i < n; ++i) {
            Planned p;
            if (i < static_cast<int>(order.size()))
                p.tag = tags_[static_cast<size_t>(order[static_cast<size_t>(i)])];
            else if (r_.below(2) == 0)
                p.tag = tags_[0];
            else
                p.tag = tags_[static_cast<size_t>(r_.below(static_cast<int>(tags_.size())))];
            p.text = Words(r_, 6, 24);
            p.override = shape_.overrideEvery > 0 && i % shape_.overrideEvery == shape_.overrideEvery - 1;
            if (HasFootnotes(shape_) && i % shape_.footnoteEvery == shape_.footnoteEvery - 1)
                p.footnote = ++footnotes_;
            if (shape_.paragraphsPerPage > 0 ? i % shape_.paragraphsPerPage == 0 : i == 0)
                p.textRect = kFirstBodyRect + pages_++;
            paras_.push_back(std::move(p));
        }
        for (int t = 1; t <= shape_.tables; ++t)
            paras_[static_cast<size_t>(static_cast<int64_t>(t) * n / (shape_.tables + 1))].tables.push_back(t);
    }

    std::string unique() { return "<Unique " + std::to_string(unique_++) + ">"; }

    void writeColours()
    {
        o_ += "<ColorCatalog \n";
        o_ += " <Color \n  <ColorTag `Black'>\n  <ColorCyan  0.0>\n  <ColorMagenta  0.0>\n  <ColorYellow  0.0>\n"
              "  <ColorBlack  100.0>\n > # end of Color\n";
        o_ += " <Color \n  <ColorTag `White'>\n  <ColorCyan  0.0>\n  <ColorMagenta  0.0>\n  <ColorYellow  0.0>\n"
              "  <ColorBlack  0.0>\n > # end of Color\n";
        o_ += "> # end of ColorCatalog\n";
    }

    void writeCatalogue()
    {
        o_ += "<PgfCatalog \n";
        for (size_t i = 0; i < catalogue_.names.size(); ++i) {
            o_ += " <Pgf \n";
            WritePgfBody(o_, catalogue_.names[i], catalogue_.looks[i], "  ");
            o_ += " > # end of Pgf\n";
        }
        o_ += "> # end of PgfCatalog\n";
    }

    // A paragraph inside a cell, title or footnote (no frame).
    void writeSimplePara(const std::string& tag, const std::string& text, const std::string& in)
    {
        o_ += in + "<Para \n" + in + " " + unique() + "\n" + in + " <PgfTag `" + tag + "'>\n";
        o_ += in + " <ParaLine \n" + in + "  <String `" + text + "'>\n" + in + " > # end of ParaLine\n";
        o_ += in + "> # end of Para\n";
    }

    void writeCell(const std::string& tag, const std::string& text, const std::string& in)
    {
        o_ += in + "<Cell \n" + in + " <CellContent \n" + in + "  <Notes \n" + in + "  > # end of Notes\n";
        writeSimplePara(tag, text, in + "  ");
        o_ += in + " > # end of CellContent\n" + in + "> # end of Cell\n";
    }

    void writeRow(const std::string& tag, const std::string& in)
    {
        o_ += in + "<Row \n" + in + " <RowMaxHeight  14.0\">\n" + in + " <RowHeight  0.22222\">\n";
        for (int c = 0; c < shape_.tableColumns; ++c)
            writeCell(tag, Words(r_, 1, 4), in + " ");
        o_ += in + "> # end of Row\n";
    }

    void writeTables()
    {
        if (shape_.tables <= 0)
            return;
        o_ += "<Tbls \n";
        const double width = 6.5 / std::max(shape_.tableColumns, 1);
        for (int t = 1; t <= shape_.tables; ++t) {
            o_ += " <Tbl \n  <TblID " + std::to_string(t) + ">\n  <TblTag `Format A'>\n";
            o_ += "  <TblNumColumns " + std::to_string(shape_.tableColumns) + ">\n  " + unique() + "\n";
            for (int c = 0; c < shape_.tableColumns; ++c)
                o_ += "  <TblColumnWidth  " + Num(width) + "\">\n";
            o_ += "  <TblTitle \n   <TblTitleContent \n    <Notes \n    > # end of Notes\n";
            writeSimplePara(kTableTitle, "Table " + std::to_string(t) + " " + Words(r_, 2, 5), "    ");
            o_ += "   > # end of TblTitleContent\n  > # end of TblTitle\n";
            o_ += "  <TblH \n";
            writeRow(kCellHeading, "   ");
            o_ += "  > # end of TblH\n  <TblBody \n";
            for (int row = 0; row < shape_.tableRows; ++row)
                writeRow(kCellBody, "   ");
            o_ += "  > # end of TblBody\n > # end of Tbl\n";
        }
        o_ += "> # end of Tbls\n";
    }

    void writePage(const char* type, const std::string& tag, int rectId, const char* rect, int next)
    {
        o_ += "<Page \n " + unique() + "\n <PageType " + type + ">\n";
        if (!tag.empty())
            o_ += " <PageTag `" + tag + "'>\n";
        o_ += " <PageSize  8.5\" 11.0\">\n <PageOrientation Portrait>\n <PageAngle  0.0>\n";
        o_ += " <TextRect \n  <ID " + std::to_string(rectId) + ">\n  " + unique() + "\n  <Pen 15>\n  <Fill 15>\n";
        o_ += std::string("  <ShapeRect ") + rect + ">\n  <BRect " + rect + ">\n";
        o_ += "  <TRNumColumns 1>\n  <TRColumnGap  0.25\">\n  <TRNext " + std::to_string(next) + ">\n";
        o_ += " > # end of TextRect\n> # end of Page\n";
    }

    void writePages()
    {
        writePage("RightMasterPage", "Right", kHeaderRect, " 1.0\" 0.5\" 6.5\" 0.4\"", 0);
        writePage("ReferencePage", "Reference", kReferenceRect, " 1.0\" 1.0\" 6.5\" 9.0\"", 0);
        for (int p = 0; p < pages_; ++p)
            writePage("BodyPage", "", kFirstBodyRect + p, " 1.0\" 1.0\" 6.5\" 9.0\"",
                      p + 1 < pages_ ? kFirstBodyRect + p + 1 : 0);
    }

    void writeFlows()
    {
        o_ += "<TextFlow \n <TFTag `Header'>\n <Notes \n > # end of Notes\n";
        o_ += " <Para \n  " + unique() + "\n  <PgfTag `" + kHeader + "'>\n  <ParaLine \n   <TextRectID " +
              std::to_string(kHeaderRect) + ">\n   <String `Chapter " + std::to_string(index_ + 1) +
              "'>\n  > # end of ParaLine\n > # end of Para\n";
        o_ += "> # end of TextFlow\n";
        o_ += "<TextFlow \n <TFTag `Reference'>\n <Notes \n > # end of Notes\n";
        o_ += " <Para \n  " + unique() + "\n  <PgfTag `" + tags_[0] + "'>\n  <ParaLine \n   <TextRectID " +
              std::to_string(kReferenceRect) +
              ">\n   <String `Reference page notes.'>\n  > # end of ParaLine\n"
              " > # end of Para\n";
        o_ += "> # end of TextFlow\n";

        o_ += "<TextFlow \n <TFTag `A'>\n <TFAutoConnect Yes>\n <Notes \n";
        for (const Planned& p : paras_) {
            if (!p.footnote)
                continue;
            o_ += "  <FNote \n   <ID " + std::to_string(p.footnote) + ">\n";
            writeSimplePara(kFootnote, Words(r_, 4, 12), "   ");
            o_ += "  > # end of FNote\n";
        }
        o_ += " > # end of Notes\n";
        for (const Planned& p : paras_) {
            o_ += " <Para \n  " + unique() + "\n";
            if (p.override) {
                // A local override: the whole format as the paragraph has it, as the
                // publishing program writes it, with the indent and space above changed.
                FormatLook look = catalogue_.look(p.tag);
                look.lIndent += 0.5;
                look.spBefore += 7.0;
                o_ += "  <Pgf \n";
                WritePgfBody(o_, p.tag, look, "   ");
                o_ += "  > # end of Pgf\n";
            } else {
                o_ += "  <PgfTag `" + p.tag + "'>\n";
            }
            o_ += "  <ParaLine \n";
            if (p.textRect)
                o_ += "   <TextRectID " + std::to_string(p.textRect) + ">\n";
            o_ += "   <String `" + p.text + "'>\n";
            if (p.footnote)
                o_ += "   <FNote " + std::to_string(p.footnote) + ">\n";
            for (int t : p.tables)
                o_ += "   <ATbl " + std::to_string(t) + ">\n";
            o_ += "  > # end of ParaLine\n > # end of Para\n";
        }
        o_ += "> # end of TextFlow\n";
    }

    static constexpr int kHeaderRect = 1;
    static constexpr int kReferenceRect = 3;
    static constexpr int kFirstBodyRect = 10;

    const BookShape& shape_;
    int index_;
    Random r_;
    Catalogue catalogue_;
    std::vector<std::string> tags_;
    std::vector<Planned> paras_;
    int footnotes_ = 0;
    int pages_ = 0;
    int unique_ = 1001;
    std::string o_;
};

bool WriteFile(const std::filesystem::path& path, const std::string& bytes, std::string& error)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (out)
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) {
        error = path.string() + ": could not be written";
        std::error_code ec;
        std::filesystem::remove(path, ec);
        return false;
    }
    return true;
}

} // namespace

std::vector<std::string> MainFlowTags(const BookShape& shape)
{
    std::vector<std::string> tags;
    for (int i = 0; i < std::max(shape.tags, 1); ++i) {
        if (i < static_cast<int>(std::size(kNamedTags))) {
            tags.emplace_back(kNamedTags[i]);
        } else {
            char buf[24];
            std::snprintf(buf, sizeof buf, "Tag%03d", i + 1);
            tags.emplace_back(buf);
        }
    }
    return tags;
}

std::vector<std::string> UnusedFormatNames(const BookShape& shape)
{
    std::vector<std::string> names;
    for (int i = 0; i < shape.unusedFormats; ++i) {
        char buf[24];
        std::snprintf(buf, sizeof buf, "Unused%03d", i + 1);
        names.emplace_back(buf);
    }
    return names;
}

int UsedTagCount(const BookShape& shape)
{
    int n = std::min(std::max(shape.tags, 1), std::max(shape.paragraphs, 1));
    if (shape.tables > 0)
        n += 3; // cell heading, cell body, table title
    if (HasFootnotes(shape))
        n += 1;
    return n + 1; // the master page's header
}

std::string ChapterMif(const BookShape& shape, int index) { return ChapterWriter(shape, index).run(); }

std::string ChapterFileName(int index)
{
    char buf[32];
    std::snprintf(buf, sizeof buf, "ch%03d.mif", index + 1);
    return buf;
}

std::string BookMif(const std::vector<std::string>& chapterFiles)
{
    std::string o = "<Book 2019> # Generated by tw_generate\n<BWindowRect 16 100 400 300>\n";
    int unique = 101;
    for (size_t i = 0; i < chapterFiles.size(); ++i) {
        o += "<BookComponent \n <FileName `<c\\>" + chapterFiles[i] + "'>\n <Unique " + std::to_string(unique++) +
             ">\n <StartPageSide StartRightSide>\n";
        o += std::string(" <PageNumbering ") + (i == 0 ? "Restart" : "Continue") + ">\n";
        o += " <PgfNumbering Continue>\n> # end of BookComponent\n";
    }
    return o + "# End of Book\n";
}

std::string GenerateBook(const std::string& dir, const BookShape& shape, std::string& error)
{
    namespace fs = std::filesystem;
    std::error_code ec;
    fs::create_directories(dir, ec);
    if (ec) {
        error = dir + ": could not create the folder (" + ec.message() + ")";
        return {};
    }
    std::vector<std::string> names;
    for (int i = 0; i < shape.chapters; ++i) {
        names.push_back(ChapterFileName(i));
        if (!WriteFile(fs::path(dir) / names.back(), ChapterMif(shape, i), error))
            return {};
    }
    fs::path book = fs::path(dir) / kBookFileName;
    if (!WriteFile(book, BookMif(names), error))
        return {};
    return book.string();
}

bool GenerateDocument(const std::string& path, const BookShape& shape, std::string& error)
{
    return WriteFile(path, ChapterMif(shape, 0), error);
}

} // namespace tw::bench
