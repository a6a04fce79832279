/* tables.h - the tag list table ("Tags to Keep") and the conversion table ("Source Tag",
 * "Destination Tag"): building them, finding them again among the open documents, reading
 * their cells, and removing the formats a list table does not name. */
#ifndef TAGWRIGHT_COMMANDS_TABLES_H
#define TAGWRIGHT_COMMANDS_TABLES_H

#include "bridge/boundary.h"
#include "commands/book_walk.h"

/* Heading texts that mark the two kinds of table (the first cell of the first row begins
 * with one of them). */
#define TABLE_HEADING_KEEP "Tags to Keep"
#define TABLE_HEADING_SOURCE "Source Tag"
#define TABLE_HEADING_DESTINATION "Destination Tag"

int32_t CreateParagraphList(ObjectId doc);           /* command 3 */
int32_t RemoveNonlistParagraphs(ObjectId doc);       /* command 4 */
int32_t CreateConversionDocument(ObjectId doc);      /* command 5 */
int32_t CreateParagraphListBook(ObjectId book);      /* command 11 */
int32_t RemoveNonlistParagraphsBook(ObjectId book);  /* command 12 */
int32_t CreateConversionDocumentBook(ObjectId book); /* command 13 */

/* The first open document, in the host's open order, holding a table whose first cell text
 * begins with heading (case-sensitive); 0 when none does. */
ObjectId FindTableDocument(const char* heading);

/* The first table of doc, in document order, recognised by heading as above; 0 when none. */
ObjectId FindTableInDocument(ObjectId doc, const char* heading);

/* The text of one paragraph without its end mark, as a new string (MemFree), or null when
 * the paragraph holds no text. */
char* GetParagraphText(ObjectId doc, ObjectId paragraph);

/* Deletes from target every paragraph format whose name is not exactly the first-cell text of
 * some row of the list table (heading row included). Paragraphs keep their tags. table is
 * one that was found, never 0; a table that can no longer be read (its document was closed)
 * deletes nothing. */
void KeepListedTags(ObjectId target, ObjectId tableDoc, ObjectId table);

#endif
