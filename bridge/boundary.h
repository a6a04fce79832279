/* boundary.h - everything that crosses between a host and the Tagwright client library.
 * The plug-in and the stand-in host both include this header and nothing else of each
 * other: identifiers, COM-style result codes and interface layouts, and the flat records. */
#ifndef TAGWRIGHT_BRIDGE_BOUNDARY_H
#define TAGWRIGHT_BRIDGE_BOUNDARY_H

#include <stddef.h>
#include <stdint.h>
#if !defined(__cplusplus)
#include <assert.h> /* static_assert before C23 */
#endif

#if defined(_WIN32)
#define TW_STDCALL __stdcall
#else
#define TW_STDCALL
#endif

/* ---- identifiers and result codes ---------------------------------------------------- */

typedef uint32_t ObjectId; /* a host object; 0 is none */
typedef int32_t TwResult;  /* COM result code: negative is failure */

#define TW_S_OK ((TwResult)0)
#define TW_E_NOTIMPL ((TwResult)0x80004001u)
#define TW_E_NOINTERFACE ((TwResult)0x80004002u)
#define TW_E_FAIL ((TwResult)0x80004005u)
#define TW_E_RETRYLATER ((TwResult)0x8001010Au) /* host busy: call again later */

#define TW_INTERFACE_VERSION 0x14000000u
#define TW_END_OF_OBJECT 0x50000000 /* text offset: end of a paragraph, end mark included */
#define TW_END_OF_TEXT 0x4fffffff   /* text offset: end of a paragraph's text, before its end mark */

/* ---- COM-style interfaces ------------------------------------------------------------ */

typedef struct TwGuid {
    uint32_t data1;
    uint16_t data2;
    uint16_t data3;
    uint8_t data4[8];
} TwGuid;

static inline int TwGuidEqual(const TwGuid* a, const TwGuid* b)
{
    if (a->data1 != b->data1 || a->data2 != b->data2 || a->data3 != b->data3)
        return 0;
    for (int i = 0; i < 8; i++)
        if (a->data4[i] != b->data4[i])
            return 0;
    return 1;
}

/* Any COM object: a pointer to a table of function pointers, slot 0 first. */
typedef struct TwComObject {
    void* const* vtbl;
} TwComObject;

/* Typed slots. Every interface's slots are declared once, in a table below; each slot gets
 * an accessor, Accessor(object): the function in that slot of the object's table, as the
 * slot's type, and an installer, Installer(table, fn): puts a function of exactly that type
 * into the slot of a table being built. These two are the only code that indexes a table, so
 * a call with the wrong arguments, or an implementation of another signature, does not
 * compile on either side of the boundary. */
#define TW_SLOT_ACCESS(Fn, slot, Accessor, Installer)                                                                  \
    static inline Fn Accessor(const TwComObject* object) { return (Fn)object->vtbl[slot]; }                            \
    static inline void Installer(void** table, Fn fn) { table[slot] = (void*)fn; }

/* IUnknown: the first three slots of every interface. */
typedef TwResult(TW_STDCALL* TwQueryInterfaceFn)(TwComObject* self, const TwGuid* iid, void** out);
typedef uint32_t(TW_STDCALL* TwAddRefFn)(TwComObject* self);
typedef uint32_t(TW_STDCALL* TwReleaseFn)(TwComObject* self);

enum { TW_SLOT_QUERY_INTERFACE = 0, TW_SLOT_ADDREF = 1, TW_SLOT_RELEASE = 2, TW_UNKNOWN_SLOT_COUNT = 3 };

TW_SLOT_ACCESS(TwQueryInterfaceFn, TW_SLOT_QUERY_INTERFACE, TwSlotQueryInterface, TwInstallQueryInterface)
TW_SLOT_ACCESS(TwAddRefFn, TW_SLOT_ADDREF, TwSlotAddRef, TwInstallAddRef)
TW_SLOT_ACCESS(TwReleaseFn, TW_SLOT_RELEASE, TwSlotRelease, TwInstallRelease)

/* Interface identifiers. */
#define TW_GUID(a, b, c, d0, d1, d2, d3, d4, d5, d6, d7)                                                               \
    {                                                                                                                  \
        a, b, c, { d0, d1, d2, d3, d4, d5, d6, d7 }                                                                    \
    }
static const TwGuid IID_IUnknown = TW_GUID(0x00000000, 0x0000, 0x0000, 0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46);
static const TwGuid IID_HostApi = TW_GUID(0xCA913130, 0x7B0A, 0x11D0, 0x98, 0x5E, 0x00, 0x60, 0x97, 0x0B, 0xEC, 0x0B);
static const TwGuid IID_HostExtra1 =
    TW_GUID(0x9EB9EBDE, 0xEF45, 0x4FAA, 0xBA, 0x83, 0x80, 0xC3, 0x7E, 0x74, 0x6D, 0xD7);
static const TwGuid IID_HostExtra2 =
    TW_GUID(0xF9EDAC1F, 0x75C2, 0x4544, 0xA6, 0x5E, 0x36, 0xE3, 0xC5, 0xA4, 0xDB, 0xA1);
static const TwGuid IID_HostExtra3 =
    TW_GUID(0x5B0455F0, 0x0DB8, 0x11D1, 0x98, 0x6D, 0x00, 0x60, 0x97, 0x0B, 0xEC, 0x0B);
static const TwGuid IID_HostExtra4 =
    TW_GUID(0xEA34B890, 0x2289, 0x11D3, 0xBC, 0x05, 0x00, 0x80, 0x5F, 0xD9, 0x83, 0x89);
static const TwGuid IID_HostExtra5 =
    TW_GUID(0x895D2502, 0x96ED, 0x43E1, 0xA8, 0x8B, 0x45, 0x78, 0xA1, 0xAA, 0xA2, 0xB5);
static const TwGuid IID_HostExtra6 =
    TW_GUID(0xF8A1A179, 0xB5C9, 0x4AF8, 0x8E, 0x1A, 0xDA, 0x71, 0x43, 0x0E, 0xDB, 0xA1);
static const TwGuid IID_HostExtra7 =
    TW_GUID(0x02AC84A3, 0x499F, 0x4128, 0x93, 0x62, 0x0E, 0x38, 0xBB, 0x16, 0x20, 0xC9);
static const TwGuid IID_HostExtra8 =
    TW_GUID(0xB2159D69, 0xA7F0, 0x4978, 0x84, 0xA3, 0xC2, 0xCA, 0x54, 0x98, 0xF9, 0xFE);
static const TwGuid IID_HostExtra9 =
    TW_GUID(0xA76BE1F8, 0xB073, 0x4F2D, 0x95, 0x53, 0x98, 0x54, 0x38, 0x54, 0xE0, 0xFB);
static const TwGuid IID_HostExtra10 =
    TW_GUID(0x9D1E44A4, 0x9CCC, 0x4AB5, 0xB5, 0x55, 0x6F, 0xFA, 0xE7, 0x78, 0x34, 0x2C);
static const TwGuid IID_HostExtra11 =
    TW_GUID(0xEC7B1498, 0xED2D, 0x4278, 0xAE, 0x91, 0x07, 0x48, 0x1B, 0xCB, 0xBF, 0xD0);
static const TwGuid IID_HostConnection1 =
    TW_GUID(0x04C8B860, 0xBC3B, 0x11D0, 0x8E, 0x04, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00);
static const TwGuid IID_HostConnection2 =
    TW_GUID(0xF5AE87C2, 0x3FF6, 0x11D1, 0x94, 0x57, 0x00, 0x80, 0x5F, 0x29, 0x2B, 0x02);
static const TwGuid IID_HostConnection3 =
    TW_GUID(0xE1E9B610, 0x97D0, 0x11D3, 0xBC, 0x10, 0x00, 0x80, 0x5F, 0xD9, 0x83, 0x89);
static const TwGuid IID_FrameMakerCMSNotifications0 =
    TW_GUID(0x7AA0C49A, 0x1141, 0x44EF, 0xA7, 0x84, 0x15, 0x55, 0x93, 0xF9, 0x50, 0x25);
static const TwGuid IID_FrameMakerNotifications0 =
    TW_GUID(0xEB813990, 0xB81C, 0x11D0, 0x98, 0x5E, 0x00, 0x60, 0x97, 0x0B, 0xEC, 0x0B);

/* ---- flat records (field order is the layout; the host and the plug-in agree on it) ---- */

typedef struct IntList {
    uint32_t count;
    int32_t* values;
} IntList;

typedef struct StringArray {
    uint32_t count;
    char** strings;
} StringArray;

enum TabKind { TAB_LEFT = 1, TAB_CENTER = 2, TAB_RIGHT = 3, TAB_DECIMAL = 4 };

typedef struct Tab {
    int32_t position; /* metric */
    int32_t kind;     /* low byte: TabKind */
    char* leader;
    int32_t decimal; /* low byte: the decimal character */
} Tab;

typedef struct TabList {
    uint32_t count;
    Tab* tabs;
} TabList;

enum TextItemKind { TEXT_ITEM_STRING = 1 };

typedef struct TextItem {
    int32_t offset;
    int32_t kind;
    union {
        char* text;     /* kind 1 */
        uint32_t value; /* any other kind: an object id or a flag, never owned */
    } data;
} TextItem;

typedef struct TextItemList {
    uint32_t count;
    TextItem* items;
} TextItemList;

typedef struct TextLoc {
    ObjectId object;
    int32_t offset;
} TextLoc;

typedef struct TextRange {
    TextLoc begin;
    TextLoc end;
} TextRange;

typedef struct PropertyIdent {
    int32_t number;
    char* name; /* owned only when number is 0 */
} PropertyIdent;

/* Value kinds of a TypedValue. */
enum ValueKind {
    VALUE_INT = 1,
    VALUE_SCALAR2 = 2,
    VALUE_STRING = 3,
    VALUE_SCALAR4 = 4,
    VALUE_INTS = 5,
    VALUE_STRINGS = 6,
    VALUE_PAIRS7 = 7,
    VALUE_TABS = 8,
    VALUE_TEXTLOC = 9,
    VALUE_TEXTRANGE = 10,
    VALUE_PAIRS12 = 12,
    VALUE_INTS13 = 13,
    VALUE_BYTES = 14,
    VALUE_INTS15 = 15,
    VALUE_LIST17 = 17,
    VALUE_LIST18 = 18,
    VALUE_BLOCK = 19,
    VALUE_VALUES = 20,
    VALUE_LIST21 = 21,
    VALUE_LIST22 = 22
};

typedef struct PairList { /* kinds 7, 12: elements of two int32 */
    uint32_t count;
    int32_t (*pairs)[2];
} PairList;

typedef struct ByteList { /* kind 14 */
    uint32_t count;
    uint8_t* bytes;
} ByteList;

typedef struct Element17 {
    char* name;
    int32_t a;
    int32_t b;
    int32_t c;
    StringArray first;
    StringArray second;
    char* text1;
    char* text2;
} Element17;
typedef struct List17 {
    uint32_t count;
    Element17* elements;
} List17;

typedef struct Element18 {
    char* name;
    StringArray strings;
    int16_t value;
} Element18;
typedef struct List18 {
    uint32_t count;
    Element18* elements;
} List18;

typedef struct Element21 {
    char* name;
    StringArray first;
    StringArray second;
    uint16_t value;
    uint8_t flag;
} Element21;
typedef struct List21 {
    uint32_t count;
    Element21* elements;
} List21;

typedef struct Element22 {
    int32_t value;
    StringArray strings;
} Element22;
typedef struct List22 {
    uint32_t count;
    Element22* elements;
} List22;

#define VALUE_BLOCK_SIZE 24 /* kind 19 points at a flat block of this many bytes */

struct TypedValueList;

typedef struct TypedValue {
    int32_t kind;
    union {
        int32_t i;           /* kinds 1, 2, 4 */
        char* s;             /* kind 3 */
        IntList ints;        /* kinds 5, 13, 15 */
        StringArray strings; /* kind 6 */
        PairList pairs;      /* kinds 7, 12 */
        TabList tabs;        /* kind 8 */
        TextLoc loc;         /* kind 9 */
        TextRange range;     /* kind 10 */
        ByteList bytes;      /* kind 14 */
        List17 list17;
        List18 list18;
        void* block;                   /* kind 19 */
        struct TypedValueList* values; /* kind 20 */
        List21 list21;
        List22 list22;
        uint8_t raw[16];
    } u;
} TypedValue;

typedef struct TypedValueList { /* the record a kind 20 value points at */
    uint32_t count;
    TypedValue* values;
} TypedValueList;

typedef struct PropertyEntry {
    PropertyIdent ident;
    TypedValue value;
} PropertyEntry;

typedef struct PropertyList {
    uint32_t count;
    PropertyEntry* entries;
} PropertyList;

/* Out record of the sink's "CMSCommand". */
typedef struct CmsResult {
    int32_t first;
    int32_t second;
    char* text;
    IntList values;
} CmsResult;

/* Out record of the sink's "GetResource"; data comes from task memory and goes to the host. */
typedef struct ResourceBuffer {
    uint32_t length;
    uint8_t* data;
} ResourceBuffer;

/* ---- layouts on 32-bit Windows, where the host reads and writes these records byte for byte -- */
#if defined(_WIN32) && !defined(_WIN64)
static_assert(sizeof(IntList) == 8 && sizeof(StringArray) == 8, "a list record is {count; pointer}");
static_assert(sizeof(Tab) == 16, "Tab: position, kind, leader, decimal character");
static_assert(sizeof(TextItem) == 12, "TextItem: offset, kind, string or value");
static_assert(sizeof(TypedValue) == 20 && offsetof(TypedValue, u) == 4, "TypedValue: kind and 16 payload bytes");
static_assert(sizeof(PropertyEntry) == 28 && offsetof(PropertyEntry, value) == 8, "PropertyEntry: ident and value");
static_assert(sizeof(Element17) == 40, "kind 17 element");
static_assert(sizeof(Element18) == 16 && offsetof(Element18, value) == 12, "kind 18 element");
static_assert(sizeof(Element21) == 24 && offsetof(Element21, value) == 20 && offsetof(Element21, flag) == 22,
              "kind 21 element");
static_assert(sizeof(Element22) == 12, "kind 22 element");
static_assert(sizeof(CmsResult) == 20, "CMSCommand result record");
static_assert(sizeof(ResourceBuffer) == 8, "GetResource out record");
#elif UINTPTR_MAX > 0xffffffffu
/* ---- the natural 64-bit layouts (64-bit Windows; the Linux build runs the same): 8-byte
 * pointers aligned on 8, so a count before a pointer is followed by 4 bytes of padding ---- */
static_assert(sizeof(IntList) == 16 && offsetof(IntList, values) == 8 && sizeof(StringArray) == 16,
              "a list record is {count; padding; pointer}");
static_assert(sizeof(Tab) == 24 && offsetof(Tab, leader) == 8 && offsetof(Tab, decimal) == 16,
              "Tab: position, kind, leader, decimal character");
static_assert(sizeof(TextItem) == 16 && offsetof(TextItem, data) == 8, "TextItem: offset, kind, string or value");
static_assert(sizeof(TypedValue) == 24 && offsetof(TypedValue, u) == 8, "TypedValue: kind and 16 payload bytes");
static_assert(sizeof(PropertyEntry) == 40 && offsetof(PropertyEntry, value) == 16, "PropertyEntry: ident and value");
static_assert(sizeof(Element17) == 72 && offsetof(Element17, first) == 24 && offsetof(Element17, text1) == 56,
              "kind 17 element");
static_assert(sizeof(Element18) == 32 && offsetof(Element18, value) == 24, "kind 18 element");
static_assert(sizeof(Element21) == 48 && offsetof(Element21, value) == 40 && offsetof(Element21, flag) == 42,
              "kind 21 element");
static_assert(sizeof(Element22) == 24 && offsetof(Element22, strings) == 8, "kind 22 element");
static_assert(sizeof(CmsResult) == 32 && offsetof(CmsResult, values) == 16, "CMSCommand result record");
static_assert(sizeof(ResourceBuffer) == 16, "GetResource out record");
#endif

/* ---- the host API interface ----------------------------------------------------------
 * One row per slot the plug-in calls: X(ID, number, Name, parameters after the interface).
 * Each row gives HOST_SLOT_<ID> = number, the function type Host<Name>Fn (the interface
 * first), the accessor HostSlot<Name>(api) and the installer HostInstall<Name>(table, fn).
 * "status" out-parameters are int32 (0 = success). */

typedef TwComObject HostApi;

#define TW_HOST_SLOTS(X)                                                                                               \
    X(REGISTER_CLIENT, 3, RegisterClient, TwComObject* sink, uint32_t version, PropertyList* description)              \
    X(RUN_COMMAND_CODES, 7, RunCommandCodes, IntList* codes, int32_t* status)                                          \
    X(REQUEST_NOTIFICATION, 8, RequestNotification, int32_t notification, int32_t on, int32_t* status)                 \
    X(DEFINE_MENU, 13, DefineMenu, const char* tag, const char* label, int32_t* status, ObjectId* menu)                \
    X(ADD_COMMAND_TO_MENU, 14, AddCommandToMenu, ObjectId menu, ObjectId item, int32_t* status)                        \
    X(ADD_MENU_TO_MENU, 15, AddMenuToMenu, ObjectId menuOrBar, ObjectId menu, int32_t* status)                         \
    X(DEFINE_AND_ADD_MENU, 16, DefineAndAddMenu, ObjectId menuOrBar, const char* tag, const char* label,               \
      int32_t* status, ObjectId* menu)                                                                                 \
    X(SHOW_ALERT, 20, ShowAlert, const char* message, int32_t kind, int32_t* answer)                                   \
    X(PRINT_TO_CONSOLE, 24, PrintToConsole, const char* text, int32_t* status)                                         \
    X(CHOOSE_FROM_LIST, 26, ChooseFromList, int32_t* status, int32_t* chosen, const char* title, StringArray* items,   \
      int32_t defaultIndex)                                                                                            \
    X(OPEN_DOCUMENT, 32, OpenDocument, const char* fileName, PropertyList* params, int32_t* status, ObjectId* doc,     \
      PropertyList* returned)                                                                                          \
    X(SAVE_DOCUMENT, 33, SaveDocument, ObjectId doc, const char* fileName, PropertyList* params, int32_t* status,      \
      ObjectId* saved, PropertyList* returned)                                                                         \
    X(NEW_CUSTOM_DOCUMENT, 34, NewCustomDocument, int32_t width, int32_t height, int32_t columns, int32_t columnGap,   \
      int32_t top, int32_t bottom, int32_t inside, int32_t outside, int32_t sidedness, int32_t makeVisible,            \
      int32_t* status, ObjectId* doc)                                                                                  \
    X(CLOSE_DOCUMENT, 35, CloseDocument, ObjectId doc, int32_t flags, int32_t* status)                                 \
    X(REDISPLAY_DOCUMENT, 66, RedisplayDocument, ObjectId doc, int32_t* status)                                        \
    X(DELETE_OBJECT, 67, DeleteObject, ObjectId doc, ObjectId object, int32_t* status)                                 \
    X(GET_NAMED_OBJECT, 68, GetNamedObject, ObjectId doc, int32_t objectType, const char* name, int32_t* status,       \
      ObjectId* object)                                                                                                \
    X(ADD_TEXT, 73, AddText, ObjectId doc, TextLoc* at, const char* text, int32_t* status, TextLoc* after)             \
    X(GET_PROPERTY_LIST, 83, GetPropertyList, ObjectId doc, ObjectId object, int32_t* status, PropertyList* out)       \
    X(SET_PROPERTY_LIST, 84, SetPropertyList, ObjectId doc, ObjectId object, PropertyList* list, int32_t* status)      \
    X(GET_INT_PROPERTY, 85, GetIntProperty, ObjectId doc, ObjectId object, PropertyIdent* ident, int32_t* status,      \
      int32_t* value)                                                                                                  \
    X(SET_INT_PROPERTY, 86, SetIntProperty, ObjectId doc, ObjectId object, PropertyIdent* ident, int32_t value,        \
      int32_t* status)                                                                                                 \
    X(GET_ID_PROPERTY, 89, GetIdProperty, ObjectId doc, ObjectId object, PropertyIdent* ident, int32_t* status,        \
      ObjectId* value)                                                                                                 \
    X(SET_ID_PROPERTY, 90, SetIdProperty, ObjectId doc, ObjectId object, PropertyIdent* ident, ObjectId value,         \
      int32_t* status)                                                                                                 \
    X(GET_METRIC_PROPERTY, 91, GetMetricProperty, ObjectId doc, ObjectId object, PropertyIdent* ident,                 \
      int32_t* status, int32_t* value)                                                                                 \
    X(GET_TEXT_RANGE_PROPERTY, 95, GetTextRangeProperty, ObjectId doc, ObjectId object, PropertyIdent* ident,          \
      int32_t* status, TextRange* value)                                                                               \
    X(SET_TEXT_RANGE_PROPERTY, 96, SetTextRangeProperty, ObjectId doc, ObjectId object, PropertyIdent* ident,          \
      TextRange* value, int32_t* status)                                                                               \
    X(GET_STRING_PROPERTY, 97, GetStringProperty, ObjectId doc, ObjectId object, PropertyIdent* ident,                 \
      int32_t* status, char** value)                                                                                   \
    X(SET_STRING_PROPERTY, 98, SetStringProperty, ObjectId doc, ObjectId object, PropertyIdent* ident,                 \
      const char* value, int32_t* status)                                                                              \
    X(GET_STRING_ARRAY_PROPERTY, 99, GetStringArrayProperty, ObjectId doc, ObjectId object, PropertyIdent* ident,      \
      int32_t* status, StringArray* value)                                                                             \
    X(GET_INT_LIST_PROPERTY, 101, GetIntListProperty, ObjectId doc, ObjectId object, PropertyIdent* ident,             \
      int32_t* status, IntList* value)                                                                                 \
    X(SET_INT_LIST_PROPERTY, 102, SetIntListProperty, ObjectId doc, ObjectId object, PropertyIdent* ident,             \
      IntList* value, int32_t* status)                                                                                 \
    X(GET_TAB_LIST_PROPERTY, 105, GetTabListProperty, ObjectId doc, ObjectId object, PropertyIdent* ident,             \
      int32_t* status, TabList* value)                                                                                 \
    X(GET_TEXT_FOR_RANGE, 110, GetTextForRange, ObjectId doc, TextRange* range, int32_t flags, int32_t* status,        \
      TextItemList* items)                                                                                             \
    X(NEW_TABLE, 140, NewTable, ObjectId doc, const char* format, int32_t columns, int32_t bodyRows,                   \
      int32_t headingRows, int32_t footingRows, TextLoc* at, int32_t* status, ObjectId* table)                         \
    X(DEFINE_AND_ADD_COMMAND, 164, DefineAndAddCommand, int32_t command, ObjectId menu, const char* tag,               \
      const char* label, const char* shortcut, int32_t* status, ObjectId* commandId)

enum HostSlot {
#define TW_HOST_SLOT_NUMBER(id, number, name, ...) HOST_SLOT_##id = number,
    TW_HOST_SLOTS(TW_HOST_SLOT_NUMBER)
#undef TW_HOST_SLOT_NUMBER
        HOST_SLOT_COUNT = 165 /* the size of the interface's table */
};

#define TW_HOST_SLOT_TYPE(id, number, name, ...)                                                                       \
    typedef TwResult(TW_STDCALL* Host##name##Fn)(HostApi * self, __VA_ARGS__);
TW_HOST_SLOTS(TW_HOST_SLOT_TYPE)
#undef TW_HOST_SLOT_TYPE

#define TW_HOST_SLOT_ACCESS(id, number, name, ...)                                                                     \
    static_assert(HOST_SLOT_##id < HOST_SLOT_COUNT, "host slot " #name " lies inside the table");                      \
    TW_SLOT_ACCESS(Host##name##Fn, HOST_SLOT_##id, HostSlot##name, HostInstall##name)
TW_HOST_SLOTS(TW_HOST_SLOT_ACCESS)
#undef TW_HOST_SLOT_ACCESS

/* Connection interfaces: one method each after the IUnknown three (slot 3), X(n, parameters
 * after the interface) for the n-th. The first takes the value 1 and answers 0 when host and
 * client share memory; the second takes the module handle; the plug-in asks for the third
 * but never calls it. Each gives HostConnection<n>Fn, HostConnectionSlot<n>(object) and
 * HostConnectionInstall<n>(table, fn). */
enum { HOST_CONNECTION_SLOT = 3, HOST_CONNECTION_SLOT_COUNT = 4 };

#define TW_HOST_CONNECTION_SLOTS(X)                                                                                    \
    X(1, int32_t value)                                                                                                \
    X(2, void* module)                                                                                                 \
    X(3, int32_t value)

#define TW_HOST_CONNECTION_SLOT(n, ...)                                                                                \
    typedef TwResult(TW_STDCALL* HostConnection##n##Fn)(TwComObject * self, __VA_ARGS__);                              \
    TW_SLOT_ACCESS(HostConnection##n##Fn, HOST_CONNECTION_SLOT, HostConnectionSlot##n, HostConnectionInstall##n)
TW_HOST_CONNECTION_SLOTS(TW_HOST_CONNECTION_SLOT)
#undef TW_HOST_CONNECTION_SLOT

/* ---- the client's notification interfaces, as the host calls them ---------------------
 * One row per method after the IUnknown three, in slot order: X(ID, number, Name, parameters
 * after the interface). The notification interface's rows give NOTIFY_SLOT_<ID>, the
 * function type Notify<Name>Fn and the accessor NotifySlot<Name>(object); the CMS
 * interface's give CMS_SLOT_<ID>, Cms<Name>Fn and CmsSlot<Name>(object). The plug-in's sink
 * declares its methods from the same rows (bridge/sink.h), the CMS ones as CMS<Name>. */

#define TW_NOTIFY_SLOTS(X)                                                                                             \
    X(INITIALIZE, 3, Initialize, int32_t initType)                                                                     \
    X(QUIT, 4, Quit)                                                                                                   \
    X(COMMAND, 5, Command, int32_t command)                                                                            \
    X(MESSAGE, 6, Message, int32_t a, int32_t b, int32_t c)                                                            \
    X(DIALOG_EVENT, 7, DialogEvent, int32_t a, int32_t b, int32_t c)                                                   \
    X(NOTIFY, 8, Notify, int32_t notification, ObjectId doc, const char* text, int32_t value)                          \
    X(GET_RESOURCE, 9, GetResource, int32_t type, const char* name, ResourceBuffer* out)

#define TW_CMS_SLOTS(X) X(COMMAND, 3, Command, int32_t a, int32_t b, int32_t c, int32_t d, CmsResult* out)

enum NotificationSlot {
#define TW_NOTIFY_SLOT_NUMBER(id, number, name, ...) NOTIFY_SLOT_##id = number,
    TW_NOTIFY_SLOTS(TW_NOTIFY_SLOT_NUMBER)
#undef TW_NOTIFY_SLOT_NUMBER
};

enum CmsNotificationSlot {
#define TW_CMS_SLOT_NUMBER(id, number, name, ...) CMS_SLOT_##id = number,
    TW_CMS_SLOTS(TW_CMS_SLOT_NUMBER)
#undef TW_CMS_SLOT_NUMBER
};

/* The sink's methods take their slots in the order they are declared: the rows must be in
 * slot order, straight after IUnknown's. */
enum NotificationSlotOrder {
    NOTIFY_ORDER_START = TW_UNKNOWN_SLOT_COUNT - 1,
#define TW_NOTIFY_SLOT_ORDER(id, number, name, ...) NOTIFY_ORDER_##id,
    TW_NOTIFY_SLOTS(TW_NOTIFY_SLOT_ORDER)
#undef TW_NOTIFY_SLOT_ORDER
};
enum CmsNotificationSlotOrder {
    CMS_ORDER_START = TW_UNKNOWN_SLOT_COUNT - 1,
#define TW_CMS_SLOT_ORDER(id, number, name, ...) CMS_ORDER_##id,
    TW_CMS_SLOTS(TW_CMS_SLOT_ORDER)
#undef TW_CMS_SLOT_ORDER
};

#define TW_NOTIFY_SLOT_ACCESS(id, number, name, ...)                                                                   \
    static_assert((int)NOTIFY_ORDER_##id == (int)NOTIFY_SLOT_##id, "notification rows in slot order: " #name);         \
    typedef TwResult(TW_STDCALL* Notify##name##Fn)(TwComObject * self __VA_OPT__(, ) __VA_ARGS__);                     \
    TW_SLOT_ACCESS(Notify##name##Fn, NOTIFY_SLOT_##id, NotifySlot##name, NotifyInstall##name)
TW_NOTIFY_SLOTS(TW_NOTIFY_SLOT_ACCESS)
#undef TW_NOTIFY_SLOT_ACCESS

#define TW_CMS_SLOT_ACCESS(id, number, name, ...)                                                                      \
    static_assert((int)CMS_ORDER_##id == (int)CMS_SLOT_##id, "CMS rows in slot order: " #name);                        \
    typedef TwResult(TW_STDCALL* Cms##name##Fn)(TwComObject * self __VA_OPT__(, ) __VA_ARGS__);                        \
    TW_SLOT_ACCESS(Cms##name##Fn, CMS_SLOT_##id, CmsSlot##name, CmsInstall##name)
TW_CMS_SLOTS(TW_CMS_SLOT_ACCESS)
#undef TW_CMS_SLOT_ACCESS

/* ---- the one exported entry point ---------------------------------------------------- */

typedef int32_t(TW_STDCALL* ClientInitFn)(void* module, TwComObject* host, TwComObject* retained,
                                          PropertyList* description);
#define TW_CLIENT_INIT_SYMBOL "F_ApiClientInit"

/* Task memory: on Windows CoTaskMemAlloc/CoTaskMemFree; elsewhere both sides use the C
 * runtime's malloc/free, which one process shares. */

/* ---- numbers both sides of the boundary use: properties, object types, alert kinds,
 * notifications, component kinds and command codes ----------------------------------- */
enum HostProperty {
    PROP_NAME = 20,
    PROP_LABEL = 30,
    PROP_ACTIVE_DOC = 51,
    PROP_ACTIVE_BOOK = 52,
    PROP_FIRST_OPEN_DOC = 53,
    PROP_FONT_FAMILIES = 55,
    PROP_FONT_VARIATIONS = 56,
    PROP_FONT_WEIGHTS = 57,
    PROP_FONT_ANGLES = 58,
    PROP_INSTALL_DIR = 89,
    PROP_SCREEN_UPDATING = 92,
    PROP_STATUS_LINE = 108,
    PROP_SELECTION = 109,
    PROP_NEXT_OPEN_DOC = 111,
    PROP_FIRST_TEXT_HOLDER = 119,
    PROP_FIRST_TABLE = 120,
    PROP_FIRST_FLOW = 121,
    PROP_FIRST_PGF_FORMAT = 122,
    PROP_SELECTED_TABLE = 129,
    PROP_DOC_MODE = 155,
    PROP_CURRENT_PAGE = 236,
    PROP_DISPLAY_UNITS = 390,
    PROP_FONT_SIZE_UNITS = 396,
    PROP_FIRST_MASTER_PAGE = 417,
    PROP_FIRST_REFERENCE_PAGE = 419,
    PROP_MAIN_FLOW = 422,
    PROP_FIRST_COMPONENT = 491,
    PROP_NEXT_COMPONENT = 527,
    PROP_NEXT_PGF_FORMAT = 580,
    PROP_NEXT_TAG_NAME = 552,
    PROP_USE_NEXT_TAG = 566,
    PROP_LEAVE_UNCHANGED = 588,
    PROP_OVERRIDE = 590,
    PROP_NEXT_PAGE = 694,
    PROP_NEXT_PARAGRAPH = 717,
    PROP_FIRST_PARAGRAPH = 972,
    PROP_LAST_PARAGRAPH = 973,
    PROP_NEXT_FRAME = 981,
    PROP_FRAME_FLOW = 982,
    PROP_PARAGRAPH_CELL = 1000,
    PROP_PARAGRAPH_FRAME = 1001,
    PROP_NEXT_TEXT_HOLDER = 1003,
    PROP_NEXT_FLOW = 1162,
    PROP_FIRST_FRAME = 1169,
    PROP_LAST_FRAME = 1170,
    PROP_CELL_ROW = 1198,
    PROP_NEXT_CELL = 1202,
    PROP_CELL_COLUMN = 1205,
    PROP_NEXT_ROW = 1245,
    PROP_FIRST_CELL = 1247,
    PROP_TABLE_SETTING = 1289,
    PROP_NEXT_TABLE = 1337,
    PROP_FIRST_ROW = 1338,
    PROP_COLUMN_WIDTHS = 1345,
    PROP_NEXT_MENU_ITEM = 1923,
    PROP_FIRST_MENU_ITEM = 1927,
    PROP_FIRST_CHILD_COMPONENT = 2324,
    PROP_PARENT_COMPONENT = 2325,
    PROP_COMPONENT_KIND = 2329
};

/* Named-object types, alert kinds, notifications and command codes. */
enum {
    OBJ_PGF_FORMAT = 32,
    OBJ_MENU = 55,
    OBJ_MENU_SEPARATOR = 57,
    ALERT_QUESTION = 1,
    ALERT_NOTE = 2,
    ALERT_WARNING = 3,
    NOTIFY_MESSAGE = 13,
    NOTIFY_SPLIT_FIELDS = 75,
    COMPONENT_GROUP = 2,
    COMPONENT_FOLDER = 64,
    COMPONENT_DOCUMENT = 512,
    COMMAND_SHOW_SELECTION = 259
};

/* Open and save: the parameter that opens a file as a new untitled document, and the entries
 * of the list that open and save return (the file name and the status). */
enum { OPEN_PARAM_AS_NEW_DOCUMENT = 29, RETURN_ENTRY_FILE_NAME = 1, RETURN_ENTRY_STATUS = 2 };

/* ---- the client's commands ----------------------------------------------------------
 * One table of every command: the number the host passes to "Command", the command name
 * (the host is told it when the command is defined, and the client's handler bears it),
 * the menu label, the text another client sends through notification 13 to run it, the
 * keyboard shortcut, and flags. Expand TW_COMMANDS with a macro of seven arguments. */

#define TW_COMMAND_NEEDS_DOCUMENT 1 /* without an active document: "Please open a document first." */
#define TW_COMMAND_ON_BOOK 2        /* works on the active book rather than the active document */
/* Needs an active document as well, but without one the command ends without a word. */
#define TW_COMMAND_QUIET_WITHOUT_DOCUMENT 4

#define TW_COMMANDS(X)                                                                                                 \
    X(TW_CMD_LIST_USAGE, 1, ListParagraphUsage, "List Paragraph Usage", "ListParagraphUsage", "",                      \
      TW_COMMAND_NEEDS_DOCUMENT)                                                                                       \
    X(TW_CMD_DELETE_UNUSED, 2, DeleteUnusedParagraphs, "Delete Unused Paragraph Tags", "DeleteUnusedParagraphs", "",   \
      TW_COMMAND_NEEDS_DOCUMENT)                                                                                       \
    X(TW_CMD_CREATE_LIST, 3, CreateParagraphList, "Create Paragraph Tag List", "CreateParagraphList", "",              \
      TW_COMMAND_NEEDS_DOCUMENT)                                                                                       \
    X(TW_CMD_REMOVE_NONLIST, 4, RemoveNonlistParagraphs, "Remove Non-list Paragraph Tags", "RemoveNonlistParagraphs",  \
      "", TW_COMMAND_NEEDS_DOCUMENT)                                                                                   \
    X(TW_CMD_CREATE_CONVERSION, 5, CreateConversionDocument, "Create Conversion Document", "CreateConversionDocument", \
      "", TW_COMMAND_NEEDS_DOCUMENT)                                                                                   \
    X(TW_CMD_CONVERT, 6, ConvertParagraphsInDoc, "Convert Paragraphs", "ConvertParagraphsDoc", "",                     \
      TW_COMMAND_NEEDS_DOCUMENT)                                                                                       \
    X(TW_CMD_REMOVE_OVERRIDES, 7, RemoveOverrides, "Remove Overrides", "RemoveOverrides", "",                          \
      TW_COMMAND_NEEDS_DOCUMENT)                                                                                       \
    X(TW_CMD_FIND_NEXT_OVERRIDE, 8, FindNextOverride, "Find Next Override", "FindNextOverride", "\\!ov",               \
      TW_COMMAND_NEEDS_DOCUMENT)                                                                                       \
    X(TW_CMD_LIST_USAGE_BOOK, 9, ListParagraphUsageBook, "List Paragraph Usage", "ListParagraphUsageBook", "",         \
      TW_COMMAND_ON_BOOK)                                                                                              \
    X(TW_CMD_DELETE_UNUSED_BOOK, 10, DeleteUnusedParagraphsBook, "Delete Unused Paragraph Tags",                       \
      "DeleteUnusedParagraphsBook", "", TW_COMMAND_ON_BOOK)                                                            \
    X(TW_CMD_CREATE_LIST_BOOK, 11, CreateParagraphListBook, "Create Paragraph Tag List", "CreateParagraphListBook",    \
      "", TW_COMMAND_ON_BOOK)                                                                                          \
    X(TW_CMD_REMOVE_NONLIST_BOOK, 12, RemoveNonlistParagraphsBook, "Remove Non-list Paragraph Tags",                   \
      "RemoveNonlistParagraphsBook", "", TW_COMMAND_ON_BOOK)                                                           \
    X(TW_CMD_CREATE_CONVERSION_BOOK, 13, CreateConversionDocumentBook, "Create Conversion Document",                   \
      "CreateConversionDocumentBook", "", TW_COMMAND_ON_BOOK)                                                          \
    X(TW_CMD_CONVERT_BOOK, 14, ConvertParagraphsBook, "Convert Paragraphs", "ConvertParagraphsBook", "",               \
      TW_COMMAND_ON_BOOK)                                                                                              \
    X(TW_CMD_REMOVE_OVERRIDES_BOOK, 15, RemoveOverridesBook, "Remove Overrides", "RemoveOverridesBook", "",            \
      TW_COMMAND_ON_BOOK)                                                                                              \
    X(TW_CMD_TAG_REPORT, 16, GenerateParagraphTagReport, "All Tags", "GenerateParagraphTagReport", "",                 \
      TW_COMMAND_QUIET_WITHOUT_DOCUMENT)                                                                               \
    X(TW_CMD_TAG_REPORT_SINGLE, 17, GenerateParagraphTagReportSingle, "Selected Tag...",                               \
      "GenerateParagraphTagReportSingle", "", TW_COMMAND_QUIET_WITHOUT_DOCUMENT)                                       \
    X(TW_CMD_LIST_USAGE_BOOK_FILES, 18, ListParagraphUsageBookIndFiles, "List Paragraph Usage - Individual",           \
      "ListParagraphUsageBookIndvidual", "", TW_COMMAND_ON_BOOK)                                                       \
    X(TW_CMD_LIST_USAGE_BOOK_BY_TAG, 19, ParagraphUsageBookByFormat, "List Paragraph Usage - By Tag",                  \
      "ListParagraphUsageBookByTag", "", TW_COMMAND_ON_BOOK)                                                           \
    X(TW_CMD_ABOUT, 1000, TagwrightAbout, "About Tagwright...", "TagwrightAbout", "", 0)

enum TwCommandNumber {
#define TW_COMMAND_NUMBER(id, number, name, label, message, shortcut, flags) id = number,
    TW_COMMANDS(TW_COMMAND_NUMBER)
#undef TW_COMMAND_NUMBER
};

typedef struct TwCommandInfo {
    int32_t number;
    const char* name;     /* command name; also the name of its handler */
    const char* label;    /* menu label */
    const char* message;  /* text of notification 13 that runs it (several differ from the name) */
    const char* shortcut; /* keyboard shortcut, or "" */
    int32_t flags;        /* TW_COMMAND_NEEDS_DOCUMENT, TW_COMMAND_ON_BOOK, TW_COMMAND_QUIET_WITHOUT_DOCUMENT */
} TwCommandInfo;

static const TwCommandInfo TwCommandInfos[] = {
#define TW_COMMAND_INFO(id, number, name, label, message, shortcut, flags)                                             \
    {number, #name, label, message, shortcut, flags},
    TW_COMMANDS(TW_COMMAND_INFO)
#undef TW_COMMAND_INFO
};
enum { TW_COMMAND_COUNT = sizeof(TwCommandInfos) / sizeof(TwCommandInfos[0]) };

/* The command of that number; null for none. */
static inline const TwCommandInfo* TwCommandByNumber(int32_t number)
{
    for (size_t i = 0; i < TW_COMMAND_COUNT; i++)
        if (TwCommandInfos[i].number == number)
            return &TwCommandInfos[i];
    return NULL;
}

#endif
