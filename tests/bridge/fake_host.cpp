// fake_host.cpp - the recording fake host: slot functions that render their arguments as text,
// write the scripted answer into the out-parameters, and count references.
#include "tests/bridge/fake_host.h"

#include <array>
#include <cstdlib>
#include <cstring>
#include <utility>

#include "platform/win32.h"

namespace {

FakeHost& HostOf(void* self) { return *static_cast<FakeComObject*>(self)->host; }

std::string Num(int64_t value) { return std::to_string(value); }

std::string StatusIn(const int32_t* status) { return "st=" + Num(*status); }

std::string LocText(const TextLoc* loc)
{
    return loc ? "loc(" + Num(loc->object) + "," + Num(loc->offset) + ")" : "null";
}

std::string RangeText(const TextRange* range)
{
    return range ? "range(" + Num(range->begin.object) + "," + Num(range->begin.offset) + "-" + Num(range->end.object) +
                       "," + Num(range->end.offset) + ")"
                 : "null";
}

std::string IntListText(const IntList* list)
{
    if (!list)
        return "null";
    std::string text = "[";
    for (uint32_t i = 0; i < list->count; i++)
        text += (i ? "," : "") + Num(list->values[i]);
    return text + "]";
}

std::string StringArrayText(const StringArray* list)
{
    if (!list)
        return "null";
    std::string text = "[";
    for (uint32_t i = 0; i < list->count; i++)
        text += (i ? "," : "") + Str(list->strings[i]);
    return text + "]";
}

FakeAnswer Begin(void* self, int slot, std::vector<std::string> args)
{
    FakeHost& host = HostOf(self);
    host.events.push_back("slot " + Num(slot));
    host.calls.push_back({slot, std::move(args)});
    return host.Next();
}

void WriteStatus(int32_t* status, const FakeAnswer& answer)
{
    if (answer.status)
        *status = *answer.status;
}

// ---- IUnknown of every fake object ----------------------------------------------------

uint32_t TW_STDCALL FakeAddRef(TwComObject* self)
{
    auto* object = reinterpret_cast<FakeComObject*>(self);
    object->host->events.push_back("AddRef " + object->name);
    return ++object->refs;
}

uint32_t TW_STDCALL FakeRelease(TwComObject* self)
{
    auto* object = reinterpret_cast<FakeComObject*>(self);
    object->host->events.push_back("Release " + object->name);
    uint32_t left = --object->refs;
    if (left == 0 && object == &object->host->apiObject && object->host->onApiReleased)
        object->host->onApiReleased();
    return left;
}

const std::pair<const TwGuid*, const char*> GrantableIds[] = {
    {&IID_HostApi, "api"},           {&IID_HostExtra1, "extra1"},     {&IID_HostExtra2, "extra2"},
    {&IID_HostExtra3, "extra3"},     {&IID_HostExtra4, "extra4"},     {&IID_HostExtra5, "extra5"},
    {&IID_HostExtra6, "extra6"},     {&IID_HostExtra7, "extra7"},     {&IID_HostExtra8, "extra8"},
    {&IID_HostExtra9, "extra9"},     {&IID_HostExtra10, "extra10"},   {&IID_HostExtra11, "extra11"},
    {&IID_HostConnection1, "conn1"}, {&IID_HostConnection2, "conn2"}, {&IID_HostConnection3, "conn3"},
};

TwResult TW_STDCALL HostObjectQueryInterface(TwComObject* self, const TwGuid* iid, void** out)
{
    FakeHost& host = HostOf(self);
    *out = nullptr;
    for (const auto& [id, name] : GrantableIds) {
        if (!TwGuidEqual(iid, id))
            continue;
        host.events.push_back(std::string("QueryInterface ") + name);
        auto granted = host.grants.find(name);
        if (granted != host.grants.end() && !granted->second)
            return TW_E_NOINTERFACE;
        FakeComObject* object = std::string(name) == "api" ? &host.apiObject : &host.extras.at(name);
        FakeAddRef(reinterpret_cast<TwComObject*>(object));
        *out = object;
        return TW_S_OK;
    }
    host.events.push_back("QueryInterface other");
    return TW_E_NOINTERFACE;
}

TwResult TW_STDCALL NoQueryInterface(TwComObject*, const TwGuid*, void** out)
{
    *out = nullptr;
    return TW_E_NOINTERFACE;
}

TwResult TW_STDCALL Connection1(TwComObject* self, int32_t value)
{
    HostOf(self).events.push_back("conn1(" + Num(value) + ")");
    return HostOf(self).connection1Answer;
}

TwResult TW_STDCALL Connection2(TwComObject* self, void* module)
{
    HostOf(self).events.push_back(std::string("conn2(") + (module ? "module" : "null") + ")");
    return TW_S_OK;
}

// ---- host API slots -------------------------------------------------------------------

template <int Slot> TwResult TW_STDCALL Unexpected(HostApi* self)
{
    Begin(self, Slot, {"unexpected"});
    return TW_E_NOTIMPL;
}

TwResult TW_STDCALL RegisterClient(HostApi* self, TwComObject* sink, uint32_t version, PropertyList* description)
{
    FakeHost& host = HostOf(self);
    char hex[16];
    snprintf(hex, sizeof hex, "0x%08x", version);
    FakeAnswer answer =
        Begin(self, HOST_SLOT_REGISTER_CLIENT, {sink ? "sink" : "null", hex, PropertyListText(description)});
    host.registeredDescription = description;
    host.registeredEntries.clear();
    if (description)
        for (uint32_t i = 0; i < description->count; i++) {
            const PropertyEntry& e = description->entries[i];
            host.registeredEntries.push_back(
                {e.ident.number, e.value.kind == VALUE_STRING && e.value.u.s ? e.value.u.s : "?"});
        }
    if (sink && answer.result >= 0) {
        TwSlotAddRef(sink)(sink);
        host.registeredSink = sink;
    }
    return answer.result;
}

TwResult TW_STDCALL RunCommandCodes(HostApi* self, IntList* codes, int32_t* status)
{
    FakeAnswer a = Begin(self, HOST_SLOT_RUN_COMMAND_CODES, {IntListText(codes), StatusIn(status)});
    WriteStatus(status, a);
    return a.result;
}

TwResult TW_STDCALL RequestNotification(HostApi* self, int32_t notification, int32_t on, int32_t* status)
{
    FakeAnswer a = Begin(self, HOST_SLOT_REQUEST_NOTIFICATION, {Num(notification), Num(on), StatusIn(status)});
    WriteStatus(status, a);
    return a.result;
}

TwResult TW_STDCALL DefineMenu(HostApi* self, const char* tag, const char* label, int32_t* status, ObjectId* menu)
{
    FakeAnswer a = Begin(self, HOST_SLOT_DEFINE_MENU, {Str(tag), Str(label), StatusIn(status)});
    WriteStatus(status, a);
    *menu = a.value;
    return a.result;
}

TwResult TW_STDCALL AddCommandToMenu(HostApi* self, ObjectId menu, ObjectId item, int32_t* status)
{
    FakeAnswer a = Begin(self, HOST_SLOT_ADD_COMMAND_TO_MENU, {Num(menu), Num(item), StatusIn(status)});
    WriteStatus(status, a);
    return a.result;
}

TwResult TW_STDCALL AddMenuToMenu(HostApi* self, ObjectId bar, ObjectId menu, int32_t* status)
{
    FakeAnswer a = Begin(self, HOST_SLOT_ADD_MENU_TO_MENU, {Num(bar), Num(menu), StatusIn(status)});
    WriteStatus(status, a);
    return a.result;
}

TwResult TW_STDCALL DefineAndAddMenu(HostApi* self, ObjectId bar, const char* tag, const char* label, int32_t* status,
                                     ObjectId* menu)
{
    FakeAnswer a = Begin(self, HOST_SLOT_DEFINE_AND_ADD_MENU, {Num(bar), Str(tag), Str(label), StatusIn(status)});
    WriteStatus(status, a);
    *menu = a.value;
    return a.result;
}

TwResult TW_STDCALL ShowAlert(HostApi* self, const char* message, int32_t kind, int32_t* answer)
{
    FakeAnswer a = Begin(self, HOST_SLOT_SHOW_ALERT, {Str(message), Num(kind), "ans=" + Num(*answer)});
    *answer = (int32_t)a.value;
    return a.result;
}

TwResult TW_STDCALL PrintToConsole(HostApi* self, const char* text, int32_t* status)
{
    FakeAnswer a = Begin(self, HOST_SLOT_PRINT_TO_CONSOLE, {Str(text), StatusIn(status)});
    WriteStatus(status, a);
    return a.result;
}

TwResult TW_STDCALL ChooseFromList(HostApi* self, int32_t* status, int32_t* chosen, const char* title,
                                   StringArray* items, int32_t defaultIndex)
{
    FakeAnswer a = Begin(self, HOST_SLOT_CHOOSE_FROM_LIST,
                         {"status", "chosen", Str(title), StringArrayText(items), Num(defaultIndex)});
    WriteStatus(status, a);
    *chosen = (int32_t)a.value;
    return a.result;
}

TwResult TW_STDCALL OpenDocument(HostApi* self, const char* name, PropertyList* params, int32_t* status, ObjectId* doc,
                                 PropertyList* returned)
{
    FakeAnswer a = Begin(self, HOST_SLOT_OPEN_DOCUMENT, {Str(name), PropertyListText(params), StatusIn(status)});
    WriteStatus(status, a);
    *doc = a.value;
    if (a.fill)
        a.fill(returned);
    return a.result;
}

TwResult TW_STDCALL SaveDocument(HostApi* self, ObjectId doc, const char* name, PropertyList* params, int32_t* status,
                                 ObjectId* saved, PropertyList* returned)
{
    char where[32];
    snprintf(where, sizeof where, "@%p", (const void*)name);
    FakeAnswer a =
        Begin(self, HOST_SLOT_SAVE_DOCUMENT, {Num(doc), Str(name), PropertyListText(params), StatusIn(status), where});
    WriteStatus(status, a);
    *saved = a.value;
    if (a.fill)
        a.fill(returned);
    return a.result;
}

TwResult TW_STDCALL NewCustomDocument(HostApi* self, int32_t width, int32_t height, int32_t columns, int32_t gap,
                                      int32_t top, int32_t bottom, int32_t inside, int32_t outside, int32_t sidedness,
                                      int32_t visible, int32_t* status, ObjectId* doc)
{
    FakeAnswer a = Begin(self, HOST_SLOT_NEW_CUSTOM_DOCUMENT,
                         {Num(width), Num(height), Num(columns), Num(gap), Num(top), Num(bottom), Num(inside),
                          Num(outside), Num(sidedness), Num(visible), StatusIn(status)});
    WriteStatus(status, a);
    *doc = a.value;
    return a.result;
}

TwResult TW_STDCALL CloseDocument(HostApi* self, ObjectId doc, int32_t flags, int32_t* status)
{
    FakeAnswer a = Begin(self, HOST_SLOT_CLOSE_DOCUMENT, {Num(doc), Num(flags), StatusIn(status)});
    WriteStatus(status, a);
    return a.result;
}

TwResult TW_STDCALL RedisplayDocument(HostApi* self, ObjectId doc, int32_t* status)
{
    FakeAnswer a = Begin(self, HOST_SLOT_REDISPLAY_DOCUMENT, {Num(doc), StatusIn(status)});
    WriteStatus(status, a);
    return a.result;
}

TwResult TW_STDCALL DeleteObject(HostApi* self, ObjectId doc, ObjectId object, int32_t* status)
{
    FakeAnswer a = Begin(self, HOST_SLOT_DELETE_OBJECT, {Num(doc), Num(object), StatusIn(status)});
    WriteStatus(status, a);
    return a.result;
}

TwResult TW_STDCALL GetNamedObject(HostApi* self, ObjectId doc, int32_t type, const char* name, int32_t* status,
                                   ObjectId* object)
{
    FakeAnswer a = Begin(self, HOST_SLOT_GET_NAMED_OBJECT, {Num(doc), Num(type), Str(name), StatusIn(status)});
    WriteStatus(status, a);
    *object = a.value;
    return a.result;
}

TwResult TW_STDCALL AddText(HostApi* self, ObjectId doc, TextLoc* at, const char* text, int32_t* status, TextLoc* after)
{
    FakeAnswer a = Begin(self, HOST_SLOT_ADD_TEXT, {Num(doc), LocText(at), Str(text), StatusIn(status)});
    WriteStatus(status, a);
    *after = a.loc;
    return a.result;
}

TwResult TW_STDCALL GetPropertyList(HostApi* self, ObjectId doc, ObjectId object, int32_t* status, PropertyList* out)
{
    FakeAnswer a = Begin(self, HOST_SLOT_GET_PROPERTY_LIST, {Num(doc), Num(object), StatusIn(status)});
    WriteStatus(status, a);
    if (a.fill)
        a.fill(out);
    return a.result;
}

TwResult TW_STDCALL SetPropertyList(HostApi* self, ObjectId doc, ObjectId object, PropertyList* list, int32_t* status)
{
    FakeAnswer a =
        Begin(self, HOST_SLOT_SET_PROPERTY_LIST, {Num(doc), Num(object), PropertyListText(list), StatusIn(status)});
    WriteStatus(status, a);
    return a.result;
}

// Getters of a single property: doc, object, ident, status, out value.
template <HostSlot Slot, typename T>
TwResult TW_STDCALL GetScalar(HostApi* self, ObjectId doc, ObjectId object, PropertyIdent* ident, int32_t* status,
                              T* value)
{
    FakeAnswer a = Begin(self, Slot, {Num(doc), Num(object), Ident(ident), StatusIn(status)});
    WriteStatus(status, a);
    *value = (T)a.value;
    return a.result;
}

template <HostSlot Slot, typename T>
TwResult TW_STDCALL GetRecord(HostApi* self, ObjectId doc, ObjectId object, PropertyIdent* ident, int32_t* status,
                              T* value)
{
    FakeAnswer a = Begin(self, Slot, {Num(doc), Num(object), Ident(ident), StatusIn(status)});
    WriteStatus(status, a);
    if (a.fill)
        a.fill(value);
    return a.result;
}

template <HostSlot Slot, typename T>
TwResult TW_STDCALL SetScalar(HostApi* self, ObjectId doc, ObjectId object, PropertyIdent* ident, T value,
                              int32_t* status)
{
    FakeAnswer a = Begin(self, Slot, {Num(doc), Num(object), Ident(ident), Num((int64_t)value), StatusIn(status)});
    WriteStatus(status, a);
    return a.result;
}

TwResult TW_STDCALL GetTextRangeProperty(HostApi* self, ObjectId doc, ObjectId object, PropertyIdent* ident,
                                         int32_t* status, TextRange* value)
{
    FakeAnswer a =
        Begin(self, HOST_SLOT_GET_TEXT_RANGE_PROPERTY, {Num(doc), Num(object), Ident(ident), StatusIn(status)});
    WriteStatus(status, a);
    *value = a.range;
    return a.result;
}

TwResult TW_STDCALL SetTextRangeProperty(HostApi* self, ObjectId doc, ObjectId object, PropertyIdent* ident,
                                         TextRange* value, int32_t* status)
{
    FakeAnswer a = Begin(self, HOST_SLOT_SET_TEXT_RANGE_PROPERTY,
                         {Num(doc), Num(object), Ident(ident), RangeText(value), StatusIn(status)});
    WriteStatus(status, a);
    return a.result;
}

TwResult TW_STDCALL SetStringProperty(HostApi* self, ObjectId doc, ObjectId object, PropertyIdent* ident,
                                      const char* value, int32_t* status)
{
    FakeAnswer a =
        Begin(self, HOST_SLOT_SET_STRING_PROPERTY, {Num(doc), Num(object), Ident(ident), Str(value), StatusIn(status)});
    WriteStatus(status, a);
    return a.result;
}

TwResult TW_STDCALL SetIntListProperty(HostApi* self, ObjectId doc, ObjectId object, PropertyIdent* ident,
                                       IntList* value, int32_t* status)
{
    FakeAnswer a = Begin(self, HOST_SLOT_SET_INT_LIST_PROPERTY,
                         {Num(doc), Num(object), Ident(ident), IntListText(value), StatusIn(status)});
    WriteStatus(status, a);
    return a.result;
}

TwResult TW_STDCALL GetTextForRange(HostApi* self, ObjectId doc, TextRange* range, int32_t flags, int32_t* status,
                                    TextItemList* items)
{
    FakeAnswer a =
        Begin(self, HOST_SLOT_GET_TEXT_FOR_RANGE, {Num(doc), RangeText(range), Num(flags), StatusIn(status)});
    WriteStatus(status, a);
    if (a.fill)
        a.fill(items);
    return a.result;
}

TwResult TW_STDCALL NewTable(HostApi* self, ObjectId doc, const char* format, int32_t columns, int32_t body,
                             int32_t heading, int32_t footing, TextLoc* at, int32_t* status, ObjectId* table)
{
    FakeAnswer a = Begin(
        self, HOST_SLOT_NEW_TABLE,
        {Num(doc), Str(format), Num(columns), Num(body), Num(heading), Num(footing), LocText(at), StatusIn(status)});
    WriteStatus(status, a);
    *table = a.value;
    return a.result;
}

TwResult TW_STDCALL DefineAndAddCommand(HostApi* self, int32_t command, ObjectId menu, const char* tag,
                                        const char* label, const char* shortcut, int32_t* status, ObjectId* id)
{
    FakeAnswer a = Begin(self, HOST_SLOT_DEFINE_AND_ADD_COMMAND,
                         {Num(command), Num(menu), Str(tag), Str(label), Str(shortcut), StatusIn(status)});
    WriteStatus(status, a);
    *id = a.value;
    return a.result;
}

void InstallUnknown(void** table, TwQueryInterfaceFn queryInterface)
{
    TwInstallQueryInterface(table, queryInterface);
    TwInstallAddRef(table, &FakeAddRef);
    TwInstallRelease(table, &FakeRelease);
}

// An interface of the IUnknown three and, for a connection interface, its one method.
std::array<void*, TW_UNKNOWN_SLOT_COUNT> UnknownTable(TwQueryInterfaceFn queryInterface)
{
    std::array<void*, TW_UNKNOWN_SLOT_COUNT> table{};
    InstallUnknown(table.data(), queryInterface);
    return table;
}
template <typename Fn> std::array<void*, HOST_CONNECTION_SLOT_COUNT> ConnectionTable(void (*install)(void**, Fn), Fn fn)
{
    std::array<void*, HOST_CONNECTION_SLOT_COUNT> table{};
    InstallUnknown(table.data(), &NoQueryInterface);
    install(table.data(), fn);
    return table;
}

template <size_t... Slots> std::array<void*, HOST_SLOT_COUNT> UnexpectedTable(std::index_sequence<Slots...>)
{
    return {reinterpret_cast<void*>(&Unexpected<(int)Slots>)...};
}

std::array<void*, HOST_SLOT_COUNT> BuildApiTable()
{
    auto table = UnexpectedTable(std::make_index_sequence<HOST_SLOT_COUNT>());
    void** t = table.data();
    InstallUnknown(t, &NoQueryInterface);
    HostInstallRegisterClient(t, &RegisterClient);
    HostInstallRunCommandCodes(t, &RunCommandCodes);
    HostInstallRequestNotification(t, &RequestNotification);
    HostInstallDefineMenu(t, &DefineMenu);
    HostInstallAddCommandToMenu(t, &AddCommandToMenu);
    HostInstallAddMenuToMenu(t, &AddMenuToMenu);
    HostInstallDefineAndAddMenu(t, &DefineAndAddMenu);
    HostInstallShowAlert(t, &ShowAlert);
    HostInstallPrintToConsole(t, &PrintToConsole);
    HostInstallChooseFromList(t, &ChooseFromList);
    HostInstallOpenDocument(t, &OpenDocument);
    HostInstallSaveDocument(t, &SaveDocument);
    HostInstallNewCustomDocument(t, &NewCustomDocument);
    HostInstallCloseDocument(t, &CloseDocument);
    HostInstallRedisplayDocument(t, &RedisplayDocument);
    HostInstallDeleteObject(t, &DeleteObject);
    HostInstallGetNamedObject(t, &GetNamedObject);
    HostInstallAddText(t, &AddText);
    HostInstallGetPropertyList(t, &GetPropertyList);
    HostInstallSetPropertyList(t, &SetPropertyList);
    HostInstallGetIntProperty(t, &GetScalar<HOST_SLOT_GET_INT_PROPERTY, int32_t>);
    HostInstallSetIntProperty(t, &SetScalar<HOST_SLOT_SET_INT_PROPERTY, int32_t>);
    HostInstallGetIdProperty(t, &GetScalar<HOST_SLOT_GET_ID_PROPERTY, ObjectId>);
    HostInstallSetIdProperty(t, &SetScalar<HOST_SLOT_SET_ID_PROPERTY, ObjectId>);
    HostInstallGetMetricProperty(t, &GetScalar<HOST_SLOT_GET_METRIC_PROPERTY, int32_t>);
    HostInstallGetTextRangeProperty(t, &GetTextRangeProperty);
    HostInstallSetTextRangeProperty(t, &SetTextRangeProperty);
    HostInstallGetStringProperty(t, &GetRecord<HOST_SLOT_GET_STRING_PROPERTY, char*>);
    HostInstallSetStringProperty(t, &SetStringProperty);
    HostInstallGetStringArrayProperty(t, &GetRecord<HOST_SLOT_GET_STRING_ARRAY_PROPERTY, StringArray>);
    HostInstallGetIntListProperty(t, &GetRecord<HOST_SLOT_GET_INT_LIST_PROPERTY, IntList>);
    HostInstallSetIntListProperty(t, &SetIntListProperty);
    HostInstallGetTabListProperty(t, &GetRecord<HOST_SLOT_GET_TAB_LIST_PROPERTY, TabList>);
    HostInstallGetTextForRange(t, &GetTextForRange);
    HostInstallNewTable(t, &NewTable);
    HostInstallDefineAndAddCommand(t, &DefineAndAddCommand);
    return table;
}

const std::array<void*, HOST_SLOT_COUNT> ApiTable = BuildApiTable();
const std::array<void*, TW_UNKNOWN_SLOT_COUNT> HostObjectTable = UnknownTable(&HostObjectQueryInterface);
const std::array<void*, TW_UNKNOWN_SLOT_COUNT> ExtraTable = UnknownTable(&NoQueryInterface);
const std::array<void*, HOST_CONNECTION_SLOT_COUNT> Connection1Table =
    ConnectionTable<HostConnection1Fn>(HostConnectionInstall1, &Connection1);
const std::array<void*, HOST_CONNECTION_SLOT_COUNT> Connection2Table =
    ConnectionTable<HostConnection2Fn>(HostConnectionInstall2, &Connection2);

} // namespace

std::string Str(const char* text) { return text ? "\"" + std::string(text) + "\"" : "null"; }

std::string Ident(const PropertyIdent* ident)
{
    if (!ident)
        return "null";
    return "prop=" + Num(ident->number) + (ident->name ? "/named" : "");
}

std::string PropertyListText(const PropertyList* list)
{
    if (!list)
        return "null";
    std::string text = "{";
    for (uint32_t i = 0; i < list->count; i++) {
        const PropertyEntry& e = list->entries[i];
        text += (i ? "," : "") + Num(e.ident.number) + "=";
        if (e.value.kind == VALUE_INT)
            text += Num(e.value.u.i);
        else if (e.value.kind == VALUE_STRING)
            text += Str(e.value.u.s);
        else
            text += "kind" + Num(e.value.kind);
    }
    return text + "}";
}

FakeHost::FakeHost() : hostObject{HostObjectTable.data(), 1, this, "host"}, apiObject{ApiTable.data(), 0, this, "api"}
{
    for (const auto& [id, name] : GrantableIds) {
        (void)id;
        std::string n = name;
        if (n == "api")
            continue;
        void* const* table = n == "conn1"   ? Connection1Table.data()
                             : n == "conn2" ? Connection2Table.data()
                                            : ExtraTable.data();
        extras[n] = FakeComObject{table, 0, this, n};
    }
    extras["retained"] = FakeComObject{ExtraTable.data(), 1, this, "retained"};
}

FakeHost::~FakeHost()
{
    ReleaseSink();
    for (void* block : kept)
        CoTaskMemFree(block);
}

uint32_t FakeHost::ReleaseSink()
{
    TwComObject* sink = registeredSink;
    registeredSink = nullptr;
    return sink ? TwSlotRelease(sink)(sink) : 0;
}

void* FakeHost::Alloc(size_t size)
{
    void* block = CoTaskMemAlloc(size);
    if (sharedMemory)
        kept.push_back(block);
    return block;
}

char* FakeHost::String(const char* text)
{
    char* copy = static_cast<char*>(Alloc(strlen(text) + 1));
    memcpy(copy, text, strlen(text) + 1);
    return copy;
}

FakeAnswer FakeHost::Next()
{
    if (answers.empty())
        return FakeAnswer();
    FakeAnswer answer = answers.front();
    answers.pop_front();
    return answer;
}
