/* delete_unused.h - removing from the paragraph catalogue every format that no paragraph
 * uses, for the active document (commands 2) or every file of the active book (10). */
#ifndef TAGWRIGHT_COMMANDS_DELETE_UNUSED_H
#define TAGWRIGHT_COMMANDS_DELETE_UNUSED_H

#include "bridge/boundary.h"
#include "support/string_list.h"

/* Deletes each format of doc named exactly like an entry of unused (filled by a scan that
 * keeps every spelling of the used tags). */
void DeleteUnusedFormats(ObjectId doc, StringList* unused);

int32_t DeleteUnusedParagraphs(ObjectId doc);
int32_t DeleteUnusedParagraphsBook(ObjectId book);

#endif
