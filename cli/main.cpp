// main.cpp - the tagwright command line: parses the request with CLI11 and hands it to the
// runner, which drives the plug-in through the stand-in host.

#include <CLI/CLI.hpp>

#include <iostream>

#include "cli/commands.h"
#include "cli/runner.h"

using namespace tw::cli;

namespace {

constexpr const char* kVersion = "tagwright " TAGWRIGHT_VERSION;

CLI::App* AddPathCommand(CLI::App& app, Request& r, const char* name, const char* help, const char* what)
{
    CLI::App* sub = app.add_subcommand(name, help);
    sub->add_option("PATH", r.path, what)->required();
    return sub;
}

} // namespace

int main(int argc, char** argv)
{
    Request r;
    CLI::App app{"Tagwright: audit and clean up the paragraph formats of MIF documents and books."};
    app.set_version_flag("--version", kVersion);
    app.require_subcommand(1);
    app.fallthrough();

    std::string format = "text";
    app.add_flag("--yes", r.yes, "Answer OK to every question");
    app.add_flag("--write", r.write, "Save a changed document in place");
    app.add_option("-o,--output", r.output, "Also save the output document as MIF to FILE");
    app.add_option("--format", format, "Output form: text or json (stats and compare: also csv)")
        ->check(CLI::IsMember({"text", "json", "csv"}));
    app.add_option("--host-dir", r.hostDir, "The host's installation directory (icu_data, VellOutput.fm)");
    app.add_flag("--quiet", r.quiet, "No notes and no progress bar");
    app.add_flag("--dry-run", r.dryRun, "Show what a changing command would change; write nothing");
    app.add_flag("--backup", r.backup, "Copy every file to FILE.bak before saving over it");

    auto* usage = AddPathCommand(app, r, "usage", "List Paragraph Usage (of a document, or a book)", "Document or book");
    auto* each = usage->add_flag("--each-file", r.eachFile, "List Paragraph Usage - Individual (book)");
    usage->add_flag("--by-tag", r.byTag, "List Paragraph Usage - By Tag (book)")->excludes(each);

    AddPathCommand(app, r, "delete-unused", "Delete Unused Paragraph Tags", "Document or book");

    for (const char* name : {"make-list", "make-conversion"}) {
        auto* sub = AddPathCommand(app, r, name,
                                   name == std::string("make-list") ? "Create Paragraph Tag List"
                                                                    : "Create Conversion Document",
                                   "Document or book");
        sub->add_option("--choice", r.choice, "Which tags: empty, in-use or all")
            ->check(CLI::IsMember({"empty", "in-use", "all"}));
    }
    for (const char* name : {"keep-listed", "convert"}) {
        auto* sub = AddPathCommand(app, r, name,
                                   name == std::string("convert") ? "Convert Paragraphs"
                                                                  : "Remove Non-list Paragraph Tags",
                                   "Document or book");
        sub->add_option("--table", r.table, "Document holding the table")->required();
    }
    AddPathCommand(app, r, "remove-overrides", "Remove Overrides", "Document or book");
    auto* next = AddPathCommand(app, r, "next-override", "Find Next Override", "Document");
    next->add_option("--from", r.from, "Start at paragraph N of the main flow (1 = first)")->check(CLI::PositiveNumber);
    auto* report = AddPathCommand(app, r, "report", "Paragraph Tag Report: All Tags, or one with --tag", "Document");
    report->add_option("--tag", r.tag, "Report only this paragraph format (Selected Tag...)");
    app.add_subcommand("about", "About Tagwright");

    auto* stats = AddPathCommand(app, r, "stats", "Tag statistics: per tag and file, with totals", "Document or book");
    stats->add_option("--html", r.html, "Write the statistics as one self-contained HTML page to FILE");
    auto* compare = AddPathCommand(app, r, "compare", "Compare a document's paragraph catalogue with a template's", "Document");
    compare->add_option("TEMPLATE", r.templatePath, "Template document")->required();

    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp& e) {
        return app.exit(e);
    } catch (const CLI::CallForAllHelp& e) {
        return app.exit(e);
    } catch (const CLI::CallForVersion& e) {
        return app.exit(e);
    } catch (const CLI::ParseError& e) {
        app.exit(e);
        return kExitUsage;
    }

    r.subcommand = app.get_subcommands().front()->get_name();
    r.format = format == "json" ? Format::Json : format == "csv" ? Format::Csv : Format::Text;
    if (r.format == Format::Csv && r.subcommand != "stats" && r.subcommand != "compare") {
        std::cerr << "tagwright: error: --format csv is for stats and compare\n";
        return kExitUsage;
    }
    return Run(r, std::cout, std::cerr, TerminalAsker());
}
