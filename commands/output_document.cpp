/* output_document.cpp - the document results are written into: a copy of the installed
 * "VellOutput.fm" template when there is one, else a plain US-letter page; paragraphs are
 * appended at the end of its main flow, each with one of the result tags. */
#include "commands/output_document.h"

#include "bridge/host_ops.h"
#include "bridge/records.h"
#include "support/memory.h"
#include "support/strings.h"

#define POINTS(n) ((int32_t)((n)*0x10000))

static const char kTemplateName[] = "VellOutput.fm";

/* Installation directory + "\" + template name, grown one piece at a time; null when out of
 * memory. */
static char* TemplatePath(void)
{
    char* dir = GetStringProperty(0, 0, PROP_INSTALL_DIR);
    char* path = StrDuplicate(dir ? dir : "");
    BridgeFree(dir);
    if (!path)
        return 0;

    int32_t length = StrLength(path);
    char* grown = (char*)MemRealloc(path, (size_t)length + 2, 0);
    if (!grown)
        return (char*)MemFree(path);
    path = grown;
    path[length] = '\\';
    path[length + 1] = '\0';

    length += 1;
    grown = (char*)MemRealloc(path, (size_t)length + sizeof(kTemplateName), 0);
    if (!grown)
        return (char*)MemFree(path);
    path = grown;
    StrAppend(path, kTemplateName);
    return path;
}

ObjectId CreateOutputDocument(void)
{
    char* path = TemplatePath();
    ObjectId doc = path ? SimpleOpen(path, 0) : 0;
    if (doc == 0)
        doc = NewCustomDocument(POINTS(576), POINTS(792), 1, POINTS(72), POINTS(72), POINTS(72), POINTS(72), POINTS(72),
                                0, 1);
    MemFree(path);
    return doc;
}

TextLoc InsertAtParagraphStart(ObjectId doc, ObjectId paragraph, const char* text)
{
    TextRange insertion;
    insertion.begin.object = paragraph;
    insertion.begin.offset = 0;
    insertion.end = insertion.begin;
    SetTextRangeProperty(0, doc, PROP_SELECTION, &insertion);
    TextLoc at = insertion.begin;
    return AddText(doc, &at, text);
}

void AppendParagraph(ObjectId doc, const char* text, const char* tag)
{
    ObjectId flow = GetIdProperty(0, doc, PROP_MAIN_FLOW);
    ObjectId frame = GetIdProperty(doc, flow, PROP_LAST_FRAME);
    ObjectId target = GetIdProperty(doc, frame, PROP_LAST_PARAGRAPH);

    TextLoc after = InsertAtParagraphStart(doc, target, text ? text : "");
    if (tag)
        ApplyParagraphFormat(doc, target, tag);
    /* Ending the paragraph after the new text leaves what followed the insertion point as
     * the new last paragraph, where the next call writes. */
    AddText(doc, &after, "\n");
}

void ApplyParagraphFormat(ObjectId doc, ObjectId paragraph, const char* tag)
{
    ObjectId format = GetNamedObject(doc, OBJ_PGF_FORMAT, tag);
    if (format == 0)
        return;
    if (GetIntProperty(doc, paragraph, PROP_LEAVE_UNCHANGED) != 0)
        return;
    PropertyList properties = GetPropertyList(doc, format);
    SetPropertyList(doc, paragraph, &properties);
    FreePropertyList(&properties);
}
