// subcommands.cpp - the table of tagwright's subcommands and the look-ups on it. The plug-in
// commands are named as the boundary's command table names them.

#include "cli/subcommands.h"

#include <algorithm>
#include <vector>

#include "cli/compare_command.h"
#include "cli/stats_command.h"

namespace tw::cli {

namespace {

constexpr const char* kDocumentOrBook = "Document or book";

// clang-format off
constexpr Subcommand kSubcommands[] = {
    {.name = "usage",
     .commands = {TW_CMD_LIST_USAGE, TW_CMD_LIST_USAGE_BOOK},
     .flags = kOutputDocument | kTakesEachFile | kTakesByTag,
     .help = "{} (of a document, or a book)",
     .path = kDocumentOrBook,
     .variants = {{{kTakesEachFile, {0, TW_CMD_LIST_USAGE_BOOK_FILES}, "{} (book)"},
                   {kTakesByTag, {0, TW_CMD_LIST_USAGE_BOOK_BY_TAG}, "{} (book)"}}}},
    {.name = "delete-unused",
     .commands = {TW_CMD_DELETE_UNUSED, TW_CMD_DELETE_UNUSED_BOOK},
     .flags = kChangesFiles | kDeletesFormats,
     .help = "{}",
     .path = kDocumentOrBook},
    {.name = "make-list",
     .commands = {TW_CMD_CREATE_LIST, TW_CMD_CREATE_LIST_BOOK},
     .flags = kOutputDocument | kTagTable | kCsvFormat | kTakesChoice,
     .help = "{}",
     .path = kDocumentOrBook},
    {.name = "make-conversion",
     .commands = {TW_CMD_CREATE_CONVERSION, TW_CMD_CREATE_CONVERSION_BOOK},
     .flags = kOutputDocument | kTagTable | kCsvFormat | kTakesChoice,
     .help = "{}",
     .path = kDocumentOrBook},
    {.name = "keep-listed",
     .commands = {TW_CMD_REMOVE_NONLIST, TW_CMD_REMOVE_NONLIST_BOOK},
     .flags = kChangesFiles | kDeletesFormats,
     .help = "{}",
     .path = kDocumentOrBook,
     .tableHeading = "Tags to Keep"},
    {.name = "convert",
     .commands = {TW_CMD_CONVERT, TW_CMD_CONVERT_BOOK},
     .flags = kChangesFiles,
     .help = "{}",
     .path = kDocumentOrBook,
     .tableHeading = "Source Tag"},
    {.name = "remove-overrides",
     .commands = {TW_CMD_REMOVE_OVERRIDES, TW_CMD_REMOVE_OVERRIDES_BOOK},
     .flags = kChangesFiles,
     .help = "{}",
     .path = kDocumentOrBook},
    {.name = "next-override",
     .commands = {TW_CMD_FIND_NEXT_OVERRIDE, 0},
     .flags = kPlainText | kTakesFrom,
     .help = "{}",
     .path = "Document"},
    {.name = "report",
     .commands = {TW_CMD_TAG_REPORT, 0},
     .flags = kOutputDocument | kTakesTag,
     .help = "Paragraph Tag Report: {}, or one with --tag",
     .path = "Document",
     .variants = {{{kTakesTag, {TW_CMD_TAG_REPORT_SINGLE, 0}, "Report only this paragraph format ({})"}}}},
    {.name = "about",
     .commands = {TW_CMD_ABOUT, TW_CMD_ABOUT},
     .flags = kPlainText,
     .help = "{}"},
    {.name = "stats",
     .commands = {0, 0},
     .flags = kToolOwn | kCsvFormat,
     .help = "Tag statistics: per tag and file, with totals",
     .path = kDocumentOrBook,
     .html = "Write the statistics as one self-contained HTML page to FILE",
     .run = RunStats},
    {.name = "compare",
     .commands = {0, 0},
     .flags = kToolOwn | kCsvFormat | kTakesTemplate,
     .help = "Compare a document's paragraph catalogue, or each chapter's of a book, with a template's",
     .path = kDocumentOrBook,
     .html = "Write the comparison as one self-contained HTML page to FILE (-: standard output)",
     .run = RunCompare},
};
// clang-format on

constexpr bool Has(const Subcommand& s, uint32_t flags) { return (s.flags & flags) == flags; }

// What the rows must agree on, checked as the table compiles.
constexpr bool RowsAgree()
{
    for (const Subcommand& s : kSubcommands) {
        if (Has(s, kToolOwn) != (s.commands.document == 0 && s.commands.book == 0))
            return false; // the tool's own runs no plug-in command; every other row runs one
        if (Has(s, kDeletesFormats) && !Has(s, kChangesFiles))
            return false;
        if (Has(s, kTagTable) && !Has(s, kOutputDocument))
            return false;
        for (const Variant& v : s.variants)
            if (v.option && (!Has(s, v.option) || !v.help))
                return false; // a variant is picked by an option of its own row
    }
    for (const Subcommand& a : kSubcommands)
        for (const Subcommand& b : kSubcommands)
            if (&a != &b && std::string_view(a.name) == b.name)
                return false;
    return true;
}
static_assert(RowsAgree(), "a subcommand row contradicts itself, or two rows share a name");

// Whether the request gives the option of that kTakes... flag.
bool Given(const Request& r, uint32_t option)
{
    switch (option) {
    case kTakesEachFile: return r.eachFile;
    case kTakesByTag: return r.byTag;
    case kTakesTag: return r.tag.has_value();
    default: return false;
    }
}

// `text` with "{}" replaced by the menu label of the first command of `numbers` there is.
std::string WithLabel(const char* text, CommandNumbers numbers)
{
    std::string s = text;
    const size_t at = s.find("{}");
    if (at != std::string::npos)
        s.replace(at, 2, CommandLabel(numbers.document ? numbers.document : numbers.book));
    return s;
}

} // namespace

std::span<const Subcommand> Subcommands() { return kSubcommands; }

const Subcommand* FindSubcommand(std::string_view name)
{
    for (const Subcommand& s : kSubcommands)
        if (name == s.name)
            return &s;
    return nullptr;
}

std::string NamesWith(uint32_t flags, const char* last)
{
    std::vector<const char*> names;
    for (bool own : {true, false})
        for (const Subcommand& s : kSubcommands)
            if (Has(s, flags) && Has(s, kToolOwn) == own)
                names.push_back(s.name);
    std::string text;
    for (size_t i = 0; i < names.size(); i++)
        text += (i == 0 ? "" : i + 1 == names.size() ? last : ", ") + std::string(names[i]);
    return text;
}

std::string Help(const Subcommand& s) { return WithLabel(s.help, s.commands); }

std::string OptionHelp(const Subcommand& s, uint32_t option)
{
    for (const Variant& v : s.variants)
        if (v.option == option)
            return WithLabel(v.help, v.commands);
    return {};
}

std::optional<CommandNumbers> CommandsFor(const Request& r)
{
    const Subcommand* s = FindSubcommand(r.subcommand);
    if (!s)
        return std::nullopt;
    for (const Variant& v : s->variants)
        if (v.option && Given(r, v.option))
            return v.commands;
    return s->commands;
}

std::string CommandLabel(int32_t number)
{
    const TwCommandInfo* info = TwCommandByNumber(number);
    return info ? info->label : std::string();
}

std::optional<int32_t> ChoiceIndex(const std::string& word)
{
    if (word == "empty")
        return 0;
    if (word == "in-use")
        return 1;
    if (word == "all")
        return 2;
    return std::nullopt;
}

} // namespace tw::cli
