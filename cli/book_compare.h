// book_compare.h - every chapter of a book against one template: per chapter the catalogue
// comparison of compare.h (missing, extra, different), as text, CSV, JSON, or an HTML page
// with a chapter x format grid of the differences.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "cli/request.h"
#include "cli/compare.h"
#include "host/com/host.h"

namespace tw::cli {

struct ChapterComparison {
    std::string name; // relative to the book's folder
    std::string path;
    bool opened = false;
    std::string error; // why it could not be read
    CatalogueComparison comparison;
};

struct BookComparison {
    std::string book, templ;                  // shown names
    std::vector<std::string> templateFormats; // the template's catalogue, in its order
    std::vector<ChapterComparison> chapters;  // in the order the book walk visits them
    bool anyUnread() const;
    bool anyDifferent() const;
};

void PrintBookComparison(std::ostream& out, const BookComparison& c, Format format);

// The page: the grid (one row per format of the template or of any chapter, one column per
// chapter; a cell says missing, extra, or how many properties differ), then each chapter's
// differences in full.
std::string BookComparisonHtml(const BookComparison& c);

// `tagwright compare BOOK TEMPLATE` once `host` has opened the book as `book`: 0 when every
// chapter matches, 4 when any differs, 2 when a chapter or the template cannot be read.
int RunBookCompare(const Request& req, host::Host& host, ObjectId book, std::ostream& out, std::ostream& err);

// Where --html FILE goes ("-": standard output); false with the error reported.
bool WriteHtmlPage(const std::string& file, const std::string& page, std::ostream& out, std::ostream& err, bool quiet);

} // namespace tw::cli
