/* conversion.cpp - retags paragraphs from a conversion table ("Source Tag", "Destination
 * Tag"): each paragraph whose tag is a source takes on the whole destination format, and
 * next-tag references in the catalogue and in paragraphs are converted the same way. */
#include "commands/conversion.h"

#include <assert.h>

#include "bridge/host_ops.h"
#include "commands/book_walk.h"
#include "commands/confirm.h"
#include "commands/paragraph_walk.h"
#include "commands/output_document.h"
#include "commands/tables.h"
#include "commands/unreadable_names.h"
#include "support/memory.h"
#include "support/string_list.h"
#include "support/strings.h"

static const char kNoConversionTable[] = "The list of paragraph tags to convert could not be found.";

typedef struct ConversionTable {
    ObjectId doc;
    ObjectId table;
} ConversionTable;

/* The text of the cell's first paragraph (a new string, MemFree; null when empty). */
static char* CellText(ObjectId doc, ObjectId cell)
{
    return GetParagraphText(doc, GetIdProperty(doc, cell, PROP_FIRST_PARAGRAPH));
}

/* A row naming a tag with substituted characters, on either side, may stand for other tags
 * than the one the user wrote: it converts nothing. */
static int IsSkippedRow(const char* source, const char* destination)
{
    return IsUnreadableName(source) || IsUnreadableName(destination);
}

/* The destination of the first row whose source cell equals tag exactly, read afresh from
 * the table; rows skipped for their names count as absent. Returns 1 on a match, with
 * *destination a new string (MemFree) or null for an empty destination cell; 0 when no row
 * has that source. */
static int LookUpTag(const ConversionTable* conversion, const char* tag, char** destination)
{
    ObjectId doc = conversion->doc;
    *destination = 0;
    for (ObjectId row = GetIdProperty(doc, conversion->table, PROP_FIRST_ROW); row != 0;
         row = GetIdProperty(doc, row, PROP_NEXT_ROW)) {
        ObjectId sourceCell = GetIdProperty(doc, row, PROP_FIRST_CELL);
        char* source = CellText(doc, sourceCell);
        int match = StrEqual(source, tag) && !IsUnreadableName(source);
        MemFree(source);
        if (!match)
            continue;
        char* target = CellText(doc, GetIdProperty(doc, sourceCell, PROP_NEXT_CELL));
        if (!IsUnreadableName(target)) {
            *destination = target;
            return 1;
        }
        MemFree(target);
    }
    return 0;
}

/* Names on the console each row that converts nothing because of its names. */
static void ReportSkippedRows(const ConversionTable* conversion)
{
    ObjectId doc = conversion->doc;
    for (ObjectId row = GetIdProperty(doc, conversion->table, PROP_FIRST_ROW); row != 0;
         row = GetIdProperty(doc, row, PROP_NEXT_ROW)) {
        ObjectId sourceCell = GetIdProperty(doc, row, PROP_FIRST_CELL);
        char* source = CellText(doc, sourceCell);
        char* destination = CellText(doc, GetIdProperty(doc, sourceCell, PROP_NEXT_CELL));
        if (IsSkippedRow(source, destination))
            ReportSkippedConversionRow(source, destination);
        MemFree(source);
        MemFree(destination);
    }
}

/* The destination for tag when the table converts it and target has a format of that name;
 * null otherwise. A new string (MemFree). */
static char* ConvertedName(ObjectId target, const ConversionTable* conversion, const char* tag)
{
    char* destination = 0;
    if (!LookUpTag(conversion, tag, &destination))
        return 0;
    if (StrLength(destination) == 0 || GetNamedObject(target, OBJ_PGF_FORMAT, destination) == 0)
        return (char*)MemFree(destination);
    return destination;
}

/* A format's or paragraph's next tag, converted when the next tag is switched on. */
static void ConvertNextTag(ObjectId target, ObjectId object, const ConversionTable* conversion)
{
    if (GetIntProperty(target, object, PROP_USE_NEXT_TAG) != 1)
        return;
    char* next = GetStringProperty(target, object, PROP_NEXT_TAG_NAME);
    char* converted = ConvertedName(target, conversion, next ? next : "");
    if (converted)
        SetStringProperty(target, object, PROP_NEXT_TAG_NAME, converted);
    MemFree(converted);
    BridgeFree(next);
}

/* Gives the paragraph the destination format of its tag, if the table names one. Nothing
 * happens when the format is missing or the paragraph is marked to be left unchanged. */
static void RetagParagraph(ObjectId target, ObjectId paragraph, const ConversionTable* conversion)
{
    char* tag = GetStringProperty(target, paragraph, PROP_NAME);
    char* destination = 0;
    if (LookUpTag(conversion, tag ? tag : "", &destination) && StrLength(destination) > 0)
        ApplyParagraphFormat(target, paragraph, destination);
    MemFree(destination);
    BridgeFree(tag);
}

/* A paragraph anywhere is retagged; the next tag is read after the retagging, so a retagged
 * paragraph is tested with the next tag its new format gave it. Title paragraphs keep their
 * next tags. */
static void ConvertParagraph(ObjectId target, ObjectId paragraph, ParagraphPlace place, void* context)
{
    const ConversionTable* conversion = (const ConversionTable*)context;
    RetagParagraph(target, paragraph, conversion);
    if (place != PLACE_TABLE_TITLE)
        ConvertNextTag(target, paragraph, conversion);
}

static void ConvertFormat(ObjectId target, ObjectId format, const char* name, void* context)
{
    (void)name;
    ConvertNextTag(target, format, (const ConversionTable*)context);
}

void ConvertTags(ObjectId target, ObjectId tableDoc, ObjectId table)
{
    assert(table != 0);
    ConversionTable conversion;
    conversion.doc = tableDoc;
    conversion.table = table;

    int32_t savedMode = GetIntProperty(target, target, PROP_DOC_MODE);
    SetIntProperty(target, target, PROP_DOC_MODE, 1);
    WalkCatalogue(target, CATALOGUE_FORMATS_ONLY, ConvertFormat, &conversion);
    /* A paragraph reached twice (a flow's paragraphs can also be reached from the chain of
     * further text holders) is converted once: a second pass would carry it on through a
     * second row (X to Y, then Y to Z) or back again (A to B, B to A). */
    WalkEachParagraphOnce(target, ConvertParagraph, &conversion);
    SetIntProperty(target, target, PROP_DOC_MODE, savedMode);
}

/* Finds the conversion table; shows the warning when no open document holds one. Returns 0
 * with the table stored, or the warning's result. */
static int32_t FindConversionTable(ConversionTable* conversion)
{
    conversion->doc = FindTableDocument(TABLE_HEADING_SOURCE);
    conversion->table = conversion->doc ? FindTableInDocument(conversion->doc, TABLE_HEADING_SOURCE) : 0;
    if (conversion->table == 0)
        return ShowAlert(kNoConversionTable, ALERT_WARNING);
    return 0;
}

int32_t ConvertParagraphsInDoc(ObjectId doc)
{
    assert(doc != 0);
    ConversionTable conversion;
    int32_t result = FindConversionTable(&conversion);
    if (conversion.table == 0)
        return result;
    if (ConfirmWithUser("Are you sure you want to convert paragraph tags?")) {
        ReportSkippedRows(&conversion);
        ConvertTags(doc, conversion.doc, conversion.table);
    }
    return 0;
}

typedef struct BookConversion {
    ConversionTable table;
    StringList* converted; /* paths of the files converted so far in this run */
} BookConversion;

/* A file the book names twice is converted the first time only: the second pass would carry
 * its paragraphs on through a second row, as a paragraph reached twice would be. */
static void ConvertBookFile(BookFile* file, void* context)
{
    BookConversion* conversion = (BookConversion*)context;
    const char* path = file->path ? file->path : "";
    if (file->doc != 0 && *path && conversion->converted && StringListFind(conversion->converted, path) >= 0) {
        file->leaveUnsaved = 1;
        return;
    }
    ConvertTags(file->doc, conversion->table.doc, conversion->table.table);
    if (file->doc != 0 && *path && conversion->converted)
        StringListAdd(conversion->converted, path);
}

int32_t ConvertParagraphsBook(ObjectId book)
{
    BookConversion conversion;
    int32_t result = FindConversionTable(&conversion.table);
    if (conversion.table.table == 0)
        return result;
    if (ConfirmWithUser("Are you sure you want to convert paragraph tags for all files in the book?")) {
        ReportSkippedRows(&conversion.table);
        conversion.converted = StringListCreate(1, 1);
        WalkBookComponents(book, BOOK_PREFIX_PROCESSING, BOOK_FILE_SAVE_AND_CLOSE, ConvertBookFile, &conversion);
        StringListFree(conversion.converted);
    }
    return 0;
}
