// subcommands.h - the subcommands of the tagwright tool, one row each: the name, the plug-in
// commands it runs on a document and on a book, what it does and which options it takes. The
// command line is defined from the rows, and every policy of the tool (what --dry-run, -o,
// --format csv work with, what is locked, held or summarized) asks a row's flags, never its name.
#pragma once

#include <array>
#include <cstdint>
#include <iosfwd>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "bridge/boundary.h"
#include "cli/request.h"

namespace tw::cli {

// The plug-in command numbers a subcommand runs on a document and on a book (0: not offered).
struct CommandNumbers {
    int32_t document = 0;
    int32_t book = 0;
};

// What a subcommand does, and the options of its own it takes.
enum SubcommandFlag : uint32_t {
    kChangesFiles = 1u << 0,   // changes documents: --dry-run, locks, the summary of what changed
    kDeletesFormats = 1u << 1, // deletes formats: a book's saves wait for the warnings on next tags
    kOutputDocument = 1u << 2, // makes an output document, which -o saves
    kTagTable = 1u << 3,       // its output document is a tag table, which -o FILE.csv writes as CSV
    kCsvFormat = 1u << 4,      // prints CSV with --format csv
    kPlainText = 1u << 5,      // prints plain text whatever --format says
    kTakesChoice = 1u << 6,    // --choice; off a terminal it cannot run without one
    kTakesEachFile = 1u << 7,  // --each-file
    kTakesByTag = 1u << 8,     // --by-tag
    kTakesFrom = 1u << 9,      // --from N
    kTakesTag = 1u << 10,      // --tag NAME
    kTakesTemplate = 1u << 11, // a TEMPLATE after PATH
    kToolOwn = 1u << 12,       // carried out by the tool's own code (`run`), without the plug-in
};

// A plug-in command run instead of the row's own when one of its options is given.
struct Variant {
    uint32_t option = 0; // the kTakes... flag of the option; 0: no variant
    CommandNumbers commands;
    const char* help = nullptr; // the option's help; "{}" stands for the command's menu label
};

// A subcommand the tool's own code carries out, without the plug-in.
using ToolRun = int (*)(const Request& request, std::ostream& out, std::ostream& err);

struct Subcommand {
    const char* name = nullptr;
    CommandNumbers commands; // what it runs; {0, 0} for the tool's own
    uint32_t flags = 0;
    const char* help = nullptr;         // "{}" stands for the menu label of its document (else book) command
    const char* path = nullptr;         // what PATH names; nullptr: it takes none
    const char* tableHeading = nullptr; // takes --table FILE: the first heading of a CSV table of its kind
    const char* html = nullptr;         // takes --html FILE: the option's help
    ToolRun run = nullptr;              // with kToolOwn: what carries it out
    std::array<Variant, 2> variants{};
};

// Every subcommand, in the order the help lists them.
std::span<const Subcommand> Subcommands();

// The row of that name; nullptr for none.
const Subcommand* FindSubcommand(std::string_view name);

// The names of the subcommands that have every flag of `flags`, the tool's own first: "a, b
// and c" (`last` joins the last two).
std::string NamesWith(uint32_t flags, const char* last = " and ");

// The help line of a subcommand, and of its option `option` (a kTakes... flag of a variant).
std::string Help(const Subcommand& s);
std::string OptionHelp(const Subcommand& s, uint32_t option);

// Which command numbers serve the request; nullopt for an unknown subcommand.
std::optional<CommandNumbers> CommandsFor(const Request& request);

// The menu label of a plug-in command, from the command table ("" for none).
std::string CommandLabel(int32_t number);

// The list-dialog item index for --choice, or nullopt when the word is not one of
// empty, in-use, all.
std::optional<int32_t> ChoiceIndex(const std::string& word);

} // namespace tw::cli
