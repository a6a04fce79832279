/* delete_unused.cpp - deletes the paragraph formats that no paragraph uses, from the active
 * document or, with a book-wide notion of "unused", from every file of the active book, after
 * asking the user once. */
#include "commands/delete_unused.h"

#include <assert.h>

#include "bridge/host_ops.h"
#include "commands/book_walk.h"
#include "commands/confirm.h"
#include "commands/paragraph_walk.h"
#include "commands/unreadable_names.h"
#include "commands/usage.h"
#include "support/format.h"
#include "support/memory.h"

/* The scans behind these deletions keep every exact spelling in the used list, so the unused
 * list holds exactly the formats whose name no paragraph carries: a format named like a used
 * tag in another letter case ("body" beside "Body") goes unless paragraphs carry its own name,
 * and a format that paragraphs do carry is never deleted, whatever other spellings are used. */
static void DeleteIfUnused(ObjectId doc, ObjectId format, const char* name, void* context)
{
    StringList* unused = (StringList*)context;
    if (StringListFind(unused, name) < 0)
        return;
    /* Which format a name with substituted characters stands for is not sure: keep it. */
    if (IsUnreadableName(name))
        ReportKeptFormat(doc, name);
    else
        DeleteObject(doc, format);
}

void DeleteUnusedFormats(ObjectId doc, StringList* unused)
{
    WalkCatalogue(doc, CATALOGUE_WITH_NAMES, DeleteIfUnused, unused);
}

/* The components the first walk of the book command could not open: their paragraphs were
 * never scanned, so nothing may be deleted from them if the second walk can open them. */
typedef struct BookDeletion {
    UsageLists lists;
    ObjectId* unscanned;
    uint32_t unscannedCount;
} BookDeletion;

int32_t DeleteUnusedParagraphs(ObjectId doc)
{
    assert(doc != 0);
    UsageLists lists;
    if (!CreateUsageLists(&lists))
        return 0;
    /* With a tag missing from the used list its format would count as unused: delete nothing. */
    if (ScanParagraphUsageAs(doc, lists.used, lists.unused, USED_EVERY_SPELLING) == 0 &&
        ConfirmWithUser("Are you sure you want to delete unused paragraph tags?"))
        DeleteUnusedFormats(doc, lists.unused);
    FreeUsageLists(&lists);
    return 0;
}

static void ScanBookFile(BookFile* file, void* context)
{
    BookDeletion* deletion = (BookDeletion*)context;
    ScanBookFileUsage(file, &deletion->lists);
    if (file->doc != 0)
        return;
    ObjectId* grown = (ObjectId*)MemRealloc(deletion->unscanned, (deletion->unscannedCount + 1) * sizeof(ObjectId), 0);
    if (!grown) {
        deletion->lists.incomplete++;
        return;
    }
    deletion->unscanned = grown;
    deletion->unscanned[deletion->unscannedCount++] = file->component;
}

static void DeleteInBookFile(BookFile* file, void* context)
{
    BookDeletion* deletion = (BookDeletion*)context;
    for (uint32_t i = 0; i < deletion->unscannedCount; i++) {
        if (deletion->unscanned[i] == file->component) {
            file->leaveUnsaved = 1;
            return;
        }
    }
    DeleteUnusedFormats(file->doc, deletion->lists.unused);
}

int32_t DeleteUnusedParagraphsBook(ObjectId book)
{
    BookDeletion deletion;
    deletion.unscanned = 0;
    deletion.unscannedCount = 0;
    if (!CreateUsageLists(&deletion.lists))
        return 0;
    deletion.lists.spelling = USED_EVERY_SPELLING;
    /* A format is unused only when no file of the book uses its name. */
    WalkBookComponents(book, BOOK_PREFIX_EXAMINING, BOOK_FILE_CLOSE, ScanBookFile, &deletion);
    if (deletion.lists.incomplete == 0 &&
        ConfirmWithUser("Are you sure you want to delete unused paragraph tags for all files in the book?"))
        WalkBookComponents(book, BOOK_PREFIX_REMOVING, BOOK_FILE_SAVE_AND_CLOSE, DeleteInBookFile, &deletion);
    FreeUsageLists(&deletion.lists);
    MemFree(deletion.unscanned);
    return 0;
}
