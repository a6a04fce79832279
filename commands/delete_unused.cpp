/* delete_unused.cpp - deletes the paragraph formats that no paragraph uses, from the active
 * document or, with a book-wide notion of "unused", from every file of the active book, after
 * asking the user once. */
#include "commands/delete_unused.h"

#include "bridge/host_ops.h"
#include "commands/book_walk.h"
#include "commands/confirm.h"
#include "commands/usage.h"
#include "support/format.h"
#include "support/memory.h"

static const char kNoMemory[] = "Couldn't allocate string list memory\n";

void DeleteUnusedFormats(ObjectId doc, StringList* used, StringList* unused)
{
    char* name = 0;
    ObjectId format = GetIdProperty(0, doc, PROP_FIRST_PGF_FORMAT);
    while (format != 0) {
        /* Read the next format first: the current one may be deleted. */
        ObjectId next = GetIdProperty(doc, format, PROP_NEXT_PGF_FORMAT);
        name = (char*)BridgeFree(name);
        name = GetStringProperty(doc, format, PROP_NAME);
        const char* text = name ? name : "";
        /* The used list keeps one spelling per tag ignoring case, so a format whose name
         * differs from a used tag only in case may still be carried by paragraphs: keep it. */
        if (StringListFind(unused, text) >= 0 && StringListFindNoCase(used, text) < 0)
            DeleteObject(doc, format);
        format = next;
    }
    BridgeFree(name);
}

typedef struct UsageLists {
    StringList* used;
    StringList* unused;
} UsageLists;

static int CreateLists(UsageLists* lists)
{
    lists->used = StringListCreate(1, 1);
    lists->unused = StringListCreate(1, 1);
    if (lists->used && lists->unused)
        return 1;
    ConsoleReport(kNoMemory);
    StringListFree(lists->used);
    StringListFree(lists->unused);
    return 0;
}

static void FreeLists(UsageLists* lists)
{
    StringListFree(lists->used);
    StringListFree(lists->unused);
}

int32_t DeleteUnusedParagraphs(ObjectId doc)
{
    UsageLists lists;
    if (!CreateLists(&lists))
        return 0;
    ScanParagraphUsage(doc, lists.used, lists.unused);
    if (ConfirmWithUser("Are you sure you want to delete unused paragraph tags?"))
        DeleteUnusedFormats(doc, lists.used, lists.unused);
    FreeLists(&lists);
    return 0;
}

static void ScanBookFile(BookFile* file, void* context)
{
    UsageLists* lists = (UsageLists*)context;
    ScanParagraphUsage(file->doc, lists->used, lists->unused);
}

static void DeleteInBookFile(BookFile* file, void* context)
{
    UsageLists* lists = (UsageLists*)context;
    DeleteUnusedFormats(file->doc, lists->used, lists->unused);
}

int32_t DeleteUnusedParagraphsBook(ObjectId book)
{
    UsageLists lists;
    if (!CreateLists(&lists))
        return 0;
    /* A format is unused only when no file of the book uses its name. */
    WalkBookComponents(book, BOOK_PREFIX_EXAMINING, BOOK_FILE_CLOSE, ScanBookFile, &lists);
    if (ConfirmWithUser("Are you sure you want to delete unused paragraph tags for all files in the book?"))
        WalkBookComponents(book, BOOK_PREFIX_REMOVING, BOOK_FILE_SAVE_AND_CLOSE, DeleteInBookFile, &lists);
    FreeLists(&lists);
    return 0;
}
