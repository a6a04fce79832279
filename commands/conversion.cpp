/* conversion.cpp - retags paragraphs from a conversion table ("Source Tag", "Destination
 * Tag"): each paragraph whose tag is a source takes on the whole destination format, and
 * next-tag references in the catalogue and in paragraphs are converted the same way. */
#include "commands/conversion.h"

#include "bridge/host_ops.h"
#include "commands/book_walk.h"
#include "commands/confirm.h"
#include "commands/flows.h"
#include "commands/output_document.h"
#include "commands/tables.h"
#include "support/memory.h"
#include "support/strings.h"

static const char kNoConversionTable[] = "The list of paragraph tags to convert could not be found.";

typedef struct ConversionTable {
    ObjectId doc;
    ObjectId table;
} ConversionTable;

/* The destination of the first row whose source cell equals tag exactly, read afresh from
 * the table. Returns 1 on a match, with *destination a new string (MemFree) or null for an
 * empty destination cell; 0 when no row has that source. */
static int LookUpTag(const ConversionTable* conversion, const char* tag, char** destination)
{
    ObjectId doc = conversion->doc;
    *destination = 0;
    for (ObjectId row = GetIdProperty(doc, conversion->table, PROP_FIRST_ROW); row != 0;
         row = GetIdProperty(doc, row, PROP_NEXT_ROW)) {
        ObjectId sourceCell = GetIdProperty(doc, row, PROP_FIRST_CELL);
        char* source = GetParagraphText(doc, GetIdProperty(doc, sourceCell, PROP_FIRST_PARAGRAPH));
        int match = StrEqual(source, tag);
        MemFree(source);
        if (match) {
            ObjectId destinationCell = GetIdProperty(doc, sourceCell, PROP_NEXT_CELL);
            *destination = GetParagraphText(doc, GetIdProperty(doc, destinationCell, PROP_FIRST_PARAGRAPH));
            return 1;
        }
    }
    return 0;
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

/* The paragraph first and every one after it. The next tag is read after the retagging, so
 * a retagged paragraph is tested with the next tag its new format gave it. */
static void ConvertParagraphs(ObjectId target, ObjectId first, const ConversionTable* conversion, int withNextTags)
{
    for (ObjectId paragraph = first; paragraph != 0;
         paragraph = GetIdProperty(target, paragraph, PROP_NEXT_PARAGRAPH)) {
        RetagParagraph(target, paragraph, conversion);
        if (withNextTags)
            ConvertNextTag(target, paragraph, conversion);
    }
}

static void ConvertCatalogue(ObjectId target, const ConversionTable* conversion)
{
    for (ObjectId format = GetIdProperty(0, target, PROP_FIRST_PGF_FORMAT); format != 0;
         format = GetIdProperty(target, format, PROP_NEXT_PGF_FORMAT))
        ConvertNextTag(target, format, conversion);
}

/* Each flow from the first of its frames that holds a paragraph; the next-paragraph chain
 * runs on through the whole flow. */
static void ConvertFlows(ObjectId target, const ConversionTable* conversion)
{
    for (ObjectId flow = GetIdProperty(0, target, PROP_FIRST_FLOW); flow != 0;
         flow = GetIdProperty(target, flow, PROP_NEXT_FLOW)) {
        ObjectId first = FirstParagraphOfFlow(target, flow);
        if (first != 0)
            ConvertParagraphs(target, first, conversion, 1);
    }
}

/* The text holders beyond the flows (footnotes): retagged with their next tags, as in flows. */
static void ConvertTextHolders(ObjectId target, const ConversionTable* conversion)
{
    for (ObjectId member = GetIdProperty(0, target, PROP_FIRST_TEXT_HOLDER); member != 0;
         member = GetIdProperty(target, member, PROP_NEXT_TEXT_HOLDER))
        ConvertParagraphs(target, GetIdProperty(target, member, PROP_FIRST_PARAGRAPH), conversion, 1);
}

/* Every cell paragraph of every table; then the titles, which keep their next tags. */
static void ConvertTables(ObjectId target, const ConversionTable* conversion)
{
    for (ObjectId table = GetIdProperty(0, target, PROP_FIRST_TABLE); table != 0;
         table = GetIdProperty(target, table, PROP_NEXT_TABLE)) {
        for (ObjectId row = GetIdProperty(target, table, PROP_FIRST_ROW); row != 0;
             row = GetIdProperty(target, row, PROP_NEXT_ROW))
            for (ObjectId cell = GetIdProperty(target, row, PROP_FIRST_CELL); cell != 0;
                 cell = GetIdProperty(target, cell, PROP_NEXT_CELL))
                ConvertParagraphs(target, GetIdProperty(target, cell, PROP_FIRST_PARAGRAPH), conversion, 1);
        ConvertParagraphs(target, GetIdProperty(target, table, PROP_FIRST_PARAGRAPH), conversion, 0);
    }
}

void ConvertTags(ObjectId target, ObjectId tableDoc, ObjectId table)
{
    ConversionTable conversion;
    conversion.doc = tableDoc;
    conversion.table = table;

    int32_t savedMode = GetIntProperty(target, target, PROP_DOC_MODE);
    SetIntProperty(target, target, PROP_DOC_MODE, 1);
    ConvertCatalogue(target, &conversion);
    ConvertFlows(target, &conversion);
    ConvertTextHolders(target, &conversion);
    ConvertTables(target, &conversion);
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
    if (doc == 0)
        return ShowAlert("Please open a document first.", ALERT_NOTE);
    ConversionTable conversion;
    int32_t result = FindConversionTable(&conversion);
    if (conversion.table == 0)
        return result;
    if (ConfirmWithUser("Are you sure you want to convert paragraph tags?"))
        ConvertTags(doc, conversion.doc, conversion.table);
    return 0;
}

static void ConvertBookFile(BookFile* file, void* context)
{
    ConversionTable* conversion = (ConversionTable*)context;
    ConvertTags(file->doc, conversion->doc, conversion->table);
}

int32_t ConvertParagraphsBook(ObjectId book)
{
    ConversionTable conversion;
    int32_t result = FindConversionTable(&conversion);
    if (conversion.table == 0)
        return result;
    if (ConfirmWithUser("Are you sure you want to convert paragraph tags for all files in the book?"))
        WalkBookComponents(book, BOOK_PREFIX_PROCESSING, BOOK_FILE_SAVE_AND_CLOSE, ConvertBookFile, &conversion);
    return 0;
}
