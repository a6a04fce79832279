/* conversion.h - retagging paragraphs of a document or of every book file from a
 * conversion table. */
#ifndef TAGWRIGHT_COMMANDS_CONVERSION_H
#define TAGWRIGHT_COMMANDS_CONVERSION_H

#include "bridge/boundary.h"

int32_t ConvertParagraphsInDoc(ObjectId doc); /* command 6 */
int32_t ConvertParagraphsBook(ObjectId book); /* command 14 */

/* Retags every paragraph of target (flows, table cells, table titles) whose tag is a source
 * in the conversion table, and converts next-tag references in its catalogue and paragraphs
 * the same way. The first row whose source equals a tag decides; a destination that names no
 * format of target changes nothing. Formats are never created, renamed or deleted. table is
 * one that was found (FindTableInDocument), never 0. */
void ConvertTags(ObjectId target, ObjectId tableDoc, ObjectId table);

#endif
