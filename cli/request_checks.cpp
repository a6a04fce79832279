// request_checks.cpp - usage errors and idle options, in the tool's own words.

#include "cli/request_checks.h"

#include "cli/csv_table.h"
#include "cli/subcommands.h"

namespace tw::cli {

namespace {

// The row of the request's subcommand; for a name the table does not know, a row with no flags.
const Subcommand& RowOf(const Request& r)
{
    static const Subcommand kUnknown{};
    const Subcommand* s = FindSubcommand(r.subcommand);
    return s ? *s : kUnknown;
}

std::string CommandNames(const CLI::App& app)
{
    std::string names;
    for (const CLI::App* sub : app.get_subcommands([](const CLI::App*) { return true; }))
        names += (names.empty() ? "" : ", ") + sub->get_name();
    return names;
}

const char* FormatName(Format f) { return f == Format::Json ? "json" : f == Format::Csv ? "csv" : "text"; }

} // namespace

std::string UsageError(const CLI::App& app, const CLI::ParseError& e, const std::vector<std::string>& args)
{
    // The first word that is neither an option nor an option's value names the command.
    for (size_t i = 0; i < args.size(); i++) {
        const std::string& a = args[i];
        if (a == "--")
            break;
        if (!a.empty() && a[0] == '-') {
            const CLI::Option* opt = a.find('=') == std::string::npos ? app.get_option_no_throw(a) : nullptr;
            if (opt && opt->get_expected_min() > 0)
                i++; // its value
            continue;
        }
        const auto commands = app.get_subcommands([&](const CLI::App* sub) { return sub->get_name() == a; });
        if (commands.empty())
            return "unknown command '" + a + "' (the commands: " + CommandNames(app) + ")";
        break;
    }
    std::string what = e.what();
    if (what == "A subcommand is required")
        return "no command given (the commands: " + CommandNames(app) + "; see tagwright --help)";
    std::string help = "tagwright --help";
    for (const CLI::App* sub : app.get_subcommands())
        help = "tagwright " + sub->get_name() + " --help";
    return what + " (see " + help + ")";
}

std::optional<std::string> UsageProblem(const Request& r, bool canAsk)
{
    const Subcommand& s = RowOf(r);
    if (r.format == Format::Csv && !(s.flags & kCsvFormat))
        return "--format csv is for " + NamesWith(kCsvFormat);
    if (r.output && IsCsvPath(*r.output) && !(s.flags & kTagTable))
        return "-o " + *r.output + " writes a tag table as CSV: that is for " + NamesWith(kTagTable);
    if ((s.flags & kTakesChoice) && !r.choice && !canAsk)
        return r.subcommand +
               " needs --choice: empty (a table of ten empty rows), in-use (the tags in use) or all (every tag)";
    if (r.dryRun && !(s.flags & kChangesFiles))
        return "--dry-run works with " + NamesWith(kChangesFiles);
    return std::nullopt;
}

std::vector<std::string> IdleOptions(const Request& r, bool formatGiven)
{
    std::vector<std::string> notes;
    const Subcommand& s = RowOf(r);
    if (formatGiven) {
        const std::string f = std::string("--format ") + FormatName(r.format);
        if (s.flags & kPlainText)
            notes.push_back(f + " does nothing for " + r.subcommand + ": it prints plain text");
        else if (r.html)
            notes.push_back(f + " does nothing with --html: the page is HTML");
        else if (r.output && *r.output == "-")
            notes.push_back(f + " does nothing with -o -: the output document goes to standard output as MIF");
    }
    if (r.output && !(s.flags & kOutputDocument))
        notes.push_back("-o does nothing for " + r.subcommand + ": it makes no output document" +
                        (s.html ? " (--html FILE writes a page)" : ""));
    return notes;
}

} // namespace tw::cli
