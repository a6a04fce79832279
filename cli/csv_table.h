// csv_table.h - list and conversion tables as CSV files (RFC 4180, UTF-8): written from the
// table that a make-list or make-conversion output document holds, and read back into a table
// document that the tool, as the host, opens for keep-listed and convert, so the plug-in finds
// and reads it as it reads any table document.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "host/com/session.h"

namespace tw::cli {

using TableRows = std::vector<std::vector<std::string>>; // heading row first, cell texts

// True when `path` names a .csv file (any case).
bool IsCsvPath(const std::string& path);

// The CSV text of a table: CRLF line ends, a field quoted when it holds a comma, a quote, a
// line break or is empty in a one-column row (so that the row is not a blank line). A name
// that begins with =, +, -, @, a tab, a carriage return or ' gets a leading ', so that no
// spreadsheet opens it as a formula; ParseTableCsv takes that quote away again.
std::string TableCsv(const TableRows& rows);

// Parses a list table (header "Tags to Keep") or a conversion table (header "Source Tag",
// "Destination Tag"). `heading` is the first header field the caller takes ("Tags to Keep"
// or "Source Tag"). On refusal `error` says the line and the reason (without the file name).
std::optional<TableRows> ParseTableCsv(const std::string& bytes, const std::string& heading, std::string& error);

// The rows of the first list or conversion table in `doc`, nullopt when it holds none.
std::optional<TableRows> FindTableRows(host::Session& s, ObjectId doc);

// Reads `path`, refuses it unless it is a table of the kind `heading` names, and opens a
// table document holding it in the session. 0 with `error` (naming the file) on refusal.
ObjectId OpenCsvTable(host::Session& s, const std::string& path, const std::string& heading, std::string& error);

// Writes the table of output document `doc` as CSV to `path` (atomically); false with
// `error` naming the file.
[[nodiscard]] bool WriteTableCsv(host::Session& s, ObjectId doc, const std::string& path, std::string& error);

} // namespace tw::cli
