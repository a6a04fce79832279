/* transport.cpp - every host operation as a front end to one slot of the host API interface:
 * arguments in the slot's order, the host's answer mapped to a plain result, returned host
 * memory copied into plug-in memory (and the host's buffers released unless memory is
 * shared), and every failure recorded in HostErrorNumber, which is never reset. */
#include "bridge/transport.h"

#include <string.h>

#include "bridge/connection.h"
#include "bridge/host_ops.h"
#include "bridge/records.h"
#include "platform/win32.h"
#include "support/encoding.h"
#include "support/memory.h"

int32_t HostErrorNumber = 0;

PropertyList OpenReturnList = {0, NULL};
PropertyList SaveReturnList = {0, NULL};

namespace {

enum {
    HOST_ERROR_NOT_CONNECTED = -1,
    HOST_ERROR_CALL_FAILED = -1,
    HOST_ERROR_HOST_BUSY = -88,
    HOST_ERROR_NO_PARAMETER_LIST = -42
};

/* The host API interface; when there is none, records the failure and answers null. */
HostApi* Host()
{
    HostApi* api = ConnectionHostApi();
    if (!api)
        HostErrorNumber = HOST_ERROR_NOT_CONNECTED;
    return api;
}

/* A negative result code: the call did not happen as asked. */
bool CallFailed(TwResult result)
{
    if (result >= 0)
        return false;
    HostErrorNumber = result == TW_E_RETRYLATER ? HOST_ERROR_HOST_BUSY : HOST_ERROR_CALL_FAILED;
    return true;
}

/* The host's own refusal of the operation. */
bool StatusFailed(int32_t status)
{
    if (status == 0)
        return false;
    HostErrorNumber = status;
    return true;
}

bool Failed(TwResult result, int32_t status) { return CallFailed(result) || StatusFailed(status); }

void TaskMemRelease(void* block) { CoTaskMemFree(block); }

/* Releases what the host handed back once it has been copied, unless the host keeps it. */
template <typename List> void ReleaseHostList(List* list, void (*release)(List*, RecordReleaseFn))
{
    if (!Connection.sharedMemory)
        release(list, TaskMemRelease);
}

/* The list pattern after the call: copy, release the host's buffers, then hand out the copy
 * only when the host reported success (a copy that is not handed out is released). */
template <typename List>
List TakeList(TwResult result, int32_t status, List* host, int32_t (*copy)(List*, const List*, RecordAllocFn),
              void (*release)(List*, RecordReleaseFn))
{
    List empty;
    memset(&empty, 0, sizeof empty);
    if (CallFailed(result))
        return empty;
    List copied;
    int32_t copyResult = copy(&copied, host, RecordHeapAlloc);
    ReleaseHostList(host, release);
    if (StatusFailed(status) || copyResult != 0) {
        if (status == 0)
            HostErrorNumber = HOST_ERROR_CALL_FAILED;
        release(&copied, RecordHeapRelease);
        return empty;
    }
    return copied;
}

void ReleaseHostString(char** string, RecordReleaseFn release) { DeepReleaseString(string, release); }

/* The open/save pattern: the caller's previous return list is released, the host's list is
 * copied into the bridge's record for the operation and the caller pointed at it. */
ObjectId TakeReturnList(TwResult result, int32_t status, ObjectId id, PropertyList* host, PropertyList* record,
                        PropertyList** returned)
{
    if (CallFailed(result))
        return 0;
    if (returned && *returned)
        FreePropertyList(*returned);
    /* The record may still hold a list nobody released (a caller that passed no pointer):
     * release it before it is overwritten. */
    FreePropertyList(record);
    int32_t copyResult = 0;
    if (returned) {
        copyResult = DeepCopyPropertyList(record, host, RecordHeapAlloc);
        *returned = record;
    }
    ReleaseHostList(host, DeepReleasePropertyList);
    if (StatusFailed(status))
        return 0;
    if (copyResult != 0) {
        HostErrorNumber = HOST_ERROR_CALL_FAILED;
        FreePropertyList(record);
        return 0;
    }
    return id;
}

} /* namespace */

/* ---- registration ---------------------------------------------------------------------- */

void RegisterClient(TwComObject* sink, PropertyList* description)
{
    HostApi* api = ConnectionHostApi();
    if (!api)
        return;
    HostSlotRegisterClient(api)(api, sink, TW_INTERFACE_VERSION, description);
}

/* ---- single values --------------------------------------------------------------------- */

ObjectId GetIdProperty(ObjectId doc, ObjectId object, int32_t property)
{
    HostApi* api = Host();
    if (!api)
        return 0;
    PropertyIdent ident = {property, NULL};
    int32_t status = -1;
    ObjectId value = 0;
    TwResult result = HostSlotGetIdProperty(api)(api, doc, object, &ident, &status, &value);
    return Failed(result, status) ? 0 : value;
}

int32_t GetIntProperty(ObjectId doc, ObjectId object, int32_t property)
{
    HostApi* api = Host();
    if (!api)
        return 0;
    PropertyIdent ident = {property, NULL};
    int32_t status = -1;
    int32_t value = 0;
    TwResult result = HostSlotGetIntProperty(api)(api, doc, object, &ident, &status, &value);
    return Failed(result, status) ? 0 : value;
}

int32_t GetMetricProperty(ObjectId doc, ObjectId object, int32_t property)
{
    HostApi* api = Host();
    if (!api)
        return 0;
    PropertyIdent ident = {property, NULL};
    int32_t status = -1;
    int32_t value = 0;
    TwResult result = HostSlotGetMetricProperty(api)(api, doc, object, &ident, &status, &value);
    return Failed(result, status) ? 0 : value;
}

char* GetStringProperty(ObjectId doc, ObjectId object, int32_t property)
{
    HostApi* api = Host();
    if (!api)
        return NULL;
    PropertyIdent ident = {property, NULL};
    int32_t status = -1;
    char* value = NULL;
    TwResult result = HostSlotGetStringProperty(api)(api, doc, object, &ident, &status, &value);
    return TakeList<char*>(
        result, status, &value,
        [](char** d, char* const* s, RecordAllocFn alloc) { return DeepCopyString(d, *s, alloc); }, ReleaseHostString);
}

void SetIdProperty(ObjectId doc, ObjectId object, int32_t property, ObjectId value)
{
    HostApi* api = Host();
    if (!api)
        return;
    PropertyIdent ident = {property, NULL};
    int32_t status = -1;
    TwResult result = HostSlotSetIdProperty(api)(api, doc, object, &ident, value, &status);
    Failed(result, status);
}

/* The set-status pattern: 0, the host's status, or the failing result code itself. */
static int32_t SetStatus(TwResult result, int32_t status)
{
    if (CallFailed(result))
        return result;
    return StatusFailed(status) ? status : 0;
}

int32_t SetIntProperty(ObjectId doc, ObjectId object, int32_t property, int32_t value)
{
    HostApi* api = Host();
    if (!api)
        return HOST_ERROR_NOT_CONNECTED;
    PropertyIdent ident = {property, NULL};
    int32_t status = -1;
    TwResult result = HostSlotSetIntProperty(api)(api, doc, object, &ident, value, &status);
    return SetStatus(result, status);
}

int32_t SetStringProperty(ObjectId doc, ObjectId object, int32_t property, const char* value)
{
    HostApi* api = Host();
    if (!api)
        return HOST_ERROR_NOT_CONNECTED;
    PropertyIdent ident = {property, NULL};
    int32_t status = -1;
    TwResult result = HostSlotSetStringProperty(api)(api, doc, object, &ident, value, &status);
    return SetStatus(result, status);
}

/* ---- named objects, alerts, menus, notifications, console ---------------------------- */

/* The status pattern: 0, or the status variable (the host's status, -1 if it wrote none). */
static int32_t StatusResult(TwResult result, int32_t status) { return Failed(result, status) ? status : 0; }

ObjectId GetNamedObject(ObjectId doc, int32_t objectType, const char* name)
{
    HostApi* api = Host();
    if (!api)
        return 0;
    int32_t status = -1;
    ObjectId object = 0;
    TwResult result = HostSlotGetNamedObject(api)(api, doc, objectType, name, &status, &object);
    return Failed(result, status) ? 0 : object;
}

int32_t DeleteObject(ObjectId doc, ObjectId object)
{
    HostApi* api = Host();
    if (!api)
        return HOST_ERROR_NOT_CONNECTED;
    int32_t status = -1;
    TwResult result = HostSlotDeleteObject(api)(api, doc, object, &status);
    return StatusResult(result, status);
}

int32_t ShowAlert(const char* message, int32_t kind)
{
    HostApi* api = Host();
    if (!api)
        return 0;
    int32_t answer = -1;
    TwResult result = HostSlotShowAlert(api)(api, message, kind, &answer);
    return CallFailed(result) ? 0 : answer;
}

ObjectId DefineMenu(const char* tag, const char* label)
{
    HostApi* api = Host();
    if (!api)
        return 0;
    int32_t status = -1;
    ObjectId menu = 0;
    TwResult result = HostSlotDefineMenu(api)(api, tag, label, &status, &menu);
    return Failed(result, status) ? 0 : menu;
}

ObjectId DefineAndAddMenu(ObjectId menuOrBar, const char* tag, const char* label)
{
    HostApi* api = Host();
    if (!api)
        return 0;
    int32_t status = -1;
    ObjectId menu = 0;
    TwResult result = HostSlotDefineAndAddMenu(api)(api, menuOrBar, tag, label, &status, &menu);
    return Failed(result, status) ? 0 : menu;
}

ObjectId DefineAndAddCommand(int32_t command, ObjectId menu, const char* tag, const char* label, const char* shortcut)
{
    HostApi* api = Host();
    if (!api)
        return 0;
    int32_t status = -1;
    ObjectId commandId = 0;
    TwResult result = HostSlotDefineAndAddCommand(api)(api, command, menu, tag, label, shortcut, &status, &commandId);
    return Failed(result, status) ? 0 : commandId;
}

int32_t AddCommandToMenu(ObjectId menu, ObjectId item)
{
    HostApi* api = Host();
    if (!api)
        return HOST_ERROR_NOT_CONNECTED;
    int32_t status = -1;
    TwResult result = HostSlotAddCommandToMenu(api)(api, menu, item, &status);
    return StatusResult(result, status);
}

int32_t AddMenuToMenu(ObjectId menuOrBar, ObjectId menu)
{
    HostApi* api = Host();
    if (!api)
        return HOST_ERROR_NOT_CONNECTED;
    int32_t status = -1;
    TwResult result = HostSlotAddMenuToMenu(api)(api, menuOrBar, menu, &status);
    return StatusResult(result, status);
}

int32_t RequestNotification(int32_t notification, int32_t on)
{
    HostApi* api = Host();
    if (!api)
        return HOST_ERROR_NOT_CONNECTED;
    int32_t status = -1;
    TwResult result = HostSlotRequestNotification(api)(api, notification, on, &status);
    return StatusResult(result, status);
}

int32_t PrintToConsole(const char* text)
{
    HostApi* api = Host();
    if (!api)
        return HOST_ERROR_NOT_CONNECTED;
    int32_t status = -1;
    TwResult result = HostSlotPrintToConsole(api)(api, text, &status);
    return StatusResult(result, status);
}

/* ---- lists, ranges, whole property lists --------------------------------------------- */

IntList GetIntListProperty(ObjectId doc, ObjectId object, int32_t property)
{
    IntList value = {0, NULL};
    HostApi* api = Host();
    if (!api)
        return value;
    PropertyIdent ident = {property, NULL};
    int32_t status = -1;
    TwResult result = HostSlotGetIntListProperty(api)(api, doc, object, &ident, &status, &value);
    return TakeList(result, status, &value, DeepCopyIntList, DeepReleaseIntList);
}

StringArray GetStringArrayProperty(ObjectId doc, ObjectId object, int32_t property)
{
    StringArray value = {0, NULL};
    HostApi* api = Host();
    if (!api)
        return value;
    PropertyIdent ident = {property, NULL};
    int32_t status = -1;
    TwResult result = HostSlotGetStringArrayProperty(api)(api, doc, object, &ident, &status, &value);
    return TakeList(result, status, &value, DeepCopyStringArray, DeepReleaseStringArray);
}

TabList GetTabListProperty(ObjectId doc, ObjectId object, int32_t property)
{
    TabList value = {0, NULL};
    HostApi* api = Host();
    if (!api)
        return value;
    PropertyIdent ident = {property, NULL};
    int32_t status = -1;
    TwResult result = HostSlotGetTabListProperty(api)(api, doc, object, &ident, &status, &value);
    return TakeList(result, status, &value, DeepCopyTabList, DeepReleaseTabList);
}

TextRange GetTextRangeProperty(ObjectId doc, ObjectId object, int32_t property)
{
    TextRange value;
    memset(&value, 0, sizeof value);
    HostApi* api = Host();
    if (!api)
        return value;
    PropertyIdent ident = {property, NULL};
    int32_t status = -1;
    TwResult result = HostSlotGetTextRangeProperty(api)(api, doc, object, &ident, &status, &value);
    if (Failed(result, status))
        memset(&value, 0, sizeof value);
    return value;
}

void SetIntListProperty(ObjectId doc, ObjectId object, int32_t property, IntList* value)
{
    HostApi* api = Host();
    if (!api)
        return;
    PropertyIdent ident = {property, NULL};
    int32_t status = -1;
    TwResult result = HostSlotSetIntListProperty(api)(api, doc, object, &ident, value, &status);
    Failed(result, status);
}

int32_t SetTextRangeProperty(ObjectId doc, ObjectId object, int32_t property, TextRange* value)
{
    HostApi* api = Host();
    if (!api)
        return HOST_ERROR_NOT_CONNECTED;
    PropertyIdent ident = {property, NULL};
    int32_t status = -1;
    TwResult result = HostSlotSetTextRangeProperty(api)(api, doc, object, &ident, value, &status);
    return SetStatus(result, status);
}

PropertyList GetPropertyList(ObjectId doc, ObjectId object)
{
    PropertyList value = {0, NULL};
    HostApi* api = Host();
    if (!api)
        return value;
    int32_t status = -1;
    TwResult result = HostSlotGetPropertyList(api)(api, doc, object, &status, &value);
    return TakeList(result, status, &value, DeepCopyPropertyList, DeepReleasePropertyList);
}

void SetPropertyList(ObjectId doc, ObjectId object, PropertyList* list)
{
    HostApi* api = Host();
    if (!api)
        return;
    int32_t status = -1;
    TwResult result = HostSlotSetPropertyList(api)(api, doc, object, list, &status);
    Failed(result, status);
}

/* ---- text, tables, documents ---------------------------------------------------------- */

ObjectId NewTable(ObjectId doc, const char* format, int32_t columns, int32_t bodyRows, int32_t headingRows,
                  int32_t footingRows, TextLoc at)
{
    HostApi* api = Host();
    if (!api)
        return 0;
    int32_t status = -1;
    ObjectId table = 0;
    TwResult result =
        HostSlotNewTable(api)(api, doc, format, columns, bodyRows, headingRows, footingRows, &at, &status, &table);
    return Failed(result, status) ? 0 : table;
}

ObjectId NewCustomDocument(int32_t width, int32_t height, int32_t columns, int32_t columnGap, int32_t top,
                           int32_t bottom, int32_t inside, int32_t outside, int32_t sidedness, int32_t makeVisible)
{
    HostApi* api = Host();
    if (!api)
        return 0;
    int32_t status = -1;
    ObjectId doc = 0;
    TwResult result = HostSlotNewCustomDocument(api)(api, width, height, columns, columnGap, top, bottom, inside,
                                                     outside, sidedness, makeVisible, &status, &doc);
    return Failed(result, status) ? 0 : doc;
}

TextLoc AddText(ObjectId doc, TextLoc* at, const char* text)
{
    TextLoc after = {0, 0};
    HostApi* api = Host();
    if (!api)
        return after;
    int32_t status = -1;
    TwResult result = HostSlotAddText(api)(api, doc, at, text, &status, &after);
    if (Failed(result, status)) {
        after.object = 0;
        after.offset = 0;
    }
    return after;
}

TextItemList GetTextForRange(ObjectId doc, TextRange* range, int32_t flags)
{
    TextItemList value = {0, NULL};
    HostApi* api = Host();
    if (!api)
        return value;
    int32_t status = -1;
    TwResult result = HostSlotGetTextForRange(api)(api, doc, range, flags, &status, &value);
    return TakeList(result, status, &value, DeepCopyTextItemList, DeepReleaseTextItemList);
}

ObjectId OpenDocument(const char* fileName, PropertyList* params, PropertyList** returned)
{
    HostApi* api = Host();
    if (!api)
        return 0;
    int32_t status = -1;
    ObjectId doc = 0;
    PropertyList host = {0, NULL};
    TwResult result = HostSlotOpenDocument(api)(api, fileName, params, &status, &doc, &host);
    return TakeReturnList(result, status, doc, &host, &OpenReturnList, returned);
}

ObjectId SaveDocument(ObjectId doc, const char* fileName, PropertyList* params, PropertyList** returned)
{
    HostApi* api = Host();
    if (!api)
        return 0;
    int32_t status = -1;
    ObjectId saved = 0;
    PropertyList host = {0, NULL};
    TwResult result = HostSlotSaveDocument(api)(api, doc, fileName, params, &status, &saved, &host);
    return TakeReturnList(result, status, saved, &host, &SaveReturnList, returned);
}

namespace {

struct IntParameter {
    int32_t property;
    int32_t value;
};

/* Parameters of an interactive open, in the order the host receives them. */
const IntParameter InteractiveOpenParameters[] = {
    {1, 1},  {2, 1},  {14, 4}, {15, 4}, {16, 4}, {17, 4}, {18, 4}, {19, 4}, {20, 4},
    {21, 4}, {22, 4}, {23, 4}, {28, 4}, {24, 4}, {25, 4}, {4, 1},  {44, 0}, {29, 1},
};
const IntParameter QuietOpenParameters[] = {{29, 1}};
const IntParameter InteractiveSaveParameters[] = {{4, 1}, {5, 0}, {8, 1}, {2, 1}};

/* A parameter list of integer entries; false (and HostErrorNumber -42) when it cannot be
 * allocated. */
bool BuildParameters(const IntParameter* parameters, uint32_t count, PropertyList* list)
{
    *list = PropertyArrayAlloc(count);
    if (!list->entries) {
        HostErrorNumber = HOST_ERROR_NO_PARAMETER_LIST;
        return false;
    }
    for (uint32_t i = 0; i < count; i++) {
        list->entries[i].ident.number = parameters[i].property;
        list->entries[i].value.kind = VALUE_INT;
        list->entries[i].value.u.i = parameters[i].value;
    }
    return true;
}

} /* namespace */

ObjectId SimpleOpen(const char* fileName, int32_t interactive)
{
    PropertyList params;
    bool built = interactive
                     ? BuildParameters(InteractiveOpenParameters,
                                       sizeof InteractiveOpenParameters / sizeof InteractiveOpenParameters[0], &params)
                     : BuildParameters(QuietOpenParameters, 1, &params);
    if (!built)
        return 0;
    PropertyList* returned = NULL;
    ObjectId doc = OpenDocument(fileName, &params, &returned);
    FreePropertyList(&params);
    FreePropertyList(returned);
    return doc;
}

ObjectId SimpleSave(ObjectId doc, const char* fileName, int32_t interactive)
{
    PropertyList params = {0, NULL};
    if (interactive &&
        !BuildParameters(InteractiveSaveParameters,
                         sizeof InteractiveSaveParameters / sizeof InteractiveSaveParameters[0], &params))
        return 0;
    /* The host takes file names for saving in UTF-8. */
    char* converted = NULL;
    const char* name = fileName;
    if (fileName && CurrentEncoding() != ENCODING_UTF8) {
        converted = ToUtf8(fileName);
        /* A name that does not survive conversion must not become some other file. */
        if (!converted || (converted[0] == '\0' && fileName[0] != '\0')) {
            MemFree(converted);
            FreePropertyList(&params);
            HostErrorNumber = HOST_ERROR_CALL_FAILED;
            return 0;
        }
        name = converted;
    }
    PropertyList* returned = NULL;
    ObjectId saved = SaveDocument(doc, name, &params, &returned);
    MemFree(converted);
    FreePropertyList(&params);
    FreePropertyList(returned);
    return saved;
}

int32_t CloseDocument(ObjectId doc, int32_t flags)
{
    HostApi* api = Host();
    if (!api)
        return HOST_ERROR_NOT_CONNECTED;
    int32_t status = -1;
    TwResult result = HostSlotCloseDocument(api)(api, doc, flags, &status);
    return StatusResult(result, status);
}

int32_t RedisplayDocument(ObjectId doc)
{
    HostApi* api = Host();
    if (!api)
        return HOST_ERROR_NOT_CONNECTED;
    int32_t status = -1;
    TwResult result = HostSlotRedisplayDocument(api)(api, doc, &status);
    return StatusResult(result, status);
}

int32_t RunCommandCodes(int32_t count, int32_t* codes)
{
    HostApi* api = Host();
    if (!api)
        return HOST_ERROR_NOT_CONNECTED;
    IntList list = {(uint32_t)count, codes};
    int32_t status = -1;
    TwResult result = HostSlotRunCommandCodes(api)(api, &list, &status);
    return StatusResult(result, status);
}

int32_t ChooseFromList(int32_t* chosen, const char* title, StringArray* items, int32_t defaultIndex)
{
    HostApi* api = Host();
    if (!api)
        return -1;
    int32_t ignored = 0;
    /* The host always writes the status of the dialog. */
    int32_t status = 0;
    TwResult result = HostSlotChooseFromList(api)(api, &status, chosen ? chosen : &ignored, title, items, defaultIndex);
    if (CallFailed(result))
        return -1;
    /* A nonzero status is the user cancelling, not a host error. */
    return status == 0 ? 0 : -1;
}

/* ---- the error number around one call ------------------------------------------------- */

int32_t HostErrorSave(void)
{
    int32_t saved = HostErrorNumber;
    HostErrorNumber = 0;
    return saved;
}

int32_t HostErrorRestore(int32_t saved)
{
    if (HostErrorNumber != 0)
        return 1;
    HostErrorNumber = saved;
    return 0;
}

char* HostInstallDirectory(void)
{
    int32_t saved = HostErrorSave();
    char* directory = GetStringProperty(0, 0, PROP_INSTALL_DIR);
    if (HostErrorRestore(saved))
        return (char*)BridgeFree(directory);
    return directory;
}
