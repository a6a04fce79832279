// commands.h - the subcommands of the tagwright tool and the plug-in command each one runs.
// One table says, per subcommand, which command number serves a document and which a book.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tw::cli {

enum class Format { Text, Json, Csv };

// Everything the command line said.
struct Request {
    std::string subcommand;         // "usage", "delete-unused", ..., "stats", "compare"
    std::string path;               // the document or book (empty for "about")
    bool eachFile = false;          // usage --each-file
    bool byTag = false;             // usage --by-tag
    std::optional<std::string> choice; // make-list / make-conversion: empty|in-use|all
    std::optional<std::string> table;  // keep-listed / convert: the table document
    std::optional<int32_t> from;       // next-override: paragraph number, from 1
    std::optional<std::string> tag;    // report: one format
    bool yes = false;
    bool write = false;
    std::optional<std::string> output; // -o FILE
    Format format = Format::Text;
    std::optional<std::string> hostDir;
    bool quiet = false;
    bool dryRun = false;               // --dry-run: record saves, write nothing
    bool backup = false;               // --backup: FILE.bak before every save
    std::optional<std::string> html;   // stats --html FILE
    std::string templatePath;          // compare DOC TEMPLATE
};

// The plug-in command numbers a subcommand runs on a document and on a book (0: not offered).
struct CommandNumbers {
    int32_t document = 0;
    int32_t book = 0;
};

// Which command numbers serve the request; nullopt for an unknown subcommand.
std::optional<CommandNumbers> CommandsFor(const Request& request);

// The list-dialog item index for --choice, or nullopt when the word is not one of
// empty, in-use, all.
std::optional<int32_t> ChoiceIndex(const std::string& word);

// Exit statuses.
enum Exit : int {
    kExitOk = 0,
    kExitUsage = 1,
    kExitFile = 2,
    kExitCancelled = 3,
    kExitWarning = 4,
};

} // namespace tw::cli
