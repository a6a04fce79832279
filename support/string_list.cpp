/* string_list.cpp - the growable, owning list of texts used to collect tag names. */
#include "support/string_list.h"

#include <stdlib.h>
#include <string.h>

#include "support/memory.h"
#include "support/strings.h"

StringList* StringListCreate(uint32_t capacity, uint32_t growth)
{
    StringList* list = (StringList*)MemAllocZeroed(1, sizeof(StringList), 0);
    if (!list)
        return NULL;
    list->items = (char**)MemAllocZeroed((size_t)capacity + 1, sizeof(char*), MEM_FATAL_ON_FAILURE);
    if (!list->items) { /* only when a fatal handler let the raise continue */
        MemFree(list);
        return NULL;
    }
    list->capacity = capacity;
    list->growth = growth;
    return list;
}

void StringListFree(StringList* list)
{
    if (!list)
        return;
    StringListClear(list);
    MemFree(list);
}

int32_t StringListReserve(StringList* list, uint32_t needed)
{
    if (!list)
        return -1;
    if (needed <= list->capacity)
        return 0;
    uint32_t stepped = list->capacity + list->growth;
    if (stepped < list->capacity) /* the step wrapped around */
        stepped = UINT32_MAX;
    uint32_t capacity = needed > stepped ? needed : stepped;
    size_t slots = (size_t)capacity + 1;
    if (slots == 0 || slots > (size_t)-1 / sizeof(char*))
        return -1;
    char** items = (char**)MemRealloc(list->items, slots * sizeof(char*), 0);
    if (!items)
        return -1;
    memset(items + list->count, 0, (slots - list->count) * sizeof(char*));
    list->items = items;
    list->capacity = capacity;
    return 0;
}

void StringListClear(StringList* list)
{
    if (!list) {
        FatalError();
        return;
    }
    for (uint32_t i = 0; i < list->count; i++)
        MemFree(list->items[i]);
    list->items = (char**)MemFree(list->items);
    list->count = 0;
    list->capacity = 0;
}

int32_t StringListAdd(StringList* list, const char* text)
{
    if (!list || list->count == UINT32_MAX)
        return -1;
    int32_t reserved = StringListReserve(list, list->count + 1);
    if (reserved != 0)
        return reserved;
    char* copy = StrDuplicate(text);
    if (!copy)
        return -1;
    list->items[list->count++] = copy;
    return 0;
}

uint32_t StringListCount(const StringList* list) { return list ? list->count : 0; }

const char* StringListGet(const StringList* list, uint32_t index)
{
    if (!list || index >= list->count)
        return NULL;
    return list->items[index];
}

int32_t StringListFind(const StringList* list, const char* text)
{
    if (!list)
        return -1;
    for (uint32_t i = 0; i < list->count; i++)
        if (StrEqual(list->items[i], text))
            return (int32_t)i;
    return -1;
}

int32_t StringListFindNoCase(const StringList* list, const char* text)
{
    if (!list)
        return -1;
    for (uint32_t i = 0; i < list->count; i++)
        if (StrEqualNoCase(list->items[i], text))
            return (int32_t)i;
    return -1;
}

void StringListRemove(StringList* list, uint32_t index)
{
    if (!list || index >= list->count)
        return;
    MemFree(list->items[index]);
    memmove(list->items + index, list->items + index + 1, (list->count - index - 1) * sizeof(char*));
    list->count--;
}

void StringListSort(StringList* list, StringListComparison comparison)
{
    if (!list || !comparison || list->count < 2)
        return;
    qsort(list->items, list->count, sizeof(char*), comparison);
}

int StringListCompareEntries(const void* slotA, const void* slotB)
{
    return StrCompare(*(const char* const*)slotA, *(const char* const*)slotB);
}
