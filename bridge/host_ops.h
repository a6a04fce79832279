/* host_ops.h - the host operations that Tagwright's own code may call, and nothing else.
 * Each is a plain function that reaches one slot of the host API interface (transport.cpp);
 * on failure it returns a neutral value and sets HostErrorNumber. */
#ifndef TAGWRIGHT_BRIDGE_HOST_OPS_H
#define TAGWRIGHT_BRIDGE_HOST_OPS_H

#include "bridge/boundary.h"

/* Last failure of any host operation: -1 not connected or call failed, -88 host busy,
 * -42 parameter list not allocated, else the host's status. Never reset. */
extern int32_t HostErrorNumber;

/* ---- property numbers the plug-in uses ---------------------------------------------- */
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

/* ---- single values ------------------------------------------------------------------- */
ObjectId GetIdProperty(ObjectId doc, ObjectId object, int32_t property);
int32_t GetIntProperty(ObjectId doc, ObjectId object, int32_t property);
int32_t GetMetricProperty(ObjectId doc, ObjectId object, int32_t property);
char* GetStringProperty(ObjectId doc, ObjectId object, int32_t property); /* caller frees: BridgeFree */
void SetIdProperty(ObjectId doc, ObjectId object, int32_t property, ObjectId value);
int32_t SetIntProperty(ObjectId doc, ObjectId object, int32_t property, int32_t value);
int32_t SetStringProperty(ObjectId doc, ObjectId object, int32_t property, const char* value);

/* ---- named objects, alerts, menus, notifications, console ---------------------------- */
ObjectId GetNamedObject(ObjectId doc, int32_t objectType, const char* name);
int32_t DeleteObject(ObjectId doc, ObjectId object);
int32_t ShowAlert(const char* message, int32_t kind);
ObjectId DefineMenu(const char* tag, const char* label);
ObjectId DefineAndAddMenu(ObjectId menuOrBar, const char* tag, const char* label);
ObjectId DefineAndAddCommand(int32_t command, ObjectId menu, const char* tag, const char* label, const char* shortcut);
int32_t AddCommandToMenu(ObjectId menu, ObjectId item);
int32_t AddMenuToMenu(ObjectId menuOrBar, ObjectId menu);
int32_t RequestNotification(int32_t notification, int32_t on);
int32_t PrintToConsole(const char* text);

/* ---- lists, ranges, whole property lists --------------------------------------------- */
IntList GetIntListProperty(ObjectId doc, ObjectId object, int32_t property);
StringArray GetStringArrayProperty(ObjectId doc, ObjectId object, int32_t property);
TabList GetTabListProperty(ObjectId doc, ObjectId object, int32_t property);
TextRange GetTextRangeProperty(ObjectId doc, ObjectId object, int32_t property);
void SetIntListProperty(ObjectId doc, ObjectId object, int32_t property, IntList* value);
int32_t SetTextRangeProperty(ObjectId doc, ObjectId object, int32_t property, TextRange* value);
PropertyList GetPropertyList(ObjectId doc, ObjectId object);
void SetPropertyList(ObjectId doc, ObjectId object, PropertyList* list);

/* ---- text, tables, documents ---------------------------------------------------------- */
ObjectId NewTable(ObjectId doc, const char* format, int32_t columns, int32_t bodyRows, int32_t headingRows, int32_t footingRows, TextLoc at);
ObjectId NewCustomDocument(int32_t width, int32_t height, int32_t columns, int32_t columnGap, int32_t top, int32_t bottom, int32_t inside, int32_t outside, int32_t sidedness, int32_t makeVisible);
TextLoc AddText(ObjectId doc, TextLoc* at, const char* text);
TextItemList GetTextForRange(ObjectId doc, TextRange* range, int32_t flags);
ObjectId OpenDocument(const char* fileName, PropertyList* params, PropertyList** returned);
ObjectId SaveDocument(ObjectId doc, const char* fileName, PropertyList* params, PropertyList** returned);
ObjectId SimpleOpen(const char* fileName, int32_t interactive);
ObjectId SimpleSave(ObjectId doc, const char* fileName, int32_t interactive);
int32_t CloseDocument(ObjectId doc, int32_t flags);
int32_t RedisplayDocument(ObjectId doc);
int32_t RunCommandCodes(int32_t count, int32_t* codes);
int32_t ChooseFromList(int32_t* chosen, const char* title, StringArray* items, int32_t defaultIndex);

#endif
