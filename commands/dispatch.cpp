/* dispatch.cpp - the front door of the paragraph commands: builds the two "Paragraphs"
 * submenus, understands the text messages other clients send through notification 13, and
 * runs a command by number with the active document and book. */
#include "commands/dispatch.h"

#include "bridge/host_ops.h"
#include "commands/conversion.h"
#include "commands/delete_unused.h"
#include "commands/overrides.h"
#include "commands/report.h"
#include "commands/tables.h"
#include "commands/usage.h"
#include "support/encoding.h"
#include "support/memory.h"
#include "support/strings.h"

ObjectId PendingDocId = 0;
ObjectId PendingBookId = 0;

enum {
    CMD_LIST_USAGE = 1,
    CMD_DELETE_UNUSED = 2,
    CMD_CREATE_LIST = 3,
    CMD_REMOVE_NONLIST = 4,
    CMD_CREATE_CONVERSION = 5,
    CMD_CONVERT = 6,
    CMD_REMOVE_OVERRIDES = 7,
    CMD_FIND_NEXT_OVERRIDE = 8,
    CMD_LIST_USAGE_BOOK = 9,
    CMD_DELETE_UNUSED_BOOK = 10,
    CMD_CREATE_LIST_BOOK = 11,
    CMD_REMOVE_NONLIST_BOOK = 12,
    CMD_CREATE_CONVERSION_BOOK = 13,
    CMD_CONVERT_BOOK = 14,
    CMD_REMOVE_OVERRIDES_BOOK = 15,
    CMD_TAG_REPORT = 16,
    CMD_TAG_REPORT_SINGLE = 17,
    CMD_LIST_USAGE_BOOK_FILES = 18,
    CMD_LIST_USAGE_BOOK_BY_TAG = 19,
    CMD_ABOUT = 1000
};

/* What the host is told when a command is defined: its tag (command name) and menu label. */
typedef struct CommandDefinition {
    int32_t number;
    const char* name;
    const char* label;
    const char* shortcut;
} CommandDefinition;

static const CommandDefinition kCommands[] = {
    {CMD_LIST_USAGE, "ListParagraphUsage", "List Paragraph Usage", ""},
    {CMD_DELETE_UNUSED, "DeleteUnusedParagraphs", "Delete Unused Paragraph Tags", ""},
    {CMD_CREATE_LIST, "CreateParagraphList", "Create Paragraph Tag List", ""},
    {CMD_REMOVE_NONLIST, "RemoveNonlistParagraphs", "Remove Non-list Paragraph Tags", ""},
    {CMD_CREATE_CONVERSION, "CreateConversionDocument", "Create Conversion Document", ""},
    {CMD_CONVERT, "ConvertParagraphsInDoc", "Convert Paragraphs", ""},
    {CMD_REMOVE_OVERRIDES, "RemoveOverrides", "Remove Overrides", ""},
    {CMD_FIND_NEXT_OVERRIDE, "FindNextOverride", "Find Next Override", "\\!ov"},
    {CMD_LIST_USAGE_BOOK, "ListParagraphUsageBook", "List Paragraph Usage", ""},
    {CMD_DELETE_UNUSED_BOOK, "DeleteUnusedParagraphsBook", "Delete Unused Paragraph Tags", ""},
    {CMD_CREATE_LIST_BOOK, "CreateParagraphListBook", "Create Paragraph Tag List", ""},
    {CMD_REMOVE_NONLIST_BOOK, "RemoveNonlistParagraphsBook", "Remove Non-list Paragraph Tags", ""},
    {CMD_CREATE_CONVERSION_BOOK, "CreateConversionDocumentBook", "Create Conversion Document", ""},
    {CMD_CONVERT_BOOK, "ConvertParagraphsBook", "Convert Paragraphs", ""},
    {CMD_REMOVE_OVERRIDES_BOOK, "RemoveOverridesBook", "Remove Overrides", ""},
    {CMD_TAG_REPORT, "GenerateParagraphTagReport", "All Tags", ""},
    {CMD_TAG_REPORT_SINGLE, "GenerateParagraphTagReportSingle", "Selected Tag...", ""},
    {CMD_LIST_USAGE_BOOK_FILES, "ListParagraphUsageBookIndFiles", "List Paragraph Usage - Individual", ""},
    {CMD_LIST_USAGE_BOOK_BY_TAG, "ParagraphUsageBookByFormat", "List Paragraph Usage - By Tag", ""},
    {CMD_ABOUT, "TagwrightAbout", "About Tagwright...", ""},
};

/* Message texts other clients send to run a command. Several differ from the command names
 * (and "Indvidual" is spelled so); those are what callers have always sent. */
typedef struct CommandMessage {
    const char* text;
    int32_t command;
} CommandMessage;

static const CommandMessage kMessages[] = {
    {"TagwrightAbout", CMD_ABOUT},
    {"ListParagraphUsage", CMD_LIST_USAGE},
    {"ListParagraphUsageBook", CMD_LIST_USAGE_BOOK},
    {"ListParagraphUsageBookIndvidual", CMD_LIST_USAGE_BOOK_FILES},
    {"ListParagraphUsageBookByTag", CMD_LIST_USAGE_BOOK_BY_TAG},
    {"DeleteUnusedParagraphs", CMD_DELETE_UNUSED},
    {"DeleteUnusedParagraphsBook", CMD_DELETE_UNUSED_BOOK},
    {"CreateParagraphList", CMD_CREATE_LIST},
    {"CreateConversionDocument", CMD_CREATE_CONVERSION},
    {"CreateParagraphListBook", CMD_CREATE_LIST_BOOK},
    {"CreateConversionDocumentBook", CMD_CREATE_CONVERSION_BOOK},
    {"RemoveNonlistParagraphs", CMD_REMOVE_NONLIST},
    {"RemoveNonlistParagraphsBook", CMD_REMOVE_NONLIST_BOOK},
    {"ConvertParagraphsDoc", CMD_CONVERT},
    {"ConvertParagraphsBook", CMD_CONVERT_BOOK},
    {"RemoveOverrides", CMD_REMOVE_OVERRIDES},
    {"RemoveOverridesBook", CMD_REMOVE_OVERRIDES_BOOK},
    {"FindNextOverride", CMD_FIND_NEXT_OVERRIDE},
    {"GenerateParagraphTagReport", CMD_TAG_REPORT},
    {"GenerateParagraphTagReportSingle", CMD_TAG_REPORT_SINGLE},
};

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
    {ENTRY_COMMAND, CMD_LIST_USAGE, 0},
    {ENTRY_COMMAND, CMD_DELETE_UNUSED, 0},
    {ENTRY_SEPARATOR, 0, "Separator1"},
    {ENTRY_COMMAND, CMD_CREATE_LIST, 0},
    {ENTRY_COMMAND, CMD_REMOVE_NONLIST, 0},
    {ENTRY_SEPARATOR, 0, "Separator2"},
    {ENTRY_COMMAND, CMD_CREATE_CONVERSION, 0},
    {ENTRY_COMMAND, CMD_CONVERT, 0},
    {ENTRY_SEPARATOR, 0, "Separator3"},
    {ENTRY_COMMAND, CMD_REMOVE_OVERRIDES, 0},
    {ENTRY_COMMAND, CMD_FIND_NEXT_OVERRIDE, 0},
    {ENTRY_SEPARATOR, 0, "Separator4"},
    {ENTRY_REPORT_SUBMENU, 0, 0},
    {ENTRY_SEPARATOR, 0, "Separator5"},
    {ENTRY_COMMAND, CMD_ABOUT, 0},
};

static const MenuEntry kBookEntries[] = {
    {ENTRY_COMMAND, CMD_LIST_USAGE_BOOK, 0},
    {ENTRY_COMMAND, CMD_LIST_USAGE_BOOK_FILES, 0},
    {ENTRY_COMMAND, CMD_LIST_USAGE_BOOK_BY_TAG, 0},
    {ENTRY_COMMAND, CMD_DELETE_UNUSED_BOOK, 0},
    {ENTRY_SEPARATOR, 0, "Separator1"},
    {ENTRY_COMMAND, CMD_CREATE_LIST_BOOK, 0},
    {ENTRY_COMMAND, CMD_REMOVE_NONLIST_BOOK, 0},
    {ENTRY_SEPARATOR, 0, "Separator2"},
    {ENTRY_COMMAND, CMD_CREATE_CONVERSION_BOOK, 0},
    {ENTRY_COMMAND, CMD_CONVERT_BOOK, 0},
    {ENTRY_SEPARATOR, 0, "Separator3"},
    {ENTRY_COMMAND, CMD_REMOVE_OVERRIDES_BOOK, 0},
    {ENTRY_SEPARATOR, 0, "Separator4"},
    {ENTRY_SHARED_ABOUT, CMD_ABOUT, 0},
};

#define COUNT_OF(a) (sizeof(a) / sizeof((a)[0]))

static const char kSubmenuLabel[] = "Paragraphs";
static const char kToolsLabel[] = "Tools";
static const char kQuickMenuBar[] = "!QuickMakerMainMenu";

static const char kAboutText[] =
    "Tagwright \n"
    "Version 2.1 Build 104 \n"
    "Published by the Tagwright project\n"
    "Paragraph format tools for documents and books";

static const CommandDefinition* FindCommandDefinition(int32_t number)
{
    for (size_t i = 0; i < COUNT_OF(kCommands); i++)
        if (kCommands[i].number == number)
            return &kCommands[i];
    return 0;
}

static ObjectId DefineCommandInMenu(int32_t number, ObjectId menu)
{
    const CommandDefinition* def = FindCommandDefinition(number);
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
            if (entry->command == CMD_ABOUT)
                *about = command;
            break;
        }
        case ENTRY_SEPARATOR:
            AddSeparator(submenu, entry->separator);
            break;
        case ENTRY_REPORT_SUBMENU: {
            ObjectId report = DefineMenu("ParagraphTagReport", "Generate Paragraph Tag Report");
            DefineCommandInMenu(CMD_TAG_REPORT, report);
            DefineCommandInMenu(CMD_TAG_REPORT_SINGLE, report);
            AddMenuToMenu(submenu, report);
            break;
        }
        case ENTRY_SHARED_ABOUT:
            AddCommandToMenu(submenu, *about);
            break;
        }
    }
}

static void BuildSide(const char* toolsName, const char* menuBar, const char* submenuName,
                      const MenuEntry* entries, size_t count, ObjectId* about)
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
        while ((*to++ = *from++) != '\0') {
        }
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
    for (size_t i = 0; i < COUNT_OF(kMessages); i++)
        if (StrEqual(text, kMessages[i].text))
            RunCommand(kMessages[i].command);
    return 0;
}

static int CommandNeedsDocument(int32_t command)
{
    switch (command) {
    case CMD_LIST_USAGE:
    case CMD_DELETE_UNUSED:
    case CMD_CREATE_LIST:
    case CMD_CREATE_CONVERSION:
    case CMD_CONVERT:
    case CMD_REMOVE_OVERRIDES:
    case CMD_FIND_NEXT_OVERRIDE:
        return 1;
    default:
        return 0;
    }
}

static int32_t Dispatch(int32_t command, ObjectId doc, ObjectId book)
{
    if (CommandNeedsDocument(command) && doc == 0) {
        ShowAlert("Please open a document first.", ALERT_NOTE);
        return 0;
    }
    switch (command) {
    case CMD_LIST_USAGE: return ListParagraphUsage(doc);
    case CMD_DELETE_UNUSED: return DeleteUnusedParagraphs(doc);
    case CMD_CREATE_LIST: return CreateParagraphList(doc);
    case CMD_REMOVE_NONLIST: return RemoveNonlistParagraphs(doc);
    case CMD_CREATE_CONVERSION: return CreateConversionDocument(doc);
    case CMD_CONVERT: return ConvertParagraphsInDoc(doc);
    case CMD_REMOVE_OVERRIDES: return RemoveOverrides(doc);
    case CMD_FIND_NEXT_OVERRIDE: return FindNextOverride(doc);
    case CMD_LIST_USAGE_BOOK: return ListParagraphUsageBook(book);
    case CMD_DELETE_UNUSED_BOOK: return DeleteUnusedParagraphsBook(book);
    case CMD_CREATE_LIST_BOOK: return CreateParagraphListBook(book);
    case CMD_REMOVE_NONLIST_BOOK: return RemoveNonlistParagraphsBook(book);
    case CMD_CREATE_CONVERSION_BOOK: return CreateConversionDocumentBook(book);
    case CMD_CONVERT_BOOK: return ConvertParagraphsBook(book);
    case CMD_REMOVE_OVERRIDES_BOOK: return RemoveOverridesBook(book);
    case CMD_TAG_REPORT: return GenerateParagraphTagReport(doc);
    case CMD_TAG_REPORT_SINGLE: return GenerateParagraphTagReportSingle(doc);
    case CMD_LIST_USAGE_BOOK_FILES: return ListParagraphUsageBookIndFiles(book);
    case CMD_LIST_USAGE_BOOK_BY_TAG: return ParagraphUsageBookByFormat(book);
    case CMD_ABOUT: ShowAlert(kAboutText, ALERT_NOTE); return 0;
    default: return 0; /* not one of ours */
    }
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
