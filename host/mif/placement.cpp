// placement.cpp - new objects into a document's statement tree before it is written:
// formats into the catalogue, new tables into <Tbls> and new paragraphs as <Para> statements
// beside their neighbours, so that the writing walk finds every one of them.
#include "host/mif/placement.h"

#include <initializer_list>
#include <string>

#include "host/mif/pgf.h"
#include "host/mif/text.h"
#include "host/mif/values.h"
#include "host/model/properties.h"

namespace tw::host {
namespace {

// The <Para> statement of a new paragraph: its tag (with a <Pgf> when its properties are not
// exactly its format's) and its text.
std::string ParaText(const MifSource& src, Document& d, const Paragraph& p)
{
    std::string t = "<Para \n";
    const PgfFormat* fmt = d.formatByName(p.tag);
    std::string pgf = fmt && fmt->props == p.props ? "<PgfTag " + EncodeMifString(p.tag, src.encoding) + ">"
                                                   : PgfStatementText(src, p.tag, p.props);
    // Written in the file's encoding; the writing walk rewrites the text should the paragraph's
    // format read it in another.
    std::string lines = ParaLinesText(src, d, p, -1, src.encoding);
    for (const std::string* part : {&pgf, &lines}) {
        t += " ";
        for (char c : *part)
            t += c == '\n' ? std::string("\n ") : std::string(1, c);
        t += "\n";
    }
    return t + "> # end of Para";
}

// The node after `node` among its parent's statements (-1 when it is the last).
int32_t NextSibling(const MifSource& src, int32_t node)
{
    auto kids = src.children(src.parent(node));
    for (size_t i = 0; i + 1 < kids.size(); ++i)
        if (kids[i] == node)
            return kids[i + 1];
    return -1;
}

// A top-level statement, created before the first of `beforeNames` (else at the end) when the
// file has none.
int32_t TopLevel(MifSource& src, const std::string& name, std::initializer_list<const char*> beforeNames)
{
    if (int32_t n = src.firstChild(0, name); n >= 0)
        return n;
    int32_t before = -1;
    for (int32_t c : src.children(0)) {
        for (const char* b : beforeNames)
            if (src.name(c) == b)
                before = c;
        if (before >= 0)
            break;
    }
    auto added = src.insert(0, before, "<" + name + " \n> # end of " + name);
    return added.empty() ? -1 : added[0];
}

constexpr const char* kTableSections[] = {"TblH", "TblBody", "TblF"};
constexpr RowKind kSectionRows[] = {RowKind::Heading, RowKind::Body, RowKind::Footing};

// The <Tbl> statement of a new table: its id, format and column widths, an empty title where
// it has one, and its rows and cells, section by section, with the cells' contents still empty.
std::string TblText(const MifSource& src, Document& d, const Table& t)
{
    std::string text = "<Tbl \n <TblID " + std::to_string(t.mifId) + ">\n <TblTag " +
                       EncodeMifString(t.format, src.encoding) + ">\n <TblNumColumns " + std::to_string(t.columns) +
                       ">\n";
    for (int32_t w : t.columnWidths)
        text += " <TblColumnWidth " + FormatMifMetric(w) + ">\n";
    if (!t.title.empty())
        text += " <TblTitle \n  <TblTitleContent \n  > # end of TblTitleContent\n > # end of TblTitle\n";
    for (int s = 0; s < 3; ++s) {
        std::string rows;
        for (ObjectId r : t.rows) {
            const Row& row = *d.row(r);
            if (row.kind != kSectionRows[s])
                continue;
            rows += "  <Row \n";
            for (size_t c = 0; c < row.cells.size(); ++c)
                rows += "   <Cell \n    <CellContent \n    > # end of CellContent\n   > # end of Cell\n";
            rows += "  > # end of Row\n";
        }
        if (!rows.empty())
            text += std::string(" <") + kTableSections[s] + " \n" + rows + " > # end of " + kTableSections[s] + "\n";
    }
    return text + "> # end of Tbl";
}

// Maps a new table's rows and cells onto the statements TblText made for them, in order.
void MapTableRows(const MifSource& src, Document& d, const Table& t)
{
    for (int s = 0; s < 3; ++s) {
        int32_t sec = src.firstChild(t.mifNode, kTableSections[s]);
        if (sec < 0)
            continue;
        auto rowNodes = src.children(sec, "Row");
        size_t k = 0;
        for (ObjectId r : t.rows) {
            Row& row = *d.row(r);
            if (row.kind != kSectionRows[s] || k >= rowNodes.size())
                continue;
            row.mifNode = rowNodes[k];
            auto cellNodes = src.children(rowNodes[k++], "Cell");
            for (size_t c = 0; c < row.cells.size() && c < cellNodes.size(); ++c)
                d.cell(row.cells[c])->mifNode = cellNodes[c];
        }
    }
}

// Gives each new table a <Tbl> in <Tbls> (made where the file has none), numbered after the
// highest table id in use.
void PlaceNewTables(MifSource& src, Document& d)
{
    int32_t maxTblId = 0;
    for (ObjectId t : d.tables)
        maxTblId = std::max(maxTblId, d.table(t)->mifId);
    for (ObjectId tid : d.tables) {
        Table& t = *d.table(tid);
        if (t.mifNode >= 0)
            continue;
        if (t.mifId == 0)
            t.mifId = ++maxTblId;
        int32_t tbls = TopLevel(src, "Tbls", {"Page", "TextFlow"});
        auto added = src.insert(tbls, -1, TblText(src, d, t));
        if (added.empty())
            continue;
        t.mifNode = added[0];
        MapTableRows(src, d, t);
    }
}

// Where the first <Para> of a paragraph list that has none in the file goes: the cell's or the
// title's content, the text holder, or the flow (a new flow gets its <TextFlow>); -1 for none.
int32_t EmptyListParent(MifSource& src, Document& d, const Paragraph& p)
{
    switch (p.home) {
    case PgfHome::Cell:
        if (Cell* c = d.cell(p.container); c && c->mifNode >= 0)
            return src.firstChild(c->mifNode, "CellContent");
        return -1;
    case PgfHome::TableTitle:
        if (Table* t = d.table(p.container); t && t->mifNode >= 0) {
            int32_t title = src.firstChild(t->mifNode, "TblTitle");
            return title < 0 ? -1 : src.firstChild(title, "TblTitleContent");
        }
        return -1;
    case PgfHome::TextHolder:
        if (TextHolder* h = d.holder(p.container))
            return h->mifNode;
        return -1;
    case PgfHome::Frame: {
        TextFrame* f = d.frame(p.container);
        Flow* flow = f ? d.flow(f->flow) : nullptr;
        if (!flow)
            return -1;
        if (flow->mifNode < 0) {
            auto added =
                src.insert(0, -1,
                           "<TextFlow \n <TFTag " + EncodeMifString(flow->tag, src.encoding) + ">\n <TFAutoConnect " +
                               (flow->autoConnect ? "Yes" : "No") + ">\n> # end of TextFlow");
            if (!added.empty())
                flow->mifNode = added[0];
        }
        return flow->mifNode;
    }
    default: return -1;
    }
}

// Gives each new paragraph of a list its <Para>: after the nearest earlier paragraph that is in
// the file, else before the next one, else where an empty list's first paragraph goes.
void PlaceParagraphs(MifSource& src, Document& d, const std::vector<ObjectId>& list)
{
    for (size_t i = 0; i < list.size(); ++i) {
        Paragraph* p = d.paragraph(list[i]);
        if (!p || p->mifNode >= 0)
            continue;
        int32_t parent = -1, before = -1;
        for (size_t j = i; j-- > 0;) {
            const Paragraph* prev = d.paragraph(list[j]);
            if (prev && prev->mifNode >= 0) {
                parent = src.parent(prev->mifNode);
                before = NextSibling(src, prev->mifNode);
                break;
            }
        }
        for (size_t j = i + 1; j < list.size() && parent < 0; ++j) {
            const Paragraph* next = d.paragraph(list[j]);
            if (next && next->mifNode >= 0) {
                parent = src.parent(next->mifNode);
                before = next->mifNode;
            }
        }
        if (parent < 0)
            parent = EmptyListParent(src, d, *p);
        if (parent < 0)
            continue;
        auto added = src.insert(parent, before, ParaText(src, d, *p));
        if (!added.empty())
            p->mifNode = added[0];
    }
}

} // namespace

// Gives new tables their <Tbl> (rows and cells, cell contents still empty) and new paragraphs
// their <Para> next to their neighbours, so that the paragraph walk can then check them all.
void PlaceNewObjects(Document& d)
{
    MifSource& src = *d.mif;
    // New formats are written into the catalogue: a file read without one gets it.
    for (ObjectId f : d.catalogue)
        if (const PgfFormat* fmt = d.format(f); fmt && fmt->mifNode < 0) {
            TopLevel(src, "PgfCatalog",
                     {"FontCatalog", "RulingCatalog", "TblCatalog", "Document", "AFrames", "Tbls", "Page", "TextFlow"});
            break;
        }
    PlaceNewTables(src, d);
    for (ObjectId f : d.flows) {
        std::vector<ObjectId> flowList;
        for (ObjectId fr : d.flow(f)->frames)
            if (const TextFrame* frame = d.frame(fr))
                flowList.insert(flowList.end(), frame->paragraphs.begin(), frame->paragraphs.end());
        PlaceParagraphs(src, d, flowList);
    }
    for (ObjectId h : d.textHolders)
        PlaceParagraphs(src, d, d.holder(h)->paragraphs);
    for (ObjectId t : d.tables) {
        PlaceParagraphs(src, d, d.table(t)->title);
        for (ObjectId r : d.table(t)->rows)
            for (ObjectId c : d.row(r)->cells)
                PlaceParagraphs(src, d, d.cell(c)->paragraphs);
    }
}

// The <ParaLine> of a paragraph written from the model: its text in <String> runs broken at
// its inline items, each item as it was read (or an <ATbl> for a new table anchor). Each run
// is written in the encoding its font gives it, starting from the paragraph's.
std::string ParaLinesText(const MifSource& src, Document& d, const Paragraph& p, int32_t textRectId,
                          MifEncoding encoding)
{
    const MifEncoding pgfEncoding = encoding;
    std::string t = "<ParaLine \n";
    if (textRectId >= 0)
        t += " <TextRectID " + std::to_string(textRectId) + ">\n";
    size_t done = 0;
    auto text = [&](size_t upTo) {
        if (upTo > done)
            t += " <String " + EncodeMifString(p.text.substr(done, upTo - done), encoding) + ">\n";
        done = std::max(done, upTo);
    };
    for (const InlineItem& item : p.items) {
        text(ByteIndex(p.text, item.offset));
        if (item.mifNode >= 0) {
            if (item.kind == InlineItem::FontChange)
                encoding = MifFontEncoding(src, item.mifNode, encoding, pgfEncoding);
            // As read, with its inner lines re-indented from where it stood to its new place.
            // Values that run over several lines are kept as they are.
            std::string raw =
                SerializeMifNodeReindented(src, item.mifNode, src.childIndent(src.parent(item.mifNode)), " ") +
                src.trailingComment(item.mifNode);
            t += " " + raw + "\n";
        } else if (item.kind == InlineItem::TableAnchor) {
            if (const Table* table = d.table(item.object))
                t += " <ATbl " + std::to_string(table->mifId) + ">\n";
        }
    }
    text(p.text.size());
    return t + "> # end of ParaLine";
}

} // namespace tw::host
