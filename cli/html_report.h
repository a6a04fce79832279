// html_report.h - the tag statistics as one self-contained HTML page: the tag x file matrix
// as a heat map with the catalogue, unused and override columns, sortable by any column
// (inline script, no network), and a details section per tag.
#pragma once

#include <string>

#include "cli/stats.h"
#include "cli/text_safety.h"

namespace tw::cli {

std::string StatsHtml(const Stats& s);

} // namespace tw::cli
