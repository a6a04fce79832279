/* records.h - copy and release rules for the flat records that cross the host boundary.
 * Two families: the DeepCopy and DeepRelease functions take the allocator and release to use
 * (host task memory or plug-in heap); Duplicate and Free always use the bridge's heap. */
#ifndef TAGWRIGHT_BRIDGE_RECORDS_H
#define TAGWRIGHT_BRIDGE_RECORDS_H

#include <stddef.h>

#include "bridge/boundary.h"

/* The argument "Notify" hands the handler for notification 75: the string split at each
 * character 30, the first six fields in the slots, the rest in order in further. Every
 * string in it is owned by the record. */
typedef struct SplitNotification {
    char* fields[6];
    StringArray further;
} SplitNotification;
#if defined(_WIN32) && !defined(_WIN64)
static_assert(sizeof(SplitNotification) == 32, "six strings and a StringArray");
#endif

/* ---- family 1: supplied allocator and release function -------------------------------- */

typedef void* (*RecordAllocFn)(size_t size);
typedef void (*RecordReleaseFn)(void* block);

/* Each copy writes into a destination record the caller provides and returns 0, or -1 when
 * an allocation failed: the destination is then still consistent (a failed array leaves an
 * empty list, a failed string a null) and can be released with the matching release. */
int32_t DeepCopyString(char** destination, const char* source, RecordAllocFn alloc);
int32_t DeepCopyIntList(IntList* destination, const IntList* source, RecordAllocFn alloc);
int32_t DeepCopyValue(TypedValue* destination, const TypedValue* source, RecordAllocFn alloc);
int32_t DeepCopyPropertyList(PropertyList* destination, const PropertyList* source, RecordAllocFn alloc);
int32_t DeepCopyStringArray(StringArray* destination, const StringArray* source, RecordAllocFn alloc);
int32_t DeepCopyTabList(TabList* destination, const TabList* source, RecordAllocFn alloc);
int32_t DeepCopyTextItemList(TextItemList* destination, const TextItemList* source, RecordAllocFn alloc);
int32_t DeepCopyList17(List17* destination, const List17* source, RecordAllocFn alloc);
int32_t DeepCopyList18(List18* destination, const List18* source, RecordAllocFn alloc);
int32_t DeepCopyList21(List21* destination, const List21* source, RecordAllocFn alloc);
int32_t DeepCopyList22(List22* destination, const List22* source, RecordAllocFn alloc);
int32_t DeepCopyCmsResult(CmsResult* destination, const CmsResult* source, RecordAllocFn alloc);

/* Each release frees every owned block with the given function and leaves {0, null}; a null
 * record, null strings and null nested pointers are skipped. */
void DeepReleaseString(char** string, RecordReleaseFn release);
void DeepReleaseIntList(IntList* list, RecordReleaseFn release);
void DeepReleaseValue(TypedValue* value, RecordReleaseFn release);
void DeepReleasePropertyList(PropertyList* list, RecordReleaseFn release);
void DeepReleaseStringArray(StringArray* list, RecordReleaseFn release);
void DeepReleaseTabList(TabList* list, RecordReleaseFn release);
void DeepReleaseTextItemList(TextItemList* list, RecordReleaseFn release);
void DeepReleaseList17(List17* list, RecordReleaseFn release);
void DeepReleaseList18(List18* list, RecordReleaseFn release);
void DeepReleaseList21(List21* list, RecordReleaseFn release);
void DeepReleaseList22(List22* list, RecordReleaseFn release);
void DeepReleaseCmsResult(CmsResult* result, RecordReleaseFn release);

/* The plug-in heap as a family 1 pair (BridgeAlloc and BridgeFree). */
void* RecordHeapAlloc(size_t size);
void RecordHeapRelease(void* block);

/* ---- family 2: the plug-in's own lists, zero-filling heap ----------------------------- */

/* Copies exactly the bytes of the kind and deep-copies what it owns; returns destination. */
TypedValue* DuplicateValue(TypedValue* destination, const TypedValue* source);

/* Each accepts null and leaves the list {0, null}; none frees the record itself, except the
 * block of a kind 19 value and the list record of a kind 20 value, which the value owns. */
void FreeValue(TypedValue* value);
void FreePropertyList(PropertyList* list);
void FreeStringArray(StringArray* list);
void FreeTabList(TabList* list);
void FreeTextItemList(TextItemList* list);
/* Kinds 5, 7, 12 to 15: lists of flat elements; only the array is released. */
void FreeFlatList(IntList* list);
void FreeFlatList(PairList* list);
void FreeFlatList(ByteList* list);
void FreeList17(List17* list);
void FreeList18(List18* list);
void FreeList20(TypedValueList** list); /* releases the elements and the record, clears the pointer */
void FreeList21(List21* list);
void FreeList22(List22* list);
void FreeSplitNotification(SplitNotification* record); /* the strings and the further list */
void FreeStringRef(char** string);

/* Sets the entry for number to a copy of value (replacing in place, or appending).
 * Returns 0, or -1 when the list could not grow (the list is unchanged). */
int32_t PropertyListSet(PropertyList* list, int32_t number, const TypedValue* value);
int32_t PropertyListSetString(PropertyList* list, int32_t number, const char* string);

/* n zero-filled entries: {n, block}, or {0, null} when the block cannot be allocated. */
PropertyList PropertyArrayAlloc(uint32_t n);

#endif
