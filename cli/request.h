// request.h - what one tagwright command line asks for, and the exit statuses the tool ends
// with.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace tw::cli {

enum class Format { Text, Json, Csv };

// Everything the command line said.
struct Request {
    std::string subcommand;            // the name of a row of the subcommand table
    std::string path;                  // the document or book (empty for a subcommand without one)
    bool eachFile = false;             // usage --each-file
    bool byTag = false;                // usage --by-tag
    std::optional<std::string> choice; // make-list / make-conversion: empty|in-use|all
    std::optional<std::string> table;  // keep-listed / convert: the table document
    std::optional<int32_t> from;       // next-override: paragraph number, from 1
    std::optional<std::string> tag;    // report: one format
    bool yes = false;
    bool write = false;
    std::optional<std::string> output; // -o FILE
    Format format = Format::Text;
    std::optional<std::string> hostDir;
    std::optional<long> cacheMb; // memory for documents kept between opens; 0: off
    bool quiet = false;
    bool dryRun = false;             // --dry-run: record saves, write nothing
    bool backup = false;             // --backup: FILE.bak before every save
    std::optional<std::string> html; // stats --html FILE
    std::string templatePath;        // compare DOC TEMPLATE
};

// Exit statuses.
enum Exit : int {
    kExitOk = 0,
    kExitUsage = 1,
    kExitFile = 2,
    kExitCancelled = 3,
    kExitWarning = 4,
};

} // namespace tw::cli
