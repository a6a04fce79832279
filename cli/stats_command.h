// stats_command.h - `tagwright stats PATH [--html FILE]`: the numbers of stats.h printed as
// text, CSV or JSON, or written as the HTML page of html_report.h.
#pragma once

#include <ostream>

#include "cli/request.h"

namespace tw::cli {

// Gathers and shows the numbers; 2 when the target or a book's file cannot be read, 1 when the
// page would replace a file the run reads.
int RunStats(const Request& req, std::ostream& out, std::ostream& err);

} // namespace tw::cli
