/* paragraph_walk.cpp - walking a document's paragraphs place by place, and its catalogue. */
#include "commands/paragraph_walk.h"

#include <assert.h>

#include "bridge/host_ops.h"
#include "support/memory.h"

ObjectId FirstParagraphOfFlow(ObjectId doc, ObjectId flow)
{
    for (ObjectId frame = GetIdProperty(doc, flow, PROP_FIRST_FRAME); frame != 0;
         frame = GetIdProperty(doc, frame, PROP_NEXT_FRAME)) {
        ObjectId first = GetIdProperty(doc, frame, PROP_FIRST_PARAGRAPH);
        if (first != 0)
            return first;
    }
    return 0;
}

/* The paragraph first and every one after it through the next-paragraph chain. */
static void VisitChain(ObjectId doc, ObjectId first, ParagraphPlace place, ParagraphVisitor visit, void* context)
{
    for (ObjectId paragraph = first; paragraph != 0; paragraph = GetIdProperty(doc, paragraph, PROP_NEXT_PARAGRAPH))
        visit(doc, paragraph, place, context);
}

void WalkParagraphs(ObjectId doc, ParagraphVisitor visit, void* context)
{
    for (ObjectId flow = GetIdProperty(0, doc, PROP_FIRST_FLOW); flow != 0;
         flow = GetIdProperty(doc, flow, PROP_NEXT_FLOW)) {
        ObjectId first = FirstParagraphOfFlow(doc, flow);
        if (first != 0)
            VisitChain(doc, first, PLACE_FLOW, visit, context);
    }

    for (ObjectId member = GetIdProperty(0, doc, PROP_FIRST_TEXT_HOLDER); member != 0;
         member = GetIdProperty(doc, member, PROP_NEXT_TEXT_HOLDER))
        VisitChain(doc, GetIdProperty(doc, member, PROP_FIRST_PARAGRAPH), PLACE_TEXT_HOLDER, visit, context);

    for (ObjectId table = GetIdProperty(0, doc, PROP_FIRST_TABLE); table != 0;
         table = GetIdProperty(doc, table, PROP_NEXT_TABLE)) {
        for (ObjectId row = GetIdProperty(doc, table, PROP_FIRST_ROW); row != 0;
             row = GetIdProperty(doc, row, PROP_NEXT_ROW))
            for (ObjectId cell = GetIdProperty(doc, row, PROP_FIRST_CELL); cell != 0;
                 cell = GetIdProperty(doc, cell, PROP_NEXT_CELL))
                VisitChain(doc, GetIdProperty(doc, cell, PROP_FIRST_PARAGRAPH), PLACE_CELL, visit, context);
        VisitChain(doc, GetIdProperty(doc, table, PROP_FIRST_PARAGRAPH), PLACE_TABLE_TITLE, visit, context);
    }
}

/* The paragraphs a walk has visited: an open-addressing set of identifiers (0 marks a free
 * slot, and no paragraph has identifier 0), grown to keep it at most half full. */
typedef struct VisitedParagraphs {
    ObjectId* slots;
    uint32_t capacity; /* a power of two, or 0 */
    uint32_t count;
    ParagraphVisitor visit;
    void* context;
} VisitedParagraphs;

static uint32_t SlotOf(ObjectId id, uint32_t capacity) { return (id * 2654435761u) & (capacity - 1); }

static void PutVisited(ObjectId* slots, uint32_t capacity, ObjectId id)
{
    /* SlotOf's mask needs a power of two; 0 would read as a free slot. */
    assert(capacity != 0 && (capacity & (capacity - 1)) == 0);
    assert(id != 0);
    uint32_t i = SlotOf(id, capacity);
    while (slots[i] != 0 && slots[i] != id)
        i = (i + 1) & (capacity - 1);
    slots[i] = id;
}

static int WasVisited(const VisitedParagraphs* visited, ObjectId id)
{
    if (visited->capacity == 0)
        return 0;
    for (uint32_t i = SlotOf(id, visited->capacity); visited->slots[i] != 0; i = (i + 1) & (visited->capacity - 1))
        if (visited->slots[i] == id)
            return 1;
    return 0;
}

/* Records id; 0 when the set could not grow. */
static int RecordVisited(VisitedParagraphs* visited, ObjectId id)
{
    if ((visited->count + 1) * 2 > visited->capacity) {
        uint32_t capacity = visited->capacity ? visited->capacity * 2 : 256;
        ObjectId* slots = (ObjectId*)MemAllocZeroed(capacity, sizeof(ObjectId), 0);
        if (!slots)
            return 0;
        for (uint32_t i = 0; i < visited->capacity; i++)
            if (visited->slots[i] != 0)
                PutVisited(slots, capacity, visited->slots[i]);
        MemFree(visited->slots);
        visited->slots = slots;
        visited->capacity = capacity;
    }
    /* At most half full: the probes of PutVisited and WasVisited end at a free slot. */
    assert((visited->count + 1) * 2 <= visited->capacity);
    PutVisited(visited->slots, visited->capacity, id);
    visited->count++;
    return 1;
}

static void VisitFirstTime(ObjectId doc, ObjectId paragraph, ParagraphPlace place, void* context)
{
    VisitedParagraphs* visited = (VisitedParagraphs*)context;
    if (WasVisited(visited, paragraph))
        return;
    /* Without memory to remember it the paragraph is still visited: a walk that can record
     * nothing more behaves as the plain walk does. */
    RecordVisited(visited, paragraph);
    visited->visit(doc, paragraph, place, visited->context);
}

void WalkEachParagraphOnce(ObjectId doc, ParagraphVisitor visit, void* context)
{
    VisitedParagraphs visited;
    visited.slots = 0;
    visited.capacity = 0;
    visited.count = 0;
    visited.visit = visit;
    visited.context = context;
    WalkParagraphs(doc, VisitFirstTime, &visited);
    MemFree(visited.slots);
}

void WalkCatalogue(ObjectId doc, int32_t withNames, FormatVisitor visit, void* context)
{
    char* name = 0;
    ObjectId format = GetIdProperty(0, doc, PROP_FIRST_PGF_FORMAT);
    while (format != 0) {
        /* Read the next format first: the visitor may delete the current one. */
        ObjectId next = GetIdProperty(doc, format, PROP_NEXT_PGF_FORMAT);
        if (withNames) {
            name = (char*)BridgeFree(name);
            name = GetStringProperty(doc, format, PROP_NAME);
        }
        visit(doc, format, withNames ? (name ? name : "") : 0, context);
        format = next;
    }
    BridgeFree(name);
}
