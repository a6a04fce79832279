// api.cpp - the host API object: one small function per slot of the host API interface,
// translating the client's arguments into model calls and the model's answers into result
// codes, status out-parameters and returned buffers; plus the further and connection
// interfaces, client registration and the scripted user.
#include "host/api.h"

#include <unicode/ucnv.h>
#include <unicode/utypes.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>

#include "bridge/host_ops.h" // property-number constants only
#include "host/properties.h"

namespace tw::host {

namespace {

struct ComPart {
    void* const* vtbl;
    Host* host;
    int32_t refs;
};

Host& HostOf(void* self)
{
    return *static_cast<ComPart*>(self)->host;
}

template <class F>
void* Fn(F f)
{
    return reinterpret_cast<void*>(f);
}

} // namespace

std::string DefaultInstallDir()
{
#ifdef TAGWRIGHT_DEFAULT_HOST_DIR
    return TAGWRIGHT_DEFAULT_HOST_DIR;
#else
    return ".";
#endif
}

struct Host::Impl {
    explicit Impl(Host& h);
    ~Impl();

    Host& host;
    std::array<void*, HOST_SLOT_COUNT> apiVtbl{};
    std::array<void*, 3> unknownVtbl{};
    std::array<void*, 4> conn1Vtbl{}, conn2Vtbl{}, conn3Vtbl{};
    ComPart api{};
    std::array<ComPart, 11> extras{};
    std::array<ComPart, 3> connections{};

    // Buffers handed out in shared mode: those of the latest call and of the one before,
    // so a client may still pass a buffer it just received back into the next call.
    std::vector<void*> arena, previousArena;
    std::map<int32_t, std::pair<TwResult, int32_t>> failures;
    std::map<int32_t, int32_t> calls;

    UConverter* converter = nullptr;
    bool converterTried = false;
    ObjectId lastSelectionDoc = 0;

    // Called at the start of every slot: frees what the call before last handed out in
    // shared mode (the client has copied it by now) and applies injected failures.
    bool begin(int32_t slot, TwResult& injected)
    {
        calls[slot]++;
        for (void* p : previousArena)
            std::free(p);
        previousArena = std::move(arena);
        arena.clear();
        auto it = failures.find(slot);
        if (it != failures.end() && it->second.second > 0) {
            injected = it->second.first;
            if (--it->second.second == 0)
                failures.erase(it);
            return false;
        }
        return true;
    }
    void freeArena()
    {
        for (auto* list : {&arena, &previousArena}) {
            for (void* p : *list)
                std::free(p);
            list->clear();
        }
    }
    void recordStatus(const std::string& text)
    {
        host.statusLines_.push_back(text);
        if (host.echoStatus)
            host.echoStatus(text);
    }
    void recordConsole(const std::string& text)
    {
        host.console_ += text;
        if (host.echoConsole)
            host.echoConsole(text);
    }
    int32_t alert(const std::string& text, int32_t kind)
    {
        int32_t answer = 0;
        if (kind == ALERT_QUESTION) {
            answer = host.defaultQuestionAnswer;
            if (!host.alertAnswers_.empty()) {
                answer = host.alertAnswers_.front();
                host.alertAnswers_.pop_front();
            } else if (host.askQuestion) {
                answer = host.askQuestion(text);
            }
        }
        host.alerts_.push_back(AlertRecord{text, kind, answer});
        return answer;
    }
    int32_t choose(ListChoiceRecord record)
    {
        int32_t chosen = -1;
        if (!host.listChoices_.empty()) {
            auto answer = host.listChoices_.front();
            host.listChoices_.pop_front();
            if (auto* index = std::get_if<int32_t>(&answer)) {
                chosen = *index;
            } else {
                auto it = std::find(record.items.begin(), record.items.end(), std::get<std::string>(answer));
                chosen = it == record.items.end() ? -1 : static_cast<int32_t>(it - record.items.begin());
            }
            if (chosen >= static_cast<int32_t>(record.items.size()))
                chosen = -1;
        } else if (host.askChoice) {
            chosen = host.askChoice(record.title, record.items);
            if (chosen < 0 || chosen >= static_cast<int32_t>(record.items.size()))
                chosen = -1;
        }
        record.chosen = chosen;
        host.dialogs_.push_back(std::move(record));
        return chosen;
    }
    void recordOpen(const std::string& path, ObjectId result, int32_t status, const std::string& error)
    {
        host.opens_.push_back(OpenRecord{path, result, status, error});
    }
    void registerClient(TwComObject* sink, const PropertyList* description)
    {
        if (sink) {
            reinterpret_cast<TwAddRefFn>(sink->vtbl[TW_SLOT_ADDREF])(sink);
            if (host.sink_)
                reinterpret_cast<TwReleaseFn>(host.sink_->vtbl[TW_SLOT_RELEASE])(host.sink_);
            host.sink_ = sink;
        }
        host.registered_ = true;
        host.description_.clear();
        for (uint32_t i = 0; description && description->entries && i < description->count; i++) {
            const PropertyEntry& e = description->entries[i];
            if (e.value.kind == VALUE_STRING)
                host.description_.emplace_back(e.ident.number, host.fromClient(e.value.u.s));
        }
    }
    void setModule(void* module) { host.module_ = module; }
    void requestNotification(int32_t notification, bool on)
    {
        auto& list = host.notifications_;
        auto it = std::find(list.begin(), list.end(), notification);
        if (on && it == list.end())
            list.push_back(notification);
        if (!on && it != list.end())
            list.erase(it);
    }
    void* alloc(size_t n)
    {
        void* p = std::calloc(1, n == 0 ? 1 : n);
        if (p && host.mode_ == MemoryMode::Shared)
            arena.push_back(p);
        return p;
    }
    char* string(const std::string& utf8)
    {
        std::string bytes = host.toClient(utf8);
        char* s = static_cast<char*>(alloc(bytes.size() + 1));
        if (s)
            std::memcpy(s, bytes.c_str(), bytes.size() + 1);
        return s;
    }
};

// ---- COM plumbing ---------------------------------------------------------------------------

static TwResult TW_STDCALL QueryInterfaceImpl(TwComObject* self, const TwGuid* iid, void** out)
{
    Host& h = HostOf(self);
    auto& im = h.impl();
    if (!out)
        return TW_E_FAIL;
    *out = nullptr;
    static const TwGuid* const extraIds[11] = {&IID_HostExtra1, &IID_HostExtra2, &IID_HostExtra3, &IID_HostExtra4,
                                               &IID_HostExtra5, &IID_HostExtra6, &IID_HostExtra7, &IID_HostExtra8,
                                               &IID_HostExtra9, &IID_HostExtra10, &IID_HostExtra11};
    static const TwGuid* const connIds[3] = {&IID_HostConnection1, &IID_HostConnection2, &IID_HostConnection3};
    ComPart* found = nullptr;
    if (TwGuidEqual(iid, &IID_HostApi) || TwGuidEqual(iid, &IID_IUnknown))
        found = &im.api;
    for (int i = 0; i < 11 && !found; i++)
        if (TwGuidEqual(iid, extraIds[i]))
            found = &im.extras[static_cast<size_t>(i)];
    for (int i = 0; i < 3 && !found; i++)
        if (TwGuidEqual(iid, connIds[i]))
            found = &im.connections[static_cast<size_t>(i)];
    if (!found)
        return TW_E_NOINTERFACE;
    found->refs++;
    *out = found;
    return TW_S_OK;
}

static uint32_t TW_STDCALL AddRefImpl(TwComObject* self)
{
    return static_cast<uint32_t>(++reinterpret_cast<ComPart*>(self)->refs);
}

static uint32_t TW_STDCALL ReleaseImpl(TwComObject* self)
{
    auto* part = reinterpret_cast<ComPart*>(self);
    if (part->refs > 0)
        part->refs--;
    return static_cast<uint32_t>(part->refs);
}

static TwResult TW_STDCALL Connection1(TwComObject* self, int32_t value)
{
    Host& h = HostOf(self);
    // Value 1 asks whether host and client share memory.
    return (value == 1 && h.memoryMode() == MemoryMode::Shared) ? TW_S_OK : TW_E_FAIL;
}

static TwResult TW_STDCALL Connection2(TwComObject* self, void* module)
{
    HostOf(self).impl().setModule(module);
    return TW_S_OK;
}

static TwResult TW_STDCALL Connection3(TwComObject*, int32_t)
{
    return TW_S_OK;
}

static TwResult TW_STDCALL NotImplemented(HostApi*)
{
    return TW_E_NOTIMPL;
}

// ---- addressing ------------------------------------------------------------------------------

namespace {

// What a (document, object) pair names.
struct Target {
    ObjKind kind = ObjKind::None;
    Document* doc = nullptr;
    Book* book = nullptr;
    MenuItem* menu = nullptr;
    ObjectId id = 0;
    ObjectId hint = 0; // menus: the document argument, naming the menu an item is in
    bool batch = false; // a whole property list is being set: refresh once at its end
};

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

template <class T>
ObjectId After(const std::vector<T>& list, ObjectId id)
{
    auto it = std::find(list.begin(), list.end(), id);
    return (it == list.end() || it + 1 == list.end()) ? 0 : *(it + 1);
}

ObjectId FirstOf(const std::vector<ObjectId>& list)
{
    return list.empty() ? 0 : list.front();
}

ObjectId LastOf(const std::vector<ObjectId>& list)
{
    return list.empty() ? 0 : list.back();
}

// Paragraph properties live on paragraphs and formats alike.
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
    case PROP_FONT_VARIATIONS:
        return m.fontVariations;
    case PROP_FONT_WEIGHTS:
        return m.fontWeights;
    case PROP_FONT_ANGLES:
        return m.fontAngles;
    default:
        return m.fontFamilies;
    }
}

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

// After a change to a paragraph's properties or tag: it is overridden when it differs from
// the format of its tag.
void Refresh(Target& t)
{
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

static int32_t GetNumber(Host& h, Target& t, int32_t prop, int32_t& out)
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
    default:
        break;
    }
    if (PgfProps* props = PropsOf(t)) {
        const PropertyInfo* info = FindParagraphProperty(prop);
        if (!info)
            return kBadPropNum;
        if (!IsNumeric(info->type))
            return kBadPropType;
        PropValue v = ValueOf(*props, *info);
        if (info->type == PropType::FontIndex)
            out = FontIndex(m, info->fontList, std::holds_alternative<std::string>(v) ? std::get<std::string>(v) : "");
        else
            out = std::holds_alternative<int32_t>(v) ? std::get<int32_t>(v) : 0;
        return kStatusOk;
    }
    return kBadPropNum;
}

static int32_t SetNumber(Host& h, Target& t, int32_t prop, int32_t value)
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
    default:
        break;
    }
    if (PgfProps* props = PropsOf(t)) {
        const PropertyInfo* info = FindParagraphProperty(prop);
        if (!info)
            return kBadPropNum;
        if (!IsNumeric(info->type))
            return kBadPropType;
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
    return kBadPropNum;
}

static int32_t GetId(Host& h, Target& t, int32_t prop, ObjectId& out)
{
    Model& m = h.model();
    Document* d = t.doc;
    out = 0;
    switch (t.kind) {
    case ObjKind::Application:
        if (prop == PROP_ACTIVE_DOC)
            return out = m.activeDoc, kStatusOk;
        if (prop == PROP_ACTIVE_BOOK)
            return out = m.activeBook, kStatusOk;
        if (prop == PROP_FIRST_OPEN_DOC)
            return out = FirstOf(m.openDocs), kStatusOk;
        break;
    case ObjKind::Document:
        switch (prop) {
        case PROP_NEXT_OPEN_DOC: return out = After(m.openDocs, d->id), kStatusOk;
        case PROP_FIRST_TEXT_HOLDER: return out = FirstOf(d->textHolders), kStatusOk;
        case PROP_FIRST_TABLE: return out = FirstOf(d->tables), kStatusOk;
        case PROP_FIRST_FLOW: return out = FirstOf(d->flows), kStatusOk;
        case PROP_FIRST_PGF_FORMAT: return out = FirstOf(d->catalogue), kStatusOk;
        case PROP_SELECTED_TABLE: return out = d->tableOf(d->selection.begin.object), kStatusOk;
        case PROP_CURRENT_PAGE: return out = d->currentPage, kStatusOk;
        case PROP_FIRST_MASTER_PAGE: return out = FirstOf(d->masterPages), kStatusOk;
        case PROP_FIRST_REFERENCE_PAGE: return out = FirstOf(d->referencePages), kStatusOk;
        case PROP_MAIN_FLOW: return out = d->mainFlow, kStatusOk;
        }
        break;
    case ObjKind::Book:
        if (prop == PROP_FIRST_COMPONENT)
            return out = FirstOf(t.book->top), kStatusOk;
        break;
    case ObjKind::BookComponent: {
        const BookComponent* c = t.book->component(t.id);
        if (prop == PROP_NEXT_COMPONENT)
            return out = t.book->nextComponent(t.id), kStatusOk;
        if (prop == PROP_FIRST_CHILD_COMPONENT)
            return out = FirstOf(c->children), kStatusOk;
        if (prop == PROP_PARENT_COMPONENT)
            return out = c->parent, kStatusOk;
        break;
    }
    case ObjKind::PgfFormat:
        if (prop == PROP_NEXT_PGF_FORMAT)
            return out = After(d->catalogue, t.id), kStatusOk;
        break;
    case ObjKind::Paragraph: {
        const Paragraph* p = d->paragraph(t.id);
        if (prop == PROP_NEXT_PARAGRAPH)
            return out = d->nextParagraph(t.id), kStatusOk;
        if (prop == PROP_PARAGRAPH_CELL)
            return out = p->home == PgfHome::Cell ? p->container : 0, kStatusOk;
        if (prop == PROP_PARAGRAPH_FRAME)
            return out = p->home == PgfHome::Frame ? p->container : 0, kStatusOk;
        break;
    }
    case ObjKind::Flow: {
        const Flow* f = d->flow(t.id);
        if (prop == PROP_NEXT_FLOW)
            return out = After(d->flows, t.id), kStatusOk;
        if (prop == PROP_FIRST_FRAME)
            return out = FirstOf(f->frames), kStatusOk;
        if (prop == PROP_LAST_FRAME)
            return out = LastOf(f->frames), kStatusOk;
        break;
    }
    case ObjKind::TextFrame: {
        const TextFrame* fr = d->frame(t.id);
        if (prop == PROP_FIRST_PARAGRAPH)
            return out = FirstOf(fr->paragraphs), kStatusOk;
        if (prop == PROP_LAST_PARAGRAPH)
            return out = LastOf(fr->paragraphs), kStatusOk;
        if (prop == PROP_NEXT_FRAME) {
            const Flow* f = d->flow(fr->flow);
            return out = f ? After(f->frames, t.id) : 0, kStatusOk;
        }
        if (prop == PROP_FRAME_FLOW)
            return out = fr->flow, kStatusOk;
        break;
    }
    case ObjKind::TextHolder:
        if (prop == PROP_FIRST_PARAGRAPH)
            return out = FirstOf(d->holder(t.id)->paragraphs), kStatusOk;
        if (prop == PROP_NEXT_TEXT_HOLDER)
            return out = After(d->textHolders, t.id), kStatusOk;
        break;
    case ObjKind::Cell: {
        const Cell* c = d->cell(t.id);
        if (prop == PROP_FIRST_PARAGRAPH)
            return out = FirstOf(c->paragraphs), kStatusOk;
        if (prop == PROP_CELL_ROW)
            return out = c->row, kStatusOk;
        if (prop == PROP_NEXT_CELL) {
            const Row* r = d->row(c->row);
            return out = r ? After(r->cells, t.id) : 0, kStatusOk;
        }
        break;
    }
    case ObjKind::Row: {
        const Row* r = d->row(t.id);
        if (prop == PROP_FIRST_CELL)
            return out = FirstOf(r->cells), kStatusOk;
        if (prop == PROP_NEXT_ROW) {
            const Table* tb = d->table(r->table);
            return out = tb ? After(tb->rows, t.id) : 0, kStatusOk;
        }
        break;
    }
    case ObjKind::Table: {
        const Table* tb = d->table(t.id);
        if (prop == PROP_FIRST_PARAGRAPH)
            return out = FirstOf(tb->title), kStatusOk;
        if (prop == PROP_NEXT_TABLE)
            return out = After(d->tables, t.id), kStatusOk;
        if (prop == PROP_FIRST_ROW)
            return out = FirstOf(tb->rows), kStatusOk;
        break;
    }
    case ObjKind::Page: {
        const Page* pg = d->page(t.id);
        if (prop == PROP_NEXT_PAGE) {
            const auto& list = pg->kind == PageKind::Body     ? d->bodyPages
                               : pg->kind == PageKind::Master ? d->masterPages
                                                              : d->referencePages;
            return out = After(list, t.id), kStatusOk;
        }
        break;
    }
    case ObjKind::Menu:
    case ObjKind::Command:
    case ObjKind::Separator:
        if (prop == PROP_FIRST_MENU_ITEM && t.menu->kind == ObjKind::Menu)
            return out = FirstOf(t.menu->items), kStatusOk;
        if (prop == PROP_NEXT_MENU_ITEM)
            return out = m.nextMenuItem(t.hint, t.id), kStatusOk;
        break;
    default:
        break;
    }
    if (PgfProps* props = PropsOf(t)) {
        const PropertyInfo* info = FindParagraphProperty(prop);
        if (!info)
            return kBadPropNum;
        if (info->type != PropType::ColorName)
            return kBadPropType;
        PropValue v = ValueOf(*props, *info);
        if (Color* c = d->colorByName(std::holds_alternative<std::string>(v) ? std::get<std::string>(v) : ""))
            out = c->id;
        return kStatusOk;
    }
    return kBadPropNum;
}

static int32_t SetId(Host& h, Target& t, int32_t prop, ObjectId value)
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
    default:
        break;
    }
    if (PgfProps* props = PropsOf(t)) {
        const PropertyInfo* info = FindParagraphProperty(prop);
        if (!info)
            return kBadPropNum;
        if (info->type != PropType::ColorName)
            return kBadPropType;
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
    return kBadPropNum;
}

static int32_t GetString(Host& h, Target& t, int32_t prop, std::string& out)
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
    default:
        break;
    }
    if (PgfProps* props = PropsOf(t)) {
        const PropertyInfo* info = FindParagraphProperty(prop);
        if (!info)
            return kBadPropNum;
        if (info->type != PropType::String)
            return kBadPropType;
        PropValue v = ValueOf(*props, *info);
        out = std::holds_alternative<std::string>(v) ? std::get<std::string>(v) : "";
        return kStatusOk;
    }
    return kBadPropNum;
}

static int32_t SetString(Host& h, Target& t, int32_t prop, const std::string& value)
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
            Refresh(t);
            return kStatusOk;
        }
        break;
    case ObjKind::Menu:
    case ObjKind::Command:
        if (prop == PROP_LABEL)
            return t.menu->label = value, kStatusOk;
        break;
    default:
        break;
    }
    if (PgfProps* props = PropsOf(t)) {
        const PropertyInfo* info = FindParagraphProperty(prop);
        if (!info)
            return kBadPropNum;
        if (info->type != PropType::String)
            return kBadPropType;
        (*props)[prop] = value;
        Refresh(t);
        return kStatusOk;
    }
    return kBadPropNum;
}

// ---- whole property lists ---------------------------------------------------------------------

static int32_t BuildPropertyList(Host& h, Target& t, std::vector<PropertyEntry>& out)
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
                    arr[i] = Tab{(*tabs)[i].position, (*tabs)[i].kind, im.string((*tabs)[i].leader), (*tabs)[i].decimal};
                e.value.u.tabs.tabs = arr;
            }
            break;
        }
        default: {
            int32_t n = 0;
            GetNumber(h, t, info.number, n);
            bool metric = info.type == PropType::Metric || info.type == PropType::Percent ||
                          info.type == PropType::CellMargin;
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

static int32_t ApplyPropertyList(Host& h, Target& t, const PropertyList& list)
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

// ---- the slots ------------------------------------------------------------------------------

#define TW_BEGIN(slot)                                                                                        \
    Host& h = HostOf(self);                                                                                   \
    {                                                                                                         \
        TwResult injected = TW_S_OK;                                                                          \
        if (!h.impl().begin(slot, injected))                                                                  \
            return injected;                                                                                  \
    }                                                                                                         \
    Model& m = h.model();                                                                                     \
    (void)m

static TwResult TW_STDCALL SlotRegisterClient(HostApi* self, TwComObject* sink, uint32_t version, PropertyList* description)
{
    TW_BEGIN(HOST_SLOT_REGISTER_CLIENT);
    (void)version;
    h.impl().registerClient(sink, description);
    return TW_S_OK;
}

static TwResult TW_STDCALL SlotRunCommandCodes(HostApi* self, IntList* codes, int32_t* status)
{
    TW_BEGIN(HOST_SLOT_RUN_COMMAND_CODES);
    if (!codes || (codes->count && !codes->values))
        return *status = kBadParameter, TW_S_OK;
    *status = kStatusOk;
    for (uint32_t i = 0; i < codes->count; i++) {
        if (codes->values[i] != COMMAND_SHOW_SELECTION) {
            *status = kBadParameter;
            continue;
        }
        // Bring the selection into view: the page that shows it becomes the current page.
        Document* d = m.document(m.activeDoc ? m.activeDoc : h.impl().lastSelectionDoc);
        if (!d) {
            *status = kBadDocId;
            continue;
        }
        if (ObjectId page = d->pageOf(d->selection.begin.object))
            d->currentPage = page;
    }
    return TW_S_OK;
}

static TwResult TW_STDCALL SlotRequestNotification(HostApi* self, int32_t notification, int32_t on, int32_t* status)
{
    TW_BEGIN(HOST_SLOT_REQUEST_NOTIFICATION);
    h.impl().requestNotification(notification, on != 0);
    *status = kStatusOk;
    return TW_S_OK;
}

static TwResult TW_STDCALL SlotDefineMenu(HostApi* self, const char* tag, const char* label, int32_t* status, ObjectId* menu)
{
    TW_BEGIN(HOST_SLOT_DEFINE_MENU);
    std::string name = h.fromClient(tag);
    if (name.empty() || m.menuByName(name, ObjKind::Menu))
        return *status = name.empty() ? kBadParameter : kNameClash, TW_S_OK;
    *menu = m.defineMenu(name, h.fromClient(label)).id;
    *status = kStatusOk;
    return TW_S_OK;
}

static TwResult TW_STDCALL SlotAddCommandToMenu(HostApi* self, ObjectId menu, ObjectId item, int32_t* status)
{
    TW_BEGIN(HOST_SLOT_ADD_COMMAND_TO_MENU);
    MenuItem* it = m.menuItem(item);
    bool ok = it && (it->kind == ObjKind::Command || it->kind == ObjKind::Separator) && m.addToMenu(menu, item);
    *status = ok ? kStatusOk : kBadObjId;
    return TW_S_OK;
}

static TwResult TW_STDCALL SlotAddMenuToMenu(HostApi* self, ObjectId menuOrBar, ObjectId menu, int32_t* status)
{
    TW_BEGIN(HOST_SLOT_ADD_MENU_TO_MENU);
    MenuItem* it = m.menuItem(menu);
    bool ok = it && it->kind == ObjKind::Menu && m.addToMenu(menuOrBar, menu);
    *status = ok ? kStatusOk : kBadObjId;
    return TW_S_OK;
}

static TwResult TW_STDCALL SlotDefineAndAddMenu(HostApi* self, ObjectId menuOrBar, const char* tag, const char* label,
                                               int32_t* status, ObjectId* menu)
{
    TW_BEGIN(HOST_SLOT_DEFINE_AND_ADD_MENU);
    std::string name = h.fromClient(tag);
    MenuItem* parent = m.menuItem(menuOrBar);
    if (!parent || parent->kind != ObjKind::Menu)
        return *status = kBadObjId, TW_S_OK;
    if (name.empty() || m.menuByName(name, ObjKind::Menu))
        return *status = name.empty() ? kBadParameter : kNameClash, TW_S_OK;
    ObjectId id = m.defineMenu(name, h.fromClient(label)).id;
    m.addToMenu(menuOrBar, id);
    *menu = id;
    *status = kStatusOk;
    return TW_S_OK;
}

static TwResult TW_STDCALL SlotShowAlert(HostApi* self, const char* message, int32_t kind, int32_t* answer)
{
    TW_BEGIN(HOST_SLOT_SHOW_ALERT);
    *answer = h.impl().alert(h.fromClient(message), kind);
    return TW_S_OK;
}

static TwResult TW_STDCALL SlotPrintToConsole(HostApi* self, const char* text, int32_t* status)
{
    TW_BEGIN(HOST_SLOT_PRINT_TO_CONSOLE);
    // The client hands console text over as UTF-8.
    h.impl().recordConsole(text ? text : "");
    *status = kStatusOk;
    return TW_S_OK;
}

static TwResult TW_STDCALL SlotChooseFromList(HostApi* self, int32_t* status, int32_t* chosen, const char* title,
                                             StringArray* items, int32_t defaultIndex)
{
    TW_BEGIN(HOST_SLOT_CHOOSE_FROM_LIST);
    ListChoiceRecord record;
    record.title = h.fromClient(title);
    record.defaultIndex = defaultIndex;
    for (uint32_t i = 0; items && items->strings && i < items->count; i++)
        record.items.push_back(h.fromClient(items->strings[i]));
    int32_t index = h.impl().choose(std::move(record));
    if (index < 0)
        return *status = kCancelled, TW_S_OK;
    *chosen = index;
    *status = kStatusOk;
    return TW_S_OK;
}

static int32_t IntParam(const PropertyList* params, int32_t number, int32_t otherwise)
{
    for (uint32_t i = 0; params && params->entries && i < params->count; i++)
        if (params->entries[i].ident.number == number && params->entries[i].value.kind == VALUE_INT)
            return params->entries[i].value.u.i;
    return otherwise;
}

// The return list of open and save: {1 = the file name, 2 = the status}.
static void FillReturnList(Host& h, PropertyList* returned, const std::string& path, int32_t status)
{
    if (!returned)
        return;
    auto& im = h.impl();
    auto* entries = static_cast<PropertyEntry*>(im.alloc(2 * sizeof(PropertyEntry)));
    entries[0].ident.number = 1;
    entries[0].value.kind = VALUE_STRING;
    entries[0].value.u.s = im.string(path);
    entries[1].ident.number = 2;
    entries[1].value.kind = VALUE_INT;
    entries[1].value.u.i = status;
    returned->count = 2;
    returned->entries = entries;
}

static TwResult TW_STDCALL SlotOpenDocument(HostApi* self, const char* fileName, PropertyList* params,
                                           int32_t* status, ObjectId* doc, PropertyList* returned)
{
    TW_BEGIN(HOST_SLOT_OPEN_DOCUMENT);
    std::string path = h.fromClient(fileName);
    bool copy = IntParam(params, 29, 0) != 0;
    int32_t s = kStatusOk;
    std::string error;
    ObjectId id = path.empty() ? (s = kBadParameter, 0) : h.openFile(path, copy, s, &error);
    h.impl().recordOpen(path, id, s, error);
    FillReturnList(h, returned, path, s);
    *status = s;
    if (s == kStatusOk)
        *doc = id;
    return TW_S_OK;
}

static TwResult TW_STDCALL SlotSaveDocument(HostApi* self, ObjectId doc, const char* fileName, PropertyList* params,
                                           int32_t* status, ObjectId* saved, PropertyList* returned)
{
    TW_BEGIN(HOST_SLOT_SAVE_DOCUMENT);
    (void)params;
    std::string path = fileName ? fileName : ""; // arrives as UTF-8
    int32_t s = path.empty() ? kBadParameter : h.saveFile(doc, path);
    FillReturnList(h, returned, path, s);
    *status = s;
    if (s == kStatusOk)
        *saved = doc;
    return TW_S_OK;
}

static TwResult TW_STDCALL SlotNewCustomDocument(HostApi* self, int32_t width, int32_t height, int32_t columns,
                                                int32_t columnGap, int32_t top, int32_t bottom, int32_t inside,
                                                int32_t outside, int32_t sidedness, int32_t makeVisible,
                                                int32_t* status, ObjectId* doc)
{
    TW_BEGIN(HOST_SLOT_NEW_CUSTOM_DOCUMENT);
    if (width <= 0 || height <= 0 || columns < 1 || columnGap < 0 || top < 0 || bottom < 0 || inside < 0 ||
        outside < 0 || top + bottom >= height || inside + outside >= width)
        return *status = kBadParameter, TW_S_OK;
    Document& d = m.newCustomDocument(PageGeometry{width, height, columns, columnGap, top, bottom, inside, outside, sidedness});
    d.visible = makeVisible != 0;
    *doc = d.id;
    *status = kStatusOk;
    return TW_S_OK;
}

static TwResult TW_STDCALL SlotCloseDocument(HostApi* self, ObjectId doc, int32_t flags, int32_t* status)
{
    TW_BEGIN(HOST_SLOT_CLOSE_DOCUMENT);
    *status = h.closeFile(doc, (flags & 1) != 0);
    return TW_S_OK;
}

static TwResult TW_STDCALL SlotRedisplayDocument(HostApi* self, ObjectId doc, int32_t* status)
{
    TW_BEGIN(HOST_SLOT_REDISPLAY_DOCUMENT);
    if (Document* d = m.document(doc))
        d->redisplays++;
    *status = (m.document(doc) || m.book(doc)) ? kStatusOk : kBadDocId;
    return TW_S_OK;
}

static TwResult TW_STDCALL SlotDeleteObject(HostApi* self, ObjectId doc, ObjectId object, int32_t* status)
{
    TW_BEGIN(HOST_SLOT_DELETE_OBJECT);
    Document* d = m.document(doc);
    if (!d)
        return *status = kBadDocId, TW_S_OK;
    if (d->kindOf(object) != ObjKind::PgfFormat)
        return *status = d->kindOf(object) == ObjKind::None ? kBadObjId : kBadOperation, TW_S_OK;
    *status = DeleteFormat(*d, object) ? kStatusOk : kBadObjId;
    return TW_S_OK;
}

static TwResult TW_STDCALL SlotGetNamedObject(HostApi* self, ObjectId doc, int32_t type, const char* name,
                                             int32_t* status, ObjectId* object)
{
    TW_BEGIN(HOST_SLOT_GET_NAMED_OBJECT);
    std::string n = h.fromClient(name);
    ObjectId found = 0;
    if (type == OBJ_PGF_FORMAT) {
        Document* d = m.document(doc);
        if (!d)
            return *status = kBadDocId, TW_S_OK;
        if (PgfFormat* f = d->formatByName(n))
            found = f->id;
    } else if (type == OBJ_MENU || type == OBJ_MENU_SEPARATOR) {
        if (MenuItem* item = m.menuByName(n, type == OBJ_MENU ? ObjKind::Menu : ObjKind::Separator))
            found = item->id;
    } else {
        return *status = kBadParameter, TW_S_OK;
    }
    if (!found)
        return *status = kNameNotFound, TW_S_OK;
    *object = found;
    *status = kStatusOk;
    return TW_S_OK;
}

static TwResult TW_STDCALL SlotAddText(HostApi* self, ObjectId doc, TextLoc* at, const char* text, int32_t* status,
                                      TextLoc* after)
{
    TW_BEGIN(HOST_SLOT_ADD_TEXT);
    Document* d = m.document(doc);
    if (!d)
        return *status = kBadDocId, TW_S_OK;
    if (!at || !d->paragraph(at->object))
        return *status = kBadObjId, TW_S_OK;
    *after = InsertText(m, *d, *at, h.fromClient(text));
    *status = kStatusOk;
    return TW_S_OK;
}

static TwResult TW_STDCALL SlotGetPropertyList(HostApi* self, ObjectId doc, ObjectId object, int32_t* status,
                                              PropertyList* out)
{
    TW_BEGIN(HOST_SLOT_GET_PROPERTY_LIST);
    Target t;
    int32_t s = Resolve(m, doc, object, t);
    std::vector<PropertyEntry> entries;
    if (s == kStatusOk)
        s = BuildPropertyList(h, t, entries);
    if (s == kStatusOk) {
        auto* arr = static_cast<PropertyEntry*>(h.impl().alloc(sizeof(PropertyEntry) * entries.size()));
        std::copy(entries.begin(), entries.end(), arr);
        out->count = static_cast<uint32_t>(entries.size());
        out->entries = arr;
    }
    *status = s;
    return TW_S_OK;
}

static TwResult TW_STDCALL SlotSetPropertyList(HostApi* self, ObjectId doc, ObjectId object, PropertyList* list,
                                              int32_t* status)
{
    TW_BEGIN(HOST_SLOT_SET_PROPERTY_LIST);
    Target t;
    int32_t s = Resolve(m, doc, object, t);
    if (s == kStatusOk)
        s = list ? ApplyPropertyList(h, t, *list) : kBadParameter;
    *status = s;
    return TW_S_OK;
}

#define TW_RESOLVE(ident)                                                                                     \
    Target t;                                                                                                 \
    int32_t s = ident ? Resolve(m, doc, object, t) : kBadParameter;                                           \
    if (s != kStatusOk)                                                                                       \
        return *status = s, TW_S_OK

static TwResult TW_STDCALL SlotGetIntProperty(HostApi* self, ObjectId doc, ObjectId object, PropertyIdent* ident,
                                             int32_t* status, int32_t* value)
{
    TW_BEGIN(HOST_SLOT_GET_INT_PROPERTY);
    TW_RESOLVE(ident);
    int32_t v = 0;
    s = GetNumber(h, t, ident->number, v);
    if (s == kStatusOk)
        *value = v;
    *status = s;
    return TW_S_OK;
}

static TwResult TW_STDCALL SlotSetIntProperty(HostApi* self, ObjectId doc, ObjectId object, PropertyIdent* ident,
                                             int32_t value, int32_t* status)
{
    TW_BEGIN(HOST_SLOT_SET_INT_PROPERTY);
    TW_RESOLVE(ident);
    *status = SetNumber(h, t, ident->number, value);
    return TW_S_OK;
}

static TwResult TW_STDCALL SlotGetIdProperty(HostApi* self, ObjectId doc, ObjectId object, PropertyIdent* ident,
                                            int32_t* status, ObjectId* value)
{
    TW_BEGIN(HOST_SLOT_GET_ID_PROPERTY);
    TW_RESOLVE(ident);
    ObjectId v = 0;
    s = GetId(h, t, ident->number, v);
    if (s == kStatusOk)
        *value = v;
    *status = s;
    return TW_S_OK;
}

static TwResult TW_STDCALL SlotSetIdProperty(HostApi* self, ObjectId doc, ObjectId object, PropertyIdent* ident,
                                            ObjectId value, int32_t* status)
{
    TW_BEGIN(HOST_SLOT_SET_ID_PROPERTY);
    TW_RESOLVE(ident);
    *status = SetId(h, t, ident->number, value);
    return TW_S_OK;
}

static TwResult TW_STDCALL SlotGetMetricProperty(HostApi* self, ObjectId doc, ObjectId object, PropertyIdent* ident,
                                                int32_t* status, int32_t* value)
{
    TW_BEGIN(HOST_SLOT_GET_METRIC_PROPERTY);
    TW_RESOLVE(ident);
    int32_t v = 0;
    s = GetNumber(h, t, ident->number, v);
    if (s == kStatusOk)
        *value = v;
    *status = s;
    return TW_S_OK;
}

static TwResult TW_STDCALL SlotGetTextRangeProperty(HostApi* self, ObjectId doc, ObjectId object,
                                                   PropertyIdent* ident, int32_t* status, TextRange* value)
{
    TW_BEGIN(HOST_SLOT_GET_TEXT_RANGE_PROPERTY);
    TW_RESOLVE(ident);
    if (t.kind != ObjKind::Document || ident->number != PROP_SELECTION)
        return *status = kBadPropNum, TW_S_OK;
    *value = t.doc->selection;
    *status = kStatusOk;
    return TW_S_OK;
}

static TwResult TW_STDCALL SlotSetTextRangeProperty(HostApi* self, ObjectId doc, ObjectId object,
                                                   PropertyIdent* ident, TextRange* value, int32_t* status)
{
    TW_BEGIN(HOST_SLOT_SET_TEXT_RANGE_PROPERTY);
    TW_RESOLVE(ident);
    if (t.kind != ObjKind::Document || ident->number != PROP_SELECTION)
        return *status = kBadPropNum, TW_S_OK;
    if (!value || (value->begin.object && !t.doc->paragraph(value->begin.object)) ||
        (value->end.object && !t.doc->paragraph(value->end.object)))
        return *status = kBadParameter, TW_S_OK;
    t.doc->selection = *value;
    h.impl().lastSelectionDoc = t.doc->id;
    *status = kStatusOk;
    return TW_S_OK;
}

static TwResult TW_STDCALL SlotGetStringProperty(HostApi* self, ObjectId doc, ObjectId object, PropertyIdent* ident,
                                                int32_t* status, char** value)
{
    TW_BEGIN(HOST_SLOT_GET_STRING_PROPERTY);
    TW_RESOLVE(ident);
    std::string v;
    s = GetString(h, t, ident->number, v);
    if (s == kStatusOk)
        *value = h.impl().string(v);
    *status = s;
    return TW_S_OK;
}

static TwResult TW_STDCALL SlotSetStringProperty(HostApi* self, ObjectId doc, ObjectId object, PropertyIdent* ident,
                                                const char* value, int32_t* status)
{
    TW_BEGIN(HOST_SLOT_SET_STRING_PROPERTY);
    TW_RESOLVE(ident);
    *status = SetString(h, t, ident->number, h.fromClient(value));
    return TW_S_OK;
}

static TwResult TW_STDCALL SlotGetStringArrayProperty(HostApi* self, ObjectId doc, ObjectId object,
                                                     PropertyIdent* ident, int32_t* status, StringArray* value)
{
    TW_BEGIN(HOST_SLOT_GET_STRING_ARRAY_PROPERTY);
    TW_RESOLVE(ident);
    int32_t n = ident->number;
    if (t.kind != ObjKind::Application || n < PROP_FONT_FAMILIES || n > PROP_FONT_ANGLES)
        return *status = kBadPropNum, TW_S_OK;
    const auto& names = FontList(m, n);
    auto& im = h.impl();
    auto** arr = static_cast<char**>(im.alloc(sizeof(char*) * names.size()));
    for (size_t i = 0; i < names.size(); i++)
        arr[i] = im.string(names[i]);
    value->count = static_cast<uint32_t>(names.size());
    value->strings = arr;
    *status = kStatusOk;
    return TW_S_OK;
}

static TwResult TW_STDCALL SlotGetIntListProperty(HostApi* self, ObjectId doc, ObjectId object, PropertyIdent* ident,
                                                 int32_t* status, IntList* value)
{
    TW_BEGIN(HOST_SLOT_GET_INT_LIST_PROPERTY);
    TW_RESOLVE(ident);
    if (t.kind != ObjKind::Table || ident->number != PROP_COLUMN_WIDTHS)
        return *status = kBadPropNum, TW_S_OK;
    const auto& widths = t.doc->table(t.id)->columnWidths;
    auto* arr = static_cast<int32_t*>(h.impl().alloc(sizeof(int32_t) * widths.size()));
    std::copy(widths.begin(), widths.end(), arr);
    value->count = static_cast<uint32_t>(widths.size());
    value->values = arr;
    *status = kStatusOk;
    return TW_S_OK;
}

static TwResult TW_STDCALL SlotSetIntListProperty(HostApi* self, ObjectId doc, ObjectId object, PropertyIdent* ident,
                                                 IntList* value, int32_t* status)
{
    TW_BEGIN(HOST_SLOT_SET_INT_LIST_PROPERTY);
    TW_RESOLVE(ident);
    if (t.kind != ObjKind::Table || ident->number != PROP_COLUMN_WIDTHS)
        return *status = kBadPropNum, TW_S_OK;
    Table* tb = t.doc->table(t.id);
    if (!value || value->count != tb->columnWidths.size() || (value->count && !value->values))
        return *status = kBadParameter, TW_S_OK;
    tb->columnWidths.assign(value->values, value->values + value->count);
    t.doc->modified = true;
    *status = kStatusOk;
    return TW_S_OK;
}

static TwResult TW_STDCALL SlotGetTabListProperty(HostApi* self, ObjectId doc, ObjectId object, PropertyIdent* ident,
                                                 int32_t* status, TabList* value)
{
    TW_BEGIN(HOST_SLOT_GET_TAB_LIST_PROPERTY);
    TW_RESOLVE(ident);
    PgfProps* props = PropsOf(t);
    const PropertyInfo* info = FindParagraphProperty(ident->number);
    if (!props || !info || info->type != PropType::TabList)
        return *status = kBadPropNum, TW_S_OK;
    PropValue v = ValueOf(*props, *info);
    const auto& tabs = std::get<std::vector<TabStop>>(v);
    auto& im = h.impl();
    Tab* arr = tabs.empty() ? nullptr : static_cast<Tab*>(im.alloc(sizeof(Tab) * tabs.size()));
    for (size_t i = 0; i < tabs.size(); i++)
        arr[i] = Tab{tabs[i].position, tabs[i].kind, im.string(tabs[i].leader), tabs[i].decimal};
    value->count = static_cast<uint32_t>(tabs.size());
    value->tabs = arr;
    *status = kStatusOk;
    return TW_S_OK;
}

static TwResult TW_STDCALL SlotGetTextForRange(HostApi* self, ObjectId doc, TextRange* range, int32_t flags,
                                              int32_t* status, TextItemList* items)
{
    TW_BEGIN(HOST_SLOT_GET_TEXT_FOR_RANGE);
    Document* d = m.document(doc);
    if (!d)
        return *status = kBadDocId, TW_S_OK;
    if (!range || !d->paragraph(range->begin.object))
        return *status = kBadObjId, TW_S_OK;
    std::vector<TextItem> out;
    auto& im = h.impl();
    if (flags & TEXT_ITEM_STRING)
        for (auto& [offset, text] : TextRuns(*d, *range)) {
            TextItem item{};
            item.offset = offset;
            item.kind = TEXT_ITEM_STRING;
            item.data.text = im.string(text);
            out.push_back(item);
        }
    if (!out.empty()) {
        auto* arr = static_cast<TextItem*>(im.alloc(sizeof(TextItem) * out.size()));
        std::copy(out.begin(), out.end(), arr);
        items->count = static_cast<uint32_t>(out.size());
        items->items = arr;
    } else {
        items->count = 0;
        items->items = nullptr;
    }
    *status = kStatusOk;
    return TW_S_OK;
}

static TwResult TW_STDCALL SlotNewTable(HostApi* self, ObjectId doc, const char* format, int32_t columns,
                                       int32_t bodyRows, int32_t headingRows, int32_t footingRows, TextLoc* at,
                                       int32_t* status, ObjectId* table)
{
    TW_BEGIN(HOST_SLOT_NEW_TABLE);
    Document* d = m.document(doc);
    if (!d)
        return *status = kBadDocId, TW_S_OK;
    if (!at || !d->paragraph(at->object))
        return *status = kBadObjId, TW_S_OK;
    if (columns < 1 || bodyRows < 0 || headingRows < 0 || footingRows < 0 ||
        bodyRows + headingRows + footingRows < 1)
        return *status = kBadParameter, TW_S_OK;
    *table = AddTable(m, *d, h.fromClient(format), columns, headingRows, bodyRows, footingRows, at->object,
                      at->offset);
    d->modified = true;
    *status = kStatusOk;
    return TW_S_OK;
}

static TwResult TW_STDCALL SlotDefineAndAddCommand(HostApi* self, int32_t command, ObjectId menu, const char* tag,
                                                  const char* label, const char* shortcut, int32_t* status,
                                                  ObjectId* commandId)
{
    TW_BEGIN(HOST_SLOT_DEFINE_AND_ADD_COMMAND);
    std::string name = h.fromClient(tag);
    MenuItem* parent = m.menuItem(menu);
    if (!parent || parent->kind != ObjKind::Menu)
        return *status = kBadObjId, TW_S_OK;
    if (name.empty() || m.menuByName(name, ObjKind::Command))
        return *status = name.empty() ? kBadParameter : kNameClash, TW_S_OK;
    ObjectId id = m.defineCommand(command, name, h.fromClient(label), h.fromClient(shortcut)).id;
    m.addToMenu(menu, id);
    *commandId = id;
    *status = kStatusOk;
    return TW_S_OK;
}

// ---- Host ---------------------------------------------------------------------------------------

Host::Impl::Impl(Host& h) : host(h)
{
    for (auto& slot : apiVtbl)
        slot = Fn(&NotImplemented);
    apiVtbl[TW_SLOT_QUERY_INTERFACE] = Fn(&QueryInterfaceImpl);
    apiVtbl[TW_SLOT_ADDREF] = Fn(&AddRefImpl);
    apiVtbl[TW_SLOT_RELEASE] = Fn(&ReleaseImpl);
    apiVtbl[HOST_SLOT_REGISTER_CLIENT] = Fn(&SlotRegisterClient);
    apiVtbl[HOST_SLOT_RUN_COMMAND_CODES] = Fn(&SlotRunCommandCodes);
    apiVtbl[HOST_SLOT_REQUEST_NOTIFICATION] = Fn(&SlotRequestNotification);
    apiVtbl[HOST_SLOT_DEFINE_MENU] = Fn(&SlotDefineMenu);
    apiVtbl[HOST_SLOT_ADD_COMMAND_TO_MENU] = Fn(&SlotAddCommandToMenu);
    apiVtbl[HOST_SLOT_ADD_MENU_TO_MENU] = Fn(&SlotAddMenuToMenu);
    apiVtbl[HOST_SLOT_DEFINE_AND_ADD_MENU] = Fn(&SlotDefineAndAddMenu);
    apiVtbl[HOST_SLOT_SHOW_ALERT] = Fn(&SlotShowAlert);
    apiVtbl[HOST_SLOT_PRINT_TO_CONSOLE] = Fn(&SlotPrintToConsole);
    apiVtbl[HOST_SLOT_CHOOSE_FROM_LIST] = Fn(&SlotChooseFromList);
    apiVtbl[HOST_SLOT_OPEN_DOCUMENT] = Fn(&SlotOpenDocument);
    apiVtbl[HOST_SLOT_SAVE_DOCUMENT] = Fn(&SlotSaveDocument);
    apiVtbl[HOST_SLOT_NEW_CUSTOM_DOCUMENT] = Fn(&SlotNewCustomDocument);
    apiVtbl[HOST_SLOT_CLOSE_DOCUMENT] = Fn(&SlotCloseDocument);
    apiVtbl[HOST_SLOT_REDISPLAY_DOCUMENT] = Fn(&SlotRedisplayDocument);
    apiVtbl[HOST_SLOT_DELETE_OBJECT] = Fn(&SlotDeleteObject);
    apiVtbl[HOST_SLOT_GET_NAMED_OBJECT] = Fn(&SlotGetNamedObject);
    apiVtbl[HOST_SLOT_ADD_TEXT] = Fn(&SlotAddText);
    apiVtbl[HOST_SLOT_GET_PROPERTY_LIST] = Fn(&SlotGetPropertyList);
    apiVtbl[HOST_SLOT_SET_PROPERTY_LIST] = Fn(&SlotSetPropertyList);
    apiVtbl[HOST_SLOT_GET_INT_PROPERTY] = Fn(&SlotGetIntProperty);
    apiVtbl[HOST_SLOT_SET_INT_PROPERTY] = Fn(&SlotSetIntProperty);
    apiVtbl[HOST_SLOT_GET_ID_PROPERTY] = Fn(&SlotGetIdProperty);
    apiVtbl[HOST_SLOT_SET_ID_PROPERTY] = Fn(&SlotSetIdProperty);
    apiVtbl[HOST_SLOT_GET_METRIC_PROPERTY] = Fn(&SlotGetMetricProperty);
    apiVtbl[HOST_SLOT_GET_TEXT_RANGE_PROPERTY] = Fn(&SlotGetTextRangeProperty);
    apiVtbl[HOST_SLOT_SET_TEXT_RANGE_PROPERTY] = Fn(&SlotSetTextRangeProperty);
    apiVtbl[HOST_SLOT_GET_STRING_PROPERTY] = Fn(&SlotGetStringProperty);
    apiVtbl[HOST_SLOT_SET_STRING_PROPERTY] = Fn(&SlotSetStringProperty);
    apiVtbl[HOST_SLOT_GET_STRING_ARRAY_PROPERTY] = Fn(&SlotGetStringArrayProperty);
    apiVtbl[HOST_SLOT_GET_INT_LIST_PROPERTY] = Fn(&SlotGetIntListProperty);
    apiVtbl[HOST_SLOT_SET_INT_LIST_PROPERTY] = Fn(&SlotSetIntListProperty);
    apiVtbl[HOST_SLOT_GET_TAB_LIST_PROPERTY] = Fn(&SlotGetTabListProperty);
    apiVtbl[HOST_SLOT_GET_TEXT_FOR_RANGE] = Fn(&SlotGetTextForRange);
    apiVtbl[HOST_SLOT_NEW_TABLE] = Fn(&SlotNewTable);
    apiVtbl[HOST_SLOT_DEFINE_AND_ADD_COMMAND] = Fn(&SlotDefineAndAddCommand);

    unknownVtbl = {Fn(&QueryInterfaceImpl), Fn(&AddRefImpl), Fn(&ReleaseImpl)};
    conn1Vtbl = {Fn(&QueryInterfaceImpl), Fn(&AddRefImpl), Fn(&ReleaseImpl), Fn(&Connection1)};
    conn2Vtbl = {Fn(&QueryInterfaceImpl), Fn(&AddRefImpl), Fn(&ReleaseImpl), Fn(&Connection2)};
    conn3Vtbl = {Fn(&QueryInterfaceImpl), Fn(&AddRefImpl), Fn(&ReleaseImpl), Fn(&Connection3)};
    api = ComPart{apiVtbl.data(), &host, 0};
    for (auto& e : extras)
        e = ComPart{unknownVtbl.data(), &host, 0};
    connections[0] = ComPart{conn1Vtbl.data(), &host, 0};
    connections[1] = ComPart{conn2Vtbl.data(), &host, 0};
    connections[2] = ComPart{conn3Vtbl.data(), &host, 0};
}

Host::Impl::~Impl()
{
    freeArena();
    if (converter)
        ucnv_close(converter);
}

Host::Host(MemoryMode mode) : mode_(mode), impl_(std::make_unique<Impl>(*this))
{
    model_.installDir = DefaultInstallDir();
}

Host::~Host()
{
    releaseSink();
}

TwComObject* Host::hostObject()
{
    return reinterpret_cast<TwComObject*>(&impl_->api);
}

void Host::releaseSink()
{
    if (TwComObject* s = sink_) {
        sink_ = nullptr;
        reinterpret_cast<TwReleaseFn>(s->vtbl[TW_SLOT_RELEASE])(s);
    }
}

int32_t Host::outstandingReferences() const
{
    int32_t total = impl_->api.refs;
    for (const auto& e : impl_->extras)
        total += e.refs;
    for (const auto& c : impl_->connections)
        total += c.refs;
    return total;
}

void Host::failSlot(int32_t slot, TwResult code, int32_t times)
{
    impl_->failures[slot] = {code, times};
}

int32_t Host::callCount(int32_t slot) const
{
    auto it = impl_->calls.find(slot);
    return it == impl_->calls.end() ? 0 : it->second;
}

std::vector<std::string> Host::consoleLines() const
{
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < console_.size()) {
        size_t nl = console_.find('\n', start);
        if (nl == std::string::npos) {
            lines.push_back(console_.substr(start));
            break;
        }
        lines.push_back(console_.substr(start, nl - start));
        start = nl + 1;
    }
    return lines;
}

bool Host::converterReady()
{
    if (!impl_->converterTried) {
        impl_->converterTried = true;
        UErrorCode err = U_ZERO_ERROR;
        // The host's own converter from its installation directory; the process-wide ICU
        // data directory is the client's business.
        // Converters outside ICU's own package sit in <data dir>/icudt<version><endian>/.
        for (std::string dir : {model_.installDir + "/icu_data/" U_ICUDATA_NAME "/", model_.installDir + "/icu_data/"}) {
            err = U_ZERO_ERROR;
            impl_->converter = ucnv_openPackage(dir.c_str(), "adobe-fm-roman-windows", &err);
            if (U_SUCCESS(err) && impl_->converter)
                break;
            impl_->converter = nullptr;
        }
        if (!impl_->converter) {
            err = U_ZERO_ERROR;
            impl_->converter = ucnv_open("adobe-fm-roman-windows", &err);
            if (U_FAILURE(err))
                impl_->converter = nullptr;
        }
    }
    return impl_->converter != nullptr;
}

std::string Host::toClient(const std::string& utf8)
{
    bool ascii = std::all_of(utf8.begin(), utf8.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    if (ascii || !converterReady())
        return utf8; // ASCII is the same in both; without a converter the bytes pass unchanged
    UErrorCode err = U_ZERO_ERROR;
    std::string out(utf8.size() * 2 + 1, '\0');
    UConverter* utf8conv = ucnv_open("UTF-8", &err);
    char* target = out.data();
    const char* source = utf8.data();
    ucnv_resetFromUnicode(impl_->converter);
    ucnv_convertEx(impl_->converter, utf8conv, &target, out.data() + out.size(), &source, utf8.data() + utf8.size(),
                   nullptr, nullptr, nullptr, nullptr, true, true, &err);
    ucnv_close(utf8conv);
    if (U_FAILURE(err))
        return utf8;
    out.resize(static_cast<size_t>(target - out.data()));
    return out;
}

std::string Host::fromClient(const char* text)
{
    if (!text)
        return {};
    std::string bytes = text;
    bool ascii = std::all_of(bytes.begin(), bytes.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    if (ascii || !converterReady())
        return bytes;
    UErrorCode err = U_ZERO_ERROR;
    UConverter* utf8conv = ucnv_open("UTF-8", &err);
    std::string out(bytes.size() * 4 + 1, '\0');
    char* target = out.data();
    const char* source = bytes.data();
    ucnv_resetToUnicode(impl_->converter);
    ucnv_convertEx(utf8conv, impl_->converter, &target, out.data() + out.size(), &source, bytes.data() + bytes.size(),
                   nullptr, nullptr, nullptr, nullptr, true, true, &err);
    ucnv_close(utf8conv);
    if (U_FAILURE(err))
        return bytes;
    out.resize(static_cast<size_t>(target - out.data()));
    return out;
}

ObjectId Host::openFile(const std::string& path, bool untitledCopy, int32_t& status, std::string* error)
{
    std::string native = NativePath(path);
    Document* open = model_.documentByPath(native);
    if (open && !untitledCopy) {
        model_.activeDoc = open->id;
        return status = kStatusOk, open->id;
    }
    if (Book* b = model_.bookByPath(native)) {
        model_.activeBook = b->id;
        return status = kStatusOk, b->id;
    }
    std::unique_ptr<Document> doc;
    if (open) {
        doc = model_.copyDocument(*open);
    } else {
        if (!store_) {
            if (error)
                *error = "No document store to open " + path;
            return status = kFileNotFound, 0;
        }
        LoadResult r = store_->load(model_, native);
        if (r.book) {
            r.book->path = native;
            return status = kStatusOk, model_.adoptBook(std::move(r.book)).id;
        }
        if (!r.doc) {
            if (error)
                *error = r.error.empty() ? "Could not open " + path : r.error;
            return status = r.missing ? kFileNotFound : kFileError, 0;
        }
        doc = std::move(r.doc);
        doc->id = 0;
        doc->path = native;
        if (untitledCopy) {
            doc->path.clear();
            doc->modified = false;
        }
    }
    return status = kStatusOk, model_.adoptDocument(std::move(doc)).id;
}

int32_t Host::saveFile(ObjectId id, const std::string& path)
{
    std::string native = NativePath(path);
    std::string error;
    if (Document* d = model_.document(id)) {
        if (!store_)
            return kFileError;
        if (!store_->save(model_, *d, native, error)) {
            impl_->recordConsole(error + "\n");
            return kFileError;
        }
        d->path = native;
        d->modified = false;
        return kStatusOk;
    }
    if (Book* b = model_.book(id)) {
        if (!store_)
            return kFileError;
        if (!store_->save(model_, *b, native, error)) {
            impl_->recordConsole(error + "\n");
            return kFileError;
        }
        b->path = native;
        return kStatusOk;
    }
    return kBadDocId;
}

int32_t Host::closeFile(ObjectId id, bool evenIfModified)
{
    if (Document* d = model_.document(id)) {
        if (d->modified && !evenIfModified)
            return kDocModified;
        model_.closeDocument(id);
        return kStatusOk;
    }
    if (model_.book(id)) {
        model_.closeBook(id);
        return kStatusOk;
    }
    return kBadDocId;
}

} // namespace tw::host
