// compare.cpp - comparing two paragraph catalogues and printing the differences.

#include "cli/compare.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>

#include "cli/printer.h"
#include "cli/reporter.h"
#include "cli/stats.h"
#include "cli/text_safety.h"
#include "host/com/host.h"
#include "host/files/mif_store.h"

namespace tw::cli {

using namespace tw::host;

namespace {

// Properties the report measures in the document's display unit; other lengths are in the
// font-size unit.
bool InDisplayUnit(int32_t number) { return number == 555 || number == 556 || number == 570; }

std::string DisplayUnitName(int32_t unit)
{
    switch (unit) {
    case 65536: return "points";
    case 69977: return "didots";
    case 185771: return "millimeters";
    case 786432: return "picas";
    case 839724: return "ciceros";
    case 1857713: return "centimeters";
    case 4718592: return "inches";
    default: return "";
    }
}

// value / unit as the plug-in's fixed-point division computes it, then as single precision.
double Quotient(int32_t value, int32_t unit)
{
    if (unit == 0)
        return 0.0;
    const int64_t q = unit == 0x10000 ? value : static_cast<int64_t>(value) * 65536 / unit;
    return static_cast<double>(static_cast<float>(static_cast<int32_t>(q)) / 65536.0f);
}

std::string Printf(const char* format, double v)
{
    char buf[64];
    std::snprintf(buf, sizeof buf, format, v);
    return buf;
}

std::string Measure(const Document& doc, int32_t number, int32_t value)
{
    if (InDisplayUnit(number)) {
        std::string unit = DisplayUnitName(doc.displayUnits);
        return Printf("%.3f", Quotient(value, doc.displayUnits)) + (unit.empty() ? "" : " " + unit);
    }
    return Printf("%.2f", Quotient(value, doc.fontSizeUnits)) + (doc.fontSizeUnits == 0x10000 ? " points" : " Q");
}

std::string TabText(const Document& doc, const TabStop& t)
{
    static const char* kinds[] = {"", "Left", "Center", "Right", "Decimal"};
    const char* kind = t.kind >= 1 && t.kind <= 4 ? kinds[t.kind] : "";
    std::string unit = DisplayUnitName(doc.displayUnits);
    std::string text = std::string(kind) + " at " + Printf("%.3f", Quotient(t.position, doc.displayUnits)) +
                       (unit.empty() ? "" : " " + unit);
    if (t.kind == TAB_DECIMAL && t.decimal)
        text += " on '" + std::string(1, static_cast<char>(t.decimal)) + "'";
    if (!t.leader.empty())
        text += " leader '" + t.leader + "'";
    return text;
}

std::string Label(const PropertyInfo& info)
{
    if (info.type == PropType::CellMargin) {
        static const char* sides[] = {"left", "top", "right", "bottom"};
        return std::string(info.mif) + " " + sides[info.part & 3];
    }
    return info.mif;
}

std::vector<const PgfFormat*> Catalogue(const Document& d)
{
    std::vector<const PgfFormat*> formats;
    for (ObjectId id : d.catalogue)
        if (const PgfFormat* f = d.format(id))
            formats.push_back(f);
    return formats;
}

const PgfFormat* Named(const std::vector<const PgfFormat*>& formats, const std::string& name)
{
    for (const PgfFormat* f : formats)
        if (f->name == name)
            return f;
    return nullptr;
}

} // namespace

std::string PropertyText(const Document& doc, const PropertyInfo& info, const PropValue& value)
{
    if (const auto* s = std::get_if<std::string>(&value))
        return *s;
    if (const auto* tabs = std::get_if<std::vector<TabStop>>(&value)) {
        std::string text;
        for (size_t i = 0; i < tabs->size(); i++)
            text += (i ? "; " : "") + TabText(doc, (*tabs)[i]);
        return text.empty() ? "no tabs" : text;
    }
    const int32_t v = std::get<int32_t>(value);
    switch (info.type) {
    case PropType::Bool: return v == 1 ? "True" : "False";
    case PropType::Enum: {
        const char* name = KeywordName(info, v);
        return name ? name : std::to_string(v);
    }
    case PropType::Metric:
    case PropType::CellMargin: return Measure(doc, info.number, v);
    case PropType::Percent: return Printf("%.2f", Quotient(v, 0x10000) * 100.0) + "%";
    default: return std::to_string(v);
    }
}

CatalogueComparison CompareCatalogues(const Document& doc, const Document& templ)
{
    CatalogueComparison c;
    const auto mine = Catalogue(doc);
    const auto theirs = Catalogue(templ);
    for (const PgfFormat* t : theirs)
        if (!Named(mine, t->name))
            c.missing.push_back(t->name);
    for (const PgfFormat* m : mine) {
        const PgfFormat* t = Named(theirs, m->name);
        if (!t) {
            c.extra.push_back(m->name);
            continue;
        }
        for (const PropertyInfo& info : ParagraphProperties()) {
            if (info.type == PropType::Name)
                continue;
            auto a = m->props.find(info.number);
            auto b = t->props.find(info.number);
            // A statement the file leaves out has the host's default on both sides.
            const PropValue& va = a != m->props.end() ? a->second : info.initial;
            const PropValue& vb = b != t->props.end() ? b->second : info.initial;
            if (va == vb)
                continue;
            // Values that differ only below what either file's units show (a percentage
            // rounded to 1/65536 one way or the other) mean the same.
            std::string ta = PropertyText(doc, info, va);
            std::string tb = PropertyText(doc, info, vb);
            if (ta == tb && PropertyText(templ, info, va) == PropertyText(templ, info, vb))
                continue;
            c.different.push_back({m->name, Label(info), info.number, std::move(ta), std::move(tb)});
        }
    }
    return c;
}

void PrintComparison(std::ostream& out, const CatalogueComparison& c, Format format)
{
    if (format == Format::Json) {
        auto list = [&](const std::vector<std::string>& names) {
            out << '[';
            for (size_t i = 0; i < names.size(); i++)
                out << (i ? ", " : "") << JsonQuote(names[i]);
            out << ']';
        };
        out << "{\"document\": " << JsonQuote(c.document) << ", \"template\": " << JsonQuote(c.templ)
            << ", \"equal\": " << (c.equal() ? "true" : "false") << ",\n \"missing\": ";
        list(c.missing);
        out << ",\n \"extra\": ";
        list(c.extra);
        out << ",\n \"different\": [";
        for (size_t i = 0; i < c.different.size(); i++) {
            const auto& d = c.different[i];
            out << (i ? ",\n  " : "\n  ") << "{\"format\": " << JsonQuote(d.format)
                << ", \"property\": " << JsonQuote(d.property) << ", \"number\": " << d.number
                << ", \"document\": " << JsonQuote(d.documentValue) << ", \"template\": " << JsonQuote(d.templateValue)
                << '}';
        }
        out << "]}\n";
        return;
    }
    if (format == Format::Csv) {
        out << "kind,format,property,document,template\r\n";
        for (const auto& name : c.missing)
            out << "missing," << CsvField(name) << ",,,\r\n";
        for (const auto& name : c.extra)
            out << "extra," << CsvField(name) << ",,,\r\n";
        for (const auto& d : c.different)
            out << "different," << CsvField(d.format) << ',' << CsvField(d.property) << ',' << CsvField(d.documentValue)
                << ',' << CsvField(d.templateValue) << "\r\n";
        return;
    }
    const std::string document = TerminalText(c.document);
    out << "# " << document << " against " << TerminalText(c.templ) << '\n';
    if (c.equal()) {
        out << "The paragraph catalogues are the same.\n";
        return;
    }
    if (!c.missing.empty()) {
        out << "## Missing from " << document << '\n';
        for (const auto& name : c.missing)
            out << TerminalText(name) << '\n';
    }
    if (!c.extra.empty()) {
        out << "## Extra in " << document << '\n';
        for (const auto& name : c.extra)
            out << TerminalText(name) << '\n';
    }
    if (!c.different.empty()) {
        out << "## Different\n";
        std::vector<std::vector<std::string>> rows = {{"Format", "Property", document, TerminalText(c.templ)}};
        for (const auto& d : c.different)
            rows.push_back(
                {TerminalText(d.format), d.property, TerminalText(d.documentValue), TerminalText(d.templateValue)});
        std::vector<size_t> width(4, 0);
        for (const auto& r : rows)
            for (size_t i = 0; i < 4; i++)
                width[i] = std::max(width[i], r[i].size());
        for (const auto& r : rows) {
            std::string line;
            for (size_t i = 0; i < 4; i++)
                line += r[i] + (i < 3 ? std::string(width[i] - r[i].size() + 2, ' ') : "");
            out << line << '\n';
        }
    }
}

} // namespace tw::cli
