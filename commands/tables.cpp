/* tables.cpp - the list table ("Tags to Keep") and the conversion table ("Source Tag",
 * "Destination Tag"): built in a new output document from a document's or book's tags, found
 * again among the open documents by their heading text, and the list table applied by
 * deleting every paragraph format it does not name. */
#include "commands/tables.h"

#include <assert.h>

#include "bridge/host_ops.h"
#include "bridge/records.h"
#include "commands/confirm.h"
#include "commands/output_document.h"
#include "commands/paragraph_walk.h"
#include "commands/unreadable_names.h"
#include "commands/usage.h"
#include "support/format.h"
#include "support/memory.h"
#include "support/string_list.h"
#include "support/strings.h"

static const char kNoListTable[] = "The list of paragraph tags to keep could not be found.";
static const char kKeepQuestion[] = "Are you sure you want to keep only the paragraph tags listed?";

static const char kTableFormat[] = "Format A";
#define EMPTY_TABLE_ROWS 10
#define COLUMN_WIDTH 0x900000 /* 144 pt, two inches */

/* The list-type dialog: its items in order, and what each index means. */
static char kChoiceEmpty[] = "Empty";
static char kChoiceInUse[] = "Paragraph Tags in Use";
static char kChoiceAll[] = "All Paragraph Tags";
enum ListType { LIST_EMPTY = 0, LIST_IN_USE = 1, LIST_ALL = 2 };

static const char* const kListHeadings[] = {TABLE_HEADING_KEEP};
static const char* const kConversionHeadings[] = {TABLE_HEADING_SOURCE, TABLE_HEADING_DESTINATION};

/* ---- reading tables ------------------------------------------------------------------- */

char* GetParagraphText(ObjectId doc, ObjectId paragraph)
{
    TextRange range;
    range.begin.object = paragraph;
    range.begin.offset = 0;
    range.end.object = paragraph;
    range.end.offset = TW_END_OF_OBJECT;
    TextItemList items = GetTextForRange(doc, &range, TEXT_ITEM_STRING);

    size_t length = 0;
    int hasText = 0;
    for (uint32_t i = 0; i < items.count; i++)
        if (items.items[i].kind == TEXT_ITEM_STRING) {
            length += (size_t)StrLength(items.items[i].data.text);
            hasText = 1;
        }
    char* text = hasText ? StrAlloc(length) : 0;
    if (text)
        for (uint32_t i = 0; i < items.count; i++)
            if (items.items[i].kind == TEXT_ITEM_STRING)
                StrAppend(text, items.items[i].data.text);
    FreeTextItemList(&items);
    return text;
}

/* Text of the first paragraph of a cell (null when it has none). */
static char* CellText(ObjectId doc, ObjectId cell)
{
    return GetParagraphText(doc, GetIdProperty(doc, cell, PROP_FIRST_PARAGRAPH));
}

/* Whether the table's first cell, the heading of a table built here, begins with heading. A
 * table without rows is never recognised. */
static int TableHasHeading(ObjectId doc, ObjectId table, const char* heading)
{
    ObjectId row = GetIdProperty(doc, table, PROP_FIRST_ROW);
    if (row == 0)
        return 0;
    char* text = CellText(doc, GetIdProperty(doc, row, PROP_FIRST_CELL));
    int recognised = StrStartsWith(text, heading);
    MemFree(text);
    return recognised;
}

ObjectId FindTableInDocument(ObjectId doc, const char* heading)
{
    for (ObjectId table = GetIdProperty(0, doc, PROP_FIRST_TABLE); table != 0;
         table = GetIdProperty(doc, table, PROP_NEXT_TABLE))
        if (TableHasHeading(doc, table, heading))
            return table;
    return 0;
}

ObjectId FindTableDocument(const char* heading)
{
    /* Every open document in the host's order; the active one has no precedence. Each step
     * goes on from the document just examined, so the walk reaches the end of the list. */
    for (ObjectId doc = GetIdProperty(0, 0, PROP_FIRST_OPEN_DOC); doc != 0;
         doc = GetIdProperty(doc, doc, PROP_NEXT_OPEN_DOC))
        if (FindTableInDocument(doc, heading) != 0)
            return doc;
    return 0;
}

/* ---- keeping only the listed tags ----------------------------------------------------- */

/* Whether name equals the first-cell text of any row, the heading row included; entries
 * with substituted characters name nothing for sure and are passed over. With report set,
 * each such entry is named on the console instead. */
static int IsListed(ObjectId tableDoc, ObjectId table, const char* name, int report)
{
    int listed = 0;
    for (ObjectId row = GetIdProperty(tableDoc, table, PROP_FIRST_ROW); row != 0;
         row = GetIdProperty(tableDoc, row, PROP_NEXT_ROW)) {
        char* text = CellText(tableDoc, GetIdProperty(tableDoc, row, PROP_FIRST_CELL));
        if (IsUnreadableName(text)) {
            if (report)
                ReportSkippedListEntry(text);
        } else if (StrEqual(text, name)) {
            listed = 1;
        }
        MemFree(text);
    }
    return listed;
}

/* Names on the console the list entries that will be passed over. */
static void ReportSkippedListEntries(ObjectId tableDoc, ObjectId table) { IsListed(tableDoc, table, 0, 1); }

typedef struct ListTable {
    ObjectId doc;
    ObjectId table;
} ListTable;

static void DeleteIfNotListed(ObjectId target, ObjectId format, const char* name, void* context)
{
    const ListTable* list = (const ListTable*)context;
    if (IsListed(list->doc, list->table, name, 0))
        return;
    /* A name with substituted characters may be a listed format's name as well. */
    if (IsUnreadableName(name))
        ReportKeptFormat(target, name);
    else
        DeleteObject(target, format);
}

void KeepListedTags(ObjectId target, ObjectId tableDoc, ObjectId table)
{
    assert(table != 0);
    /* A table that was found always had its heading row. Reading no rows now means it is
     * gone (its document was closed), and an unreadable list must not read as an empty
     * one: that would delete the whole catalogue. */
    if (GetIdProperty(tableDoc, table, PROP_FIRST_ROW) == 0)
        return;

    ListTable list;
    list.doc = tableDoc;
    list.table = table;
    WalkCatalogue(target, CATALOGUE_WITH_NAMES, DeleteIfNotListed, &list);
}

/* Finds the list table; shows the warning and gives 0 when no open document holds one. */
static ObjectId FindListTable(ObjectId* tableDoc)
{
    *tableDoc = FindTableDocument(TABLE_HEADING_KEEP);
    if (*tableDoc == 0)
        return 0;
    return FindTableInDocument(*tableDoc, TABLE_HEADING_KEEP);
}

int32_t RemoveNonlistParagraphs(ObjectId doc)
{
    assert(doc != 0);
    ObjectId tableDoc = 0;
    ObjectId table = FindListTable(&tableDoc);
    if (table == 0)
        return ShowAlert(kNoListTable, ALERT_WARNING);
    if (ConfirmWithUser(kKeepQuestion)) {
        ReportSkippedListEntries(tableDoc, table);
        KeepListedTags(doc, tableDoc, table);
    }
    return 0;
}

static void KeepListedInBookFile(BookFile* file, void* context)
{
    ListTable* list = (ListTable*)context;
    KeepListedTags(file->doc, list->doc, list->table);
}

int32_t RemoveNonlistParagraphsBook(ObjectId book)
{
    ListTable list;
    list.table = FindListTable(&list.doc);
    if (list.table == 0)
        return ShowAlert(kNoListTable, ALERT_WARNING);
    if (ConfirmWithUser(kKeepQuestion)) {
        ReportSkippedListEntries(list.doc, list.table);
        WalkBookComponents(book, BOOK_PREFIX_PROCESSING, BOOK_FILE_SAVE_AND_CLOSE, KeepListedInBookFile, &list);
    }
    return 0;
}

/* ---- building tables ------------------------------------------------------------------ */

/* Asks which kind of list to build. 0 with the index stored, or the dialog's result when the
 * user cancelled; an index the dialog should not have given counts as cancelled. */
static int32_t ChooseListType(int32_t* choice)
{
    char* items[] = {kChoiceEmpty, kChoiceInUse, kChoiceAll};
    StringArray list;
    list.count = 3;
    list.strings = items;
    *choice = -1;
    int32_t result = ChooseFromList(choice, "Choose a list type", &list, -1);
    if (result != 0)
        return result;
    if (*choice < LIST_EMPTY || *choice > LIST_ALL)
        return -1;
    return 0;
}

/* Puts the insertion point at the start of the cell's first paragraph and types text. */
static void WriteCellText(ObjectId doc, ObjectId cell, const char* text)
{
    InsertAtParagraphStart(doc, GetIdProperty(doc, cell, PROP_FIRST_PARAGRAPH), text);
}

/* Sets the width of the cell's column to two inches; the whole width list is written back. */
static void WidenColumnOf(ObjectId doc, ObjectId table, ObjectId cell)
{
    IntList widths = GetIntListProperty(doc, table, PROP_COLUMN_WIDTHS);
    int32_t column = GetIntProperty(doc, cell, PROP_CELL_COLUMN);
    if (column >= 0 && (uint32_t)column < widths.count) {
        widths.values[column] = COLUMN_WIDTH;
        SetIntListProperty(doc, table, PROP_COLUMN_WIDTHS, &widths);
    }
    FreeFlatList(&widths);
}

/* One entry per row, into the first cell, from row on; returns the row after the last one
 * written (0 when the table ran out of rows). */
static ObjectId WriteEntries(ObjectId doc, ObjectId row, const StringList* entries)
{
    for (uint32_t i = 0; i < StringListCount(entries) && row != 0; i++) {
        WriteCellText(doc, GetIdProperty(doc, row, PROP_FIRST_CELL), StringListGet(entries, i));
        row = GetIdProperty(doc, row, PROP_NEXT_ROW);
    }
    return row;
}

/* The new table in a new output document: one heading row with the given texts, and one
 * body row per tag (or ten empty ones). */
static void WriteTable(int32_t choice, const UsageLists* lists, const char* const* headings, int32_t columns)
{
    ObjectId out = CreateOutputDocument();
    TextRange selection = GetTextRangeProperty(0, out, PROP_SELECTION);
    if (selection.begin.object == 0)
        return;

    uint32_t bodyRows = EMPTY_TABLE_ROWS;
    if (choice != LIST_EMPTY) {
        bodyRows = StringListCount(lists->used);
        if (choice == LIST_ALL)
            bodyRows += StringListCount(lists->unused);
    }
    ObjectId table = NewTable(out, kTableFormat, columns, (int32_t)bodyRows, 1, 0, selection.begin);
    if (table == 0)
        return;
    SetIntProperty(out, table, PROP_TABLE_SETTING, 0);

    ObjectId headingRow = GetIdProperty(out, table, PROP_FIRST_ROW);
    ObjectId firstCell = GetIdProperty(out, headingRow, PROP_FIRST_CELL);
    WidenColumnOf(out, table, firstCell);
    if (columns > 1)
        WidenColumnOf(out, table, GetIdProperty(out, firstCell, PROP_NEXT_CELL));

    ObjectId cell = firstCell;
    for (int32_t i = 0; i < columns && cell != 0; i++) {
        WriteCellText(out, cell, headings[i]);
        cell = GetIdProperty(out, cell, PROP_NEXT_CELL);
    }

    if (choice == LIST_EMPTY)
        return;
    ObjectId row = GetIdProperty(out, headingRow, PROP_NEXT_ROW);
    row = WriteEntries(out, row, lists->used);
    if (choice == LIST_ALL)
        WriteEntries(out, row, lists->unused);
}

/* Commands 3, 5, 11 and 13: the tags of doc, or of every file of book when fromBook is set,
 * written into a new table with the given headings. */
static int32_t BuildTable(ObjectId doc, ObjectId book, int fromBook, const char* const* headings, int32_t columns)
{
    int32_t choice = LIST_EMPTY;
    int32_t result = ChooseListType(&choice);
    if (result != 0)
        return result;

    UsageLists lists;
    lists.used = 0;
    lists.unused = 0;
    if (choice != LIST_EMPTY) {
        if (!CreateUsageLists(&lists))
            return 0;
        /* Every spelling in use: a list that kept one of "body" and "Body" would have the
         * other format deleted while paragraphs still carry its tag. */
        lists.spelling = USED_EVERY_SPELLING;
        if (fromBook)
            WalkBookComponents(book, BOOK_PREFIX_EXAMINING, BOOK_FILE_CLOSE, ScanBookFileUsage, &lists);
        else
            ScanParagraphUsageAs(doc, lists.used, lists.unused, lists.spelling);
    }
    WriteTable(choice, &lists, headings, columns);
    FreeUsageLists(&lists);
    return 0;
}

int32_t CreateParagraphList(ObjectId doc)
{
    assert(doc != 0);
    return BuildTable(doc, 0, 0, kListHeadings, 1);
}

int32_t CreateConversionDocument(ObjectId doc)
{
    assert(doc != 0);
    return BuildTable(doc, 0, 0, kConversionHeadings, 2);
}

int32_t CreateParagraphListBook(ObjectId book) { return BuildTable(0, book, 1, kListHeadings, 1); }

int32_t CreateConversionDocumentBook(ObjectId book) { return BuildTable(0, book, 1, kConversionHeadings, 2); }
