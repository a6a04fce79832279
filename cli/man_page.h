// man_page.h - the manual page (tagwright.1) and the bash completion script, written from the
// same command-line definition, descriptions and footer that --help prints.
#pragma once

#include <CLI/CLI.hpp>

#include <string>

namespace tw::cli {

// The end of --help: exit statuses and environment.
std::string HelpFooter();

// roff source of the manual page, section 1.
std::string ManPage(const CLI::App& app, const std::string& version);

// A bash script that completes commands, options, option values and file names.
std::string BashCompletion(const CLI::App& app);

} // namespace tw::cli
