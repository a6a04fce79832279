/* usage.cpp - the paragraph usage scan (which tags the paragraphs of a document carry, which
 * catalogue formats none carries) and the listings of it for a document, a whole book, each
 * book file, and each tag across a book. */
#include "commands/usage.h"

#include <assert.h>

#include "bridge/host_ops.h"
#include "commands/book_walk.h"
#include "commands/output_document.h"
#include "commands/paragraph_walk.h"
#include "commands/titles.h"
#include "commands/unreadable_names.h"
#include "support/format.h"
#include "support/memory.h"
#include "support/strings.h"

static const char kNoMemory[] = "Couldn't allocate string list memory\n";
static const char kUsedHeading[] = "Paragraph Tags Used:";
static const char kUnusedHeading[] = "Paragraph Tags Not Used:";

/* Names the current scan could not add; see ScanParagraphUsage. */
static int32_t scanFailures;

static void AddOrReport(StringList* list, const char* text)
{
    if (StringListAdd(list, text) != 0) {
        ConsoleReport(kNoMemory);
        scanFailures++;
    }
}

/* One paragraph's tag: used (once, ignoring case, or once per exact spelling), and no longer
 * a candidate for unused. A tag that arrived with substituted characters is listed as it
 * came, with a console line the first time: it may stand for several tags. */
static void NoteTag(const char* tag, StringList* used, StringList* unused, UsedSpelling spelling)
{
    int32_t known = spelling == USED_EVERY_SPELLING ? StringListFind(used, tag) : StringListFindNoCase(used, tag);
    if (known < 0) {
        if (IsUnreadableName(tag))
            ReportUnreadableTag(tag);
        AddOrReport(used, tag);
    }
    int32_t index = StringListFind(unused, tag);
    if (index >= 0)
        StringListRemove(unused, (uint32_t)index);
}

typedef struct UsageScan {
    StringList* used;
    StringList* unused;
    UsedSpelling spelling;
} UsageScan;

/* Every paragraph, wherever it is, counts as a use of its tag. */
static void NoteParagraph(ObjectId doc, ObjectId paragraph, ParagraphPlace place, void* context)
{
    (void)place;
    UsageScan* scan = (UsageScan*)context;
    char* tag = GetStringProperty(doc, paragraph, PROP_NAME);
    NoteTag(tag ? tag : "", scan->used, scan->unused, scan->spelling);
    BridgeFree(tag);
}

/* A catalogue format whose exact name no scanned paragraph carries is unused. */
static void NoteFormat(ObjectId doc, ObjectId format, const char* name, void* context)
{
    (void)doc;
    (void)format;
    UsageScan* scan = (UsageScan*)context;
    if (StringListFind(scan->used, name) < 0 && StringListFind(scan->unused, name) < 0)
        AddOrReport(scan->unused, name);
}

int32_t ScanParagraphUsage(ObjectId doc, StringList* used, StringList* unused)
{
    return ScanParagraphUsageAs(doc, used, unused, USED_FIRST_SPELLING);
}

int32_t ScanParagraphUsageAs(ObjectId doc, StringList* used, StringList* unused, UsedSpelling spelling)
{
    scanFailures = 0;
    SetIntProperty(0, 0, PROP_SCREEN_UPDATING, 0);
    int32_t savedMode = GetIntProperty(doc, doc, PROP_DOC_MODE);
    SetIntProperty(doc, doc, PROP_DOC_MODE, 1);

    UsageScan scan;
    scan.used = used;
    scan.unused = unused;
    scan.spelling = spelling;
    WalkParagraphs(doc, NoteParagraph, &scan);
    WalkCatalogue(doc, CATALOGUE_WITH_NAMES, NoteFormat, &scan);

    StringListSort(used, StringListCompareEntries);
    StringListSort(unused, StringListCompareEntries);

    SetIntProperty(doc, doc, PROP_DOC_MODE, savedMode);
    SetIntProperty(0, 0, PROP_SCREEN_UPDATING, 1);
    RedisplayDocument(doc);
    return scanFailures;
}

/* ---- listings ------------------------------------------------------------------------- */

int32_t CreateUsageLists(UsageLists* lists)
{
    lists->incomplete = 0;
    lists->spelling = USED_FIRST_SPELLING;
    lists->used = StringListCreate(1, 1);
    lists->unused = StringListCreate(1, 1);
    if (lists->used && lists->unused)
        return 1;
    ConsoleReport(kNoMemory);
    StringListFree(lists->used);
    StringListFree(lists->unused);
    lists->used = 0;
    lists->unused = 0;
    return 0;
}

void FreeUsageLists(UsageLists* lists)
{
    StringListFree(lists->used);
    StringListFree(lists->unused);
    lists->used = 0;
    lists->unused = 0;
}

static void AppendOwned(ObjectId out, char* text, const char* tag)
{
    AppendParagraph(out, text, tag);
    MemFree(text);
}

static void AppendEntries(ObjectId out, StringList* list)
{
    for (uint32_t i = 0; i < StringListCount(list); i++)
        AppendParagraph(out, StringListGet(list, i), OUTPUT_TAG_BODY);
}

/* "Paragraph Tags Used:", the used tags, "Paragraph Tags Not Used:", the unused formats. */
static void AppendUsageSections(ObjectId out, UsageLists* lists)
{
    AppendParagraph(out, kUsedHeading, OUTPUT_TAG_HEADING2);
    AppendEntries(out, lists->used);
    AppendParagraph(out, kUnusedHeading, OUTPUT_TAG_HEADING2);
    AppendEntries(out, lists->unused);
}

void ScanBookFileUsage(BookFile* file, void* context)
{
    UsageLists* lists = (UsageLists*)context;
    lists->incomplete += ScanParagraphUsageAs(file->doc, lists->used, lists->unused, lists->spelling);
}

int32_t ListParagraphUsage(ObjectId doc)
{
    assert(doc != 0);
    UsageLists lists;
    if (!CreateUsageLists(&lists))
        return 0;
    ScanParagraphUsage(doc, lists.used, lists.unused);
    ObjectId out = CreateOutputDocument();
    AppendOwned(out, DocumentTitle(doc), OUTPUT_TAG_HEADING1);
    AppendUsageSections(out, &lists);
    FreeUsageLists(&lists);
    return 0;
}

int32_t ListParagraphUsageBook(ObjectId book)
{
    UsageLists lists;
    if (!CreateUsageLists(&lists))
        return 0;
    WalkBookComponents(book, BOOK_PREFIX_EXAMINING, BOOK_FILE_CLOSE, ScanBookFileUsage, &lists);
    ObjectId out = CreateOutputDocument();
    AppendOwned(out, BookTitle(book), OUTPUT_TAG_HEADING1);
    AppendUsageSections(out, &lists);
    FreeUsageLists(&lists);
    return 0;
}

/* Per-file work of the individual listing: the file's own section, written while the file is
 * open for its title, and finished after it has been closed. */
static void ListBookFile(BookFile* file, void* context)
{
    ObjectId out = *(ObjectId*)context;
    UsageLists lists;
    if (!CreateUsageLists(&lists))
        return;
    ScanParagraphUsage(file->doc, lists.used, lists.unused);
    AppendOwned(out, DocumentTitle(file->doc), OUTPUT_TAG_HEADING1);
    AppendParagraph(out, kUsedHeading, OUTPUT_TAG_HEADING2);
    ReleaseBookFile(file);
    AppendEntries(out, lists.used);
    AppendParagraph(out, kUnusedHeading, OUTPUT_TAG_HEADING2);
    AppendEntries(out, lists.unused);
    FreeUsageLists(&lists);
}

int32_t ListParagraphUsageBookIndFiles(ObjectId book)
{
    ObjectId out = CreateOutputDocument();
    AppendOwned(out, BookTitle(book), OUTPUT_TAG_HEADING1);
    WalkBookComponents(book, BOOK_PREFIX_EXAMINING, BOOK_FILE_CLOSE, ListBookFile, &out);
    return 0;
}

typedef struct TagSearch {
    ObjectId out;
    const char* tag;
} TagSearch;

/* Per-file work of the by-tag listing: names the file when it uses the tag exactly. */
static void FindTagInBookFile(BookFile* file, void* context)
{
    TagSearch* search = (TagSearch*)context;
    UsageLists lists;
    if (!CreateUsageLists(&lists))
        return;
    ScanParagraphUsage(file->doc, lists.used, lists.unused);
    if (StringListFind(lists.used, search->tag) >= 0)
        AppendOwned(search->out, DocumentTitle(file->doc), OUTPUT_TAG_BODY);
    FreeUsageLists(&lists);
}

int32_t ParagraphUsageBookByFormat(ObjectId book)
{
    UsageLists bookLists;
    if (!CreateUsageLists(&bookLists))
        return 0;
    WalkBookComponents(book, BOOK_PREFIX_EXAMINING, BOOK_FILE_CLOSE, ScanBookFileUsage, &bookLists);

    TagSearch search;
    search.out = CreateOutputDocument();
    AppendOwned(search.out, BookTitle(book), OUTPUT_TAG_HEADING1);
    for (uint32_t i = 0; i < StringListCount(bookLists.used); i++) {
        char* tag = StrDuplicate(StringListGet(bookLists.used, i));
        if (!tag) {
            ConsoleReport(kNoMemory);
            continue;
        }
        AppendParagraph(search.out, tag, OUTPUT_TAG_HEADING2);
        search.tag = tag;
        /* Every file is opened and scanned again for each tag; nothing is kept between walks. */
        WalkBookComponents(book, BOOK_PREFIX_EXAMINING, BOOK_FILE_CLOSE, FindTagInBookFile, &search);
        MemFree(tag);
    }
    FreeUsageLists(&bookLists);
    return 0;
}
