/* overrides.cpp - removing local formatting overrides by applying each overridden paragraph's
 * catalogue format again (one document, or every file of a book), and stepping from the
 * insertion point to the next paragraph that carries an override. */
#include "commands/overrides.h"

#include <assert.h>

#include "bridge/host_ops.h"
#include "commands/book_walk.h"
#include "commands/confirm.h"
#include "commands/paragraph_walk.h"
#include "commands/output_document.h"
#include "support/memory.h"

static const char kEndOfDocument[] = "End of document reached.";
static const char kEndOfTable[] = "End of table reached.";
static const char kNoInsertionPoint[] = "No insertion point.";

/* ---- removing overrides --------------------------------------------------------------- */

/* Whether ApplyParagraphFormat will change the paragraph: its tag names a catalogue format
 * and the paragraph is not marked to be left unchanged. */
static int FormatApplies(ObjectId doc, ObjectId paragraph, const char* tag)
{
    if (GetNamedObject(doc, OBJ_PGF_FORMAT, tag) == 0)
        return 0;
    return GetIntProperty(doc, paragraph, PROP_LEAVE_UNCHANGED) == 0;
}

/* Applies the paragraph's own format again when it carries an override. Returns 1 when the
 * paragraph carried one, whether or not the format could be applied. */
static int ReapplyIfOverridden(ObjectId doc, ObjectId paragraph)
{
    char* tag = GetStringProperty(doc, paragraph, PROP_NAME);
    const char* name = tag ? tag : "";
    int overridden = GetIntProperty(doc, paragraph, PROP_OVERRIDE) != 0;
    if (overridden && FormatApplies(doc, paragraph, name))
        ApplyParagraphFormat(doc, paragraph, name);
    BridgeFree(tag);
    return overridden;
}

/* Paragraphs of flows and footnotes, the body text, have their flags cleared once their
 * format is applied again, even where it could not be; the flags of table paragraphs are not
 * written. */
static void RemoveOverride(ObjectId doc, ObjectId paragraph, ParagraphPlace place, void* context)
{
    (void)context;
    int bodyText = place == PLACE_FLOW || place == PLACE_TEXT_HOLDER;
    if (ReapplyIfOverridden(doc, paragraph) && bodyText)
        SetIntProperty(doc, paragraph, PROP_OVERRIDE, 0);
}

void RemoveOverridesInDocument(ObjectId doc)
{
    if (doc == 0)
        return;
    int32_t savedMode = GetIntProperty(doc, doc, PROP_DOC_MODE);
    SetIntProperty(doc, doc, PROP_DOC_MODE, 1);
    WalkParagraphs(doc, RemoveOverride, 0);
    SetIntProperty(doc, doc, PROP_DOC_MODE, savedMode);
}

int32_t RemoveOverrides(ObjectId doc)
{
    assert(doc != 0);
    if (ConfirmWithUser("Are you sure you want to remove paragraph overrides?"))
        RemoveOverridesInDocument(doc);
    return 0;
}

static void RemoveInBookFile(BookFile* file, void* context)
{
    (void)context;
    RemoveOverridesInDocument(file->doc);
}

int32_t RemoveOverridesBook(ObjectId book)
{
    if (ConfirmWithUser("Are you sure you want to remove paragraph overrides for all files in the book?"))
        WalkBookComponents(book, BOOK_PREFIX_PROCESSING, BOOK_FILE_SAVE_AND_CLOSE, RemoveInBookFile, 0);
    return 0;
}

/* ---- finding the next override -------------------------------------------------------- */

static void Select(ObjectId doc, ObjectId paragraph, int32_t begin, int32_t end)
{
    TextRange range;
    range.begin.object = paragraph;
    range.begin.offset = begin;
    range.end.object = paragraph;
    range.end.offset = end;
    SetTextRangeProperty(0, doc, PROP_SELECTION, &range);
}

/* Asks the host to bring the selection into view, which makes its page the current one. */
static void ShowSelection(void)
{
    int32_t code = COMMAND_SHOW_SELECTION;
    RunCommandCodes(1, &code);
}

static int IsOverridden(ObjectId doc, ObjectId paragraph) { return GetIntProperty(doc, paragraph, PROP_OVERRIDE) != 0; }

static int PageInList(ObjectId doc, ObjectId page, int32_t firstProperty)
{
    for (ObjectId p = GetIdProperty(0, doc, firstProperty); p != 0; p = GetIdProperty(doc, p, PROP_NEXT_PAGE))
        if (p == page)
            return 1;
    return 0;
}

/* The page now shown is a master or reference page: the walk has left the body pages. */
static int CurrentPageIsBackground(ObjectId doc)
{
    ObjectId page = GetIdProperty(0, doc, PROP_CURRENT_PAGE);
    if (page == 0)
        return 0;
    return PageInList(doc, page, PROP_FIRST_MASTER_PAGE) || PageInList(doc, page, PROP_FIRST_REFERENCE_PAGE);
}

/* Outcome of the walk along the flows. */
typedef enum FlowStep { STEP_PARAGRAPH, STEP_SILENT_END, STEP_CYCLE_DONE } FlowStep;

/* The paragraph after current in flow order: the next one of its flow, else the first one of
 * the next flow that holds any, wrapping from the last flow to the first. wraps counts the
 * returns to the first flow; a second one means a whole cycle has passed without reaching
 * the start paragraph, which is then unreachable (STEP_CYCLE_DONE). A paragraph outside the
 * flows (no text frame) ends the walk silently. */
static FlowStep NextInFlows(ObjectId doc, ObjectId current, ObjectId* next, int* wraps)
{
    *next = GetIdProperty(doc, current, PROP_NEXT_PARAGRAPH);
    if (*next != 0)
        return STEP_PARAGRAPH;
    ObjectId frame = GetIdProperty(doc, current, PROP_PARAGRAPH_FRAME);
    if (frame == 0)
        return STEP_SILENT_END;
    ObjectId flow = GetIdProperty(doc, frame, PROP_FRAME_FLOW);
    for (;;) {
        ObjectId following = flow != 0 ? GetIdProperty(doc, flow, PROP_NEXT_FLOW) : 0;
        if (following == 0) {
            if (++*wraps > 1)
                return STEP_CYCLE_DONE;
            following = GetIdProperty(0, doc, PROP_FIRST_FLOW);
            if (following == 0)
                return STEP_SILENT_END;
        }
        flow = following;
        /* A flow without paragraphs is passed over; the next one may hold the override. */
        *next = FirstParagraphOfFlow(doc, flow);
        if (*next != 0)
            return STEP_PARAGRAPH;
    }
}

static void FindInFlows(ObjectId doc, ObjectId start)
{
    ObjectId previous = start;
    ObjectId current = start;
    ObjectId found = 0;
    int wraps = 0;
    for (;;) {
        ObjectId next = 0;
        FlowStep step = NextInFlows(doc, current, &next, &wraps);
        if (step == STEP_SILENT_END)
            return;
        if (step == STEP_CYCLE_DONE) {
            ShowAlert(kEndOfDocument, ALERT_NOTE);
            return;
        }
        previous = current;
        current = next;
        if (IsOverridden(doc, current)) {
            found = current;
            break;
        }
        if (current == start) {
            ShowAlert(kEndOfDocument, ALERT_NOTE);
            return;
        }
    }

    Select(doc, found, 0, TW_END_OF_OBJECT);
    ShowSelection();
    if (CurrentPageIsBackground(doc)) {
        ShowAlert(kEndOfDocument, ALERT_NOTE);
        Select(doc, previous, 1, TW_END_OF_TEXT);
        ShowSelection();
        Select(doc, previous, 0, TW_END_OF_TEXT);
        return;
    }
    Select(doc, found, 0, TW_END_OF_OBJECT);
    ShowSelection();
    Select(doc, found, 0, TW_END_OF_TEXT);
}

/* Moves *cell to the next cell of the table: the next one of its row, else the first cell
 * of the following rows. Returns 0 when the rows are exhausted. */
static int NextCell(ObjectId doc, ObjectId* cell)
{
    ObjectId next = GetIdProperty(doc, *cell, PROP_NEXT_CELL);
    ObjectId row = GetIdProperty(doc, *cell, PROP_CELL_ROW);
    while (next == 0) {
        row = GetIdProperty(doc, row, PROP_NEXT_ROW);
        if (row == 0)
            return 0;
        next = GetIdProperty(doc, row, PROP_FIRST_CELL);
    }
    *cell = next;
    return 1;
}

/* From the paragraph after start through the rest of the table, then its title; no wrap. */
static void FindInTable(ObjectId doc, ObjectId table, ObjectId start)
{
    ObjectId cell = GetIdProperty(doc, start, PROP_PARAGRAPH_CELL);
    ObjectId pgf = GetIdProperty(doc, start, PROP_NEXT_PARAGRAPH);
    ObjectId titleFrom = GetIdProperty(doc, table, PROP_FIRST_PARAGRAPH);
    if (cell != 0) {
        for (;;) {
            while (pgf == 0 && NextCell(doc, &cell))
                pgf = GetIdProperty(doc, cell, PROP_FIRST_PARAGRAPH);
            if (pgf == 0)
                break;
            if (IsOverridden(doc, pgf)) {
                Select(doc, pgf, 1, TW_END_OF_TEXT);
                ShowSelection();
                Select(doc, pgf, 0, TW_END_OF_TEXT);
                return;
            }
            pgf = GetIdProperty(doc, pgf, PROP_NEXT_PARAGRAPH);
        }
    } else {
        /* The start is in the title itself: only the title paragraphs after it are left.
         * Testing the title from its top would find the start (or one before it) again and
         * again, and never reach the end. */
        titleFrom = pgf;
    }

    for (ObjectId title = titleFrom; title != 0; title = GetIdProperty(doc, title, PROP_NEXT_PARAGRAPH)) {
        if (IsOverridden(doc, title)) {
            Select(doc, title, 0, TW_END_OF_OBJECT);
            ShowSelection();
            Select(doc, title, 0, TW_END_OF_TEXT);
            return;
        }
    }
    ShowAlert(kEndOfTable, ALERT_NOTE);
}

int32_t FindNextOverride(ObjectId doc)
{
    assert(doc != 0);
    ObjectId table = GetIdProperty(0, doc, PROP_SELECTED_TABLE);
    TextRange selection = GetTextRangeProperty(0, doc, PROP_SELECTION);
    ObjectId start = selection.begin.object;
    if (start == 0) {
        ShowAlert(kNoInsertionPoint, ALERT_NOTE);
        return 0;
    }
    if (table != 0)
        FindInTable(doc, table, start);
    else
        FindInFlows(doc, start);
    return 0;
}
