/* usage.h - which paragraph tags a document's paragraphs carry and which catalogue formats
 * none of them carries, and the four commands that list this for a document or a book. */
#ifndef TAGWRIGHT_COMMANDS_USAGE_H
#define TAGWRIGHT_COMMANDS_USAGE_H

#include "bridge/boundary.h"
#include "commands/book_walk.h"
#include "support/string_list.h"

/* Adds the document's tags to used (one entry per tag ignoring letter case) and its formats
 * that no scanned paragraph carries (exact names) to unused, then sorts both lists. The
 * lists may already hold entries from other documents. Returns the number of names that
 * could not be added for lack of memory (each reported on the console): when it is not 0 the
 * lists are incomplete, and a tag in use may be missing from used. */
int32_t ScanParagraphUsage(ObjectId doc, StringList* used, StringList* unused);

/* Which spellings of tags that differ only in letter case the used list keeps: the first one
 * met (the usage listings), or every exact spelling (the tag tables, so that a list made from
 * the tags in use names every format that paragraphs carry). */
typedef enum UsedSpelling { USED_FIRST_SPELLING = 0, USED_EVERY_SPELLING = 1 } UsedSpelling;

/* ScanParagraphUsage with the used list's spelling rule given. */
int32_t ScanParagraphUsageAs(ObjectId doc, StringList* used, StringList* unused, UsedSpelling spelling);

/* The pair of lists a scan fills; incomplete counts the names a scan could not add. */
typedef struct UsageLists {
    StringList* used;
    StringList* unused;
    int32_t incomplete;
    UsedSpelling spelling; /* how scans of whole books into these lists keep spellings */
} UsageLists;

/* Creates both lists empty (capacity 1, growth 1), keeping the first spelling of each tag;
 * 0 after a console line when they cannot be had. FreeUsageLists releases both and clears the record. */
int32_t CreateUsageLists(UsageLists* lists);
void FreeUsageLists(UsageLists* lists);

/* Per-file work of the book scans: the opened file into the UsageLists given as context. */
void ScanBookFileUsage(BookFile* file, void* context);

/* Command entry points (1, 9, 18, 19). */
int32_t ListParagraphUsage(ObjectId doc);
int32_t ListParagraphUsageBook(ObjectId book);
int32_t ListParagraphUsageBookIndFiles(ObjectId book);
int32_t ParagraphUsageBookByFormat(ObjectId book);

#endif
