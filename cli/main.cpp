// main.cpp - the tagwright command line: parses the request with CLI11 and hands it to the
// runner, which drives the plug-in through the stand-in host.

#include <CLI/CLI.hpp>

#include <iostream>

#include "cli/subcommands.h"
#include "cli/interrupt.h"
#include "cli/man_page.h"
#include "cli/request_checks.h"
#include "cli/runner.h"

using namespace tw::cli;

namespace {

constexpr const char* kVersion = "tagwright " TAGWRIGHT_VERSION;

// The subcommand of row `s`, with the options its row says it takes.
void AddSubcommand(CLI::App& app, Request& r, const Subcommand& s)
{
    CLI::App* sub = app.add_subcommand(s.name, Help(s));
    if (s.path)
        sub->add_option("PATH", r.path, s.path)->required();
    if (s.flags & kTakesTemplate)
        sub->add_option("TEMPLATE", r.templatePath, "Template document")->required();
    CLI::Option* each = nullptr;
    if (s.flags & kTakesEachFile)
        each = sub->add_flag("--each-file", r.eachFile, OptionHelp(s, kTakesEachFile));
    if (s.flags & kTakesByTag) {
        CLI::Option* byTag = sub->add_flag("--by-tag", r.byTag, OptionHelp(s, kTakesByTag));
        if (each)
            byTag->excludes(each);
    }
    if (s.flags & kTakesChoice)
        sub->add_option("--choice", r.choice, "Which tags: empty, in-use or all")
            ->check(CLI::IsMember({"empty", "in-use", "all"}));
    if (s.tableHeading)
        sub->add_option("--table", r.table, "Document holding the table, or the table as a .csv file")
            ->type_name("FILE")
            ->required();
    if (s.flags & kTakesFrom)
        sub->add_option("--from", r.from, "Start at paragraph N of the main flow (1 = first)")
            ->check(CLI::PositiveNumber);
    if (s.flags & kTakesTag)
        sub->add_option("--tag", r.tag, OptionHelp(s, kTakesTag));
    if (s.html)
        sub->add_option("--html", r.html, s.html)->type_name("FILE");
}

} // namespace

int main(int argc, char** argv)
{
    Request r;
    CLI::App app{"Tagwright: audit and clean up the paragraph formats of MIF documents and books."};
    app.set_version_flag("--version", kVersion);
    // "/chapters/One.mif" is a path on Windows too (the current drive's root), never an option.
    app.allow_windows_style_options(false);
    app.require_subcommand(1);
    app.fallthrough();
    app.footer(HelpFooter());

    std::string format = "text";
    app.add_flag("--yes", r.yes, "Answer OK to every question");
    app.add_flag("--write", r.write, "Save a changed document in place");
    app.add_option("-o,--output", r.output,
                   "Also save the output document as MIF to FILE (a .csv FILE: the tag table as CSV; -: MIF on "
                   "standard output)")
        ->type_name("FILE");
    app.add_option("--format", format, "Output form: text or json (" + NamesWith(kCsvFormat, ", ") + ": also csv)")
        ->check(CLI::IsMember({"text", "json", "csv"}));
    app.add_option("--host-dir", r.hostDir, "The host's installation directory (icu_data, VellOutput.fm)")
        ->type_name("DIR");
    app.add_flag("--quiet", r.quiet, "No notes and no progress bar");
    app.add_option("--cache-mb", r.cacheMb,
                   "Memory in MB for book files kept between opens (default 256, or TAGWRIGHT_CACHE_MB); 0: off")
        ->check(CLI::Range(0L, 1L << 20));
    app.add_flag("--dry-run", r.dryRun, "Show what a changing command would change; write nothing");
    app.add_flag("--backup", r.backup, "Copy every file to FILE.bak before saving over it");

    // Help texts name the plug-in's menu labels, from the command table.
    for (const Subcommand& s : Subcommands())
        AddSubcommand(app, r, s);

    // The manual page and the completion script are written from the definitions above.
    if (argc == 2 && std::string(argv[1]) == "--man-page") {
        std::cout << ManPage(app, kVersion);
        return kExitOk;
    }
    if (argc == 2 && std::string(argv[1]) == "--bash-completion") {
        std::cout << BashCompletion(app);
        return kExitOk;
    }
    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp& e) {
        return app.exit(e);
    } catch (const CLI::CallForAllHelp& e) {
        return app.exit(e);
    } catch (const CLI::CallForVersion& e) {
        return app.exit(e);
    } catch (const CLI::ParseError& e) {
        std::cerr << "tagwright: error: " << UsageError(app, e, std::vector<std::string>(argv + 1, argv + argc))
                  << '\n';
        return kExitUsage;
    }

    r.subcommand = app.get_subcommands().front()->get_name();
    r.format = format == "json" ? Format::Json : format == "csv" ? Format::Csv : Format::Text;
    const Asker asker = TerminalAsker();
    if (auto problem = UsageProblem(r, static_cast<bool>(asker.choose))) {
        std::cerr << "tagwright: error: " << *problem << '\n';
        return kExitUsage;
    }
    if (!r.quiet)
        for (const std::string& note : IdleOptions(r, app.count("--format") > 0))
            std::cerr << "tagwright: note: " << note << '\n';
    CatchInterruptions();
    return Run(r, std::cout, std::cerr, asker);
}
