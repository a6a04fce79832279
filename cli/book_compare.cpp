// book_compare.cpp - comparing each chapter of a book with a template, and showing the result
// as a list of chapters, CSV, JSON or an HTML grid.

#include "cli/book_compare.h"

#include <algorithm>
#include <filesystem>
#include <map>
#include <sstream>

#include "cli/changes.h"
#include "cli/html_report.h"
#include "cli/printer.h"
#include "cli/reporter.h"
#include "cli/stats.h"
#include "host/files/file_save.h"
#include "host/files/mif_store.h"

namespace tw::cli {

using namespace tw::host;

namespace {

std::string Counts(const CatalogueComparison& c)
{
    return std::to_string(c.missing.size()) + " missing, " + std::to_string(c.extra.size()) + " extra, " +
           std::to_string(c.different.size()) + " different";
}

// Each line of `text` after the first, with `prefix` before it.
std::string PrefixLines(const std::string& text, const std::string& prefix)
{
    std::string out;
    size_t start = text.find('\n');
    while (start != std::string::npos && start + 1 < text.size()) {
        const size_t end = text.find('\n', start + 1);
        out += prefix + text.substr(start + 1, end == std::string::npos ? std::string::npos : end - start);
        start = end;
    }
    return out;
}

void PrintText(std::ostream& out, const BookComparison& c)
{
    out << "# " << c.book << " against " << c.templ << '\n';
    for (const ChapterComparison& ch : c.chapters) {
        out << ch.name << ": ";
        if (!ch.opened)
            out << "cannot be read\n";
        else if (ch.comparison.equal())
            out << "matches\n";
        else
            out << "differs (" << Counts(ch.comparison) << ")\n";
    }
    for (const ChapterComparison& ch : c.chapters)
        if (ch.opened && !ch.comparison.equal()) {
            out << '\n';
            PrintComparison(out, ch.comparison, Format::Text);
        }
}

void PrintCsv(std::ostream& out, const BookComparison& c)
{
    out << "chapter,kind,format,property,document,template\r\n";
    for (const ChapterComparison& ch : c.chapters) {
        if (!ch.opened) {
            out << CsvField(ch.name) << ",unreadable,,," << CsvField(ch.error) << ",\r\n";
            continue;
        }
        std::ostringstream one;
        PrintComparison(one, ch.comparison, Format::Csv);
        out << PrefixLines(one.str(), CsvField(ch.name) + ",");
    }
}

void PrintJson(std::ostream& out, const BookComparison& c)
{
    out << "{\"book\": " << JsonQuote(c.book) << ", \"template\": " << JsonQuote(c.templ)
        << ", \"equal\": " << (c.anyDifferent() || c.anyUnread() ? "false" : "true") << ",\n \"chapters\": [";
    for (size_t i = 0; i < c.chapters.size(); i++) {
        const ChapterComparison& ch = c.chapters[i];
        out << (i ? ",\n" : "\n");
        if (!ch.opened) {
            out << "{\"document\": " << JsonQuote(ch.name) << ", \"path\": " << JsonQuote(ch.path)
                << ", \"opened\": false, \"error\": " << JsonQuote(ch.error) << '}';
            continue;
        }
        std::ostringstream one;
        PrintComparison(one, ch.comparison, Format::Json);
        std::string object = one.str();
        while (!object.empty() && object.back() == '\n')
            object.pop_back();
        out << object;
    }
    out << "]}\n";
}

// One grid cell: what a chapter has of a format, against the template.
struct GridCell {
    std::string cls, text, title;
};

GridCell CellFor(const ChapterComparison& ch, const std::string& format)
{
    if (!ch.opened)
        return {"unread", "-", ch.error};
    const CatalogueComparison& c = ch.comparison;
    if (std::find(c.missing.begin(), c.missing.end(), format) != c.missing.end())
        return {"missing", "missing", "not in " + ch.name};
    if (std::find(c.extra.begin(), c.extra.end(), format) != c.extra.end())
        return {"extra", "extra", "not in the template"};
    std::string title;
    int n = 0;
    for (const PropertyDifference& d : c.different)
        if (d.format == format) {
            title += (n++ ? "\n" : "") + d.property + ": " + d.documentValue + " (template " + d.templateValue + ")";
        }
    if (n > 0)
        return {"different", std::to_string(n) + (n == 1 ? " property" : " properties"), title};
    return {"same", "", ""};
}

constexpr const char* kStyle = R"(
body { font-family: sans-serif; margin: 1.5em; color: #222; }
table { border-collapse: collapse; margin-bottom: 1.5em; }
th, td { border: 1px solid #bbb; padding: 0.25em 0.6em; }
th { background: #eee; }
tbody th { text-align: left; font-weight: normal; }
td.missing { background: #f4c7c3; }
td.extra { background: #fce8b2; }
td.different { background: #c6dafc; }
td.unread { color: #999; text-align: center; }
th.differs { color: #b00; }
.error { color: #b00; }
.summary li.matches { color: #080; }
details { margin: 0.3em 0; }
)";

} // namespace

bool BookComparison::anyUnread() const
{
    return std::any_of(chapters.begin(), chapters.end(), [](const ChapterComparison& c) { return !c.opened; });
}

bool BookComparison::anyDifferent() const
{
    return std::any_of(chapters.begin(), chapters.end(),
                       [](const ChapterComparison& c) { return c.opened && !c.comparison.equal(); });
}

void PrintBookComparison(std::ostream& out, const BookComparison& c, Format format)
{
    if (format == Format::Json)
        PrintJson(out, c);
    else if (format == Format::Csv)
        PrintCsv(out, c);
    else
        PrintText(out, c);
}

std::string BookComparisonHtml(const BookComparison& c)
{
    // Rows: the template's formats in its order, then formats only chapters have.
    std::vector<std::string> formats = c.templateFormats;
    for (const ChapterComparison& ch : c.chapters)
        for (const std::string& name : ch.comparison.extra)
            if (std::find(formats.begin(), formats.end(), name) == formats.end())
                formats.push_back(name);

    const std::string title = "Paragraph catalogues of " + c.book + " against " + c.templ;
    std::string h = "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n";
    h += "<meta http-equiv=\"Content-Security-Policy\" content=\"default-src 'none'; style-src 'unsafe-inline'\">\n";
    h += "<title>" + HtmlEscape(title) + "</title>\n<style>" + kStyle + "</style>\n</head>\n<body>\n";
    h += "<h1>" + HtmlEscape(title) + "</h1>\n<ul class=\"summary\">\n";
    for (const ChapterComparison& ch : c.chapters) {
        const char* state = !ch.opened ? "unread" : ch.comparison.equal() ? "matches" : "differs";
        h += std::string("<li class=\"") + state + "\">" + HtmlEscape(ch.name) + ": " +
             (!ch.opened              ? "cannot be read: " + HtmlEscape(ch.error)
              : ch.comparison.equal() ? std::string("matches")
                                      : "differs (" + Counts(ch.comparison) + ")") +
             "</li>\n";
    }
    h += "</ul>\n<table id=\"grid\">\n<thead><tr><th>Format</th>";
    for (const ChapterComparison& ch : c.chapters) {
        const bool differs = !ch.opened || !ch.comparison.equal();
        h += std::string("<th") + (differs ? " class=\"differs\"" : "") + " title=\"" + HtmlEscape(ch.path) + "\">" +
             HtmlEscape(ch.name) + "</th>";
    }
    h += "</tr></thead>\n<tbody>\n";
    for (const std::string& format : formats) {
        h += "<tr data-format=\"" + HtmlEscape(format) + "\"><th>" + HtmlEscape(format) + "</th>";
        for (const ChapterComparison& ch : c.chapters) {
            const GridCell cell = CellFor(ch, format);
            h += "<td class=\"" + cell.cls + "\" data-chapter=\"" + HtmlEscape(ch.name) + "\"" +
                 (cell.title.empty() ? "" : " title=\"" + HtmlEscape(cell.title) + "\"") + ">" + HtmlEscape(cell.text) +
                 "</td>";
        }
        h += "</tr>\n";
    }
    h += "</tbody>\n</table>\n<h2>Differences</h2>\n";
    for (const ChapterComparison& ch : c.chapters) {
        if (!ch.opened || ch.comparison.different.empty())
            continue;
        h += "<details><summary>" + HtmlEscape(ch.name) +
             "</summary>\n<table>\n<thead><tr><th>Format</th><th>Property</th><th>" + HtmlEscape(ch.name) +
             "</th><th>" + HtmlEscape(c.templ) + "</th></tr></thead>\n<tbody>\n";
        for (const PropertyDifference& d : ch.comparison.different)
            h += "<tr><td>" + HtmlEscape(d.format) + "</td><td>" + HtmlEscape(d.property) + "</td><td>" +
                 HtmlEscape(d.documentValue) + "</td><td>" + HtmlEscape(d.templateValue) + "</td></tr>\n";
        h += "</tbody>\n</table></details>\n";
    }
    h += "</body>\n</html>\n";
    return h;
}

bool WriteHtmlPage(const std::string& file, const std::string& page, std::ostream& out, std::ostream& err, bool quiet)
{
    Reporter report(err, quiet);
    if (file == "-") {
        out << page;
        return true;
    }
    std::string why;
    if (!WriteFileAtomically(NativePath(file), page, why)) {
        report.error(why);
        return false;
    }
    report.note("wrote " + file);
    return true;
}

int RunBookCompare(const Request& req, Host& host, ObjectId bookId, std::ostream& out, std::ostream& err)
{
    Reporter report(err, req.quiet);
    int32_t status = 0;
    std::string error;
    const ObjectId templId = host.openFile(req.templatePath, true, status, &error);
    if (!templId) {
        report.error(error);
        return kExitFile;
    }
    const Document* templ = host.model().document(templId);
    if (!templ) {
        report.error(req.templatePath + " is a book; the template must be a document");
        return kExitUsage;
    }

    BookComparison c;
    c.book = FileName(req.path);
    c.templ = FileName(req.templatePath);
    for (ObjectId id : templ->catalogue)
        if (const PgfFormat* f = templ->format(id))
            c.templateFormats.push_back(f->name);
    const Book* b = host.model().book(bookId);
    const std::vector<std::string> paths = b ? b->documentPaths() : std::vector<std::string>{};
    const std::string base = std::filesystem::path(NativePath(req.path)).parent_path().string();
    for (const std::string& p : paths) {
        ChapterComparison ch;
        ch.path = p;
        ch.name = DisplayName(NativePath(p), base);
        std::string why;
        const ObjectId docId = host.openFile(p, false, status, &why);
        if (const Document* d = docId ? host.model().document(docId) : nullptr) {
            ch.opened = true;
            ch.comparison = CompareCatalogues(*d, *templ);
            ch.comparison.document = ch.name;
            ch.comparison.templ = c.templ;
            host.model().closeDocument(docId);
        } else {
            ch.error = why.empty() ? "Could not open " + p : why;
            report.error(ch.error);
        }
        c.chapters.push_back(std::move(ch));
    }

    if (req.html) {
        if (!WriteHtmlPage(*req.html, BookComparisonHtml(c), out, err, req.quiet))
            return kExitFile;
    } else {
        PrintBookComparison(out, c, req.format);
    }
    if (c.anyUnread())
        return kExitFile;
    return c.anyDifferent() ? kExitWarning : kExitOk;
}

} // namespace tw::cli
