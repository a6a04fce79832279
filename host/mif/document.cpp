// document.cpp - reads a MIF document's catalogues, pages, tables, footnotes and text flows
// into the model, and writes the model's changes back into the statement tree. Reading and
// writing walk the paragraphs with one procedure, so that what is written reads back the same.
#include "host/mif/document.h"

#include <algorithm>
#include <cstdlib>
#include <initializer_list>
#include <functional>
#include <map>

#include "bridge/boundary.h"
#include "host/mif/pgf.h"
#include "host/mif/placement.h"
#include "host/mif/text.h"
#include "host/mif/unmodelled.h"
#include "host/mif/values.h"
#include "host/model/properties.h"

namespace tw::host {
namespace {

// What a <Para> reads as: its tag, its properties and the encoding its text starts in.
struct PgfState {
    std::string tag;
    PgfProps props = DefaultParagraphProps();
    MifEncoding encoding = MifEncoding::FrameRoman;
};

class Walker {
public:
    // Reading: objects are created in `d`. Writing (`write`): the tree is checked against `d`
    // and corrected where it would read differently.
    Walker(Model* m, Document& d, MifSource& src, bool write)
        : m_(m), d_(d), src_(src), write_(write), unmodelled_(src, d)
    {
        ctx_.src = &src;
        base_.encoding = src.encoding;
        cur_ = base_;
        asRead_ = base_;
        if (write_) {
            for (auto& [id, p] : d_.paragraphs)
                if (p.mifNode >= 0)
                    paraByNode_[p.mifNode] = id;
        }
    }

    void run()
    {
        // The catalogues first: a paragraph finds its format wherever in the file the
        // catalogue that holds it stands.
        for (int32_t c : src_.children(0)) {
            std::string_view name = src_.name(c);
            if (name == "Units")
                readUnits(c);
            else if (name == "PgfCatalog")
                readCatalogue(c);
        }
        ctx_.unitPoints = MifReadContext().unitPoints;
        for (int32_t c : src_.children(0)) {
            std::string_view name = src_.name(c);
            if (name == "Units")
                readUnits(c);
            else if (name == "CharUnits" && !write_)
                d_.fontSizeUnits = src_.firstToken(c) == "CUQ" ? 46443 : 0x10000; // Q = 0.25 mm
            else if (name == "ColorCatalog" && !write_)
                readColors(c);
            else if (name == "Tbls") {
                for (int32_t t : src_.children(c, "Tbl"))
                    readTable(t);
            } else if (name == "Page" && !write_)
                readPage(c);
            else if (name == "AFrames" && !write_)
                collectTextRects(c, 0); // text frames in anchored frames
            else if (name == "TextFlow")
                readFlow(c);
        }
        if (!write_)
            finish();
    }

private:
    // ---- document settings and catalogues -------------------------------------------------
    void readUnits(int32_t node)
    {
        std::string_view u = src_.firstToken(node);
        static const std::map<std::string_view, std::pair<double, int32_t>> units = {
            {"Uin", {72.0, 0x480000}},
            {"Ucm", {72.0 / 2.54, 0x1C58B1}},
            {"Umm", {72.0 / 25.4, 0x2D5AB}},
            {"Upica", {12.0, 0xC0000}},
            {"Upt", {1.0, 0x10000}},
            {"Udd", {0.0148 * 72.0, 0x11159}},
            {"Ucc", {12 * 0.0148 * 72.0, 0xCD02C}}};
        auto it = units.find(u);
        if (it == units.end())
            return;
        ctx_.unitPoints = it->second.first;
        if (!write_)
            d_.displayUnits = it->second.second;
    }

    void readColors(int32_t node)
    {
        for (int32_t c : src_.children(node, "Color")) {
            ObjectId id = AddColor(*m_, d_, MifStringValue(src_, src_.firstChild(c, "ColorTag")));
            d_.colorObjs[id].mifNode = c;
        }
    }

    void readCatalogue(int32_t node)
    {
        if (write_) {
            // What each format gives a paragraph that the host does not model, as the file was
            // read: the catalogue's changes never touch those statements.
            unmodelled_.readCatalogue(node);
            writeCatalogue(node);
        } else {
            for (int32_t c : src_.children(node, "Pgf")) {
                PgfState s = base_;
                ReadPgfStatements(ctx_, c, &s.tag, s.props, &s.encoding);
                ObjectId id = AddFormat(*m_, d_, s.tag, s.props);
                d_.formats[id].mifNode = c;
                encodings_[s.tag] = s.encoding;
            }
        }
        // Encodings of the formats as they are now (writing: after the changes).
        for (ObjectId f : d_.catalogue) {
            const PgfFormat* fmt = d_.format(f);
            if (fmt && !encodings_.count(fmt->name))
                encodings_[fmt->name] = base_.encoding;
        }
    }

    void writeCatalogue(int32_t node)
    {
        std::map<int32_t, ObjectId> byNode;
        for (ObjectId f : d_.catalogue)
            if (const PgfFormat* fmt = d_.format(f); fmt && fmt->mifNode >= 0)
                byNode[fmt->mifNode] = f;
        for (int32_t c : src_.children(node, "Pgf")) {
            auto it = byNode.find(c);
            if (it == byNode.end()) { // deleted from the catalogue
                src_.remove(c);
                continue;
            }
            PgfFormat& fmt = *d_.format(it->second);
            PgfState s = base_;
            ReadPgfStatements(ctx_, c, &s.tag, s.props, &s.encoding);
            encodings_[fmt.name] = s.encoding;
            if (s.tag != fmt.name) {
                std::string tag = EncodeMifString(fmt.name, src_.encoding);
                if (int32_t t = src_.firstChild(c, "PgfTag"); t >= 0)
                    src_.setValue(t, tag);
                else { // a format read without a <PgfTag> and renamed since: give it one
                    auto kids = src_.children(c);
                    src_.insert(c, kids.empty() ? -1 : kids[0], "<PgfTag " + tag + ">");
                }
            }
            if (s.props != fmt.props)
                WritePgfStatements(src_, c, fmt.props, s.props);
        }
        // New formats go before the next format that is already in the file, else at the end.
        for (size_t i = 0; i < d_.catalogue.size(); ++i) {
            PgfFormat* fmt = d_.format(d_.catalogue[i]);
            if (!fmt || fmt->mifNode >= 0)
                continue;
            int32_t before = -1;
            for (size_t j = i + 1; j < d_.catalogue.size() && before < 0; ++j)
                if (const PgfFormat* next = d_.format(d_.catalogue[j]); next && next->mifNode >= 0)
                    before = next->mifNode;
            auto added = src_.insert(node, before, PgfStatementText(src_, fmt->name, fmt->props));
            if (!added.empty())
                fmt->mifNode = added[0];
        }
    }

    // Paragraph properties are read as one running state in file order: each <Pgf> (and
    // each table format's column and title defaults) changes what it names, and a paragraph
    // without any takes the state as it stands. A table format's defaults are such statements,
    // directly or wrapped in a <Pgf>.
    void applyPgf(int32_t node, PgfState& s)
    {
        if (int32_t inner = src_.firstChild(node, "Pgf"); inner >= 0)
            node = inner;
        std::string tag = s.tag;
        ReadPgfStatements(ctx_, node, &tag, s.props, &s.encoding);
        s.tag = tag;
    }

    void readTableFormat(int32_t node)
    {
        for (int32_t c : src_.children(node)) {
            std::string_view name = src_.name(c);
            if (name == "TblTitlePgf1")
                applyTableDefaults(c);
            if (name != "TblColumn")
                continue;
            for (int32_t sec : src_.children(c))
                if (src_.name(sec) == "TblColumnH" || src_.name(sec) == "TblColumnBody" ||
                    src_.name(sec) == "TblColumnF")
                    applyTableDefaults(sec);
        }
    }

    // A table format's paragraph defaults change the running state, as the file has them and
    // (writing) as it is being written alike: nothing changes them.
    void applyTableDefaults(int32_t node)
    {
        applyPgf(node, cur_);
        if (!write_)
            return;
        applyPgf(node, asRead_);
        unmodelled_.applyDefaults(node);
    }

    MifEncoding encodingOf(const std::string& tag) const
    {
        auto it = encodings_.find(tag);
        return it == encodings_.end() ? base_.encoding : it->second;
    }

    // ---- pages and frames ------------------------------------------------------------------
    void readPage(int32_t node)
    {
        int32_t typeNode = src_.firstChild(node, "PageType"); // a page without one is a body page
        std::string_view type = typeNode < 0 ? std::string_view() : src_.firstToken(typeNode);
        PageKind kind = PageKind::Body;
        if (type == "ReferencePage")
            kind = PageKind::Reference;
        else if (type.find("MasterPage") != std::string_view::npos)
            kind = PageKind::Master;
        else if (type == "HiddenPage")
            kind = PageKind::Reference;
        ObjectId page = AddPage(*m_, d_, kind, MifStringValue(src_, src_.firstChild(node, "PageTag")));
        d_.pages[page].mifNode = node;
        collectTextRects(node, page);
    }

    void collectTextRects(int32_t node, ObjectId page)
    {
        for (int32_t c : src_.children(node)) {
            std::string_view name = src_.name(c);
            if (name == "TextRect") {
                ObjectId frame = m_->newId();
                TextFrame f;
                f.id = frame;
                f.page = page;
                f.mifNode = c;
                d_.frames[frame] = f;
                if (page)
                    d_.pages[page].frames.push_back(frame);
                frameById_[MifIntValue(src_, src_.firstChild(c, "ID"))] = frame;
            } else if (name == "Frame" || name == "Group") {
                collectTextRects(c, page);
            }
        }
    }

    // ---- tables ------------------------------------------------------------------------------
    void readTable(int32_t node)
    {
        ObjectId tableId = 0;
        if (write_) {
            for (auto& [id, t] : d_.tableObjs)
                if (t.mifNode == node)
                    tableId = id;
        } else {
            tableId = m_->newId();
            Table t;
            t.id = tableId;
            t.mifNode = node;
            t.mifId = MifIntValue(src_, src_.firstChild(node, "TblID"));
            int32_t inlineFormat = src_.firstChild(node, "TblFormat");
            t.format = MifStringValue(src_, src_.firstChild(node, "TblTag"));
            if (t.format.empty() && inlineFormat >= 0)
                t.format = MifStringValue(src_, src_.firstChild(inlineFormat, "TblTag"));
            t.columns = MifIntValue(src_, src_.firstChild(node, "TblNumColumns"));
            for (int32_t w : src_.children(node, "TblColumnWidth"))
                t.columnWidths.push_back(ParseMifMetric(src_.tokens(w), ctx_.unitPoints).value_or(0));
            d_.tableObjs[tableId] = t;
            d_.tables.push_back(tableId);
            tableById_[t.mifId] = tableId;
        }
        if (int32_t f = src_.firstChild(node, "TblFormat"); f >= 0)
            readTableFormat(f);
        if (int32_t title = src_.firstChild(node, "TblTitle"); title >= 0)
            if (int32_t content = src_.firstChild(title, "TblTitleContent"); content >= 0)
                readTextHolderContent(content, PgfHome::TableTitle, tableId);
        const char* sections[] = {"TblH", "TblBody", "TblF"};
        const RowKind kinds[] = {RowKind::Heading, RowKind::Body, RowKind::Footing};
        for (int s = 0; s < 3; ++s) {
            int32_t sec = src_.firstChild(node, sections[s]);
            if (sec < 0)
                continue;
            for (int32_t r : src_.children(sec, "Row")) {
                ObjectId rowId = 0;
                if (!write_) {
                    rowId = m_->newId();
                    Row row;
                    row.id = rowId;
                    row.table = tableId;
                    row.kind = kinds[s];
                    row.mifNode = r;
                    d_.rows[rowId] = row;
                    d_.tableObjs[tableId].rows.push_back(rowId);
                }
                int32_t column = 0;
                for (int32_t c : src_.children(r, "Cell")) {
                    ObjectId cellId = 0;
                    if (!write_) {
                        cellId = m_->newId();
                        Cell cell;
                        cell.id = cellId;
                        cell.row = rowId;
                        cell.column = column;
                        cell.mifNode = c;
                        d_.cells[cellId] = cell;
                        d_.rows[rowId].cells.push_back(cellId);
                    }
                    if (int32_t content = src_.firstChild(c, "CellContent"); content >= 0)
                        readTextHolderContent(content, PgfHome::Cell, cellId);
                    ++column;
                }
            }
        }
    }

    // A cell, table title or footnote: its <Notes> and then its paragraphs.
    void readTextHolderContent(int32_t node, PgfHome home, ObjectId container)
    {
        for (int32_t c : src_.children(node)) {
            std::string_view name = src_.name(c);
            if (name == "Notes")
                readNotes(c);
            else if (name == "Para")
                readPara(c, home, container);
        }
    }

    void readNotes(int32_t node)
    {
        for (int32_t n : src_.children(node, "FNote")) {
            ObjectId holder = 0;
            if (!write_) {
                holder = m_->newId();
                TextHolder h;
                h.id = holder;
                h.mifNode = n;
                d_.holders[holder] = h;
                d_.textHolders.push_back(holder);
                noteById_[MifIntValue(src_, src_.firstChild(n, "ID"))] = holder;
            }
            for (int32_t p : src_.children(n, "Para"))
                readPara(p, PgfHome::TextHolder, holder);
        }
    }

    // ---- flows -------------------------------------------------------------------------------
    void readFlow(int32_t node)
    {
        ObjectId flowId = 0;
        if (!write_) {
            Flow f;
            f.id = m_->newId();
            f.tag = MifStringValue(src_, src_.firstChild(node, "TFTag"));
            int32_t ac = src_.firstChild(node, "TFAutoConnect");
            f.autoConnect = ac >= 0 && src_.firstToken(ac) == "Yes";
            f.mifNode = node;
            flowId = f.id;
            d_.flowObjs[flowId] = f;
            d_.flows.push_back(flowId);
        }
        flow_ = flowId;
        frame_ = 0;
        for (int32_t c : src_.children(node)) {
            std::string_view name = src_.name(c);
            if (name == "Notes")
                readNotes(c);
            else if (name == "Para")
                readPara(c, PgfHome::Frame, 0);
        }
        flow_ = 0;
    }

    // The frame a flow's text continues in: named by <TextRectID>, else the current one,
    // else a frame made for a flow that names none.
    ObjectId useFrame(int32_t rectId)
    {
        ObjectId frame = frame_;
        if (rectId >= 0) {
            auto it = frameById_.find(rectId);
            if (it != frameById_.end())
                frame = it->second;
        }
        if (frame == 0) {
            frame = m_->newId();
            TextFrame f;
            f.id = frame;
            d_.frames[frame] = f;
        }
        TextFrame& f = d_.frames[frame];
        if (f.flow == 0) {
            f.flow = flow_;
            d_.flowObjs[flow_].frames.push_back(frame);
        }
        frame_ = frame;
        return frame;
    }

    // ---- paragraphs --------------------------------------------------------------------------
    // The tag, properties and encoding a <Para> reads as, given the current state. With `bare`,
    // that <Pgf> of the paragraph counts with its tag only, as if it said nothing else.
    PgfState stateOf(int32_t para, int32_t bare = -1) { return stateFrom(cur_, para, bare); }

    PgfState stateFrom(const PgfState& running, int32_t para, int32_t bare = -1)
    {
        PgfState s = running;
        for (int32_t c : src_.each(para)) {
            std::string_view name = src_.name(c);
            if (name == "PgfTag") {
                s.tag = MifStringValue(src_, c);
                if (const PgfFormat* fmt = d_.formatByName(s.tag))
                    s.props = fmt->props;
                s.encoding = encodingOf(s.tag);
            } else if (name == "Pgf" && c == bare) {
                for (int32_t t : src_.each(c, "PgfTag"))
                    s.tag = MifStringValue(src_, t);
            } else if (name == "Pgf") {
                applyPgf(c, s);
            }
        }
        return s;
    }

    // Whether the paragraph's own <Pgf> holds a property statement besides its tag.
    bool hasOwnProps(int32_t para)
    {
        for (int32_t c : src_.children(para, "Pgf"))
            for (int32_t statement : src_.children(c))
                if (src_.name(statement) != "PgfTag")
                    return true;
        return false;
    }

    // Writing: a paragraph the command left as it was (its tag and properties; a next tag that
    // was renamed aside) keeps reading with the statements the host does not model that it
    // read with, though the paragraph before it changed. One the command changed (retagged,
    // or its overrides taken back) reads with what its new statements give it.
    PgfState keepUnmodelled(int32_t node, const Paragraph& p, const PgfState& read, const UnmodelledState& wanted,
                            const PgfState& now)
    {
        if (read.tag != p.tag || !SameButNextTag(read.props, p.props))
            return now;
        UnmodelledState have = unmodelled_.now(node);
        if (have == wanted)
            return now;
        RestoreUnmodelled(src_, node, wanted, have);
        return stateOf(node); // a font's encoding may have come back with it
    }

    static bool SameButNextTag(const PgfProps& a, const PgfProps& b)
    {
        if (a == b)
            return true;
        PgfProps renamed = a;
        if (auto it = b.find(PROP_NEXT_TAG_NAME); it != b.end())
            renamed[PROP_NEXT_TAG_NAME] = it->second;
        return renamed == b;
    }

    void readPara(int32_t node, PgfHome home, ObjectId container)
    {
        PgfState s = stateOf(node);
        if (write_) {
            // As the paragraph read before anything was written, and what it read with then.
            const PgfState asRead = stateFrom(asRead_, node);
            UnmodelledState extrasAsRead = unmodelled_.asRead(node);
            auto it = paraByNode_.find(node);
            if (it != paraByNode_.end()) {
                const Paragraph& p = *d_.paragraph(it->second);
                s = correctPara(node, p, s);
                s = keepUnmodelled(node, p, asRead, extrasAsRead, s);
                correctText(node, p, s.encoding);
            }
            cur_ = s;
            asRead_ = asRead;
            unmodelled_.pass(node, std::move(extrasAsRead));
            return;
        }
        cur_ = s;
        Paragraph p;
        p.id = m_->newId();
        p.tag = s.tag;
        p.props = s.props;
        p.ownProps = hasOwnProps(node);
        p.home = home;
        p.mifNode = node;
        MifEncoding enc = s.encoding;
        int32_t firstRect = -1;
        for (int32_t line : src_.each(node, "ParaLine"))
            readLine(line, p, enc, s.encoding, firstRect);
        if (home == PgfHome::Frame) {
            container = useFrame(firstRect);
            d_.frames[container].paragraphs.push_back(p.id);
        } else if (home == PgfHome::Cell) {
            d_.cells[container].paragraphs.push_back(p.id);
        } else if (home == PgfHome::TableTitle) {
            d_.tableObjs[container].title.push_back(p.id);
        } else if (home == PgfHome::TextHolder) {
            d_.holders[container].paragraphs.push_back(p.id);
        }
        p.container = container;
        ObjectId id = p.id;
        d_.paragraphs[id] = std::move(p);
        Paragraph& stored = d_.paragraphs[id];
        stored.overridden = DiffersFromFormat(d_, stored);
        for (const InlineItem& item : stored.items) {
            if (item.kind == InlineItem::TableAnchor && item.object)
                d_.tableObjs[item.object].anchor = id;
            if (item.kind == InlineItem::FootnoteAnchor && item.object)
                d_.holders[item.object].anchor = id;
        }
    }

    void readLine(int32_t line, Paragraph& p, MifEncoding& enc, MifEncoding pgfEncoding, int32_t& firstRect)
    {
        for (int32_t c : src_.each(line)) {
            std::string_view name = src_.name(c);
            auto item = [&](InlineItem::Kind kind, ObjectId object) {
                p.items.push_back(InlineItem{CharCount(p.text), kind, object, c});
            };
            if (name == "String") {
                std::string text, error;
                DecodeMifString(src_.firstToken(c), enc, text, error);
                p.text += text;
            } else if (name == "Char") {
                p.text += MifCharText(src_.firstToken(c));
            } else if (name == "TextRectID") {
                int32_t id = MifIntValue(src_, c);
                if (firstRect < 0 && p.text.empty())
                    firstRect = id;
                else if (flow_ && !write_)
                    useFrame(id); // the flow continues in another frame
            } else if (name == "Font") {
                enc = MifFontEncoding(src_, c, enc, pgfEncoding);
                item(InlineItem::FontChange, 0);
            } else if (name == "ATbl") {
                auto it = tableById_.find(MifIntValue(src_, c));
                item(InlineItem::TableAnchor, it == tableById_.end() ? 0 : it->second);
            } else if (name == "FNote" && !(src_.each(c).begin() != src_.each(c).end())) {
                auto it = noteById_.find(MifIntValue(src_, c));
                item(InlineItem::FootnoteAnchor, it == noteById_.end() ? 0 : it->second);
            } else if (name == "AFrame") {
                item(InlineItem::AnchoredFrame, 0);
            } else if (name == "Marker") {
                item(InlineItem::Marker, 0);
            } else if (name == "XRef") {
                item(InlineItem::XRef, 0);
            } else if (name == "Variable") {
                item(InlineItem::Variable, 0);
            }
        }
    }

    // Writing: makes a <Para> read as the model's paragraph when it does not already. The
    // statements that name its tag are given the new one, and its last <Pgf> (added when it has
    // none) gets the properties that differ: each changed where it stands, or removed when the
    // paragraph reads as wanted without it. Everything else in the paragraph, statements the
    // host does not model included, stays as it was read.
    PgfState correctPara(int32_t node, const Paragraph& p, const PgfState& read)
    {
        if (read.tag == p.tag && read.props == p.props)
            return read;
        const PgfFormat* fmt = d_.formatByName(p.tag);
        if (read.tag != p.tag)
            retag(node, p.tag, fmt != nullptr);
        if (stateOf(node).props != p.props) {
            int32_t pgf = lastPgf(node);
            if (pgf < 0) {
                auto added = src_.insert(node, src_.firstChild(node, "ParaLine"), "<Pgf \n> # end of Pgf");
                pgf = added.empty() ? -1 : added[0];
            }
            PgfState base = stateOf(node, pgf);
            // A paragraph that takes its properties from the one before it may need fewer
            // statements when it starts from its format: it then names its tag itself.
            if (fmt && !src_.has(src_.firstChild(node, "PgfTag")) && src_.children(node, "Pgf").size() == 1 &&
                PgfPropsDifferences(p.props, fmt->props) + 1 < PgfPropsDifferences(p.props, base.props)) {
                src_.insert(node, pgf, "<PgfTag " + EncodeMifString(p.tag, src_.encoding) + ">");
                base = stateOf(node, pgf);
            }
            WritePgfStatements(src_, pgf, p.props, stateOf(node).props, &base.props);
            if (fmt && fmt->props == p.props)
                dropTagOnlyPgf(node, pgf, p.tag);
        }
        PgfState result = stateOf(node);
        if (result.tag != p.tag || result.props != p.props)
            result = rewritePara(node, p);
        return result;
    }

    int32_t lastPgf(int32_t node)
    {
        int32_t last = -1;
        for (int32_t c : src_.each(node, "Pgf"))
            last = c;
        return last;
    }

    // Gives every statement of a paragraph that names its tag the new one. A paragraph that names
    // its tag only inside its <Pgf> (or not at all) gets a <PgfTag> of its own when the tag has
    // a format, so that it starts from the format's properties; a tag without a format goes
    // into its <Pgf>.
    void retag(int32_t node, const std::string& tag, bool hasFormat)
    {
        const std::string value = EncodeMifString(tag, src_.encoding);
        bool own = false, named = false;
        int32_t firstPgf = -1;
        for (int32_t c : src_.children(node)) {
            std::string_view name = src_.name(c);
            if (name == "PgfTag") {
                src_.setValue(c, value);
                own = named = true;
            } else if (name == "Pgf") {
                if (firstPgf < 0)
                    firstPgf = c;
                for (int32_t t : src_.children(c, "PgfTag")) {
                    src_.setValue(t, value);
                    named = true;
                }
            }
        }
        if (own)
            return;
        if (hasFormat) {
            int32_t before = firstPgf >= 0 ? firstPgf : src_.firstChild(node, "ParaLine");
            src_.insert(node, before, "<PgfTag " + value + ">");
        } else if (!named) {
            int32_t pgf = lastPgf(node);
            if (pgf < 0) {
                src_.insert(node, src_.firstChild(node, "ParaLine"), "<Pgf \n <PgfTag " + value + ">\n> # end of Pgf");
            } else {
                auto kids = src_.children(pgf);
                src_.insert(pgf, kids.empty() ? -1 : kids[0], "<PgfTag " + value + ">");
            }
        }
    }

    // A <Pgf> left holding nothing but its tag, in a paragraph that reads as its format: the
    // paragraph's own <PgfTag> says the same.
    void dropTagOnlyPgf(int32_t node, int32_t pgf, const std::string& tag)
    {
        for (int32_t c : src_.each(pgf))
            if (src_.name(c) != "PgfTag")
                return;
        bool own = false;
        for (int32_t c : src_.each(node)) {
            if (c == pgf)
                break;
            own |= src_.name(c) == "PgfTag";
        }
        if (!own)
            src_.insert(node, pgf, "<PgfTag " + EncodeMifString(tag, src_.encoding) + ">");
        src_.remove(pgf);
    }

    // The last resort for a paragraph whose statements cannot be brought in line one by one
    // (a <PgfTag> after its <Pgf>, say): its tag and property statements written afresh.
    PgfState rewritePara(int32_t node, const Paragraph& p)
    {
        for (int32_t c : src_.children(node))
            if (src_.name(c) == "PgfTag" || src_.name(c) == "Pgf")
                src_.remove(c);
        int32_t before = src_.firstChild(node, "ParaLine");
        const PgfFormat* fmt = d_.formatByName(p.tag);
        if (fmt && fmt->props == p.props) {
            src_.insert(node, before, "<PgfTag " + EncodeMifString(p.tag, src_.encoding) + ">");
        } else {
            src_.insert(node, before, PgfStatementText(src_, p.tag, p.props));
        }
        return PgfState{p.tag, p.props, encodingOf(p.tag)};
    }

    // Writing: rewrites a paragraph's lines when its text or its table anchors changed.
    void correctText(int32_t node, const Paragraph& p, MifEncoding encoding)
    {
        Paragraph scratch;
        MifEncoding enc = encoding;
        int32_t firstRect = -1;
        for (int32_t line : src_.each(node, "ParaLine"))
            readLine(line, scratch, enc, encoding, firstRect);
        bool newAnchor = false;
        for (const InlineItem& item : p.items)
            newAnchor |= item.kind == InlineItem::TableAnchor && item.mifNode < 0;
        if (scratch.text == p.text && !newAnchor)
            return;
        for (int32_t line : src_.children(node, "ParaLine"))
            src_.remove(line);
        src_.insert(node, -1, ParaLinesText(src_, d_, p, firstRect, encoding));
    }

    // ---- after reading ---------------------------------------------------------------------
    void finish()
    {
        // A file without a colour catalogue has the publishing program's built-in colours; and
        // "no colour" is answered as a colour of its own. Neither is written to the file.
        if (d_.colors.empty())
            AddBuiltInColors(*m_, d_);
        if (!d_.colorByName(kNoColor))
            AddColor(*m_, d_, kNoColor);
        for (ObjectId f : d_.flows) {
            const Flow& flow = d_.flowObjs[f];
            if (flow.frames.empty())
                continue;
            const TextFrame& frame = d_.frames[flow.frames.front()];
            const Page* page = frame.page ? d_.page(frame.page) : nullptr;
            bool onBody = page && page->kind == PageKind::Body;
            if (onBody && flow.tag == "A" && d_.mainFlow == 0)
                d_.mainFlow = f;
        }
        for (ObjectId f : d_.flows) {
            const Flow& flow = d_.flowObjs[f];
            if (d_.mainFlow || flow.frames.empty())
                continue;
            const TextFrame& frame = d_.frames[flow.frames.front()];
            const Page* page = frame.page ? d_.page(frame.page) : nullptr;
            if (page && page->kind == PageKind::Body)
                d_.mainFlow = f;
        }
        if (d_.mainFlow == 0 && !d_.flows.empty())
            d_.mainFlow = d_.flows.front();
    }

    Model* m_;
    Document& d_;
    MifSource& src_;
    bool write_;
    MifReadContext ctx_;
    PgfState base_, cur_;
    // Writing only: the running state as the file was read (cur_ is as it is being written),
    // and what the host does not model, as read and as written.
    PgfState asRead_;
    UnmodelledInheritance unmodelled_;
    std::map<std::string, MifEncoding> encodings_;
    std::map<int32_t, ObjectId> frameById_, tableById_, noteById_;
    std::map<int32_t, ObjectId> paraByNode_;
    ObjectId flow_ = 0, frame_ = 0;
};

} // namespace

std::unique_ptr<Document> ReadMifDocument(Model& m, std::shared_ptr<MifSource> src, const std::string& path)
{
    auto doc = std::make_unique<Document>();
    doc->path = path;
    doc->mif = src;
    doc->mifNode = 0;
    Walker walker(&m, *doc, *src, false);
    walker.run();
    return doc;
}

void WriteMifDocument(Document& doc)
{
    if (!doc.mif)
        return;
    PlaceNewObjects(doc);
    Walker walker(nullptr, doc, *doc.mif, true);
    walker.run();
}

} // namespace tw::host
