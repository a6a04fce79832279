// text_safety.h - every name the tool prints passes through here on its way out: JSON strings
// and HTML text that are always valid UTF-8, CSV cells that a spreadsheet cannot take for a
// formula, and terminal text whose control characters show as escapes instead of acting.
#pragma once

#include <string>

namespace tw::cli {

// The text with every byte that is not part of a well-formed UTF-8 character (a stray
// continuation byte, a cut or overlong sequence, a surrogate, above U+10FFFF) replaced by
// U+FFFD. Valid text comes back unchanged.
std::string ValidUtf8(const std::string& text);

// A JSON string literal: valid UTF-8 as above, quotes, backslashes and every control
// character escaped. Names are otherwise kept exactly.
std::string JsonQuote(const std::string& text);

// Text made safe inside HTML elements and attribute values: valid UTF-8, markup characters as
// entities, control characters shown as in TerminalText.
std::string HtmlEscape(const std::string& text);

// A CSV field: a cell beginning with =, +, -, @, a tab or a carriage return gets a leading '
// (a spreadsheet would read it as a formula); then quoted when it holds a comma, a quote or a
// line break.
std::string CsvField(const std::string& text);

// A name as text output shows it: control characters as \n, \r, \t or \xHH (C1 controls as
// \u0080 to \u009f), bytes that are not UTF-8 as \xHH; everything else unchanged.
std::string TerminalText(const std::string& text);

} // namespace tw::cli
