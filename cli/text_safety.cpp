// text_safety.cpp - UTF-8 repair, JSON, HTML, CSV and terminal forms of names.

#include "cli/text_safety.h"

#include <cstdio>

namespace tw::cli {

namespace {

constexpr const char kReplacement[] = "\xEF\xBF\xBD"; // U+FFFD

bool Continuation(unsigned char c) { return c >= 0x80 && c <= 0xBF; }

// The length of the well-formed UTF-8 character at text[i], or 0 when the byte there does
// not start one.
size_t CharLength(const std::string& text, size_t i)
{
    const auto at = [&](size_t k) { return i + k < text.size() ? static_cast<unsigned char>(text[i + k]) : 0; };
    const unsigned char c = at(0);
    if (c < 0x80)
        return 1;
    if (c >= 0xC2 && c <= 0xDF)
        return Continuation(at(1)) ? 2 : 0;
    if (c >= 0xE0 && c <= 0xEF) {
        const unsigned char lo = c == 0xE0 ? 0xA0 : 0x80; // no overlong forms
        const unsigned char hi = c == 0xED ? 0x9F : 0xBF; // no surrogates
        return at(1) >= lo && at(1) <= hi && Continuation(at(2)) ? 3 : 0;
    }
    if (c >= 0xF0 && c <= 0xF4) {
        const unsigned char lo = c == 0xF0 ? 0x90 : 0x80; // no overlong forms
        const unsigned char hi = c == 0xF4 ? 0x8F : 0xBF; // nothing above U+10FFFF
        return at(1) >= lo && at(1) <= hi && Continuation(at(2)) && Continuation(at(3)) ? 4 : 0;
    }
    return 0;
}

std::string Hex(const char* form, unsigned value)
{
    char buf[8];
    std::snprintf(buf, sizeof buf, form, value);
    return buf;
}

} // namespace

std::string ValidUtf8(const std::string& text)
{
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size();) {
        const size_t n = CharLength(text, i);
        if (n == 0) {
            out += kReplacement;
            i++;
        } else {
            out.append(text, i, n);
            i += n;
        }
    }
    return out;
}

std::string JsonQuote(const std::string& text)
{
    std::string q = "\"";
    for (unsigned char c : ValidUtf8(text)) {
        switch (c) {
        case '"': q += "\\\""; break;
        case '\\': q += "\\\\"; break;
        case '\n': q += "\\n"; break;
        case '\r': q += "\\r"; break;
        case '\t': q += "\\t"; break;
        default: q += c < 0x20 ? Hex("\\u%04x", c) : std::string(1, static_cast<char>(c));
        }
    }
    q += '"';
    return q;
}

std::string HtmlEscape(const std::string& text)
{
    std::string out;
    for (char c : TerminalText(ValidUtf8(text))) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        case '\'': out += "&#39;"; break;
        default: out += c;
        }
    }
    return out;
}

std::string CsvField(const std::string& text)
{
    std::string cell = text;
    if (!cell.empty() && std::string("=+-@\t\r").find(cell.front()) != std::string::npos)
        cell.insert(cell.begin(), '\'');
    if (cell.find_first_of(",\"\r\n") == std::string::npos)
        return cell;
    std::string q = "\"";
    for (char c : cell)
        q += c == '"' ? std::string("\"\"") : std::string(1, c);
    return q + "\"";
}

std::string TerminalText(const std::string& text)
{
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size();) {
        const size_t n = CharLength(text, i);
        const auto c = static_cast<unsigned char>(text[i]);
        if (n == 0) {
            out += Hex("\\x%02x", c);
            i++;
            continue;
        }
        if (n == 1 && c == '\n')
            out += "\\n";
        else if (n == 1 && c == '\r')
            out += "\\r";
        else if (n == 1 && c == '\t')
            out += "\\t";
        else if (n == 1 && (c < 0x20 || c == 0x7F))
            out += Hex("\\x%02x", c);
        else if (n == 2 && c == 0xC2 && static_cast<unsigned char>(text[i + 1]) < 0xA0)
            out += Hex("\\u%04x", static_cast<unsigned char>(text[i + 1])); // a C1 control, U+0080 to U+009F
        else
            out.append(text, i, n);
        i += n;
    }
    return out;
}

} // namespace tw::cli
