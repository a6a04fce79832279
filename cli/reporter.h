// reporter.h - what the tool says on standard error: errors, warnings and notes with the
// tool's prefix, the plug-in's console text, and on a terminal a progress bar for book walks.
#pragma once

#include <ostream>
#include <string>

namespace tw::cli {

// One line of a book walk's progress: "[####------] 2/5 Examining: Tables.mif", the bar
// `width` characters wide. k counts from 1; n may be 0 when the book's size is unknown.
std::string ProgressBar(int k, int n, const std::string& status, int width = 20);

// `line` cut to at most `columns` characters (UTF-8), never inside a character.
std::string FitToWidth(const std::string& line, int columns);

class Reporter {
public:
    Reporter(std::ostream& err, bool quiet) : err_(err), quiet_(quiet) { }

    // Each message is one line: control characters in it (a name's line break too) are
    // shown escaped, so a message of several lines is several calls.
    void error(const std::string& text);
    void warning(const std::string& text);
    void note(const std::string& text);
    void console(const std::string& text);

    // Progress over the files of a book (`files` of them): each non-empty status line the
    // plug-in sets counts as the next file; a new prefix ("Examining: " -> "Removing ...")
    // starts the count again. An empty status line ends the bar.
    void startProgress(int files) { files_ = files; }
    // The progress line goes to this process's terminal: cut it to the terminal's width, and
    // without escape sequences where NO_COLOR is set or TERM=dumb.
    void useTerminal();
    void status(const std::string& line);
    void endProgress();

private:
    std::string clear() const;

    std::ostream& err_;
    bool quiet_;
    bool shown_ = false;
    int files_ = 0;
    int done_ = 0;
    std::string prefix_;
    int columns_ = 0;    // of the terminal (0: no limit)
    bool plain_ = false; // no escape sequences (NO_COLOR, TERM=dumb)
    int shownWidth_ = 0; // characters of the line on screen, to blank it in plain mode
};

} // namespace tw::cli
