// stats_command.cpp - the stats subcommand: the numbers gathered once, then printed or written
// as the page, which never replaces a file it is about.
#include "cli/stats_command.h"

#include "cli/html_report.h"
#include "cli/input_files.h"
#include "cli/reporter.h"
#include "cli/stats.h"
#include "host/com/host.h"
#include "host/files/file_save.h"
#include "host/files/store.h"

namespace tw::cli {

using namespace tw::host;

int RunStats(const Request& req, std::ostream& out, std::ostream& err)
{
    Reporter report(err, req.quiet);
    std::string error;
    auto stats = GatherStats(req.path, req.hostDir ? *req.hostDir : DefaultInstallDir(), error);
    if (!stats) {
        report.error(error);
        return kExitFile;
    }
    for (const FileStats& f : stats->files)
        if (!f.opened)
            report.error(f.error);
    if (req.html) {
        // The page never replaces a file it is about.
        InputFiles inputs;
        inputs.add(NativePath(req.path));
        for (const FileStats& f : stats->files)
            inputs.add(f.path);
        if (auto input = inputs.find(NativePath(*req.html))) {
            report.error(OutputIsInputRefusal(*req.html, *input));
            return kExitUsage;
        }
        std::string why;
        if (!WriteFileAtomically(NativePath(*req.html), StatsHtml(*stats), why)) {
            report.error(why);
            return kExitFile;
        }
        report.note("wrote " + *req.html);
    } else if (req.format == Format::Json) {
        PrintStatsJson(out, *stats);
    } else if (req.format == Format::Csv) {
        PrintStatsCsv(out, *stats);
    } else {
        PrintStatsText(out, *stats);
    }
    return stats->anyMissing() ? kExitFile : kExitOk;
}

} // namespace tw::cli
