// slots.cpp - the slot adapters of the host API interface: one small function per slot that
// turns the client's arguments into model calls and the answers into result codes, status
// out-parameters and returned buffers; and the typed installer of the slot table.
#include <algorithm>
#include <cstring>

#include "bridge/boundary.h"
#include "host/com/access.h"
#include "host/com/host.h"
#include "host/com/host_impl.h"
#include "host/model/properties.h"

namespace tw::host {

// ---- the slots ------------------------------------------------------------------------------

#define TW_BEGIN(slot)                                                                                                 \
    Host& h = HostOf(self);                                                                                            \
    {                                                                                                                  \
        TwResult injected = TW_S_OK;                                                                                   \
        if (!h.impl().begin(slot, injected))                                                                           \
            return injected;                                                                                           \
    }                                                                                                                  \
    Model& m = h.model();                                                                                              \
    (void)m

static TwResult TW_STDCALL SlotRegisterClient(HostApi* self, TwComObject* sink, uint32_t version,
                                              PropertyList* description)
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

static TwResult TW_STDCALL SlotDefineMenu(HostApi* self, const char* tag, const char* label, int32_t* status,
                                          ObjectId* menu)
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
    entries[0].ident.number = RETURN_ENTRY_FILE_NAME;
    entries[0].value.kind = VALUE_STRING;
    entries[0].value.u.s = im.string(path);
    entries[1].ident.number = RETURN_ENTRY_STATUS;
    entries[1].value.kind = VALUE_INT;
    entries[1].value.u.i = status;
    returned->count = 2;
    returned->entries = entries;
}

static TwResult TW_STDCALL SlotOpenDocument(HostApi* self, const char* fileName, PropertyList* params, int32_t* status,
                                            ObjectId* doc, PropertyList* returned)
{
    TW_BEGIN(HOST_SLOT_OPEN_DOCUMENT);
    std::string path = h.fromClient(fileName);
    bool copy = IntParam(params, OPEN_PARAM_AS_NEW_DOCUMENT, 0) != 0;
    int32_t s = kStatusOk;
    std::string error;
    const bool bookWasOpen = m.bookByPath(NativePath(path)) != nullptr;
    ObjectId id = path.empty() ? (s = kBadParameter, 0) : h.openFile(path, copy, s, &error);
    if (s == kStatusOk && bookWasOpen && m.book(id)) {
        // A book that is open already (one that lists itself among its files, say) is not
        // handed out again as if it were a document: its walk would close it halfway.
        error = NativePath(path) + ": is a book that is open already, not a document";
        s = kFileError;
        id = 0;
    }
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
    Document& d =
        m.newCustomDocument(PageGeometry{width, height, columns, columnGap, top, bottom, inside, outside, sidedness});
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

#define TW_RESOLVE(ident)                                                                                              \
    Target t;                                                                                                          \
    int32_t s = ident ? Resolve(m, doc, object, t) : kBadParameter;                                                    \
    if (s != kStatusOk)                                                                                                \
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

static TwResult TW_STDCALL SlotGetTextRangeProperty(HostApi* self, ObjectId doc, ObjectId object, PropertyIdent* ident,
                                                    int32_t* status, TextRange* value)
{
    TW_BEGIN(HOST_SLOT_GET_TEXT_RANGE_PROPERTY);
    TW_RESOLVE(ident);
    if (t.kind != ObjKind::Document || ident->number != PROP_SELECTION)
        return *status = kBadPropNum, TW_S_OK;
    *value = t.doc->selection;
    *status = kStatusOk;
    return TW_S_OK;
}

static TwResult TW_STDCALL SlotSetTextRangeProperty(HostApi* self, ObjectId doc, ObjectId object, PropertyIdent* ident,
                                                    TextRange* value, int32_t* status)
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
    if (columns < 1 || bodyRows < 0 || headingRows < 0 || footingRows < 0 || bodyRows + headingRows + footingRows < 1)
        return *status = kBadParameter, TW_S_OK;
    *table = AddTable(m, *d, h.fromClient(format), columns, headingRows, bodyRows, footingRows, at->object, at->offset);
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

// ---- the slot table ---------------------------------------------------------------------------

// Every row of the boundary's table installs the adapter named after it; the installer takes
// only a function of the row's type, so an adapter whose signature drifts from the interface,
// or a row without an adapter, does not compile.
void InstallApiSlots(std::array<void*, HOST_SLOT_COUNT>& vtbl)
{
#define TW_INSTALL_HOST_SLOT(id, number, name, ...) HostInstall##name(vtbl.data(), &Slot##name);
    TW_HOST_SLOTS(TW_INSTALL_HOST_SLOT)
#undef TW_INSTALL_HOST_SLOT
}

} // namespace tw::host
