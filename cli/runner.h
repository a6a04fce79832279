// runner.h - carrying out one tagwright request as the host would: load the plug-in into the
// stand-in host, open the files, make the target active, answer the questions, run the
// plug-in command, then show what it produced and save what the user asked for.
#pragma once

#include <functional>
#include <iosfwd>
#include <optional>
#include <string>

#include "cli/request.h"

namespace tw::cli {

// How the user is asked when the command line did not answer: a question's text gives
// true for OK; a list dialog's title and items give the chosen index or nullopt to cancel.
// Without a terminal the tool answers Cancel itself.
struct Asker {
    std::function<bool(const std::string& question)> confirm;
    std::function<std::optional<int32_t>(const std::string& title, const std::vector<std::string>& items)> choose;
    bool progress = false; // show the book status line as a progress line on standard error
};

// Runs the request; returns the exit status.
int Run(const Request& request, std::ostream& out, std::ostream& err, const Asker& asker);

// The asker for this process: asks on the terminal when standard input and standard error
// are terminals, else answers Cancel.
Asker TerminalAsker();

} // namespace tw::cli
