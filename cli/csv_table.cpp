// csv_table.cpp - writing a tag table as CSV, and reading one back, strictly, into a table
// document in the host's model.

#include "cli/csv_table.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string_view>
#include <system_error>

#include "host/model/builder.h"
#include "host/files/file_save.h"
#include "host/files/store.h"

namespace tw::cli {

using namespace tw::host;

namespace {

constexpr const char* kListHeading = "Tags to Keep";
constexpr const char* kConversionHeading = "Source Tag";
constexpr const char* kShapes = "'Tags to Keep' (a list table) or 'Source Tag,Destination Tag' (a conversion table)";

bool StartsWith(const std::string& text, const std::string& prefix)
{
    return text.compare(0, prefix.size(), prefix) == 0;
}

// What makes a spreadsheet take a cell for a formula at its start, and the quote that stops it
// (itself too, so that the one quote the reader takes away is always the one written).
constexpr std::string_view kFormulaStarts = "=+-@\t\r'";

std::string Field(const std::string& name, bool alone)
{
    std::string text = name;
    if (!text.empty() && kFormulaStarts.find(text.front()) != std::string_view::npos)
        text.insert(text.begin(), '\'');
    if (!(alone && text.empty()) && text.find_first_of(",\"\r\n") == std::string::npos)
        return text;
    std::string q = "\"";
    for (char c : text)
        q += c == '"' ? std::string("\"\"") : std::string(1, c);
    return q + "\"";
}

// A field as the name it stands for: the quote written before a formula's start goes.
std::string Name(const std::string& field)
{
    if (field.size() > 1 && field.front() == '\'' && kFormulaStarts.find(field[1]) != std::string_view::npos)
        return field.substr(1);
    return field;
}

// Index of the first byte that does not continue valid UTF-8, or npos.
size_t InvalidUtf8(const std::string& s)
{
    size_t i = 0;
    while (i < s.size()) {
        const auto c = static_cast<unsigned char>(s[i]);
        size_t n = c < 0x80 ? 1 : (c >> 5) == 0x6 ? 2 : (c >> 4) == 0xE ? 3 : (c >> 3) == 0x1E ? 4 : 0;
        if (n == 0 || (n == 2 && c < 0xC2) || i + n > s.size())
            return i;
        uint32_t cp = n == 1 ? c : c & (0x7F >> n);
        for (size_t k = 1; k < n; k++) {
            const auto d = static_cast<unsigned char>(s[i + k]);
            if ((d & 0xC0) != 0x80)
                return i;
            cp = (cp << 6) | (d & 0x3F);
        }
        if ((n == 3 && cp < 0x800) || (n == 4 && (cp < 0x10000 || cp > 0x10FFFF)) || (cp >= 0xD800 && cp <= 0xDFFF))
            return i;
        i += n;
    }
    return std::string::npos;
}

std::string LineOf(int line) { return "line " + std::to_string(line) + ": "; }

struct Record {
    int line = 0; // where it starts, from 1
    std::vector<std::string> fields;
};

// Splits RFC 4180 text into records. A record ends at CRLF, LF or CR outside quotes; a blank
// line is a record of one empty field. A tag is one paragraph's text, so a field may not
// hold a line break.
std::optional<std::vector<Record>> Records(const std::string& text, std::string& error)
{
    std::vector<Record> records;
    size_t i = 0;
    int line = 1;
    while (i < text.size()) {
        Record r;
        r.line = line;
        for (;;) { // one field per turn
            std::string field;
            if (i < text.size() && text[i] == '"') {
                const int opened = line;
                i++;
                for (;;) {
                    if (i >= text.size()) {
                        error = LineOf(opened) + "a quoted field is not closed";
                        return std::nullopt;
                    }
                    if (text[i] == '"' && i + 1 < text.size() && text[i + 1] == '"') {
                        field += '"';
                        i += 2;
                    } else if (text[i] == '"') {
                        i++;
                        break;
                    } else if (text[i] == '\r' || text[i] == '\n') {
                        error = LineOf(line) + "a field holds a line break; a table cell here holds one tag";
                        return std::nullopt;
                    } else {
                        field += text[i++];
                    }
                }
                if (i < text.size() && text[i] != ',' && text[i] != '\r' && text[i] != '\n') {
                    error = LineOf(line) + "text after the closing quote of a field";
                    return std::nullopt;
                }
            } else {
                while (i < text.size() && text[i] != ',' && text[i] != '\r' && text[i] != '\n') {
                    if (text[i] == '"') {
                        error = LineOf(line) + "a quote inside an unquoted field (quote the whole field and "
                                               "double the quotes inside it)";
                        return std::nullopt;
                    }
                    field += text[i++];
                }
            }
            if (field.find('\0') != std::string::npos) {
                error = LineOf(line) + "a field holds a NUL byte";
                return std::nullopt;
            }
            r.fields.push_back(std::move(field));
            if (i < text.size() && text[i] == ',') {
                i++;
                continue;
            }
            break;
        }
        if (i < text.size()) { // the line end
            i += text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n' ? 2 : 1;
            line++;
        }
        records.push_back(std::move(r));
    }
    return records;
}

std::string Plural(size_t n, const char* one, const char* many)
{
    return std::to_string(n) + " " + (n == 1 ? one : many);
}

std::optional<std::string> ReadBytes(const std::string& path, std::string& error)
{
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::path p(NativePath(path));
    if (!fs::exists(p, ec)) {
        error = path + ": no such file";
        return std::nullopt;
    }
    if (fs::is_directory(p, ec)) {
        error = path + ": is a folder, not a CSV file";
        return std::nullopt;
    }
    std::ifstream in(p, std::ios::binary);
    std::stringstream s;
    if (!in || !(s << in.rdbuf()) || in.bad()) {
        // An empty file leaves the stream failed without being unreadable.
        if (in && fs::file_size(p, ec) == 0)
            return std::string();
        error = "could not read " + path;
        return std::nullopt;
    }
    return s.str();
}

} // namespace

bool IsCsvPath(const std::string& path)
{
    std::string ext = std::filesystem::path(NativePath(path)).extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return ext == ".csv";
}

std::string TableCsv(const TableRows& rows)
{
    std::string csv;
    for (const auto& row : rows) {
        for (size_t c = 0; c < row.size(); c++)
            csv += (c ? "," : "") + Field(row[c], row.size() == 1);
        csv += "\r\n";
    }
    return csv;
}

std::optional<TableRows> ParseTableCsv(const std::string& bytes, const std::string& heading, std::string& error)
{
    std::string text = bytes;
    if (StartsWith(text, "\xEF\xBB\xBF")) // the byte order mark some spreadsheets write
        text.erase(0, 3);
    if (size_t bad = InvalidUtf8(text); bad != std::string::npos) {
        const int line = 1 + static_cast<int>(std::count(text.begin(), text.begin() + static_cast<long>(bad), '\n'));
        error = LineOf(line) + "not UTF-8 text (save the CSV file as UTF-8)";
        return std::nullopt;
    }
    auto records = Records(text, error);
    if (!records)
        return std::nullopt;
    if (records->empty()) {
        error = LineOf(1) + std::string("no header row; the first line must be ") + kShapes;
        return std::nullopt;
    }
    const Record& header = records->front();
    const std::string first = header.fields.front();
    size_t columns = 0;
    std::string kind;
    if (StartsWith(first, kListHeading)) {
        columns = 1;
        kind = "a list table";
    } else if (StartsWith(first, kConversionHeading)) {
        columns = 2;
        kind = "a conversion table";
    } else {
        error = LineOf(1) + "the header must be " + kShapes + ", not '" + first + "'";
        return std::nullopt;
    }
    if (header.fields.size() != columns) {
        error = LineOf(1) + "the header has " + Plural(header.fields.size(), "field", "fields") + "; " + kind +
                " has " + std::to_string(columns) + " (fields are separated by commas)";
        return std::nullopt;
    }
    if (!StartsWith(first, heading)) {
        error = LineOf(1) + "this is " + kind + "; the command takes " +
                (heading == kListHeading ? "a list table headed 'Tags to Keep'"
                                         : "a conversion table headed 'Source Tag,Destination Tag'");
        return std::nullopt;
    }
    TableRows rows;
    for (const Record& r : *records) {
        if (r.fields.size() == 1 && r.fields.front().empty()) { // a blank line: an empty row
            rows.emplace_back(columns);
            continue;
        }
        if (r.fields.size() != columns) {
            error = LineOf(r.line) + Plural(r.fields.size(), "field", "fields") + "; a row of " + kind + " has " +
                    std::to_string(columns) +
                    (columns == 2 ? " (source, destination; end the line with a comma for an empty destination)"
                                  : " (a tag name; quote a name that holds a comma)");
            return std::nullopt;
        }
        rows.emplace_back();
        for (const std::string& field : r.fields)
            rows.back().push_back(Name(field));
    }
    return rows;
}

std::optional<TableRows> FindTableRows(Session& s, ObjectId docId)
{
    const Document* d = s.model().document(docId);
    if (!d)
        return std::nullopt;
    for (ObjectId t : d->tables) {
        TableRows rows = s.tableTexts(docId, t);
        if (!rows.empty() && !rows.front().empty() &&
            (StartsWith(rows.front().front(), kListHeading) || StartsWith(rows.front().front(), kConversionHeading)))
            return rows;
    }
    return std::nullopt;
}

ObjectId OpenCsvTable(Session& s, const std::string& path, const std::string& heading, std::string& error)
{
    auto bytes = ReadBytes(path, error);
    if (!bytes)
        return 0;
    auto rows = ParseTableCsv(*bytes, heading, error);
    if (!rows) {
        error = path + ": " + error;
        return 0;
    }
    // The document a user would have made: one paragraph anchoring the table, the heading
    // row as the table's heading, one body row per CSV row.
    DocBuilder builder(s.model(), NativePath(path));
    builder.format("Body").format("CellBody").paragraph("Body").table(*rows, 1, "CellBody");
    return s.add(*builder.build());
}

bool WriteTableCsv(Session& s, ObjectId doc, const std::string& path, std::string& error)
{
    auto rows = FindTableRows(s, doc);
    if (!rows) {
        error = "the output document holds no tag table to write to " + path;
        return false;
    }
    return WriteFileAtomically(NativePath(path), TableCsv(*rows), error);
}

} // namespace tw::cli
