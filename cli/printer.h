// printer.h - showing an output document on standard output: one line per paragraph with
// a Markdown-like heading mark, or a JSON array of {"tag","text"}; tables follow the paragraph
// that anchors them.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "cli/request.h"
#include "cli/text_safety.h"

namespace tw::cli {

struct PrintedParagraph {
    std::string tag;
    std::string text;
    std::vector<std::vector<std::string>> table; // rows of cell texts of a table anchored here
};

// "# " before Heading1, "## " before Heading2, nothing before anything else.
void PrintText(std::ostream& out, const std::vector<PrintedParagraph>& paragraphs);
void PrintJson(std::ostream& out, const std::vector<PrintedParagraph>& paragraphs);

} // namespace tw::cli
