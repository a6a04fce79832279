/* dispatch.cpp - the front door of the paragraph commands: builds the two "Paragraphs"
 * submenus, understands the text messages other clients send through notification 13, and
 * runs a command by number with the active document and book. */
#include "commands/dispatch.h"

#include <assert.h>

#include "bridge/host_ops.h"
#include "commands/command_table.h"
#include "support/encoding.h"
#include "support/memory.h"
#include "support/strings.h"

ObjectId PendingDocId = 0;
ObjectId PendingBookId = 0;

/* One entry of a submenu, in display order. */
typedef enum MenuEntryKind {
    ENTRY_COMMAND,        /* define the command and add it */
    ENTRY_SEPARATOR,      /* look up a predefined separator and add it */
    ENTRY_REPORT_SUBMENU, /* the "Generate Paragraph Tag Report" submenu */
    ENTRY_SHARED_ABOUT    /* add the About command already defined on the document side */
} MenuEntryKind;

typedef struct MenuEntry {
    MenuEntryKind kind;
    int32_t command;
    const char* separator;
} MenuEntry;

static const MenuEntry kDocumentEntries[] = {
    {ENTRY_COMMAND, TW_CMD_LIST_USAGE, 0},
    {ENTRY_COMMAND, TW_CMD_DELETE_UNUSED, 0},
    {ENTRY_SEPARATOR, 0, "Separator1"},
    {ENTRY_COMMAND, TW_CMD_CREATE_LIST, 0},
    {ENTRY_COMMAND, TW_CMD_REMOVE_NONLIST, 0},
    {ENTRY_SEPARATOR, 0, "Separator2"},
    {ENTRY_COMMAND, TW_CMD_CREATE_CONVERSION, 0},
    {ENTRY_COMMAND, TW_CMD_CONVERT, 0},
    {ENTRY_SEPARATOR, 0, "Separator3"},
    {ENTRY_COMMAND, TW_CMD_REMOVE_OVERRIDES, 0},
    {ENTRY_COMMAND, TW_CMD_FIND_NEXT_OVERRIDE, 0},
    {ENTRY_SEPARATOR, 0, "Separator4"},
    {ENTRY_REPORT_SUBMENU, 0, 0},
    {ENTRY_SEPARATOR, 0, "Separator5"},
    {ENTRY_COMMAND, TW_CMD_ABOUT, 0},
};

static const MenuEntry kBookEntries[] = {
    {ENTRY_COMMAND, TW_CMD_LIST_USAGE_BOOK, 0},
    {ENTRY_COMMAND, TW_CMD_LIST_USAGE_BOOK_FILES, 0},
    {ENTRY_COMMAND, TW_CMD_LIST_USAGE_BOOK_BY_TAG, 0},
    {ENTRY_COMMAND, TW_CMD_DELETE_UNUSED_BOOK, 0},
    {ENTRY_SEPARATOR, 0, "Separator1"},
    {ENTRY_COMMAND, TW_CMD_CREATE_LIST_BOOK, 0},
    {ENTRY_COMMAND, TW_CMD_REMOVE_NONLIST_BOOK, 0},
    {ENTRY_SEPARATOR, 0, "Separator2"},
    {ENTRY_COMMAND, TW_CMD_CREATE_CONVERSION_BOOK, 0},
    {ENTRY_COMMAND, TW_CMD_CONVERT_BOOK, 0},
    {ENTRY_SEPARATOR, 0, "Separator3"},
    {ENTRY_COMMAND, TW_CMD_REMOVE_OVERRIDES_BOOK, 0},
    {ENTRY_SEPARATOR, 0, "Separator4"},
    {ENTRY_SHARED_ABOUT, TW_CMD_ABOUT, 0},
};

static const char kSubmenuLabel[] = "Paragraphs";
static const char kToolsLabel[] = "Tools";
static const char kQuickMenuBar[] = "!QuickMakerMainMenu";

static ObjectId DefineCommandInMenu(int32_t number, ObjectId menu)
{
    const TwCommandInfo* def = TwCommandByNumber(number);
    if (!def)
        return 0;
    return DefineAndAddCommand(def->number, menu, def->name, def->label, def->shortcut);
}

static void AddSeparator(ObjectId menu, const char* name)
{
    ObjectId separator = GetNamedObject(0, OBJ_MENU_SEPARATOR, name);
    AddCommandToMenu(menu, separator);
}

/* The "Tools" menu named toolsName: the existing one (perhaps another client's), else a new
 * one on menuBar that is also put on the quick menu bar. */
static ObjectId FindOrCreateToolsMenu(const char* toolsName, const char* menuBar)
{
    ObjectId tools = GetNamedObject(0, OBJ_MENU, toolsName);
    if (tools != 0)
        return tools;
    ObjectId bar = GetNamedObject(0, OBJ_MENU, menuBar);
    tools = DefineAndAddMenu(bar, toolsName, kToolsLabel);
    ObjectId quick = GetNamedObject(0, OBJ_MENU, kQuickMenuBar);
    AddMenuToMenu(quick, tools);
    return tools;
}

/* Moves submenu before the first item of tools whose label sorts at or after its own label,
 * ignoring case. The submenu is itself in the menu, so the walk stops there at the latest. */
static void PlaceAlphabetically(ObjectId tools, ObjectId submenu)
{
    ObjectId item = GetIdProperty(0, tools, PROP_FIRST_MENU_ITEM);
    while (item != 0) {
        char* label = GetStringProperty(0, item, PROP_LABEL);
        int atOrAfter = StrCompareNoCase(label, kSubmenuLabel) >= 0;
        BridgeFree(label);
        if (atOrAfter) {
            SetIdProperty(tools, submenu, PROP_NEXT_MENU_ITEM, item);
            return;
        }
        item = GetIdProperty(0, item, PROP_NEXT_MENU_ITEM);
    }
}

static void FillSubmenu(ObjectId submenu, const MenuEntry* entries, size_t count, ObjectId* about)
{
    for (size_t i = 0; i < count; i++) {
        const MenuEntry* entry = &entries[i];
        switch (entry->kind) {
        case ENTRY_COMMAND: {
            ObjectId command = DefineCommandInMenu(entry->command, submenu);
            if (entry->command == TW_CMD_ABOUT)
                *about = command;
            break;
        }
        case ENTRY_SEPARATOR: AddSeparator(submenu, entry->separator); break;
        case ENTRY_REPORT_SUBMENU: {
            ObjectId report = DefineMenu("ParagraphTagReport", "Generate Paragraph Tag Report");
            DefineCommandInMenu(TW_CMD_TAG_REPORT, report);
            DefineCommandInMenu(TW_CMD_TAG_REPORT_SINGLE, report);
            AddMenuToMenu(submenu, report);
            break;
        }
        case ENTRY_SHARED_ABOUT: AddCommandToMenu(submenu, *about); break;
        }
    }
}

static void BuildSide(const char* toolsName, const char* menuBar, const char* submenuName, const MenuEntry* entries,
                      size_t count, ObjectId* about)
{
    ObjectId tools = FindOrCreateToolsMenu(toolsName, menuBar);
    ObjectId submenu = DefineMenu(submenuName, kSubmenuLabel);
    FillSubmenu(submenu, entries, count, about);
    AddMenuToMenu(tools, submenu);
    PlaceAlphabetically(tools, submenu);
}

/* Host errors while building are not reported: each step is tried whatever the last gave. */
static void BuildMenus(void)
{
    ObjectId about = 0;
    BuildSide("VellTools", "!MakerMainMenu", "Tagwright", kDocumentEntries, COUNT_OF(kDocumentEntries), &about);
    BuildSide("VellToolsBook", "!BookMainMenu", "TagwrightBook", kBookEntries, COUNT_OF(kBookEntries), &about);
}

void InitializeCommands(int32_t initType)
{
    if (initType == 1)
        BuildMenus();
    RequestNotification(NOTIFY_MESSAGE, 1);
}

/* "SetDocId 12" style messages: when text starts with keyword and holds a blank, the number
 * after the blank (0 when there is none) replaces *pending. */
static void TakePendingId(const char* text, const char* keyword, ObjectId* pending)
{
    if (!StrStartsWith(text, keyword))
        return;
    char* copy = StrDuplicate(text);
    if (!copy)
        return;
    int32_t blank = StrFind(copy, " ");
    if (blank >= 0) {
        char* from = copy + blank;
        char* to = copy;
        while ((*to++ = *from++) != '\0') { }
        StrTrimTrailing(copy);
        StrTrimLeading(copy);
        *pending = (ObjectId)StrToInt(copy);
    }
    MemFree(copy);
}

int32_t HandleNotification(int32_t notification, ObjectId doc, const char* text, int32_t value)
{
    (void)doc;
    (void)value;
    if (notification != NOTIFY_MESSAGE)
        return 0;
    TakePendingId(text, "SetDocId", &PendingDocId);
    TakePendingId(text, "SetBookId", &PendingBookId);
    for (size_t i = 0; i < TW_COMMAND_COUNT; i++)
        if (StrEqual(text, TwCommandInfos[i].message))
            RunCommand(TwCommandInfos[i].number);
    return 0;
}

#define DOCUMENT_FLAGS (TW_COMMAND_NEEDS_DOCUMENT | TW_COMMAND_QUIET_WITHOUT_DOCUMENT)

/* The one place that stops a command for want of a document: the handlers of such commands
 * rely on being given one. */
static int32_t Dispatch(int32_t command, ObjectId doc, ObjectId book)
{
    const TwCommandInfo* info = TwCommandByNumber(command);
    CommandHandler handler = CommandHandlerFor(command);
    if (!info || !handler)
        return 0; /* not one of ours */
    /* A book command is handed the book, so a document check would guard nothing. */
    assert(!((info->flags & TW_COMMAND_ON_BOOK) && (info->flags & DOCUMENT_FLAGS)));
    if ((info->flags & DOCUMENT_FLAGS) && doc == 0) {
        if (info->flags & TW_COMMAND_NEEDS_DOCUMENT)
            ShowAlert("Please open a document first.", ALERT_NOTE);
        return 0;
    }
    return handler((info->flags & TW_COMMAND_ON_BOOK) ? book : doc);
}

int32_t RunCommand(int32_t command)
{
    StartTextEncodings();
    ObjectId doc = PendingDocId != 0 ? PendingDocId : GetIdProperty(0, 0, PROP_ACTIVE_DOC);
    ObjectId book = PendingBookId != 0 ? PendingBookId : GetIdProperty(0, 0, PROP_ACTIVE_BOOK);
    int32_t result = Dispatch(command, doc, book);
    PendingDocId = 0;
    PendingBookId = 0;
    return result;
}
