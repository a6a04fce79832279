/* host_ops.h - the host operations that Tagwright's own code may call, and nothing else.
 * Each is a plain function that reaches one slot of the host API interface (transport.cpp);
 * on failure it returns a neutral value and sets HostErrorNumber. */
#ifndef TAGWRIGHT_BRIDGE_HOST_OPS_H
#define TAGWRIGHT_BRIDGE_HOST_OPS_H

#include "bridge/boundary.h"

/* Last failure of any host operation: -1 not connected or call failed, -88 host busy,
 * -42 parameter list not allocated, else the host's status. Never reset. */
extern int32_t HostErrorNumber;

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
