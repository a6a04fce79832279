/* book_walk.cpp - visits every document file of a book depth-first, opening each one without
 * user interaction, showing it on the book's status line, running the command's work on it
 * and closing (or saving and closing) it before the next one is opened. */
#include "commands/book_walk.h"

#include "bridge/host_ops.h"
#include "bridge/records.h"
#include "support/format.h"
#include "support/memory.h"
#include "support/path.h"
#include "support/strings.h"

/* The host's open parameters for opening a book file quietly as an editable document. */
typedef struct OpenParameter {
    int32_t number;
    int32_t value;
} OpenParameter;

static const OpenParameter kOpenParameters[] = {
    {5, 0}, {2, 0}, {3, 1}, {23, 1}, {28, 1}, {22, 1}, {25, 1}, {36, 3}, {24, 11},
};

#define OPEN_PARAMETER_COUNT (sizeof(kOpenParameters) / sizeof(kOpenParameters[0]))

static void ReportFileProblem(const char* what, const char* path)
{
    ConsolePrint(what);
    ConsolePrint(path);
    ConsolePrint("\n");
}

/* The component to visit after current, worked out before current's work can change the
 * book: its first child for a folder or group, else the next one at the same level, else the
 * next one after the nearest ancestor that has one; 0 when the walk is over. */
static ObjectId NextComponent(ObjectId book, ObjectId current, int32_t kind)
{
    ObjectId next = 0;
    if (kind == COMPONENT_GROUP || kind == COMPONENT_FOLDER)
        next = GetIdProperty(book, current, PROP_FIRST_CHILD_COMPONENT);
    if (next == 0)
        next = GetIdProperty(book, current, PROP_NEXT_COMPONENT);
    ObjectId reached = current;
    while (next == 0) {
        reached = GetIdProperty(book, reached, PROP_PARENT_COMPONENT);
        if (reached == 0)
            break;
        next = GetIdProperty(book, reached, PROP_NEXT_COMPONENT);
    }
    return next;
}

char* OpenBookFile(ObjectId book, ObjectId component, ObjectId* doc)
{
    char* hostPath = GetStringProperty(book, component, PROP_NAME);
    char* path = StrDuplicate(hostPath);
    BridgeFree(hostPath);

    *doc = 0;
    PropertyList params = PropertyArrayAlloc(OPEN_PARAMETER_COUNT);
    if (params.entries != 0) {
        for (uint32_t i = 0; i < params.count; i++) {
            PropertyEntry* entry = &params.entries[i];
            entry->ident.number = kOpenParameters[i].number;
            entry->ident.name = 0;
            entry->value.kind = VALUE_INT;
            entry->value.u.i = kOpenParameters[i].value;
        }
        PropertyList* returned = 0;
        *doc = OpenDocument(path, &params, &returned);
        if (returned)
            FreePropertyList(returned);
        FreePropertyList(&params);
    }
    if (*doc == 0)
        ReportFileProblem("Could not open file:", path);
    return path;
}

void ShowBookStatus(ObjectId book, const char* prefix, const char* path)
{
    PathRecord* record = PathFromText(path, 0, 0);
    char* name = record ? PathFileName(record) : 0;
    PathRecordFree(record);

    char* status = StrAlloc(StrLength(prefix) + StrLength(name));
    if (status) {
        StrCopy(status, prefix);
        StrAppend(status, name);
        SetStringProperty(0, book, PROP_STATUS_LINE, status);
        MemFree(status);
    }
    MemFree(name);
}

void ClearBookStatus(ObjectId book) { SetStringProperty(0, book, PROP_STATUS_LINE, ""); }

/* Open documents, in the host's order, as a new array (MemFree) of *count ids. */
static ObjectId* OpenDocuments(uint32_t* count)
{
    ObjectId* ids = 0;
    uint32_t n = 0;
    for (ObjectId doc = GetIdProperty(0, 0, PROP_FIRST_OPEN_DOC); doc != 0 && n < 1000000;
         doc = GetIdProperty(doc, doc, PROP_NEXT_OPEN_DOC)) {
        ObjectId* grown = (ObjectId*)MemRealloc(ids, (n + 1) * sizeof(ObjectId), 0);
        if (!grown)
            break;
        ids = grown;
        ids[n++] = doc;
    }
    *count = n;
    return ids;
}

static int32_t Contains(const ObjectId* ids, uint32_t count, ObjectId doc)
{
    for (uint32_t i = 0; i < count; i++)
        if (ids[i] == doc)
            return 1;
    return 0;
}

void ReleaseBookFile(BookFile* file)
{
    if (file->doc != 0 && !file->wasOpen)
        CloseDocument(file->doc, 1);
    file->doc = 0;
}

static void EndBookFile(BookFile* file, BookFileEnd endForm)
{
    if (endForm == BOOK_FILE_CLOSE || file->leaveUnsaved) {
        ReleaseBookFile(file);
        return;
    }
    ObjectId saved = SimpleSave(file->doc, file->path, 0);
    if (saved != 0) {
        if (!file->wasOpen)
            CloseDocument(saved, 1);
        return;
    }
    /* The document stays open with its changes; say so, or the user would take the file on
     * disk for changed. A file that never opened has had its own console line already. */
    if (file->doc != 0)
        ReportFileProblem("Could not save file:", file->path);
}

static void RunBookFile(ObjectId book, ObjectId component, const char* prefix, BookFileEnd endForm, BookFileWork work,
                        void* context)
{
    BookFile file;
    file.book = book;
    file.component = component;
    file.leaveUnsaved = 0;
    /* Opening a file the user has open gives the user's document back; it must stay open. */
    uint32_t openCount = 0;
    ObjectId* open = OpenDocuments(&openCount);
    char* path = OpenBookFile(book, component, &file.doc);
    file.wasOpen = file.doc != 0 && Contains(open, openCount, file.doc);
    MemFree(open);
    file.path = path;
    ShowBookStatus(book, prefix, path);
    if (work)
        work(&file, context);
    EndBookFile(&file, endForm);
    MemFree(path);
}

void WalkBookComponents(ObjectId book, const char* prefix, BookFileEnd endForm, BookFileWork work, void* context)
{
    ObjectId current = GetIdProperty(0, book, PROP_FIRST_COMPONENT);
    while (current != 0) {
        int32_t kind = GetIntProperty(book, current, PROP_COMPONENT_KIND);
        ObjectId next = NextComponent(book, current, kind);
        if (kind == COMPONENT_DOCUMENT)
            RunBookFile(book, current, prefix, endForm, work, context);
        current = next;
    }
    ClearBookStatus(book);
}
