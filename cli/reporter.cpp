// reporter.cpp - messages on standard error and the book progress bar.

#include "cli/reporter.h"

#include <algorithm>

namespace tw::cli {

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
    err_ << "tagwright: error: " << text << '\n';
}

void Reporter::warning(const std::string& text)
{
    endProgress();
    err_ << "tagwright: warning: " << text << '\n';
}

void Reporter::note(const std::string& text)
{
    if (quiet_)
        return;
    endProgress();
    err_ << "tagwright: note: " << text << '\n';
}

void Reporter::console(const std::string& text)
{
    endProgress();
    err_ << text;
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
    err_ << "\r\033[K" << ProgressBar(done_, files_, line);
    err_.flush();
    shown_ = true;
}

void Reporter::endProgress()
{
    if (shown_)
        err_ << "\r\033[K";
    err_.flush();
    shown_ = false;
}

} // namespace tw::cli
