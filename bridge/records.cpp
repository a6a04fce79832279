/* records.cpp - deep copies and releases of the boundary records, and the plug-in's own
 * property-list building. A copy never leaves a pointer into the source behind: every owned
 * string or nested list of a copied element is either a fresh copy or null. */
#include "bridge/records.h"

#include <stdint.h>
#include <string.h>

#include "support/memory.h"

namespace {

/* Family 2 allocates zero-filled blocks from the bridge heap. */
void* ZeroedAlloc(size_t size) { return BridgeAllocZeroed(size, 1); }

/* A new block holding count elements of size bytes copied from source; null when the
 * allocation fails or the size does not fit. */
void* CopyArray(const void* source, uint32_t count, size_t size, RecordAllocFn alloc)
{
    if (size != 0 && count > SIZE_MAX / size)
        return NULL;
    void* block = alloc(count * size);
    if (block)
        memcpy(block, source, count * size);
    return block;
}

/* The shape every list record shares: {count; array}. */
struct AnyList {
    uint32_t count;
    void* items;
};

/* Copies the header and the flat elements of a list; 1 when the caller must now replace the
 * owned fields of each element, 0 when the copy is empty or its array failed (*rc = -1). */
int CopyListShell(AnyList* destination, const AnyList* source, size_t size, RecordAllocFn alloc, int32_t* rc)
{
    destination->count = 0;
    destination->items = NULL;
    if (!source || source->count == 0 || !source->items)
        return 0;
    void* items = CopyArray(source->items, source->count, size, alloc);
    if (!items) {
        *rc = -1;
        return 0;
    }
    destination->count = source->count;
    destination->items = items;
    return 1;
}

void ReleaseListShell(AnyList* list, RecordReleaseFn release)
{
    if (list->items)
        release(list->items);
    list->count = 0;
    list->items = NULL;
}

int32_t CopyValue(TypedValue* destination, const TypedValue* source, RecordAllocFn alloc, bool exactBytes);

int32_t CopyValueList(TypedValueList** destination, const TypedValueList* source, RecordAllocFn alloc, bool exactBytes)
{
    *destination = NULL;
    if (!source)
        return 0;
    TypedValueList* list = (TypedValueList*)alloc(sizeof(TypedValueList));
    if (!list)
        return -1;
    list->count = 0;
    list->values = NULL;
    *destination = list;
    if (source->count == 0 || !source->values)
        return 0;
    TypedValue* values = (TypedValue*)CopyArray(source->values, source->count, sizeof(TypedValue), alloc);
    if (!values)
        return -1;
    list->count = source->count;
    list->values = values;
    int32_t rc = 0;
    for (uint32_t i = 0; i < source->count; i++)
        if (CopyValue(&values[i], &source->values[i], alloc, exactBytes) != 0)
            rc = -1;
    return rc;
}

/* The payload bytes a kind holds when it is copied exactly (family 2); list kinds are
 * covered by their deep copies, which write the whole header. */
size_t ExactPayloadBytes(int32_t kind)
{
    switch (kind) {
    case VALUE_INT:
    case VALUE_SCALAR2:
    case VALUE_SCALAR4: return 4;
    case VALUE_TEXTLOC: return 8;
    case VALUE_TEXTRANGE: return 16;
    default: return 0;
    }
}

int32_t CopyValue(TypedValue* destination, const TypedValue* source, RecordAllocFn alloc, bool exactBytes)
{
    if (exactBytes) {
        memset(destination, 0, sizeof(*destination));
        destination->kind = source->kind;
        memcpy(destination->u.raw, source->u.raw, ExactPayloadBytes(source->kind));
    } else {
        memcpy(destination, source, sizeof(*destination));
    }
    const TypedValue* s = source;
    TypedValue* d = destination;
    switch (source->kind) {
    case VALUE_STRING: return DeepCopyString(&d->u.s, s->u.s, alloc);
    case VALUE_INTS:
    case VALUE_INTS13:
    case VALUE_INTS15: return DeepCopyIntList(&d->u.ints, &s->u.ints, alloc);
    case VALUE_STRINGS: return DeepCopyStringArray(&d->u.strings, &s->u.strings, alloc);
    case VALUE_PAIRS7:
    case VALUE_PAIRS12: {
        int32_t rc = 0;
        CopyListShell((AnyList*)&d->u.pairs, (const AnyList*)&s->u.pairs, sizeof(s->u.pairs.pairs[0]), alloc, &rc);
        return rc;
    }
    case VALUE_TABS: return DeepCopyTabList(&d->u.tabs, &s->u.tabs, alloc);
    case VALUE_BYTES: {
        int32_t rc = 0;
        CopyListShell((AnyList*)&d->u.bytes, (const AnyList*)&s->u.bytes, 1, alloc, &rc);
        return rc;
    }
    case VALUE_LIST17: return DeepCopyList17(&d->u.list17, &s->u.list17, alloc);
    case VALUE_LIST18: return DeepCopyList18(&d->u.list18, &s->u.list18, alloc);
    case VALUE_BLOCK:
        d->u.block = NULL;
        if (s->u.block) {
            d->u.block = CopyArray(s->u.block, 1, VALUE_BLOCK_SIZE, alloc);
            if (!d->u.block)
                return -1;
        }
        return 0;
    case VALUE_VALUES: return CopyValueList(&d->u.values, s->u.values, alloc, exactBytes);
    case VALUE_LIST21: return DeepCopyList21(&d->u.list21, &s->u.list21, alloc);
    case VALUE_LIST22: return DeepCopyList22(&d->u.list22, &s->u.list22, alloc);
    default: return 0;
    }
}

void ReleaseValueList(TypedValueList** list, RecordReleaseFn release)
{
    if (!*list)
        return;
    TypedValueList* l = *list;
    for (uint32_t i = 0; i < l->count && l->values; i++)
        DeepReleaseValue(&l->values[i], release);
    ReleaseListShell((AnyList*)l, release);
    release(l);
    *list = NULL;
}

} /* namespace */

/* ---- family 1: copies ------------------------------------------------------------------ */

int32_t DeepCopyString(char** destination, const char* source, RecordAllocFn alloc)
{
    *destination = NULL;
    if (!source)
        return 0;
    size_t size = strlen(source) + 1;
    char* copy = (char*)alloc(size);
    if (!copy)
        return -1;
    memcpy(copy, source, size);
    *destination = copy;
    return 0;
}

int32_t DeepCopyIntList(IntList* destination, const IntList* source, RecordAllocFn alloc)
{
    int32_t rc = 0;
    CopyListShell((AnyList*)destination, (const AnyList*)source, sizeof(int32_t), alloc, &rc);
    return rc;
}

int32_t DeepCopyValue(TypedValue* destination, const TypedValue* source, RecordAllocFn alloc)
{
    return CopyValue(destination, source, alloc, false);
}

int32_t DeepCopyPropertyList(PropertyList* destination, const PropertyList* source, RecordAllocFn alloc)
{
    int32_t rc = 0;
    if (!CopyListShell((AnyList*)destination, (const AnyList*)source, sizeof(PropertyEntry), alloc, &rc))
        return rc;
    for (uint32_t i = 0; i < source->count; i++) {
        PropertyEntry* d = &destination->entries[i];
        const PropertyEntry* s = &source->entries[i];
        /* A name belongs to the entry only when the number is 0; any other name is not
         * the copy's to keep a pointer to. */
        d->ident.name = NULL;
        if (s->ident.number == 0 && DeepCopyString(&d->ident.name, s->ident.name, alloc) != 0)
            rc = -1;
        if (DeepCopyValue(&d->value, &s->value, alloc) != 0)
            rc = -1;
    }
    return rc;
}

int32_t DeepCopyStringArray(StringArray* destination, const StringArray* source, RecordAllocFn alloc)
{
    int32_t rc = 0;
    if (!CopyListShell((AnyList*)destination, (const AnyList*)source, sizeof(char*), alloc, &rc))
        return rc;
    for (uint32_t i = 0; i < source->count; i++)
        if (DeepCopyString(&destination->strings[i], source->strings[i], alloc) != 0)
            rc = -1;
    return rc;
}

int32_t DeepCopyTabList(TabList* destination, const TabList* source, RecordAllocFn alloc)
{
    int32_t rc = 0;
    if (!CopyListShell((AnyList*)destination, (const AnyList*)source, sizeof(Tab), alloc, &rc))
        return rc;
    for (uint32_t i = 0; i < source->count; i++)
        if (DeepCopyString(&destination->tabs[i].leader, source->tabs[i].leader, alloc) != 0)
            rc = -1;
    return rc;
}

int32_t DeepCopyTextItemList(TextItemList* destination, const TextItemList* source, RecordAllocFn alloc)
{
    int32_t rc = 0;
    if (!CopyListShell((AnyList*)destination, (const AnyList*)source, sizeof(TextItem), alloc, &rc))
        return rc;
    for (uint32_t i = 0; i < source->count; i++)
        if (source->items[i].kind == TEXT_ITEM_STRING &&
            DeepCopyString(&destination->items[i].data.text, source->items[i].data.text, alloc) != 0)
            rc = -1;
    return rc;
}

int32_t DeepCopyList17(List17* destination, const List17* source, RecordAllocFn alloc)
{
    int32_t rc = 0;
    if (!CopyListShell((AnyList*)destination, (const AnyList*)source, sizeof(Element17), alloc, &rc))
        return rc;
    for (uint32_t i = 0; i < source->count; i++) {
        Element17* d = &destination->elements[i];
        const Element17* s = &source->elements[i];
        rc |= DeepCopyString(&d->name, s->name, alloc);
        rc |= DeepCopyStringArray(&d->first, &s->first, alloc);
        rc |= DeepCopyStringArray(&d->second, &s->second, alloc);
        rc |= DeepCopyString(&d->text1, s->text1, alloc);
        rc |= DeepCopyString(&d->text2, s->text2, alloc);
    }
    return rc;
}

int32_t DeepCopyList18(List18* destination, const List18* source, RecordAllocFn alloc)
{
    int32_t rc = 0;
    if (!CopyListShell((AnyList*)destination, (const AnyList*)source, sizeof(Element18), alloc, &rc))
        return rc;
    for (uint32_t i = 0; i < source->count; i++) {
        rc |= DeepCopyString(&destination->elements[i].name, source->elements[i].name, alloc);
        rc |= DeepCopyStringArray(&destination->elements[i].strings, &source->elements[i].strings, alloc);
    }
    return rc;
}

int32_t DeepCopyList21(List21* destination, const List21* source, RecordAllocFn alloc)
{
    int32_t rc = 0;
    if (!CopyListShell((AnyList*)destination, (const AnyList*)source, sizeof(Element21), alloc, &rc))
        return rc;
    for (uint32_t i = 0; i < source->count; i++) {
        Element21* d = &destination->elements[i];
        const Element21* s = &source->elements[i];
        rc |= DeepCopyString(&d->name, s->name, alloc);
        rc |= DeepCopyStringArray(&d->first, &s->first, alloc);
        rc |= DeepCopyStringArray(&d->second, &s->second, alloc);
    }
    return rc;
}

int32_t DeepCopyList22(List22* destination, const List22* source, RecordAllocFn alloc)
{
    int32_t rc = 0;
    if (!CopyListShell((AnyList*)destination, (const AnyList*)source, sizeof(Element22), alloc, &rc))
        return rc;
    for (uint32_t i = 0; i < source->count; i++)
        rc |= DeepCopyStringArray(&destination->elements[i].strings, &source->elements[i].strings, alloc);
    return rc;
}

int32_t DeepCopyCmsResult(CmsResult* destination, const CmsResult* source, RecordAllocFn alloc)
{
    destination->first = source->first;
    destination->second = source->second;
    int32_t rc = DeepCopyString(&destination->text, source->text, alloc);
    rc |= DeepCopyIntList(&destination->values, &source->values, alloc);
    return rc;
}

/* ---- family 1: releases ---------------------------------------------------------------- */

void DeepReleaseString(char** string, RecordReleaseFn release)
{
    if (string && *string) {
        release(*string);
        *string = NULL;
    }
}

void DeepReleaseIntList(IntList* list, RecordReleaseFn release)
{
    if (list)
        ReleaseListShell((AnyList*)list, release);
}

void DeepReleaseValue(TypedValue* value, RecordReleaseFn release)
{
    if (!value)
        return;
    switch (value->kind) {
    case VALUE_STRING: DeepReleaseString(&value->u.s, release); break;
    case VALUE_INTS:
    case VALUE_INTS13:
    case VALUE_INTS15:
    case VALUE_PAIRS7:
    case VALUE_PAIRS12:
    case VALUE_BYTES: ReleaseListShell((AnyList*)&value->u.ints, release); break;
    case VALUE_STRINGS: DeepReleaseStringArray(&value->u.strings, release); break;
    case VALUE_TABS: DeepReleaseTabList(&value->u.tabs, release); break;
    case VALUE_LIST17: DeepReleaseList17(&value->u.list17, release); break;
    case VALUE_LIST18: DeepReleaseList18(&value->u.list18, release); break;
    case VALUE_BLOCK:
        if (value->u.block)
            release(value->u.block);
        value->u.block = NULL;
        break;
    case VALUE_VALUES: ReleaseValueList(&value->u.values, release); break;
    case VALUE_LIST21: DeepReleaseList21(&value->u.list21, release); break;
    case VALUE_LIST22: DeepReleaseList22(&value->u.list22, release); break;
    default: break;
    }
}

void DeepReleasePropertyList(PropertyList* list, RecordReleaseFn release)
{
    if (!list)
        return;
    for (uint32_t i = 0; i < list->count && list->entries; i++) {
        PropertyEntry* e = &list->entries[i];
        if (e->ident.number == 0)
            DeepReleaseString(&e->ident.name, release);
        DeepReleaseValue(&e->value, release);
    }
    ReleaseListShell((AnyList*)list, release);
}

void DeepReleaseStringArray(StringArray* list, RecordReleaseFn release)
{
    if (!list)
        return;
    for (uint32_t i = 0; i < list->count && list->strings; i++)
        DeepReleaseString(&list->strings[i], release);
    ReleaseListShell((AnyList*)list, release);
}

void DeepReleaseTabList(TabList* list, RecordReleaseFn release)
{
    if (!list)
        return;
    for (uint32_t i = 0; i < list->count && list->tabs; i++)
        DeepReleaseString(&list->tabs[i].leader, release);
    ReleaseListShell((AnyList*)list, release);
}

void DeepReleaseTextItemList(TextItemList* list, RecordReleaseFn release)
{
    if (!list)
        return;
    for (uint32_t i = 0; i < list->count && list->items; i++)
        if (list->items[i].kind == TEXT_ITEM_STRING)
            DeepReleaseString(&list->items[i].data.text, release);
    ReleaseListShell((AnyList*)list, release);
}

void DeepReleaseList17(List17* list, RecordReleaseFn release)
{
    if (!list)
        return;
    for (uint32_t i = 0; i < list->count && list->elements; i++) {
        Element17* e = &list->elements[i];
        DeepReleaseString(&e->name, release);
        DeepReleaseStringArray(&e->first, release);
        DeepReleaseStringArray(&e->second, release);
        DeepReleaseString(&e->text1, release);
        DeepReleaseString(&e->text2, release);
    }
    ReleaseListShell((AnyList*)list, release);
}

void DeepReleaseList18(List18* list, RecordReleaseFn release)
{
    if (!list)
        return;
    for (uint32_t i = 0; i < list->count && list->elements; i++) {
        DeepReleaseString(&list->elements[i].name, release);
        DeepReleaseStringArray(&list->elements[i].strings, release);
    }
    ReleaseListShell((AnyList*)list, release);
}

void DeepReleaseList21(List21* list, RecordReleaseFn release)
{
    if (!list)
        return;
    for (uint32_t i = 0; i < list->count && list->elements; i++) {
        Element21* e = &list->elements[i];
        DeepReleaseString(&e->name, release);
        DeepReleaseStringArray(&e->first, release);
        DeepReleaseStringArray(&e->second, release);
    }
    ReleaseListShell((AnyList*)list, release);
}

void DeepReleaseList22(List22* list, RecordReleaseFn release)
{
    if (!list)
        return;
    for (uint32_t i = 0; i < list->count && list->elements; i++)
        DeepReleaseStringArray(&list->elements[i].strings, release);
    ReleaseListShell((AnyList*)list, release);
}

void DeepReleaseCmsResult(CmsResult* result, RecordReleaseFn release)
{
    if (!result)
        return;
    DeepReleaseString(&result->text, release);
    DeepReleaseIntList(&result->values, release);
}

void* RecordHeapAlloc(size_t size) { return BridgeAlloc(size); }

void RecordHeapRelease(void* block) { BridgeFree(block); }

/* ---- family 2 -------------------------------------------------------------------------- */

TypedValue* DuplicateValue(TypedValue* destination, const TypedValue* source)
{
    CopyValue(destination, source, ZeroedAlloc, true);
    return destination;
}

void FreeValue(TypedValue* value) { DeepReleaseValue(value, RecordHeapRelease); }

void FreePropertyList(PropertyList* list) { DeepReleasePropertyList(list, RecordHeapRelease); }

void FreeStringArray(StringArray* list) { DeepReleaseStringArray(list, RecordHeapRelease); }

void FreeTabList(TabList* list) { DeepReleaseTabList(list, RecordHeapRelease); }

void FreeTextItemList(TextItemList* list) { DeepReleaseTextItemList(list, RecordHeapRelease); }

void FreeFlatList(IntList* list)
{
    if (list)
        ReleaseListShell((AnyList*)list, RecordHeapRelease);
}

void FreeFlatList(PairList* list)
{
    if (list)
        ReleaseListShell((AnyList*)list, RecordHeapRelease);
}

void FreeFlatList(ByteList* list)
{
    if (list)
        ReleaseListShell((AnyList*)list, RecordHeapRelease);
}

void FreeList17(List17* list) { DeepReleaseList17(list, RecordHeapRelease); }

void FreeList18(List18* list) { DeepReleaseList18(list, RecordHeapRelease); }

void FreeList20(TypedValueList** list)
{
    if (list)
        ReleaseValueList(list, RecordHeapRelease);
}

void FreeList21(List21* list) { DeepReleaseList21(list, RecordHeapRelease); }

void FreeList22(List22* list) { DeepReleaseList22(list, RecordHeapRelease); }

void FreeSplitNotification(SplitNotification* record)
{
    if (!record)
        return;
    for (int i = 0; i < 6; i++)
        FreeStringRef(&record->fields[i]);
    FreeStringArray(&record->further);
}

void FreeStringRef(char** string) { DeepReleaseString(string, RecordHeapRelease); }

int32_t PropertyListSet(PropertyList* list, int32_t number, const TypedValue* value)
{
    if (!list || !value)
        return -1;
    /* Copy first: the new value may be the very one being replaced. */
    TypedValue copy;
    if (CopyValue(&copy, value, ZeroedAlloc, true) != 0) {
        FreeValue(&copy);
        return -1;
    }
    PropertyEntry* entry = NULL;
    for (uint32_t i = 0; i < list->count && list->entries; i++)
        if (list->entries[i].ident.number == number) {
            entry = &list->entries[i];
            break;
        }
    if (entry) {
        if (entry->ident.number == 0)
            FreeStringRef(&entry->ident.name);
        entry->ident.name = NULL;
        FreeValue(&entry->value);
    } else {
        uint32_t count = list->entries ? list->count : 0;
        uint32_t capacity = 8;
        if (count >= 8) {
            capacity = 16;
            while (capacity <= count && capacity != 0)
                capacity <<= 1;
        }
        PropertyEntry* grown =
            capacity == 0 ? NULL
                          : (PropertyEntry*)BridgeRealloc(list->entries, (size_t)capacity * sizeof(PropertyEntry));
        if (!grown) {
            FreeValue(&copy);
            return -1;
        }
        list->entries = grown;
        list->count = count + 1;
        entry = &grown[count];
    }
    entry->ident.number = number;
    entry->ident.name = NULL;
    entry->value = copy;
    return 0;
}

int32_t PropertyListSetString(PropertyList* list, int32_t number, const char* string)
{
    TypedValue value;
    memset(&value, 0, sizeof(value));
    value.kind = VALUE_STRING;
    value.u.s = (char*)string;
    return PropertyListSet(list, number, &value);
}

PropertyList PropertyArrayAlloc(uint32_t n)
{
    PropertyList list = {0, NULL};
    if (n == 0)
        return list;
    list.entries = (PropertyEntry*)BridgeAllocZeroed(n, sizeof(PropertyEntry));
    if (list.entries)
        list.count = n;
    return list;
}
