/* titles.h - how the commands name a document or a book in headings and console lines: the
 * file name of its path as the host gives it. */
#ifndef TAGWRIGHT_COMMANDS_TITLES_H
#define TAGWRIGHT_COMMANDS_TITLES_H

#include "bridge/boundary.h"

/* The file name of the document's path, or "Untitled" when it has none; the file name of the
 * book's path, or null when it has none. New strings, MemFree. */
char* DocumentTitle(ObjectId doc);
char* BookTitle(ObjectId book);

#endif
