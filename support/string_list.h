/* string_list.h - a growable list of owned texts that grows by a caller-chosen step, is
 * searched exactly or ignoring case, and is sorted on demand. */
#ifndef TAGWRIGHT_SUPPORT_STRING_LIST_H
#define TAGWRIGHT_SUPPORT_STRING_LIST_H

#include <stdint.h>

typedef struct StringList {
    uint32_t capacity; /* entries the array can hold */
    uint32_t count;    /* entries in use: items[0 .. count-1] */
    uint32_t growth;   /* minimum number of entries added when the array grows */
    char** items;      /* capacity + 1 slots; every text is owned by the list */
} StringList;

typedef int (*StringListComparison)(const void* slotA, const void* slotB);

/* New empty list, or null if the record cannot be allocated. An entry array that cannot be
 * allocated ends in FatalError. */
StringList* StringListCreate(uint32_t capacity, uint32_t growth);
/* Releases every text, the array and the record; null is ignored. */
void StringListFree(StringList* list);
/* Appends a private copy of text: 0 on success, -1 on failure (list or text null, no memory). */
int32_t StringListAdd(StringList* list, const char* text);
uint32_t StringListCount(const StringList* list);
/* The entry (still owned by the list), or null when list is null or index >= count. */
const char* StringListGet(const StringList* list, uint32_t index);
/* Lowest index of an entry equal to text (byte-wise / through the FrameRoman fold), or -1. */
int32_t StringListFind(const StringList* list, const char* text);
int32_t StringListFindNoCase(const StringList* list, const char* text);
/* Releases one entry and moves the later ones down; bad index or null list: nothing. */
void StringListRemove(StringList* list, uint32_t index);
/* qsort of the entries; the comparison receives pointers to two entry slots. */
void StringListSort(StringList* list, StringListComparison comparison);
/* Ascending, case-sensitive, unsigned byte order (StrCompare of the two texts). */
int StringListCompareEntries(const void* slotA, const void* slotB);

/* Grows the array so it holds at least needed entries: 0, or -1 (null list, no memory;
 * the list keeps its old array then). */
int32_t StringListReserve(StringList* list, uint32_t needed);
/* Releases every entry and the array; count and capacity become 0. A null list is a
 * caller error and ends in FatalError. */
void StringListClear(StringList* list);

#endif
