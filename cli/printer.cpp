// printer.cpp - text and JSON forms of an output document; names are shown through the
// text-safety forms.

#include "cli/printer.h"

namespace tw::cli {

void PrintText(std::ostream& out, const std::vector<PrintedParagraph>& paragraphs)
{
    for (const auto& p : paragraphs) {
        // A paragraph that only anchors a table shows as the table.
        if (!p.text.empty() || p.table.empty()) {
            if (p.tag == "Heading1")
                out << "# ";
            else if (p.tag == "Heading2")
                out << "## ";
            out << TerminalText(p.text) << '\n';
        }
        for (const auto& row : p.table) {
            out << '|';
            for (const auto& cell : row)
                out << ' ' << TerminalText(cell) << " |";
            out << '\n';
        }
    }
}

void PrintJson(std::ostream& out, const std::vector<PrintedParagraph>& paragraphs)
{
    out << '[';
    bool first = true;
    for (const auto& p : paragraphs) {
        out << (first ? "\n  " : ",\n  ");
        first = false;
        out << "{\"tag\": " << JsonQuote(p.tag) << ", \"text\": " << JsonQuote(p.text);
        if (!p.table.empty()) {
            out << ", \"table\": [";
            for (size_t r = 0; r < p.table.size(); r++) {
                out << (r ? ", [" : "[");
                for (size_t c = 0; c < p.table[r].size(); c++)
                    out << (c ? ", " : "") << JsonQuote(p.table[r][c]);
                out << ']';
            }
            out << ']';
        }
        out << '}';
    }
    out << (first ? "]\n" : "\n]\n");
}

} // namespace tw::cli
