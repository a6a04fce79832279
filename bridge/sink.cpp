/* sink.cpp - the notification sink: reference counting shared by its three views, interface
 * lookup, and the event methods that hand host events to the paragraph commands. */
#include "bridge/sink.h"

#include <new>
#include <stdlib.h>
#include <string.h>

#include "bridge/connection.h"
#include "bridge/host_ops.h"
#include "bridge/records.h"
#include "platform/win32.h"
#include "support/memory.h"

namespace {

enum { MODULE_PATH_SIZE = 260, FIELD_SEPARATOR = 30, FURTHER_FIELDS_STEP = 16 };

/* The command layer's handlers, set by the entry. */
const SinkHandlers* handlers = NULL;

void HandOnInitialize(int32_t initType)
{
    if (handlers && handlers->initialize)
        handlers->initialize(initType);
}

void HandOnNotify(int32_t notification, ObjectId doc, const char* text, int32_t value)
{
    if (handlers && handlers->notify)
        handlers->notify(notification, doc, text, value);
}

void HandOnCommand(int32_t command)
{
    if (handlers && handlers->command)
        handlers->command(command);
}

/* Events the plug-in has no handler for. */
void MessageHandler(int32_t, int32_t, int32_t) { }
void DialogEventHandler(int32_t, int32_t, int32_t) { }
void CmsCommandHandler(int32_t, int32_t, int32_t, int32_t, CmsResult*) { }

/* Stores one field: in the first empty slot of six, else at the end of the further list,
 * which grows sixteen slots at a time. Returns 0, or -1 when memory ran out. */
int32_t AddField(SplitNotification* record, const char* start, size_t length)
{
    char* field = (char*)BridgeAlloc(length + 1);
    if (!field)
        return -1;
    memcpy(field, start, length);
    field[length] = '\0';
    for (int i = 0; i < 6; i++)
        if (!record->fields[i]) {
            record->fields[i] = field;
            return 0;
        }
    StringArray* further = &record->further;
    if (further->count % FURTHER_FIELDS_STEP == 0) {
        size_t slots = (size_t)further->count + FURTHER_FIELDS_STEP;
        char** grown = (char**)BridgeRealloc(further->strings, slots * sizeof(char*));
        if (!grown) {
            BridgeFree(field);
            return -1;
        }
        further->strings = grown;
    }
    further->strings[further->count++] = field;
    return 0;
}

/* Splits text at each character 30; the NUL ends the last field. */
void SplitFields(const char* text, SplitNotification* record)
{
    if (!text)
        text = "";
    const char* start = text;
    for (const char* at = text;; at++) {
        if (*at != FIELD_SEPARATOR && *at != '\0')
            continue;
        if (AddField(record, start, (size_t)(at - start)) != 0 || *at == '\0')
            return;
        start = at + 1;
    }
}

/* Hands the host a task-memory copy of length bytes; 0 or a failure code. */
TwResult HandOut(const void* bytes, uint32_t length, ResourceBuffer* out)
{
    uint8_t* data = (uint8_t*)CoTaskMemAlloc(length ? length : 1);
    if (!data)
        return TW_E_FAIL;
    memcpy(data, bytes, length);
    out->length = length;
    out->data = data;
    return TW_S_OK;
}

} /* namespace */

/* ---- ComUltraliteC ------------------------------------------------------------------- */

TwResult TW_STDCALL ComUltraliteC::QueryInterface(const TwGuid* iid, void** out)
{
    if (!out)
        return TW_E_NOINTERFACE;
    *out = NULL;
    if (iid)
        FindInterface(iid, out);
    return *out ? TW_S_OK : TW_E_NOINTERFACE;
}

uint32_t TW_STDCALL ComUltraliteC::AddRef() { return ++refCount; }

uint32_t TW_STDCALL ComUltraliteC::Release()
{
    if (refCount == 0)
        return 0; /* already released to nothing: a further release changes nothing */
    if (--refCount != 0)
        return refCount;
    /* Reference traffic from within the destruction must not reach 0 a second time. */
    refCount = 100;
    if (!MayDestroy()) {
        refCount = 0;
        return 0;
    }
    delete this;
    return 0;
}

void ComUltraliteC::FindInterface(const TwGuid* iid, void** out)
{
    if (TwGuidEqual(iid, &IID_IUnknown)) {
        *out = this;
        AddRef();
    }
}

bool ComUltraliteC::MayDestroy() { return true; }

ComUltraliteC::~ComUltraliteC() { }

void ComUltraliteC::operator delete(void* block) { free(block); }

/* ---- FmApiInterfacesC: every view's IUnknown is the object's ---------------------------- */

TwResult TW_STDCALL FmApiInterfacesC::QueryInterface(const TwGuid* iid, void** out)
{
    return ComUltraliteC::QueryInterface(iid, out);
}

uint32_t TW_STDCALL FmApiInterfacesC::AddRef() { return ComUltraliteC::AddRef(); }

uint32_t TW_STDCALL FmApiInterfacesC::Release() { return ComUltraliteC::Release(); }

/* ---- FrameMakerNotificationsC --------------------------------------------------------- */

void FrameMakerNotificationsC::FindInterface(const TwGuid* iid, void** out)
{
    if (TwGuidEqual(iid, &IID_FrameMakerCMSNotifications0))
        *out = static_cast<IFrameMakerCMSNotifications0*>(this);
    else if (TwGuidEqual(iid, &IID_FrameMakerNotifications0))
        *out = static_cast<IFrameMakerNotifications0*>(this);
    else if (TwGuidEqual(iid, &IID_IUnknown))
        *out = static_cast<ComUltraliteC*>(this);
    else
        return;
    AddRef();
}

FrameMakerNotificationsC::~FrameMakerNotificationsC() { ConnectionShutdown(this); }

TwResult TW_STDCALL FrameMakerNotificationsC::CMSCommand(int32_t a, int32_t b, int32_t c, int32_t d, CmsResult* out)
{
    CmsResult result;
    memset(&result, 0, sizeof result);
    CmsCommandHandler(a, b, c, d, &result);
    if (out)
        DeepCopyCmsResult(out, &result, RecordHeapAlloc);
    DeepReleaseCmsResult(&result, RecordHeapRelease);
    return TW_S_OK;
}

TwResult TW_STDCALL FrameMakerNotificationsC::Initialize(int32_t initType)
{
    HandOnInitialize(initType);
    return TW_S_OK;
}

TwResult TW_STDCALL FrameMakerNotificationsC::Quit() { return TW_S_OK; }

TwResult TW_STDCALL FrameMakerNotificationsC::Command(int32_t command)
{
    HandOnCommand(command);
    return TW_S_OK;
}

TwResult TW_STDCALL FrameMakerNotificationsC::Message(int32_t a, int32_t b, int32_t c)
{
    MessageHandler(a, b, c);
    return TW_S_OK;
}

TwResult TW_STDCALL FrameMakerNotificationsC::DialogEvent(int32_t a, int32_t b, int32_t c)
{
    DialogEventHandler(a, b, c);
    return TW_S_OK;
}

TwResult TW_STDCALL FrameMakerNotificationsC::Notify(int32_t notification, ObjectId doc, const char* text,
                                                     int32_t value)
{
    if (notification != NOTIFY_SPLIT_FIELDS) {
        HandOnNotify(notification, doc, text, value);
        return TW_S_OK;
    }
    SplitNotification record;
    memset(&record, 0, sizeof record);
    SplitFields(text, &record);
    HandOnNotify(notification, doc, (const char*)&record, value);
    FreeSplitNotification(&record);
    return TW_S_OK;
}

TwResult TW_STDCALL FrameMakerNotificationsC::GetResource(int32_t type, const char* name, ResourceBuffer* out)
{
    if (!out)
        return TW_E_FAIL;
    if (type == 0) {
        char path[MODULE_PATH_SIZE];
        DWORD length = GetModuleFileNameA((HMODULE)Connection.module, path, sizeof path);
        /* A path cut short at the buffer's size is not the library's path. */
        if (length == 0 || length >= sizeof path)
            return TW_E_FAIL;
        return HandOut(path, length + 1, out);
    }
    HMODULE module = (HMODULE)Connection.module;
    HRSRC resource = FindResourceA(module, name, MAKEINTRESOURCEA(type));
    if (!resource)
        return TW_E_FAIL;
    DWORD size = SizeofResource(module, resource);
    const void* bytes = LockResource(LoadResource(module, resource));
    if (!bytes)
        return TW_E_FAIL;
    return HandOut(bytes, size, out);
}

/* ---- creation -------------------------------------------------------------------------- */

void SinkSetHandlers(const SinkHandlers* given) { handlers = given; }

FrameMakerNotificationsC* SinkCreate(void)
{
    void* block = malloc(sizeof(FrameMakerNotificationsC));
    if (!block)
        return NULL;
    return new (block) FrameMakerNotificationsC();
}

TwComObject* SinkPrimary(FrameMakerNotificationsC* sink)
{
    return reinterpret_cast<TwComObject*>(static_cast<ComUltraliteC*>(sink));
}
