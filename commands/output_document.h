/* output_document.h - the host document the listing and report commands write into: made
 * from the "VellOutput.fm" template when one is installed, else a plain new page, and filled
 * one tagged paragraph at a time at the end of its main flow. */
#ifndef TAGWRIGHT_COMMANDS_OUTPUT_DOCUMENT_H
#define TAGWRIGHT_COMMANDS_OUTPUT_DOCUMENT_H

#include "bridge/boundary.h"

/* The three paragraph tags results are written with. */
#define OUTPUT_TAG_HEADING1 "Heading1"
#define OUTPUT_TAG_HEADING2 "Heading2"
#define OUTPUT_TAG_BODY "Body"

/* Opens the template or makes a new 576 x 792 pt document; 0 when neither works. The
 * document is left open and unsaved for the user. */
ObjectId CreateOutputDocument(void);

/* Places the insertion point at the start of the paragraph and inserts text there; returns
 * the location just after the inserted text. */
TextLoc InsertAtParagraphStart(ObjectId doc, ObjectId paragraph, const char* text);

/* Writes text (null reads as empty) as a new paragraph at the end of the main flow and gives
 * it the tag's format when tag is not null and the document has that format. */
void AppendParagraph(ObjectId doc, const char* text, const char* tag);

/* Gives the paragraph every property of the document's paragraph format named tag; nothing
 * happens when there is no such format or the paragraph is marked to be left unchanged. */
void ApplyParagraphFormat(ObjectId doc, ObjectId paragraph, const char* tag);

#endif
