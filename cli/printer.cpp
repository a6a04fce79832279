// printer.cpp - text and JSON forms of an output document.

#include "cli/printer.h"

#include <cstdio>

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
            out << p.text << '\n';
        }
        for (const auto& row : p.table) {
            out << '|';
            for (const auto& cell : row)
                out << ' ' << cell << " |";
            out << '\n';
        }
    }
}

std::string JsonQuote(const std::string& utf8)
{
    std::string q = "\"";
    for (unsigned char c : utf8) {
        switch (c) {
        case '"': q += "\\\""; break;
        case '\\': q += "\\\\"; break;
        case '\n': q += "\\n"; break;
        case '\r': q += "\\r"; break;
        case '\t': q += "\\t"; break;
        default:
            if (c < 0x20) {
                char buf[8];
                std::snprintf(buf, sizeof buf, "\\u%04x", c);
                q += buf;
            } else {
                q += static_cast<char>(c);
            }
        }
    }
    q += '"';
    return q;
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
