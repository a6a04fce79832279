/* conversion.cpp - retags paragraphs from a conversion table ("Source Tag", "Destination
 * Tag"): each paragraph whose tag is a source takes on the whole destination format, and
 * next-tag references in the catalogue and in paragraphs are converted the same way. */
#include "commands/conversion.h"

#include "bridge/host_ops.h"
#include "commands/book_walk.h"
#include "commands/confirm.h"
#include "commands/paragraph_walk.h"
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
    ConversionTable conversion;
    conversion.doc = tableDoc;
    conversion.table = table;

    int32_t savedMode = GetIntProperty(target, target, PROP_DOC_MODE);
    SetIntProperty(target, target, PROP_DOC_MODE, 1);
    WalkCatalogue(target, CATALOGUE_FORMATS_ONLY, ConvertFormat, &conversion);
    WalkParagraphs(target, ConvertParagraph, &conversion);
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
