/* flows.h - where the paragraphs of a text flow start. A flow's paragraphs are reached from
 * the first of its text frames that holds one; the next-paragraph chain then runs on through
 * the whole flow. */
#ifndef TAGWRIGHT_COMMANDS_FLOWS_H
#define TAGWRIGHT_COMMANDS_FLOWS_H

#include "bridge/boundary.h"

/* The first paragraph of the flow's first text frame that holds one; 0 when none does. */
ObjectId FirstParagraphOfFlow(ObjectId doc, ObjectId flow);

#endif
