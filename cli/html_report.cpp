// html_report.cpp - the statistics page. The table is written out in full, so the page reads
// without scripts; the inline script only sorts it (click a heading, or open the page with
// #sort=COLUMN or #sort=-COLUMN for descending) and marks the table ready.

#include "cli/html_report.h"

#include <algorithm>
#include <cstdio>

#include "cli/name_list.h"

namespace tw::cli {

namespace {

constexpr const char* kStyle = R"(
body { font-family: sans-serif; margin: 1.5em; color: #222; }
table { border-collapse: collapse; margin-bottom: 1.5em; }
th, td { border: 1px solid #bbb; padding: 0.25em 0.6em; }
th { background: #eee; cursor: pointer; user-select: none; }
th[aria-sort="ascending"]::after { content: " \25B2"; }
th[aria-sort="descending"]::after { content: " \25BC"; }
td.num { text-align: right; font-variant-numeric: tabular-nums; }
td.missing { color: #999; text-align: center; }
tr.unused td.tag { color: #b00; }
tr.total td { font-weight: bold; background: #f6f6f6; }
.error { color: #b00; }
details { margin: 0.3em 0; }
)";

constexpr const char* kScript = R"(
(function () {
  var table = document.getElementById('matrix');
  var body = table.tBodies[0];
  var heads = table.tHead.rows[0].cells;
  function value(row, col) {
    var cell = row.cells[col];
    var v = cell.getAttribute('data-value');
    return v === null ? cell.textContent : v;
  }
  function sortBy(col, descending) {
    var numeric = heads[col].getAttribute('data-type') === 'number';
    var rows = Array.prototype.slice.call(body.rows);
    rows.sort(function (a, b) {
      var x = value(a, col), y = value(b, col), d;
      if (numeric) { d = parseFloat(x) - parseFloat(y); }
      else { d = x < y ? -1 : x > y ? 1 : 0; }
      if (d === 0) { d = value(a, 0) < value(b, 0) ? -1 : 1; return d; }
      return descending ? -d : d;
    });
    rows.forEach(function (r) { body.appendChild(r); });
    for (var i = 0; i < heads.length; i++) { heads[i].removeAttribute('aria-sort'); }
    heads[col].setAttribute('aria-sort', descending ? 'descending' : 'ascending');
  }
  for (var i = 0; i < heads.length; i++) {
    (function (col) {
      heads[col].addEventListener('click', function () {
        sortBy(col, heads[col].getAttribute('aria-sort') === 'ascending');
      });
    })(i);
  }
  var m = /sort=(-?)([A-Za-z0-9_-]+)/.exec(window.location.hash);
  if (m) {
    for (var k = 0; k < heads.length; k++) {
      if (heads[k].getAttribute('data-key') === m[2]) { sortBy(k, m[1] === '-'); }
    }
  }
  table.setAttribute('data-ready', 'yes');
})();
)";

// Heat-map background for a count: white at 0 to a strong blue at the largest count.
std::string Heat(int count, int largest)
{
    if (count <= 0 || largest <= 0)
        return "";
    const double f = 0.15 + 0.85 * static_cast<double>(count) / largest;
    const int r = static_cast<int>(255 - f * (255 - 33));
    const int g = static_cast<int>(255 - f * (255 - 102));
    const int b = static_cast<int>(255 - f * (255 - 172));
    char style[64];
    std::snprintf(style, sizeof style, " style=\"background: rgb(%d,%d,%d);%s\"", r, g, b,
                  f > 0.6 ? " color: #fff;" : "");
    return style;
}

std::string Cell(const std::string& cls, const std::string& text, const std::string& extra = "")
{
    return "<td class=\"" + cls + "\"" + extra + ">" + HtmlEscape(text) + "</td>";
}

} // namespace

std::string StatsHtml(const Stats& s)
{
    int largest = 0;
    for (const TagStats& t : s.tags)
        for (int n : t.perFile)
            largest = std::max(largest, n);

    std::string h = "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n";
    h += "<meta http-equiv=\"Content-Security-Policy\" content=\"default-src 'none'; style-src 'unsafe-inline'; "
         "script-src 'unsafe-inline'\">\n";
    h += "<title>Paragraph tags of " + HtmlEscape(s.title) + "</title>\n<style>" + kStyle +
         "</style>\n</head>\n<body>\n";
    h += "<h1>Paragraph tags of " + HtmlEscape(s.title) + "</h1>\n";
    for (const FileStats& f : s.files)
        if (!f.opened)
            h += "<p class=\"error\">" + HtmlEscape(f.error) + "</p>\n";

    h += "<table id=\"matrix\">\n<thead><tr>"
         "<th data-key=\"tag\">Tag</th>"
         "<th data-key=\"catalogue\">Catalogue</th>"
         "<th data-key=\"unused\">Unused</th>"
         "<th data-key=\"paragraphs\" data-type=\"number\">Paragraphs</th>"
         "<th data-key=\"overrides\" data-type=\"number\">Overrides</th>"
         "<th data-key=\"files\" data-type=\"number\">Files</th>";
    for (size_t i = 0; i < s.files.size(); i++)
        h += "<th data-key=\"file" + std::to_string(i + 1) + "\" data-type=\"number\" title=\"" +
             HtmlEscape(s.files[i].path) + "\">" + HtmlEscape(s.files[i].name) + "</th>";
    h += "<th data-key=\"next\">Next tag of</th></tr></thead>\n<tbody>\n";
    for (const TagStats& t : s.tags) {
        h += std::string("<tr data-tag=\"") + HtmlEscape(t.tag) + "\"" + (t.unused() ? " class=\"unused\"" : "") + ">";
        h += Cell("tag", t.tag);
        h += Cell("catalogue", t.inCatalogue ? "yes" : "no");
        h += Cell("unused", t.unused() ? "unused" : "");
        h += Cell("num paragraphs", std::to_string(t.paragraphs));
        h += Cell("num overrides", std::to_string(t.overrides));
        h += Cell("num files", std::to_string(t.files));
        for (size_t i = 0; i < s.files.size(); i++) {
            if (!s.files[i].opened)
                h += Cell("missing", "-", " data-value=\"-1\"");
            else
                h += Cell("num count", std::to_string(t.perFile[i]),
                          " data-file=\"" + HtmlEscape(s.files[i].name) + "\"" + Heat(t.perFile[i], largest));
        }
        h += Cell("next", QuotedNames(t.nextTagOf));
        h += "</tr>\n";
    }
    h += "</tbody>\n<tfoot><tr class=\"total\"><td>Total</td><td></td><td></td>";
    int paragraphs = 0, overrides = 0;
    for (const FileStats& f : s.files) {
        paragraphs += f.paragraphs;
        overrides += f.overrides;
    }
    h += Cell("num", std::to_string(paragraphs)) + Cell("num", std::to_string(overrides)) +
         Cell("num", std::to_string(s.files.size()));
    for (const FileStats& f : s.files)
        h += f.opened ? Cell("num", std::to_string(f.paragraphs)) : Cell("missing", "-");
    h += "<td></td></tr></tfoot>\n</table>\n";

    if (!s.references.empty()) {
        h += "<h2>Next tags naming unused formats</h2>\n<ul id=\"references\">\n";
        for (const StatsReference& r : s.references)
            h += "<li>" + HtmlEscape(r.file) + ": " + HtmlEscape(r.format) + " &rarr; " + HtmlEscape(r.nextTag) +
                 "</li>\n";
        h += "</ul>\n";
    }

    h += "<h2>Tags</h2>\n";
    for (const TagStats& t : s.tags) {
        h += "<details><summary>" + HtmlEscape(t.tag) + "</summary>\n<ul>\n";
        h += std::string("<li>") +
             (t.inCatalogue ? (t.unused() ? "In the catalogue, used by no paragraph" : "In the catalogue")
                            : "Not in the catalogue") +
             "</li>\n";
        h += "<li>" + std::to_string(t.paragraphs) + " paragraphs, " + std::to_string(t.overrides) +
             " with overrides</li>\n";
        for (size_t i = 0; i < s.files.size(); i++)
            if (s.files[i].opened && t.perFile[i] > 0)
                h += "<li>" + HtmlEscape(s.files[i].name) + ": " + std::to_string(t.perFile[i]) + "</li>\n";
        if (!t.nextTagOf.empty()) {
            h += "<li>Next tag of: " + HtmlEscape(QuotedNames(t.nextTagOf)) + "</li>\n";
        }
        h += "</ul></details>\n";
    }
    h += std::string("<script>") + kScript + "</script>\n</body>\n</html>\n";
    return h;
}

} // namespace tw::cli
