// access.cpp - property access by object kind: what a (document, object) pair names, and
// the numbers, identifiers, strings and whole paragraph property lists read and set on it.
#include "host/com/access.h"

#include <algorithm>

#include "bridge/boundary.h"
#include "host/com/host_impl.h"
#include "host/model/properties.h"

namespace tw::host {

// ---- addressing ------------------------------------------------------------------------------

int32_t Resolve(Model& m, ObjectId doc, ObjectId obj, Target& t)
{
    t.id = obj;
    if (doc == 0 && obj == 0) {
        t.kind = ObjKind::Application;
        return kStatusOk;
    }
    if (Document* d = m.document(obj); d && (doc == 0 || doc == obj)) {
        t.kind = ObjKind::Document;
        t.doc = d;
        return kStatusOk;
    }
    if (Book* b = m.book(obj); b && (doc == 0 || doc == obj)) {
        t.kind = ObjKind::Book;
        t.book = b;
        return kStatusOk;
    }
    if (MenuItem* item = m.menuItem(obj); item && (doc == 0 || m.menuItem(doc))) {
        t.kind = item->kind;
        t.menu = item;
        t.hint = doc;
        return kStatusOk;
    }
    if (Document* d = m.document(doc)) {
        t.doc = d;
        t.kind = d->kindOf(obj);
        return t.kind == ObjKind::None ? kBadObjId : kStatusOk;
    }
    if (Book* b = m.book(doc)) {
        t.book = b;
        if (b->component(obj)) {
            t.kind = ObjKind::BookComponent;
            return kStatusOk;
        }
        return kBadObjId;
    }
    return doc == 0 ? kBadObjId : kBadDocId;
}

namespace {

template <class T> ObjectId After(const std::vector<T>& list, ObjectId id)
{
    auto it = std::find(list.begin(), list.end(), id);
    return (it == list.end() || it + 1 == list.end()) ? 0 : *(it + 1);
}

ObjectId FirstOf(const std::vector<ObjectId>& list) { return list.empty() ? 0 : list.front(); }

ObjectId LastOf(const std::vector<ObjectId>& list) { return list.empty() ? 0 : list.back(); }

} // namespace

PgfProps* PropsOf(Target& t)
{
    if (t.kind == ObjKind::Paragraph)
        return &t.doc->paragraph(t.id)->props;
    if (t.kind == ObjKind::PgfFormat)
        return &t.doc->format(t.id)->props;
    return nullptr;
}

PropValue ValueOf(const PgfProps& props, const PropertyInfo& info)
{
    auto it = props.find(info.number);
    return it == props.end() ? info.initial : it->second;
}

std::vector<std::string>& FontList(Model& m, int32_t list)
{
    switch (list) {
    case PROP_FONT_VARIATIONS: return m.fontVariations;
    case PROP_FONT_WEIGHTS: return m.fontWeights;
    case PROP_FONT_ANGLES: return m.fontAngles;
    default: return m.fontFamilies;
    }
}

namespace {

// The index of a font attribute name in the application's list; a name the host has not
// listed yet is added (the host learns the fonts its documents use).
int32_t FontIndex(Model& m, int32_t list, const std::string& name)
{
    auto& names = FontList(m, list);
    auto it = std::find(names.begin(), names.end(), name);
    if (it == names.end()) {
        names.push_back(name);
        return static_cast<int32_t>(names.size() - 1);
    }
    return static_cast<int32_t>(it - names.begin());
}

bool IsNumeric(PropType t)
{
    return t == PropType::Int || t == PropType::Bool || t == PropType::Enum || t == PropType::Metric ||
           t == PropType::Percent || t == PropType::CellMargin || t == PropType::CellMarginBits ||
           t == PropType::FontIndex;
}

bool IsColor(PropType t) { return t == PropType::ColorName; }

bool IsString(PropType t) { return t == PropType::String; }

// The paragraph property `prop` of a paragraph or a format, where its type is one `fits`
// takes: kStatusOk with the object's property set and the property's table entry; else the
// status to answer: kBadPropNum where the object has no paragraph properties or the host does
// not model `prop`, kBadPropType where the property is of another type.
int32_t LookUpPgfProperty(Target& t, int32_t prop, bool (*fits)(PropType), PgfProps*& props, const PropertyInfo*& info)
{
    props = PropsOf(t);
    info = props ? FindParagraphProperty(prop) : nullptr;
    if (!info)
        return kBadPropNum;
    return fits(info->type) ? kStatusOk : kBadPropType;
}

// After a change to a paragraph's properties or tag: it is overridden when it differs from
// the format of its tag.
void Refresh(Target& t, bool propertyChanged = true)
{
    if (t.kind == ObjKind::Paragraph && propertyChanged)
        t.doc->paragraph(t.id)->ownProps = true; // it now carries a property statement of its own
    if (t.batch)
        return;
    if (t.kind == ObjKind::Paragraph) {
        Paragraph* p = t.doc->paragraph(t.id);
        p->overridden = DiffersFromFormat(*t.doc, *p);
    }
    if (t.doc)
        t.doc->modified = true;
}

} // namespace

// ---- single values ----------------------------------------------------------------------------

int32_t GetNumber(Host& h, Target& t, int32_t prop, int32_t& out)
{
    Model& m = h.model();
    switch (t.kind) {
    case ObjKind::Application:
        if (prop == PROP_SCREEN_UPDATING)
            return out = m.screenUpdating, kStatusOk;
        break;
    case ObjKind::Document:
        if (prop == PROP_DOC_MODE)
            return out = t.doc->docMode, kStatusOk;
        if (prop == PROP_DISPLAY_UNITS)
            return out = t.doc->displayUnits, kStatusOk;
        if (prop == PROP_FONT_SIZE_UNITS)
            return out = t.doc->fontSizeUnits, kStatusOk;
        break;
    case ObjKind::Paragraph: {
        Paragraph* p = t.doc->paragraph(t.id);
        if (prop == PROP_OVERRIDE)
            return out = p->overridden ? 1 : 0, kStatusOk;
        if (prop == PROP_LEAVE_UNCHANGED)
            return out = p->leaveUnchanged, kStatusOk;
        break;
    }
    case ObjKind::Cell:
        if (prop == PROP_CELL_COLUMN)
            return out = t.doc->cell(t.id)->column, kStatusOk;
        break;
    case ObjKind::Table:
        if (prop == PROP_TABLE_SETTING)
            return out = t.doc->table(t.id)->setting1289, kStatusOk;
        break;
    case ObjKind::BookComponent:
        if (prop == PROP_COMPONENT_KIND)
            return out = t.book->component(t.id)->kind, kStatusOk;
        break;
    default: break;
    }
    PgfProps* props = nullptr;
    const PropertyInfo* info = nullptr;
    if (int32_t s = LookUpPgfProperty(t, prop, IsNumeric, props, info); s != kStatusOk)
        return s;
    PropValue v = ValueOf(*props, *info);
    if (info->type == PropType::FontIndex)
        out = FontIndex(m, info->fontList, std::holds_alternative<std::string>(v) ? std::get<std::string>(v) : "");
    else
        out = std::holds_alternative<int32_t>(v) ? std::get<int32_t>(v) : 0;
    return kStatusOk;
}

int32_t SetNumber(Host& h, Target& t, int32_t prop, int32_t value)
{
    Model& m = h.model();
    switch (t.kind) {
    case ObjKind::Application:
        if (prop == PROP_SCREEN_UPDATING)
            return m.screenUpdating = value ? 1 : 0, kStatusOk;
        break;
    case ObjKind::Document:
        if (prop == PROP_DOC_MODE)
            return t.doc->docMode = value, kStatusOk;
        if (prop == PROP_DISPLAY_UNITS)
            return t.doc->displayUnits = value, kStatusOk;
        if (prop == PROP_FONT_SIZE_UNITS)
            return t.doc->fontSizeUnits = value, kStatusOk;
        break;
    case ObjKind::Paragraph: {
        Paragraph* p = t.doc->paragraph(t.id);
        if (prop == PROP_OVERRIDE) {
            // Clearing the flag keeps the properties; setting it marks the paragraph.
            p->overridden = value != 0;
            return kStatusOk;
        }
        if (prop == PROP_LEAVE_UNCHANGED)
            return p->leaveUnchanged = value, kStatusOk;
        break;
    }
    case ObjKind::Table:
        if (prop == PROP_TABLE_SETTING)
            return t.doc->table(t.id)->setting1289 = value, t.doc->modified = true, kStatusOk;
        break;
    case ObjKind::BookComponent:
        if (prop == PROP_COMPONENT_KIND)
            return kReadOnly;
        break;
    default: break;
    }
    PgfProps* props = nullptr;
    const PropertyInfo* info = nullptr;
    if (int32_t s = LookUpPgfProperty(t, prop, IsNumeric, props, info); s != kStatusOk)
        return s;
    if (info->type == PropType::FontIndex) {
        auto& names = FontList(m, info->fontList);
        if (value < 0 || static_cast<size_t>(value) >= names.size())
            return kBadParameter;
        (*props)[prop] = names[static_cast<size_t>(value)];
    } else {
        (*props)[prop] = value;
    }
    Refresh(t);
    return kStatusOk;
}

namespace {

// The identifiers that lead through the application, its documents and books: what is open and
// active, and a book's components. False for a property these objects do not link by.
bool ContainerId(const Model& m, const Target& t, int32_t prop, ObjectId& out)
{
    Document* d = t.doc;
    switch (t.kind) {
    case ObjKind::Application:
        switch (prop) {
        case PROP_ACTIVE_DOC: return out = m.activeDoc, true;
        case PROP_ACTIVE_BOOK: return out = m.activeBook, true;
        case PROP_FIRST_OPEN_DOC: return out = FirstOf(m.openDocs), true;
        }
        return false;
    case ObjKind::Document:
        switch (prop) {
        case PROP_NEXT_OPEN_DOC: return out = After(m.openDocs, d->id), true;
        case PROP_FIRST_TEXT_HOLDER: return out = FirstOf(d->textHolders), true;
        case PROP_FIRST_TABLE: return out = FirstOf(d->tables), true;
        case PROP_FIRST_FLOW: return out = FirstOf(d->flows), true;
        case PROP_FIRST_PGF_FORMAT: return out = FirstOf(d->catalogue), true;
        case PROP_SELECTED_TABLE: return out = d->tableOf(d->selection.begin.object), true;
        case PROP_CURRENT_PAGE: return out = d->currentPage, true;
        case PROP_FIRST_MASTER_PAGE: return out = FirstOf(d->masterPages), true;
        case PROP_FIRST_REFERENCE_PAGE: return out = FirstOf(d->referencePages), true;
        case PROP_MAIN_FLOW: return out = d->mainFlow, true;
        }
        return false;
    case ObjKind::Book: return prop == PROP_FIRST_COMPONENT && (out = FirstOf(t.book->top), true);
    case ObjKind::BookComponent: {
        const BookComponent* c = t.book->component(t.id);
        switch (prop) {
        case PROP_NEXT_COMPONENT: return out = t.book->nextComponent(t.id), true;
        case PROP_FIRST_CHILD_COMPONENT: return out = FirstOf(c->children), true;
        case PROP_PARENT_COMPONENT: return out = c->parent, true;
        }
        return false;
    }
    default: return false;
    }
}

// The identifiers that lead through a document's text: flows, their frames, text holders and
// the paragraphs in them.
bool TextId(const Target& t, int32_t prop, ObjectId& out)
{
    Document* d = t.doc;
    switch (t.kind) {
    case ObjKind::Paragraph: {
        const Paragraph* p = d->paragraph(t.id);
        switch (prop) {
        case PROP_NEXT_PARAGRAPH: return out = d->nextParagraph(t.id), true;
        case PROP_PARAGRAPH_CELL: return out = p->home == PgfHome::Cell ? p->container : 0, true;
        case PROP_PARAGRAPH_FRAME: return out = p->home == PgfHome::Frame ? p->container : 0, true;
        }
        return false;
    }
    case ObjKind::Flow: {
        const Flow* f = d->flow(t.id);
        switch (prop) {
        case PROP_NEXT_FLOW: return out = After(d->flows, t.id), true;
        case PROP_FIRST_FRAME: return out = FirstOf(f->frames), true;
        case PROP_LAST_FRAME: return out = LastOf(f->frames), true;
        }
        return false;
    }
    case ObjKind::TextFrame: {
        const TextFrame* fr = d->frame(t.id);
        switch (prop) {
        case PROP_FIRST_PARAGRAPH: return out = FirstOf(fr->paragraphs), true;
        case PROP_LAST_PARAGRAPH: return out = LastOf(fr->paragraphs), true;
        case PROP_NEXT_FRAME: {
            const Flow* f = d->flow(fr->flow);
            return out = f ? After(f->frames, t.id) : 0, true;
        }
        case PROP_FRAME_FLOW: return out = fr->flow, true;
        }
        return false;
    }
    case ObjKind::TextHolder: {
        const TextHolder* th = d->holder(t.id);
        switch (prop) {
        case PROP_FIRST_PARAGRAPH: return out = th->paragraphs.empty() ? th->entry : FirstOf(th->paragraphs), true;
        case PROP_NEXT_TEXT_HOLDER: return out = After(d->textHolders, t.id), true;
        }
        return false;
    }
    default: return false;
    }
}

// The identifiers that lead through a document's tables, rows and cells.
bool TableId(const Target& t, int32_t prop, ObjectId& out)
{
    Document* d = t.doc;
    switch (t.kind) {
    case ObjKind::Cell: {
        const Cell* c = d->cell(t.id);
        switch (prop) {
        case PROP_FIRST_PARAGRAPH: return out = FirstOf(c->paragraphs), true;
        case PROP_CELL_ROW: return out = c->row, true;
        case PROP_NEXT_CELL: {
            const Row* r = d->row(c->row);
            return out = r ? After(r->cells, t.id) : 0, true;
        }
        }
        return false;
    }
    case ObjKind::Row: {
        const Row* r = d->row(t.id);
        switch (prop) {
        case PROP_FIRST_CELL: return out = FirstOf(r->cells), true;
        case PROP_NEXT_ROW: {
            const Table* tb = d->table(r->table);
            return out = tb ? After(tb->rows, t.id) : 0, true;
        }
        }
        return false;
    }
    case ObjKind::Table: {
        const Table* tb = d->table(t.id);
        switch (prop) {
        case PROP_FIRST_PARAGRAPH: return out = FirstOf(tb->title), true;
        case PROP_NEXT_TABLE: return out = After(d->tables, t.id), true;
        case PROP_FIRST_ROW: return out = FirstOf(tb->rows), true;
        }
        return false;
    }
    default: return false;
    }
}

// The identifiers of the lists that are not text: the catalogue's formats, pages, menus.
bool ListId(const Model& m, const Target& t, int32_t prop, ObjectId& out)
{
    Document* d = t.doc;
    switch (t.kind) {
    case ObjKind::PgfFormat: return prop == PROP_NEXT_PGF_FORMAT && (out = After(d->catalogue, t.id), true);
    case ObjKind::Page: {
        if (prop != PROP_NEXT_PAGE)
            return false;
        const Page* pg = d->page(t.id);
        const auto& list = pg->kind == PageKind::Body     ? d->bodyPages
                           : pg->kind == PageKind::Master ? d->masterPages
                                                          : d->referencePages;
        return out = After(list, t.id), true;
    }
    case ObjKind::Menu:
    case ObjKind::Command:
    case ObjKind::Separator:
        if (prop == PROP_FIRST_MENU_ITEM && t.menu->kind == ObjKind::Menu)
            return out = FirstOf(t.menu->items), true;
        if (prop == PROP_NEXT_MENU_ITEM)
            return out = m.nextMenuItem(t.hint, t.id), true;
        return false;
    default: return false;
    }
}

} // namespace

int32_t GetId(Host& h, Target& t, int32_t prop, ObjectId& out)
{
    const Model& m = h.model();
    out = 0;
    if (ContainerId(m, t, prop, out) || TextId(t, prop, out) || TableId(t, prop, out) || ListId(m, t, prop, out))
        return kStatusOk;
    PgfProps* props = nullptr;
    const PropertyInfo* info = nullptr;
    if (int32_t s = LookUpPgfProperty(t, prop, IsColor, props, info); s != kStatusOk)
        return s;
    PropValue v = ValueOf(*props, *info);
    if (Color* c = t.doc->colorByName(std::holds_alternative<std::string>(v) ? std::get<std::string>(v) : ""))
        out = c->id;
    return kStatusOk;
}

int32_t SetId(Host& h, Target& t, int32_t prop, ObjectId value)
{
    Model& m = h.model();
    switch (t.kind) {
    case ObjKind::Application:
        if (prop == PROP_ACTIVE_DOC) {
            if (value && !m.document(value))
                return kBadParameter;
            return m.activeDoc = value, kStatusOk;
        }
        if (prop == PROP_ACTIVE_BOOK) {
            if (value && !m.book(value))
                return kBadParameter;
            return m.activeBook = value, kStatusOk;
        }
        break;
    case ObjKind::Document:
        if (prop == PROP_CURRENT_PAGE) {
            if (!t.doc->page(value))
                return kBadParameter;
            return t.doc->currentPage = value, kStatusOk;
        }
        break;
    case ObjKind::Menu:
    case ObjKind::Command:
    case ObjKind::Separator:
        if (prop == PROP_NEXT_MENU_ITEM)
            return m.moveMenuItemBefore(t.hint, t.id, value) ? kStatusOk : kBadParameter;
        break;
    default: break;
    }
    PgfProps* props = nullptr;
    const PropertyInfo* info = nullptr;
    if (int32_t s = LookUpPgfProperty(t, prop, IsColor, props, info); s != kStatusOk)
        return s;
    std::string name;
    if (value != 0) {
        Color* c = t.doc->color(value);
        if (!c)
            return kBadParameter;
        name = c->name;
    }
    (*props)[prop] = name;
    Refresh(t);
    return kStatusOk;
}

int32_t GetString(Host& h, Target& t, int32_t prop, std::string& out)
{
    Model& m = h.model();
    switch (t.kind) {
    case ObjKind::Application:
        if (prop == PROP_INSTALL_DIR)
            return out = m.installDir, kStatusOk;
        break;
    case ObjKind::Document:
        if (prop == PROP_NAME)
            return out = t.doc->path, kStatusOk;
        break;
    case ObjKind::Book:
        if (prop == PROP_NAME)
            return out = t.book->path, kStatusOk;
        if (prop == PROP_STATUS_LINE)
            return out = t.book->statusLine, kStatusOk;
        break;
    case ObjKind::BookComponent:
        if (prop == PROP_NAME)
            return out = t.book->component(t.id)->path, kStatusOk;
        break;
    case ObjKind::PgfFormat:
        if (prop == PROP_NAME)
            return out = t.doc->format(t.id)->name, kStatusOk;
        break;
    case ObjKind::Paragraph:
        if (prop == PROP_NAME)
            return out = t.doc->paragraph(t.id)->tag, kStatusOk;
        break;
    case ObjKind::Color:
        if (prop == PROP_NAME)
            return out = t.doc->color(t.id)->name, kStatusOk;
        break;
    case ObjKind::Flow:
        if (prop == PROP_NAME)
            return out = t.doc->flow(t.id)->tag, kStatusOk;
        break;
    case ObjKind::Page:
        if (prop == PROP_NAME)
            return out = t.doc->page(t.id)->name, kStatusOk;
        break;
    case ObjKind::Menu:
    case ObjKind::Command:
    case ObjKind::Separator:
        if (prop == PROP_LABEL)
            return out = t.menu->label, kStatusOk;
        if (prop == PROP_NAME)
            return out = t.menu->name, kStatusOk;
        break;
    default: break;
    }
    PgfProps* props = nullptr;
    const PropertyInfo* info = nullptr;
    if (int32_t s = LookUpPgfProperty(t, prop, IsString, props, info); s != kStatusOk)
        return s;
    PropValue v = ValueOf(*props, *info);
    out = std::holds_alternative<std::string>(v) ? std::get<std::string>(v) : "";
    return kStatusOk;
}

int32_t SetString(Host& h, Target& t, int32_t prop, const std::string& value)
{
    switch (t.kind) {
    case ObjKind::Book:
        if (prop == PROP_STATUS_LINE) {
            t.book->statusLine = value;
            h.impl().recordStatus(value);
            return kStatusOk;
        }
        break;
    case ObjKind::PgfFormat:
        if (prop == PROP_NAME) {
            PgfFormat* existing = t.doc->formatByName(value);
            if (value.empty() || (existing && existing->id != t.id))
                return kNameClash;
            t.doc->format(t.id)->name = value;
            t.doc->modified = true;
            return kStatusOk;
        }
        break;
    case ObjKind::Paragraph:
        if (prop == PROP_NAME) {
            // Retagging alone keeps the paragraph's properties.
            t.doc->paragraph(t.id)->tag = value;
            Refresh(t, false);
            return kStatusOk;
        }
        break;
    case ObjKind::Menu:
    case ObjKind::Command:
        if (prop == PROP_LABEL)
            return t.menu->label = value, kStatusOk;
        break;
    default: break;
    }
    PgfProps* props = nullptr;
    const PropertyInfo* info = nullptr;
    if (int32_t s = LookUpPgfProperty(t, prop, IsString, props, info); s != kStatusOk)
        return s;
    (*props)[prop] = value;
    Refresh(t);
    return kStatusOk;
}

// ---- whole property lists ---------------------------------------------------------------------

int32_t BuildPropertyList(Host& h, Target& t, std::vector<PropertyEntry>& out)
{
    PgfProps* props = PropsOf(t);
    if (!props)
        return kBadObjId;
    auto& im = h.impl();
    for (const PropertyInfo& info : ParagraphProperties()) {
        PropertyEntry e{};
        e.ident.number = info.number;
        switch (info.type) {
        case PropType::Name: {
            std::string name;
            GetString(h, t, PROP_NAME, name);
            e.value.kind = VALUE_STRING;
            e.value.u.s = im.string(name);
            break;
        }
        case PropType::String: {
            std::string s;
            GetString(h, t, info.number, s);
            e.value.kind = VALUE_STRING;
            e.value.u.s = im.string(s);
            break;
        }
        case PropType::ColorName: {
            ObjectId id = 0;
            GetId(h, t, info.number, id);
            e.value.kind = VALUE_SCALAR4;
            e.value.u.i = static_cast<int32_t>(id);
            break;
        }
        case PropType::TabList: {
            PropValue v = ValueOf(*props, info);
            const auto* tabs = std::get_if<std::vector<TabStop>>(&v);
            e.value.kind = VALUE_TABS;
            e.value.u.tabs.count = tabs ? static_cast<uint32_t>(tabs->size()) : 0;
            e.value.u.tabs.tabs = nullptr;
            if (tabs && !tabs->empty()) {
                auto* arr = static_cast<Tab*>(im.alloc(sizeof(Tab) * tabs->size()));
                for (size_t i = 0; i < tabs->size(); i++)
                    arr[i] =
                        Tab{(*tabs)[i].position, (*tabs)[i].kind, im.string((*tabs)[i].leader), (*tabs)[i].decimal};
                e.value.u.tabs.tabs = arr;
            }
            break;
        }
        default: {
            int32_t n = 0;
            GetNumber(h, t, info.number, n);
            bool metric =
                info.type == PropType::Metric || info.type == PropType::Percent || info.type == PropType::CellMargin;
            e.value.kind = metric ? VALUE_SCALAR2 : VALUE_INT;
            e.value.u.i = n;
            break;
        }
        }
        out.push_back(e);
    }
    return kStatusOk;
}

static std::vector<TabStop> TabsFromClient(Host& h, const TabList& list)
{
    std::vector<TabStop> tabs;
    for (uint32_t i = 0; i < list.count && list.tabs; i++) {
        const Tab& t = list.tabs[i];
        tabs.push_back(TabStop{t.position, t.kind & 0xFF, h.fromClient(t.leader), t.decimal & 0xFF});
    }
    return tabs;
}

int32_t ApplyPropertyList(Host& h, Target& t, const PropertyList& list)
{
    PgfProps* props = PropsOf(t);
    if (!props)
        return kBadObjId;
    int32_t status = kStatusOk;
    t.batch = true;
    for (uint32_t i = 0; i < list.count && list.entries; i++) {
        const PropertyEntry& e = list.entries[i];
        int32_t number = e.ident.number;
        const PropertyInfo* info = FindParagraphProperty(number);
        int32_t s = kStatusOk;
        if (!info) {
            s = kBadPropNum;
        } else if (info->type == PropType::Name || info->type == PropType::String) {
            s = e.value.kind == VALUE_STRING ? SetString(h, t, number, h.fromClient(e.value.u.s)) : kBadPropType;
        } else if (info->type == PropType::TabList) {
            if (e.value.kind == VALUE_TABS) {
                (*props)[number] = TabsFromClient(h, e.value.u.tabs);
                Refresh(t);
            } else {
                s = kBadPropType;
            }
        } else if (info->type == PropType::ColorName) {
            s = (e.value.kind == VALUE_SCALAR4 || e.value.kind == VALUE_INT)
                    ? SetId(h, t, number, static_cast<ObjectId>(e.value.u.i))
                    : kBadPropType;
        } else {
            s = (e.value.kind == VALUE_INT || e.value.kind == VALUE_SCALAR2 || e.value.kind == VALUE_SCALAR4)
                    ? SetNumber(h, t, number, e.value.u.i)
                    : kBadPropType;
        }
        if (s != kStatusOk && status == kStatusOk)
            status = s; // the first failure is reported; the other entries still apply
    }
    t.batch = false;
    Refresh(t);
    return status;
}

} // namespace tw::host
