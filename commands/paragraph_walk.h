/* paragraph_walk.h - the two walks the commands share: every paragraph of a document, with
 * the kind of place it is in (flows, the chain of further text holders such as footnotes,
 * table cells and table titles), and every format of its catalogue. */
#ifndef TAGWRIGHT_COMMANDS_PARAGRAPH_WALK_H
#define TAGWRIGHT_COMMANDS_PARAGRAPH_WALK_H

#include "bridge/boundary.h"

/* Where a visited paragraph is. */
typedef enum ParagraphPlace {
    PLACE_FLOW,        /* a text flow (body, master or reference pages) */
    PLACE_TEXT_HOLDER, /* a member of the chain of further text holders (footnotes) */
    PLACE_CELL,        /* a table cell */
    PLACE_TABLE_TITLE  /* a table's title */
} ParagraphPlace;

typedef void (*ParagraphVisitor)(ObjectId doc, ObjectId paragraph, ParagraphPlace place, void* context);

/* Visits, in this order: each flow's paragraphs (from the first of its frames that holds
 * one; the next-paragraph chain runs on through the whole flow), each text holder's, and for
 * each table the paragraphs of its cells row by row and then its title's. The next paragraph
 * is read after the visit. A paragraph reachable from two places is visited in each. */
void WalkParagraphs(ObjectId doc, ParagraphVisitor visit, void* context);

/* WalkParagraphs, visiting a paragraph reachable from several places only where the walk
 * meets it first: for work that must not be done twice to one paragraph. */
void WalkEachParagraphOnce(ObjectId doc, ParagraphVisitor visit, void* context);

/* The first paragraph of the flow's first text frame that holds one; 0 when none does. */
ObjectId FirstParagraphOfFlow(ObjectId doc, ObjectId flow);

/* name: the format's name when the walk was asked to read names ("" when it has none),
 * else null. */
typedef void (*FormatVisitor)(ObjectId doc, ObjectId format, const char* name, void* context);

enum { CATALOGUE_FORMATS_ONLY = 0, CATALOGUE_WITH_NAMES = 1 };

/* Visits each paragraph format of the catalogue in order. The next format is read before
 * the current one is visited, so the visitor may delete it. */
void WalkCatalogue(ObjectId doc, int32_t withNames, FormatVisitor visit, void* context);

#endif
