// reporter.h - what the tool says on standard error: errors, warnings and notes with the
// tool's prefix, the plug-in's console text, and on a terminal a progress bar for book walks.
#pragma once

#include <ostream>
#include <string>

namespace tw::cli {

// One line of a book walk's progress: "[####------] 2/5 Examining: Tables.mif", the bar
// `width` characters wide. k counts from 1; n may be 0 when the book's size is unknown.
std::string ProgressBar(int k, int n, const std::string& status, int width = 20);

class Reporter {
public:
    Reporter(std::ostream& err, bool quiet) : err_(err), quiet_(quiet) {}

    void error(const std::string& text);
    void warning(const std::string& text);
    void note(const std::string& text);
    void console(const std::string& text);

    // Progress over the files of a book (`files` of them): each non-empty status line the
    // plug-in sets counts as the next file; a new prefix ("Examining: " -> "Removing ...")
    // starts the count again. An empty status line ends the bar.
    void startProgress(int files) { files_ = files; }
    void status(const std::string& line);
    void endProgress();

private:
    std::ostream& err_;
    bool quiet_;
    bool shown_ = false;
    int files_ = 0;
    int done_ = 0;
    std::string prefix_;
};

} // namespace tw::cli
