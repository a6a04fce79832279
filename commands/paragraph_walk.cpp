/* paragraph_walk.cpp - walking a document's paragraphs place by place, and its catalogue. */
#include "commands/paragraph_walk.h"

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
