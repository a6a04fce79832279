// request_checks.h - what the tool says about a command line before it runs anything: parse
// errors in its own words (naming an unknown command), what a command still needs, and options
// given where they do nothing.
#pragma once

#include <CLI/CLI.hpp>

#include <optional>
#include <string>
#include <vector>

#include "cli/request.h"

namespace tw::cli {

// The text after "tagwright: error: " for a parse error of `app` on `args` (argv without
// the program name).
std::string UsageError(const CLI::App& app, const CLI::ParseError& e, const std::vector<std::string>& args);

// What the request lacks or combines wrongly (a usage error), or nullopt. `canAsk`: a list
// dialog can be answered on the terminal.
std::optional<std::string> UsageProblem(const Request& r, bool canAsk);

// Notes on options the request gives that do nothing for its command.
std::vector<std::string> IdleOptions(const Request& r, bool formatGiven);

} // namespace tw::cli
