// reporter.cpp - messages on standard error and the book progress bar; the names in them
// show control characters escaped.

#include "cli/reporter.h"

#include <algorithm>
#include <cstdlib>

#if defined(_WIN32)
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#else
#include <sys/ioctl.h>
#include <unistd.h>
#endif

#include "cli/text_safety.h"

namespace tw::cli {

namespace {

// Columns of the terminal on standard error; 80 when it does not say.
int TerminalColumns()
{
#if defined(_WIN32)
    CONSOLE_SCREEN_BUFFER_INFO info;
    if (GetConsoleScreenBufferInfo(GetStdHandle(STD_ERROR_HANDLE), &info))
        return info.srWindow.Right - info.srWindow.Left + 1;
#else
    winsize size{};
    if (ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 0)
        return size.ws_col;
#endif
    if (const char* columns = std::getenv("COLUMNS"))
        if (int n = std::atoi(columns); n > 0)
            return n;
    return 80;
}

// NO_COLOR (any value) or TERM=dumb: no escape sequences.
bool PlainTerminal()
{
    const char* term = std::getenv("TERM");
    return std::getenv("NO_COLOR") != nullptr || (term && std::string(term) == "dumb");
}

} // namespace

std::string FitToWidth(const std::string& line, int columns)
{
    // Characters, not bytes: a UTF-8 continuation byte does not count, and the cut never
    // falls inside a character.
    int count = 0;
    for (size_t i = 0; i < line.size(); i++) {
        if ((static_cast<unsigned char>(line[i]) & 0xC0) == 0x80)
            continue;
        if (count == columns)
            return line.substr(0, i);
        count++;
    }
    return line;
}

std::string ProgressBar(int k, int n, const std::string& status, int width)
{
    std::string line = "[";
    const int filled = n > 0 ? std::clamp(k * width / n, 0, width) : 0;
    line += std::string(static_cast<size_t>(filled), '#');
    line += std::string(static_cast<size_t>(width - filled), '-');
    line += "] " + std::to_string(k);
    if (n > 0)
        line += "/" + std::to_string(n);
    return line + " " + status;
}

void Reporter::error(const std::string& text)
{
    endProgress();
    err_ << "tagwright: error: " << TerminalText(text) << '\n';
}

void Reporter::warning(const std::string& text)
{
    endProgress();
    err_ << "tagwright: warning: " << TerminalText(text) << '\n';
}

void Reporter::note(const std::string& text)
{
    if (quiet_)
        return;
    endProgress();
    err_ << "tagwright: note: " << TerminalText(text) << '\n';
}

void Reporter::console(const std::string& text)
{
    endProgress();
    // The plug-in writes a line in pieces (its own words, a name, the line end), so a line
    // end closing a piece is its own; any other control character comes from a name.
    const bool endsLine = !text.empty() && text.back() == '\n';
    err_ << TerminalText(endsLine ? text.substr(0, text.size() - 1) : text) << (endsLine ? "\n" : "");
    err_.flush();
}

void Reporter::status(const std::string& line)
{
    if (quiet_)
        return;
    if (line.empty()) {
        endProgress();
        prefix_.clear();
        return;
    }
    // The status line is a prefix ending in ": " followed by the file's name.
    const size_t colon = line.rfind(": ");
    const std::string prefix = colon == std::string::npos ? std::string() : line.substr(0, colon + 2);
    if (prefix != prefix_ || (files_ > 0 && done_ >= files_)) {
        prefix_ = prefix;
        done_ = 0;
    }
    done_++;
    // One column short of the width, so that the terminal never wraps the line.
    std::string bar = ProgressBar(done_, files_, TerminalText(line));
    if (columns_ > 0)
        bar = FitToWidth(bar, std::max(columns_ - 1, 1));
    err_ << '\r' << clear() << bar;
    err_.flush();
    shown_ = true;
    shownWidth_ = static_cast<int>(
        std::count_if(bar.begin(), bar.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}

// Blanks the progress line: an erase sequence, or spaces where escapes are not wanted.
std::string Reporter::clear() const
{
    if (!plain_)
        return "\033[K";
    return shown_ ? std::string(static_cast<size_t>(shownWidth_), ' ') + "\r" : std::string();
}

void Reporter::useTerminal()
{
    columns_ = TerminalColumns();
    plain_ = PlainTerminal();
}

void Reporter::endProgress()
{
    if (shown_)
        err_ << '\r' << clear();
    err_.flush();
    shown_ = false;
}

} // namespace tw::cli
