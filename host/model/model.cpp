// model.cpp - lookups, traversal and editing on the host's object model: documents, books,
// menus, text insertion and paragraph splitting, new documents and tables.
#include "host/model/model.h"

#include <algorithm>
#include <functional>
#include <cassert>

#include "host/model/properties.h"

namespace tw::host {
namespace {

template <class Map> auto* Find(Map& map, ObjectId id)
{
    auto it = map.find(id);
    return it == map.end() ? nullptr : &it->second;
}

bool IsContinuation(unsigned char c) { return (c & 0xC0) == 0x80; }

} // namespace

// ---- Document -----------------------------------------------------------------------------

ObjKind Document::kindOf(ObjectId object) const
{
    if (object == 0)
        return ObjKind::None;
    if (object == id)
        return ObjKind::Document;
    if (formats.count(object))
        return ObjKind::PgfFormat;
    if (paragraphs.count(object))
        return ObjKind::Paragraph;
    if (flowObjs.count(object))
        return ObjKind::Flow;
    if (frames.count(object))
        return ObjKind::TextFrame;
    if (pages.count(object))
        return ObjKind::Page;
    if (tableObjs.count(object))
        return ObjKind::Table;
    if (rows.count(object))
        return ObjKind::Row;
    if (cells.count(object))
        return ObjKind::Cell;
    if (holders.count(object))
        return ObjKind::TextHolder;
    if (colorObjs.count(object))
        return ObjKind::Color;
    return ObjKind::None;
}

PgfFormat* Document::format(ObjectId i) { return Find(formats, i); }
const PgfFormat* Document::format(ObjectId i) const { return Find(formats, i); }
Paragraph* Document::paragraph(ObjectId i) { return Find(paragraphs, i); }
const Paragraph* Document::paragraph(ObjectId i) const { return Find(paragraphs, i); }
Flow* Document::flow(ObjectId i) { return Find(flowObjs, i); }
TextFrame* Document::frame(ObjectId i) { return Find(frames, i); }
Page* Document::page(ObjectId i) { return Find(pages, i); }
Table* Document::table(ObjectId i) { return Find(tableObjs, i); }
Row* Document::row(ObjectId i) { return Find(rows, i); }
Cell* Document::cell(ObjectId i) { return Find(cells, i); }
TextHolder* Document::holder(ObjectId i) { return Find(holders, i); }
Color* Document::color(ObjectId i) { return Find(colorObjs, i); }

PgfFormat* Document::formatByName(const std::string& name)
{
    for (ObjectId f : catalogue)
        if (auto* fmt = format(f); fmt && fmt->name == name)
            return fmt;
    return nullptr;
}

Color* Document::colorByName(const std::string& name)
{
    for (ObjectId c : colors)
        if (auto* col = color(c); col && col->name == name)
            return col;
    return nullptr;
}

std::vector<ObjectId>* Document::paragraphList(const Paragraph& p)
{
    switch (p.home) {
    case PgfHome::Frame:
        if (auto* f = frame(p.container))
            return &f->paragraphs;
        break;
    case PgfHome::Cell:
        if (auto* c = cell(p.container))
            return &c->paragraphs;
        break;
    case PgfHome::TableTitle:
        if (auto* t = table(p.container))
            return &t->title;
        break;
    case PgfHome::TextHolder:
        if (auto* h = holder(p.container))
            return &h->paragraphs;
        break;
    case PgfHome::None: break;
    }
    return nullptr;
}

ObjectId Document::nextParagraph(ObjectId pid) const
{
    const Paragraph* p = paragraph(pid);
    if (!p)
        return 0;
    auto* self = const_cast<Document*>(this);
    const std::vector<ObjectId>* list = self->paragraphList(*p);
    if (!list)
        return 0;
    // Walks ask for the paragraph after the one they were given last: try that place first,
    // so that walking a long frame is linear rather than a search per step.
    size_t at = list->size();
    if (walkList_ == list && walkIndex_ + 1 < list->size() && (*list)[walkIndex_ + 1] == pid)
        at = walkIndex_ + 1;
    else
        at = static_cast<size_t>(std::find(list->begin(), list->end(), pid) - list->begin());
    walkList_ = list;
    walkIndex_ = at;
    if (at + 1 < list->size())
        return (*list)[at + 1];
    if (p->home != PgfHome::Frame)
        return 0;
    // The flow goes on in its next frames.
    const TextFrame* fr = self->frame(p->container);
    const Flow* fl = fr ? self->flow(fr->flow) : nullptr;
    if (!fl)
        return 0;
    auto fit = std::find(fl->frames.begin(), fl->frames.end(), fr->id);
    for (++fit; fit < fl->frames.end(); ++fit)
        if (const TextFrame* next = self->frame(*fit); next && !next->paragraphs.empty())
            return next->paragraphs.front();
    return 0;
}

ObjectId Document::firstParagraphOfFlow(ObjectId flowId) const
{
    auto* self = const_cast<Document*>(this);
    if (const Flow* fl = self->flow(flowId))
        for (ObjectId f : fl->frames)
            if (const TextFrame* fr = self->frame(f); fr && !fr->paragraphs.empty())
                return fr->paragraphs.front();
    return 0;
}

ObjectId Document::lastParagraphOfFlow(ObjectId flowId) const
{
    auto* self = const_cast<Document*>(this);
    if (const Flow* fl = self->flow(flowId))
        for (auto it = fl->frames.rbegin(); it != fl->frames.rend(); ++it)
            if (const TextFrame* fr = self->frame(*it); fr && !fr->paragraphs.empty())
                return fr->paragraphs.back();
    return 0;
}

ObjectId Document::tableOf(ObjectId pid) const
{
    auto* self = const_cast<Document*>(this);
    const Paragraph* p = paragraph(pid);
    if (!p)
        return 0;
    if (p->home == PgfHome::TableTitle)
        return p->container;
    if (p->home == PgfHome::Cell)
        if (const Cell* c = self->cell(p->container))
            if (const Row* r = self->row(c->row))
                return r->table;
    return 0;
}

ObjectId Document::pageOf(ObjectId pid) const
{
    auto* self = const_cast<Document*>(this);
    for (int depth = 0; depth < 16; depth++) { // anchors nest only a few levels deep
        const Paragraph* p = paragraph(pid);
        if (!p)
            return 0;
        switch (p->home) {
        case PgfHome::Frame:
            if (const TextFrame* fr = self->frame(p->container))
                return fr->page;
            return 0;
        case PgfHome::Cell:
        case PgfHome::TableTitle: {
            const Table* t = self->table(tableOf(pid));
            pid = t ? t->anchor : 0;
            break;
        }
        case PgfHome::TextHolder: {
            const TextHolder* h = self->holder(p->container);
            pid = h ? h->anchor : 0;
            break;
        }
        case PgfHome::None: return 0;
        }
    }
    return 0;
}

// ---- Book ---------------------------------------------------------------------------------

BookComponent* Book::component(ObjectId i) { return Find(components, i); }
const BookComponent* Book::component(ObjectId i) const { return Find(components, i); }

const std::vector<ObjectId>& Book::siblingsOf(const BookComponent& c) const
{
    if (const BookComponent* parent = component(c.parent))
        return parent->children;
    return top;
}

ObjectId Book::nextComponent(ObjectId i) const
{
    const BookComponent* c = component(i);
    if (!c)
        return 0;
    const auto& list = siblingsOf(*c);
    auto it = std::find(list.begin(), list.end(), i);
    return (it != list.end() && it + 1 != list.end()) ? *(it + 1) : 0;
}

std::vector<std::string> Book::documentPaths() const
{
    std::vector<std::string> paths;
    std::function<void(const std::vector<ObjectId>&)> visit = [&](const std::vector<ObjectId>& level) {
        for (ObjectId id : level)
            if (const BookComponent* c = component(id))
                c->kind == kComponentFile ? paths.push_back(c->path) : visit(c->children);
    };
    visit(top);
    return paths;
}

// ---- Model --------------------------------------------------------------------------------

Model::Model()
{
    fontFamilies = {"Times", "Helvetica", "Courier", "Symbol", "Times New Roman", "Arial", "Courier New"};
    fontVariations = {"Regular", "Narrow", "Condensed", "Wide"};
    fontWeights = {"Regular", "Bold", "Light", "Medium", "Semibold", "Black"};
    fontAngles = {"Regular", "Italic", "Oblique"};

    // The predefined menu bars, a few of their menus, and the predefined separators.
    MenuItem& maker = defineMenu("!MakerMainMenu", "", true);
    MenuItem& book = defineMenu("!BookMainMenu", "", true);
    MenuItem& quick = defineMenu("!QuickMakerMainMenu", "", true);
    for (MenuItem* bar : {&maker, &book, &quick}) {
        ObjectId barId = bar->id;
        std::string prefix = bar->name.substr(1, bar->name.size() - 9); // "Maker", "Book", "QuickMaker"
        for (const char* label : {"File", "Edit", "Format", "View", "Special", "Help"}) {
            ObjectId sub = defineMenu(prefix + label + "Menu", label).id;
            addToMenu(barId, sub);
        }
    }
    for (int i = 1; i <= 5; i++) {
        ObjectId id = newId();
        MenuItem sep;
        sep.id = id;
        sep.kind = ObjKind::Separator;
        sep.name = "Separator" + std::to_string(i);
        menus[id] = sep;
    }
}

Document* Model::document(ObjectId i)
{
    auto it = documents.find(i);
    return it == documents.end() ? nullptr : it->second.get();
}

Book* Model::book(ObjectId i)
{
    auto it = books.find(i);
    return it == books.end() ? nullptr : it->second.get();
}

MenuItem* Model::menuItem(ObjectId i) { return Find(menus, i); }

MenuItem* Model::menuByName(const std::string& name, ObjKind kind)
{
    for (auto& [id, item] : menus)
        if (item.kind == kind && item.name == name)
            return &item;
    return nullptr;
}

Document* Model::documentByPath(const std::string& path)
{
    for (ObjectId id : openDocs)
        if (Document* d = document(id); d && !d->path.empty() && d->path == path)
            return d;
    return nullptr;
}

Book* Model::bookByPath(const std::string& path)
{
    for (ObjectId id : openBooks)
        if (Book* b = book(id); b && !b->path.empty() && b->path == path)
            return b;
    return nullptr;
}

template <class M> static ObjectId MaxKey(const M& map) { return map.empty() ? 0 : map.rbegin()->first; }

void Model::reserveIdsBelow(ObjectId id)
{
    if (id >= nextId_)
        nextId_ = id + 1;
}

Document& Model::adoptDocument(std::unique_ptr<Document> doc)
{
    // A document built elsewhere keeps its inner ids; new ids must never meet them.
    for (ObjectId top : {doc->id, MaxKey(doc->formats), MaxKey(doc->paragraphs), MaxKey(doc->flowObjs),
                         MaxKey(doc->frames), MaxKey(doc->pages), MaxKey(doc->tableObjs), MaxKey(doc->rows),
                         MaxKey(doc->cells), MaxKey(doc->holders), MaxKey(doc->colorObjs)})
        reserveIdsBelow(top);
    if (doc->id == 0)
        doc->id = newId();
    ObjectId id = doc->id;
    assert(!documents.count(id) && "adopting never replaces an open document");
    if (doc->selection.begin.object == 0 && doc->mainFlow) {
        ObjectId first = doc->firstParagraphOfFlow(doc->mainFlow);
        doc->selection = TextRange{{first, 0}, {first, 0}};
    }
    if (doc->currentPage == 0 && !doc->bodyPages.empty())
        doc->currentPage = doc->bodyPages.front();
    documents[id] = std::move(doc);
    openDocs.push_back(id);
    activeDoc = id;
    return *documents[id];
}

Book& Model::adoptBook(std::unique_ptr<Book> b)
{
    reserveIdsBelow(std::max(b->id, MaxKey(b->components)));
    if (b->id == 0)
        b->id = newId();
    ObjectId id = b->id;
    books[id] = std::move(b);
    openBooks.push_back(id);
    activeBook = id;
    return *books[id];
}

Document& Model::newCustomDocument(const PageGeometry& geometry)
{
    auto doc = std::make_unique<Document>();
    Document& d = *doc;
    d.geometry = geometry;
    AddBuiltInColors(*this, d);
    auto withFont = [](int32_t size, const char* weight) {
        PgfProps p = DefaultParagraphProps();
        p[615] = size;
        p[606] = std::string(weight);
        return p;
    };
    AddFormat(*this, d, "Body", DefaultParagraphProps());
    AddFormat(*this, d, "CellBody", withFont(10 * 0x10000, "Regular"));
    AddFormat(*this, d, "CellHeading", withFont(10 * 0x10000, "Bold"));
    AddFormat(*this, d, "Footnote", withFont(10 * 0x10000, "Regular"));
    AddFormat(*this, d, "Heading1", withFont(18 * 0x10000, "Bold"));
    AddFormat(*this, d, "Heading2", withFont(14 * 0x10000, "Bold"));
    AddFormat(*this, d, "TableTitle", withFont(10 * 0x10000, "Bold"));
    AddFormat(*this, d, "Title", withFont(24 * 0x10000, "Bold"));
    ObjectId body = AddPage(*this, d, PageKind::Body);
    AddPage(*this, d, PageKind::Master, "Right");
    AddPage(*this, d, PageKind::Reference, "Reference");
    ObjectId flow = AddFlow(*this, d, "A", true);
    ObjectId frame = AddFrame(*this, d, flow, body);
    AddParagraph(*this, d, PgfHome::Frame, frame, "Body");
    return adoptDocument(std::move(doc));
}

Document& Model::newCustomDocument(int32_t width, int32_t height)
{
    PageGeometry g;
    g.width = width;
    g.height = height;
    return newCustomDocument(g);
}

std::unique_ptr<Document> Model::copyDocument(const Document& doc)
{
    auto copy = std::make_unique<Document>(doc);
    copy->id = 0;
    copy->path.clear();
    copy->modified = false;
    return copy;
}

void Model::closeDocument(ObjectId id)
{
    std::erase(openDocs, id);
    documents.erase(id);
    if (activeDoc == id)
        activeDoc = openDocs.empty() ? 0 : openDocs.back();
}

std::unique_ptr<Document> Model::releaseDocument(ObjectId id)
{
    auto it = documents.find(id);
    if (it == documents.end())
        return nullptr;
    std::unique_ptr<Document> doc = std::move(it->second);
    closeDocument(id);
    return doc;
}

void Model::closeBook(ObjectId id)
{
    std::erase(openBooks, id);
    books.erase(id);
    if (activeBook == id)
        activeBook = openBooks.empty() ? 0 : openBooks.back();
}

MenuItem& Model::defineMenu(const std::string& name, const std::string& label, bool isBar)
{
    ObjectId id = newId();
    MenuItem& m = menus[id];
    m.id = id;
    m.kind = ObjKind::Menu;
    m.isBar = isBar;
    m.name = name;
    m.label = label;
    return m;
}

MenuItem& Model::defineCommand(int32_t number, const std::string& name, const std::string& label,
                               const std::string& shortcut)
{
    ObjectId id = newId();
    MenuItem& m = menus[id];
    m.id = id;
    m.kind = ObjKind::Command;
    m.name = name;
    m.label = label;
    m.command = number;
    m.shortcut = shortcut;
    return m;
}

bool Model::addToMenu(ObjectId menuId, ObjectId itemId)
{
    MenuItem* menu = menuItem(menuId);
    MenuItem* item = menuItem(itemId);
    if (!menu || !item || menu->kind != ObjKind::Menu || menuId == itemId || item->isBar)
        return false;
    if (std::find(menu->items.begin(), menu->items.end(), itemId) != menu->items.end())
        return false;
    menu->items.push_back(itemId);
    item->lastMenu = menuId;
    return true;
}

static MenuItem* MenuHolding(Model& m, ObjectId hint, ObjectId item)
{
    for (ObjectId candidate : {hint, m.menuItem(item) ? m.menuItem(item)->lastMenu : ObjectId{0}}) {
        MenuItem* menu = m.menuItem(candidate);
        if (menu && menu->kind == ObjKind::Menu &&
            std::find(menu->items.begin(), menu->items.end(), item) != menu->items.end())
            return menu;
    }
    return nullptr;
}

bool Model::moveMenuItemBefore(ObjectId menuHint, ObjectId item, ObjectId before)
{
    MenuItem* menu = MenuHolding(*this, menuHint, item);
    if (!menu)
        return false;
    if (before == item)
        return true;
    auto& items = menu->items;
    if (before != 0 && std::find(items.begin(), items.end(), before) == items.end())
        return false;
    std::erase(items, item);
    auto at = before == 0 ? items.end() : std::find(items.begin(), items.end(), before);
    items.insert(at, item);
    return true;
}

ObjectId Model::nextMenuItem(ObjectId menuHint, ObjectId item) const
{
    MenuItem* menu = MenuHolding(const_cast<Model&>(*this), menuHint, item);
    if (!menu)
        return 0;
    auto it = std::find(menu->items.begin(), menu->items.end(), item);
    return it + 1 == menu->items.end() ? 0 : *(it + 1);
}

// ---- building -----------------------------------------------------------------------------

ObjectId AddFormat(Model& m, Document& d, const std::string& name, const PgfProps& props)
{
    ObjectId id = m.newId();
    PgfFormat& f = d.formats[id];
    f.id = id;
    f.name = name;
    f.props = props;
    d.catalogue.push_back(id);
    return id;
}

ObjectId AddColor(Model& m, Document& d, const std::string& name)
{
    ObjectId id = m.newId();
    d.colorObjs[id] = Color{id, name, -1};
    d.colors.push_back(id);
    return id;
}

void AddBuiltInColors(Model& m, Document& d)
{
    for (const char* c : {"Black", "White", "Red", "Green", "Blue", "Cyan", "Magenta", "Yellow"})
        AddColor(m, d, c);
}

ObjectId AddPage(Model& m, Document& d, PageKind kind, const std::string& name)
{
    ObjectId id = m.newId();
    Page& p = d.pages[id];
    p.id = id;
    p.kind = kind;
    p.name = name;
    (kind == PageKind::Body ? d.bodyPages : kind == PageKind::Master ? d.masterPages : d.referencePages).push_back(id);
    return id;
}

ObjectId AddFlow(Model& m, Document& d, const std::string& tag, bool main)
{
    ObjectId id = m.newId();
    Flow& f = d.flowObjs[id];
    f.id = id;
    f.tag = tag;
    d.flows.push_back(id);
    if (main)
        d.mainFlow = id;
    return id;
}

ObjectId AddFrame(Model& m, Document& d, ObjectId flow, ObjectId page)
{
    ObjectId id = m.newId();
    TextFrame& fr = d.frames[id];
    fr.id = id;
    fr.flow = flow;
    fr.page = page;
    if (Flow* f = d.flow(flow))
        f->frames.push_back(id);
    if (Page* p = d.page(page))
        p->frames.push_back(id);
    return id;
}

ObjectId AddParagraph(Model& m, Document& d, PgfHome home, ObjectId container, const std::string& tag,
                      const std::string& text, std::optional<size_t> at)
{
    ObjectId id = m.newId();
    Paragraph& p = d.paragraphs[id];
    p.id = id;
    p.tag = tag;
    const PgfFormat* f = d.formatByName(tag);
    p.props = f ? f->props : DefaultParagraphProps();
    p.text = text;
    p.home = home;
    p.container = container;
    if (auto* list = d.paragraphList(p)) {
        size_t index = at ? std::min(*at, list->size()) : list->size();
        list->insert(list->begin() + static_cast<std::ptrdiff_t>(index), id);
    }
    return id;
}

ObjectId AddTextHolder(Model& m, Document& d, ObjectId anchorParagraph)
{
    ObjectId id = m.newId();
    TextHolder& h = d.holders[id];
    h.id = id;
    h.anchor = anchorParagraph;
    d.textHolders.push_back(id);
    return id;
}

ObjectId AddTable(Model& m, Document& d, const std::string& format, int32_t columns, int32_t headingRows,
                  int32_t bodyRows, int32_t footingRows, ObjectId anchorParagraph, int32_t anchorOffset)
{
    ObjectId id = m.newId();
    {
        Table& t = d.tableObjs[id];
        t.id = id;
        t.format = format;
        t.columns = columns;
        t.columnWidths.assign(static_cast<size_t>(std::max(columns, 0)), 0x480000);
        t.anchor = anchorParagraph;
    }
    d.tables.push_back(id);
    auto addRows = [&](int32_t count, RowKind kind) {
        for (int32_t r = 0; r < count; r++) {
            ObjectId rowId = m.newId();
            Row& row = d.rows[rowId];
            row.id = rowId;
            row.table = id;
            row.kind = kind;
            d.table(id)->rows.push_back(rowId);
            for (int32_t c = 0; c < columns; c++) {
                ObjectId cellId = m.newId();
                Cell& cell = d.cells[cellId];
                cell.id = cellId;
                cell.row = rowId;
                cell.column = c;
                d.row(rowId)->cells.push_back(cellId);
                AddParagraph(m, d, PgfHome::Cell, cellId, kind == RowKind::Heading ? "CellHeading" : "CellBody");
            }
        }
    };
    addRows(headingRows, RowKind::Heading);
    addRows(bodyRows, RowKind::Body);
    addRows(footingRows, RowKind::Footing);
    if (Paragraph* anchor = d.paragraph(anchorParagraph)) {
        InlineItem item;
        item.offset = std::clamp(anchorOffset, 0, CharCount(anchor->text));
        item.kind = InlineItem::TableAnchor;
        item.object = id;
        auto pos = std::find_if(anchor->items.begin(), anchor->items.end(),
                                [&](const InlineItem& i) { return i.offset > item.offset; });
        anchor->items.insert(pos, item);
    }
    return id;
}

bool DiffersFromFormat(const Document& d, const Paragraph& p)
{
    const PgfFormat* f = const_cast<Document&>(d).formatByName(p.tag);
    // Without a format there is nothing to compare with: the paragraph differs when it
    // carries properties of its own.
    return f ? f->props != p.props : p.ownProps;
}

// ---- text ---------------------------------------------------------------------------------

int32_t CharCount(const std::string& utf8)
{
    int32_t n = 0;
    for (unsigned char c : utf8)
        if (!IsContinuation(c))
            n++;
    return n;
}

size_t ByteIndex(const std::string& utf8, int32_t charOffset)
{
    if (charOffset <= 0)
        return 0;
    int32_t n = 0;
    for (size_t i = 0; i < utf8.size(); i++) {
        if (!IsContinuation(static_cast<unsigned char>(utf8[i]))) {
            if (n == charOffset)
                return i;
            n++;
        }
    }
    return utf8.size();
}

static int32_t ClampOffset(const Paragraph& p, int32_t offset) { return std::clamp(offset, 0, CharCount(p.text)); }

TextLoc InsertText(Model& m, Document& d, TextLoc at, const std::string& utf8)
{
    Paragraph* p = d.paragraph(at.object);
    if (!p)
        return {0, 0};
    ObjectId current = p->id;
    int32_t pos = ClampOffset(*p, at.offset);
    size_t start = 0;
    while (true) {
        size_t nl = utf8.find('\n', start);
        std::string piece = utf8.substr(start, nl == std::string::npos ? std::string::npos : nl - start);
        Paragraph& para = d.paragraphs.at(current);
        int32_t len = CharCount(piece);
        para.text.insert(ByteIndex(para.text, pos), piece);
        for (InlineItem& item : para.items)
            if (item.offset >= pos && len > 0)
                item.offset += len;
        pos += len;
        if (nl == std::string::npos)
            break;
        // End the paragraph here: the rest of its text and items move to a new paragraph
        // with the same tag and properties, placed right after it.
        Paragraph tail = para;
        tail.id = m.newId();
        tail.mifNode = -1;
        size_t cut = ByteIndex(para.text, pos);
        tail.text = para.text.substr(cut);
        para.text.erase(cut);
        tail.items.clear();
        std::vector<InlineItem> keep;
        for (InlineItem item : para.items) {
            if (item.offset >= pos) {
                item.offset -= pos;
                tail.items.push_back(item);
            } else {
                keep.push_back(item);
            }
        }
        para.items = std::move(keep);
        ObjectId tailId = tail.id;
        d.paragraphs[tailId] = std::move(tail);
        Paragraph& head = d.paragraphs.at(current);
        Paragraph& moved = d.paragraphs.at(tailId);
        for (InlineItem& item : moved.items) {
            if (item.kind == InlineItem::TableAnchor)
                if (Table* t = d.table(item.object))
                    t->anchor = tailId;
            if (item.kind == InlineItem::FootnoteAnchor)
                if (TextHolder* h = d.holder(item.object))
                    h->anchor = tailId;
        }
        if (auto* list = d.paragraphList(head)) {
            auto it = std::find(list->begin(), list->end(), current);
            list->insert(it == list->end() ? list->end() : it + 1, tailId);
        }
        current = tailId;
        pos = 0;
        start = nl + 1;
    }
    d.modified = true;
    return {current, pos};
}

std::vector<std::pair<int32_t, std::string>> TextRuns(const Document& d, const TextRange& range)
{
    std::vector<std::pair<int32_t, std::string>> runs;
    ObjectId pid = range.begin.object;
    bool first = true;
    for (int guard = 0; pid != 0 && guard < 1000000; guard++) {
        const Paragraph* p = d.paragraph(pid);
        if (!p)
            break;
        bool last = pid == range.end.object;
        int32_t from = first ? ClampOffset(*p, range.begin.offset) : 0;
        int32_t to = last ? ClampOffset(*p, range.end.offset) : CharCount(p->text);
        std::vector<int32_t> cuts{from};
        for (const InlineItem& item : p->items)
            if (item.offset > from && item.offset < to)
                cuts.push_back(item.offset);
        cuts.push_back(to);
        std::sort(cuts.begin(), cuts.end());
        cuts.erase(std::unique(cuts.begin(), cuts.end()), cuts.end());
        for (size_t i = 0; i + 1 < cuts.size(); i++) {
            size_t b = ByteIndex(p->text, cuts[i]);
            size_t e = ByteIndex(p->text, cuts[i + 1]);
            if (e > b)
                runs.emplace_back(cuts[i], p->text.substr(b, e - b));
        }
        if (last || range.end.object == 0)
            break;
        first = false;
        pid = d.nextParagraph(pid);
    }
    return runs;
}

bool DeleteFormat(Document& d, ObjectId format)
{
    if (!d.formats.erase(format))
        return false;
    std::erase(d.catalogue, format);
    d.modified = true;
    return true;
}

} // namespace tw::host
