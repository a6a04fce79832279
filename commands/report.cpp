/* report.cpp - the paragraph tag report: for every format of the active document, or for one
 * the user picks, a tag heading and twelve groups of "label: value" lines, one per property
 * or tab stop, in a fixed order with fixed labels and number formats. */
#include "commands/report.h"

#include <assert.h>

#include "bridge/host_ops.h"
#include "bridge/records.h"
#include "commands/output_document.h"
#include "commands/paragraph_walk.h"
#include "support/fixed.h"
#include "support/format.h"
#include "support/memory.h"
#include "support/string_list.h"
#include "support/strings.h"

static const char kNoMemory[] = "Couldn't allocate string list memory\n";

/* ---- units and names ------------------------------------------------------------------ */

typedef struct NamedValue {
    int32_t value;
    const char* name;
} NamedValue;

static const NamedValue kUnits[] = {
    {0x10000, "points"},  {0x11159, "didots"},       {0x2D5AB, "millimeters"}, {0xC0000, "picas"},
    {0xCD02C, "ciceros"}, {0x1C58B1, "centimeters"}, {0x480000, "inches"},
};

static const char* const kLanguages[] = {
    0,
    "usenglish",
    "ukenglish",
    "deutsch",
    "swissgerman",
    "francais",
    "canadianfrench",
    "espanol",
    "catalan",
    "italiano",
    "portuguese",
    "brasil",
    "danish",
    "dutch",
    "norwegian",
    "nynorsk",
    "finnish",
    "svenska",
    "japanese",
    "traditionalchinese",
    "simplifiedchinese",
    "korean",
    "newgerman",
    "newswissgerman",
    "newdutch",
    "greek",
    "russian",
    "czech",
    "polish",
    "hungarian",
    "turkish",
    "slovak",
    "slovenian",
    "bulgarian",
    "croatian",
    "estonian",
    "latvian",
    "lithuanian",
    "romanian",
    "arabic",
    "hebrew",
    "thai",
    "farsi",
};

static int32_t DisplayUnit(ObjectId doc) { return GetMetricProperty(doc, doc, PROP_DISPLAY_UNITS); }

static int32_t FontSizeUnit(ObjectId doc) { return GetMetricProperty(doc, doc, PROP_FONT_SIZE_UNITS); }

const char* UnitName(ObjectId doc)
{
    int32_t unit = DisplayUnit(doc);
    if (unit == 0)
        return "points"; /* shown in points then, see InUnit */
    for (size_t i = 0; i < COUNT_OF(kUnits); i++)
        if (kUnits[i].value == unit)
            return kUnits[i].name;
    return "";
}

const char* LanguageName(int32_t language)
{
    if (language <= 0 || (size_t)language >= COUNT_OF(kLanguages))
        return 0;
    return kLanguages[language];
}

/* value / unit as the report prints it: the 16.16 quotient in single precision, widened.
 * A unit that reads 0 (the document's unit could not be had) would be a division by zero:
 * the value is shown in points instead. */
static double InUnit(int32_t value, int32_t unit)
{
    if (unit == 0)
        unit = FIXED_ONE;
    return (double)FixedToFloat(FixedDivide(value, unit));
}

/* ---- lines ------------------------------------------------------------------------------ */

/* Appends "label: " + the pieces as one "Body" paragraph. A line that cannot be allocated
 * is left out. */
static void AppendLine(ObjectId out, const char* label, const char* const* pieces, size_t count)
{
    size_t length = (size_t)StrLength(label) + 2;
    for (size_t i = 0; i < count; i++)
        length += (size_t)StrLength(pieces[i]);
    char* line = StrAlloc(length);
    if (!line)
        return;
    StrAppend(line, label);
    StrAppend(line, ": ");
    for (size_t i = 0; i < count; i++)
        StrAppend(line, pieces[i]);
    AppendParagraph(out, line, OUTPUT_TAG_BODY);
    MemFree(line);
}

void WriteTextLine(const char* label, const char* text, ObjectId out)
{
    const char* pieces[] = {text, " "};
    AppendLine(out, label, pieces, COUNT_OF(pieces));
}

void WriteBooleanLine(ObjectId doc, ObjectId format, int32_t property, const char* label, ObjectId out)
{
    /* Only 1 is true; the host may hold other values. */
    WriteTextLine(label, GetIntProperty(doc, format, property) == 1 ? "True" : "False", out);
}

void WriteIntegerLine(ObjectId doc, ObjectId format, int32_t property, const char* label, ObjectId out)
{
    char number[12] = ""; /* room for every int32_t, sign included */
    StrAppendInt(number, GetIntProperty(doc, format, property), (int32_t)sizeof number);
    WriteTextLine(label, number, out);
}

void WriteStringLine(ObjectId doc, ObjectId format, int32_t property, const char* label, ObjectId out)
{
    char* value = GetStringProperty(doc, format, property);
    WriteTextLine(label, value, out);
    BridgeFree(value);
}

void WriteMeasureLine(ObjectId doc, ObjectId format, int32_t property, const char* label, ObjectId out)
{
    char number[64];
    FormatToBuffer(number, "%.3f", InUnit(GetMetricProperty(doc, format, property), DisplayUnit(doc)));
    const char* pieces[] = {number, " ", UnitName(doc)};
    AppendLine(out, label, pieces, COUNT_OF(pieces));
}

void WriteFontMeasureLine(ObjectId doc, ObjectId format, int32_t property, const char* label, ObjectId out)
{
    int64_t value = GetMetricProperty(doc, format, property);
    if (property == 558) /* line spacing is shown as the distance between baselines */
        value += GetMetricProperty(doc, format, 615);
    if (value > INT32_MAX)
        value = INT32_MAX;
    if (value < INT32_MIN)
        value = INT32_MIN;
    int32_t unit = FontSizeUnit(doc);
    char number[64];
    FormatToBuffer(number, "%.2f", InUnit((int32_t)value, unit));
    const char* pieces[] = {number, " ", unit == FIXED_ONE || unit == 0 ? "points" : "Q"};
    AppendLine(out, label, pieces, COUNT_OF(pieces));
}

void WritePercentLine(ObjectId doc, ObjectId format, int32_t property, const char* label, ObjectId out)
{
    char number[64];
    FormatToBuffer(number, "%.2f", InUnit(GetMetricProperty(doc, format, property), FIXED_ONE) * 100.0);
    const char* pieces[] = {number, "%"};
    AppendLine(out, label, pieces, COUNT_OF(pieces));
}

/* ---- the rows of one format --------------------------------------------------------------- */

typedef enum RowKind {
    ROW_HEADING,
    ROW_ENUM, /* a name per listed value; an unlisted value writes no line */
    ROW_BOOLEAN,
    ROW_INTEGER,
    ROW_STRING,
    ROW_MEASURE,
    ROW_FONT_MEASURE,
    ROW_PERCENT,
    ROW_COLOR,     /* identifier of a colour object; its name */
    ROW_FONT_NAME, /* index into an application font list (list property in extra) */
    ROW_LANGUAGE,
    ROW_TABS,
    ROW_SPACING,    /* "Fixed" for 0, "Not Fixed" otherwise */
    ROW_CELL_MARGIN /* custom label when bit extra of property 586 is set */
} RowKind;

typedef struct EnumNames {
    int32_t first; /* value of names[0] */
    uint32_t count;
    const char* const* names;
} EnumNames;

typedef struct ReportRow {
    RowKind kind;
    const char* label;
    int32_t property;
    int32_t extra;          /* font list property, or cell-margin bit */
    const EnumNames* names; /* ROW_ENUM */
    const char* otherLabel; /* ROW_CELL_MARGIN: label when the bit is clear */
} ReportRow;

static const char* const kCapitalization[] = {"Normal", "Small Caps", "Lowercase", "Uppercase"};
static const char* const kPosition[] = {"Normal", "Superscript", "Subscript"};
static const char* const kUnderlining[] = {"None", "Underline", "Double Underline", "Numeric Underline"};
static const char* const kAlignment[] = {"Left", "Right", "Center", "Justified"};
static const char* const kPlacementStyle[] = {"In Column",
                                              "Side Head Top Edge",
                                              "Side Head First Baseline",
                                              "Side Head Last Baseline",
                                              "Run In Head",
                                              "Across All Columns and Side Heads",
                                              "Across All Columns"};
static const char* const kPlacement[] = {"Anywhere", "Top of Column", "Top of Page", "Top of Left Page",
                                         "Top of Right Page"};
static const char* const kCellAlignment[] = {"Top", "Middle", "Bottom"};

#define NAMES(first, array)                                                                                            \
    {                                                                                                                  \
        first, COUNT_OF(array), array                                                                                  \
    }
static const EnumNames kCapitalizationNames = NAMES(0, kCapitalization);
static const EnumNames kPositionNames = NAMES(0, kPosition);
static const EnumNames kUnderliningNames = NAMES(0, kUnderlining);
static const EnumNames kAlignmentNames = NAMES(1, kAlignment);
static const EnumNames kPlacementStyleNames = NAMES(0, kPlacementStyle);
static const EnumNames kPlacementNames = NAMES(0, kPlacement);
static const EnumNames kCellAlignmentNames = NAMES(0, kCellAlignment);

#define HEADING(text)                                                                                                  \
    {                                                                                                                  \
        ROW_HEADING, text, 0, 0, 0, 0                                                                                  \
    }
#define ROW(kind, label, property)                                                                                     \
    {                                                                                                                  \
        kind, label, property, 0, 0, 0                                                                                 \
    }
#define ENUM_ROW(label, property, names)                                                                               \
    {                                                                                                                  \
        ROW_ENUM, label, property, 0, &names, 0                                                                        \
    }
#define FONT_ROW(label, property, list)                                                                                \
    {                                                                                                                  \
        ROW_FONT_NAME, label, property, list, 0, 0                                                                     \
    }
#define MARGIN_ROW(custom, other, property, bit)                                                                       \
    {                                                                                                                  \
        ROW_CELL_MARGIN, custom, property, bit, 0, other                                                               \
    }

static const ReportRow kRows[] = {
    HEADING("Default Font"),
    ENUM_ROW("Capitalization", 619, kCapitalizationNames),
    ROW(ROW_BOOLEAN, "Change Bar", 611),
    ROW(ROW_COLOR, "Color", 751),
    ROW(ROW_COLOR, "Background Color", 992),
    FONT_ROW("Font Family", 604, PROP_FONT_FAMILIES),
    FONT_ROW("Font Angle", 607, PROP_FONT_ANGLES),
    ROW(ROW_FONT_MEASURE, "Font Size", 615),
    FONT_ROW("Font Variation", 605, PROP_FONT_VARIATIONS),
    FONT_ROW("Font Weight", 606, PROP_FONT_WEIGHTS),
    ROW(ROW_PERCENT, "Spread", 618),
    ROW(ROW_PERCENT, "Stretch", 643),
    ROW(ROW_BOOLEAN, "Overline", 610),
    ROW(ROW_BOOLEAN, "Pair Kern", 614),
    ENUM_ROW("Position", 620, kPositionNames),
    ROW(ROW_BOOLEAN, "Strikethrough", 609),
    ENUM_ROW("Underlining", 608, kUnderliningNames),
    ENUM_ROW("Alignment", 547, kAlignmentNames),
    ROW(ROW_LANGUAGE, "Language", 577),
    HEADING("Tabs"),
    ROW(ROW_TABS, "Tab", 574),
    HEADING("Word Spacing"),
    ROW(ROW_BOOLEAN, "Allow Automatic Letter Spacing", 550),
    ROW(ROW_PERCENT, "Minimum", 571),
    ROW(ROW_PERCENT, "Maximum", 572),
    ROW(ROW_PERCENT, "Optimum", 557),
    HEADING("Indents"),
    ROW(ROW_MEASURE, "First Indent", 556),
    ROW(ROW_MEASURE, "Left Indent", 555),
    ROW(ROW_MEASURE, "Right Indent", 570),
    HEADING("Line Spacing"),
    ROW(ROW_FONT_MEASURE, "Line Spacing", 558),
    ROW(ROW_SPACING, "Spacing", 587),
    ROW(ROW_FONT_MEASURE, "Space Above", 553),
    ROW(ROW_FONT_MEASURE, "Space Below", 568),
    HEADING("Pagination"),
    ROW(ROW_INTEGER, "Widow-Orphan Lines", 561),
    ROW(ROW_BOOLEAN, "Keep With Next", 565),
    ROW(ROW_BOOLEAN, "Keep With Previous", 551),
    ENUM_ROW("Format", 579, kPlacementStyleNames),
    ROW(ROW_STRING, "Run-in Head Default Punctuation", 578),
    ENUM_ROW("Start", 567, kPlacementNames),
    HEADING("Next Tag"),
    ROW(ROW_BOOLEAN, "Use Next Tag", 566),
    ROW(ROW_STRING, "Next Tag", 552),
    HEADING("Autonumbering"),
    ROW(ROW_BOOLEAN, "Autonumbering", 562),
    ROW(ROW_BOOLEAN, "Number at End", 563),
    ROW(ROW_STRING, "Character Format", 549),
    ROW(ROW_STRING, "Autonumber Format", 548),
    HEADING("Hyphenation"),
    ROW(ROW_BOOLEAN, "Hyphenate", 564),
    ROW(ROW_INTEGER, "Max Number Adjacent", 559),
    ROW(ROW_INTEGER, "Shortest Prefix", 575),
    ROW(ROW_INTEGER, "Shortest Suffix", 560),
    ROW(ROW_INTEGER, "Shortest Word", 576),
    HEADING("Reference Frames"),
    ROW(ROW_STRING, "Frame Below Paragraph", 569),
    ROW(ROW_STRING, "Frame Above Paragraph", 554),
    HEADING("Table Cells"),
    ENUM_ROW("Cell Vertical Alignment", 585, kCellAlignmentNames),
    MARGIN_ROW("Bottom Margin - Custom", "Bottom Margin - From Table Format Plus", 582, 0x2),
    MARGIN_ROW("Top Margin - Custom", "Top Margin - From Table Format Plus", 581, 0x8),
    MARGIN_ROW("Left Margin - Custom", "Left Margin - From Table Format Plus", 583, 0x1),
    MARGIN_ROW("Right Margin - Custom", "Right Margin - From Table Format Plus", 584, 0x4),
    HEADING("PDF Properties"),
    ROW(ROW_BOOLEAN, "Named Destination", 2258),
    ROW(ROW_INTEGER, "Bookmark Level", 589),
    ROW(ROW_INTEGER, "Structure Level", 600),
};

static void WriteEnumLine(ObjectId doc, ObjectId format, const ReportRow* row, ObjectId out)
{
    int64_t index = (int64_t)GetIntProperty(doc, format, row->property) - row->names->first;
    if (index < 0 || index >= (int64_t)row->names->count)
        return;
    WriteTextLine(row->label, row->names->names[index], out);
}

static void WriteColorLine(ObjectId doc, ObjectId format, const ReportRow* row, ObjectId out)
{
    ObjectId color = GetIdProperty(doc, format, row->property);
    char* name = color != 0 ? GetStringProperty(doc, color, PROP_NAME) : 0;
    WriteTextLine(row->label, name, out);
    BridgeFree(name);
}

/* The name at the format's index in the application's font list; an index outside the list
 * gives an empty name. */
static void WriteFontNameLine(ObjectId doc, ObjectId format, const ReportRow* row, ObjectId out)
{
    int32_t index = GetIntProperty(doc, format, row->property);
    StringArray names = GetStringArrayProperty(0, 0, row->extra);
    const char* name = 0;
    if (index >= 0 && (uint32_t)index < names.count && names.strings)
        name = names.strings[index];
    WriteTextLine(row->label, name, out);
    FreeStringArray(&names);
}

static const char* TabTypeName(int32_t kind)
{
    switch (kind & 0xFF) {
    case TAB_LEFT: return "Left Align ";
    case TAB_CENTER: return "Center Align ";
    case TAB_RIGHT: return "Right Align ";
    case TAB_DECIMAL: return "Decimal ";
    default: return "";
    }
}

/* One "Tab" line per tab stop, in the host's order. */
static void WriteTabLines(ObjectId doc, ObjectId format, const ReportRow* row, ObjectId out)
{
    TabList tabs = GetTabListProperty(doc, format, row->property);
    for (uint32_t i = 0; i < tabs.count && tabs.tabs; i++) {
        const Tab* tab = &tabs.tabs[i];
        char position[64];
        FormatToBuffer(position, "%.3f", InUnit(tab->position, DisplayUnit(doc)));
        char decimal[2] = {(char)(tab->decimal & 0xFF), '\0'};
        const char* pieces[] = {"Type: ",      TabTypeName(tab->kind),
                                "  ",          "Position: ",
                                position,      " ",
                                UnitName(doc), "  ",
                                "Decimal: ",   decimal,
                                "  ",          "Leader: ",
                                tab->leader};
        size_t length = 0;
        for (size_t p = 0; p < COUNT_OF(pieces); p++)
            length += (size_t)StrLength(pieces[p]);
        char* text = StrAlloc(length);
        if (!text)
            continue;
        for (size_t p = 0; p < COUNT_OF(pieces); p++)
            StrAppend(text, pieces[p]);
        WriteTextLine(row->label, text, out);
        MemFree(text);
    }
    FreeTabList(&tabs);
}

void ReportParagraphFormat(ObjectId doc, ObjectId format, ObjectId out)
{
    int32_t marginBits = 0;
    int haveMarginBits = 0;
    for (size_t i = 0; i < COUNT_OF(kRows); i++) {
        const ReportRow* row = &kRows[i];
        switch (row->kind) {
        case ROW_HEADING: AppendParagraph(out, row->label, OUTPUT_TAG_HEADING2); break;
        case ROW_ENUM: WriteEnumLine(doc, format, row, out); break;
        case ROW_BOOLEAN: WriteBooleanLine(doc, format, row->property, row->label, out); break;
        case ROW_INTEGER: WriteIntegerLine(doc, format, row->property, row->label, out); break;
        case ROW_STRING: WriteStringLine(doc, format, row->property, row->label, out); break;
        case ROW_MEASURE: WriteMeasureLine(doc, format, row->property, row->label, out); break;
        case ROW_FONT_MEASURE: WriteFontMeasureLine(doc, format, row->property, row->label, out); break;
        case ROW_PERCENT: WritePercentLine(doc, format, row->property, row->label, out); break;
        case ROW_COLOR: WriteColorLine(doc, format, row, out); break;
        case ROW_FONT_NAME: WriteFontNameLine(doc, format, row, out); break;
        case ROW_LANGUAGE:
            WriteTextLine(row->label, LanguageName(GetIntProperty(doc, format, row->property)), out);
            break;
        case ROW_TABS: WriteTabLines(doc, format, row, out); break;
        case ROW_SPACING:
            WriteTextLine(row->label, GetIntProperty(doc, format, row->property) != 0 ? "Not Fixed" : "Fixed", out);
            break;
        case ROW_CELL_MARGIN:
            if (!haveMarginBits) { /* one read for all four margins */
                marginBits = GetIntProperty(doc, format, 586);
                haveMarginBits = 1;
            }
            WriteFontMeasureLine(doc, format, row->property, (marginBits & row->extra) ? row->label : row->otherLabel,
                                 out);
            break;
        }
    }
}

/* ---- the commands ------------------------------------------------------------------------- */

static void AddFormatName(ObjectId doc, ObjectId format, const char* name, void* context)
{
    (void)doc;
    (void)format;
    if (StringListAdd((StringList*)context, name) != 0)
        ConsoleReport(kNoMemory);
}

/* The names of the document's formats, sorted byte-wise; null when no list can be had. */
static StringList* SortedFormatNames(ObjectId doc)
{
    StringList* names = StringListCreate(1, 1);
    if (!names) {
        ConsoleReport(kNoMemory);
        return 0;
    }
    WalkCatalogue(doc, CATALOGUE_WITH_NAMES, AddFormatName, names);
    StringListSort(names, StringListCompareEntries);
    return names;
}

int32_t GenerateParagraphTagReport(ObjectId doc)
{
    assert(doc != 0);
    StringList* names = SortedFormatNames(doc);
    if (!names)
        return 0;
    ObjectId out = CreateOutputDocument();
    for (uint32_t i = 0; i < StringListCount(names); i++) {
        const char* name = StringListGet(names, i);
        ObjectId format = GetNamedObject(doc, OBJ_PGF_FORMAT, name);
        if (format == 0)
            continue;
        AppendParagraph(out, name, OUTPUT_TAG_HEADING1);
        ReportParagraphFormat(doc, format, out);
        AppendParagraph(out, "", OUTPUT_TAG_BODY);
    }
    StringListFree(names);
    return 0;
}

int32_t GenerateParagraphTagReportSingle(ObjectId doc)
{
    assert(doc != 0);
    StringList* names = SortedFormatNames(doc);
    if (!names)
        return 0;
    /* The dialog gets its own copies of the names, released with the boundary records. */
    StringArray view = {names->count, names->items};
    StringArray choices = {0, 0};
    int copied = DeepCopyStringArray(&choices, &view, RecordHeapAlloc) == 0;
    StringListFree(names);
    if (!copied) {
        FreeStringArray(&choices);
        return 0;
    }
    int32_t chosen = 0;
    if (ChooseFromList(&chosen, "Choose a format.", &choices, 0) == 0 && chosen >= 0 &&
        (uint32_t)chosen < choices.count) {
        const char* name = choices.strings[chosen];
        ObjectId out = CreateOutputDocument();
        ObjectId format = GetNamedObject(doc, OBJ_PGF_FORMAT, name);
        if (format != 0) {
            AppendParagraph(out, name, OUTPUT_TAG_HEADING1);
            ReportParagraphFormat(doc, format, out);
        }
    }
    FreeStringArray(&choices);
    return 0;
}
