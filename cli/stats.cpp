// stats.cpp - gathering tag numbers from the host's model and printing them as aligned
// text, CSV or JSON.

#include "cli/stats.h"

#include <algorithm>
#include <filesystem>
#include <map>
#include <set>

#include "bridge/boundary.h"
#include "cli/changes.h"
#include "cli/input_files.h"
#include "cli/name_list.h"
#include "cli/printer.h"
#include "cli/reporter.h"
#include "host/com/host.h"
#include "host/files/mif_store.h"

namespace tw::cli {

using namespace tw::host;

namespace {

// What one document holds, before the book-wide numbers are known.
struct DocumentTally {
    std::map<std::string, std::pair<int, int>> tags;          // paragraphs, overrides
    std::vector<std::pair<std::string, std::string>> formats; // name, next tag
    std::set<std::string> nextTagInUse;                       // formats whose next tag applies
};

DocumentTally Tally(const Document& d)
{
    DocumentTally t;
    for (const auto& [id, p] : d.paragraphs) {
        auto& counts = t.tags[p.tag];
        counts.first++;
        counts.second += p.overridden ? 1 : 0;
    }
    for (ObjectId id : d.catalogue) {
        const PgfFormat* f = d.format(id);
        if (!f)
            continue;
        std::string next;
        auto it = f->props.find(PROP_NEXT_TAG_NAME);
        if (it != f->props.end())
            if (const auto* s = std::get_if<std::string>(&it->second))
                next = *s;
        t.formats.emplace_back(f->name, next);
        if (NextTagApplies(*f))
            t.nextTagInUse.insert(f->name);
    }
    return t;
}

} // namespace

bool Stats::anyMissing() const
{
    return std::any_of(files.begin(), files.end(), [](const FileStats& f) { return !f.opened; });
}

std::optional<Stats> GatherStats(const std::string& path, const std::string& installDir, std::string& error)
{
    MifStore store;
    Host host;
    host.setStore(&store);
    host.model().installDir = installDir;

    int32_t status = 0;
    ObjectId target = host.openFile(path, false, status, &error);
    if (!target)
        return std::nullopt;

    Stats s;
    const std::string base = std::filesystem::path(NativePath(path)).parent_path().string();
    s.title = std::filesystem::path(NativePath(path)).filename().string();
    std::vector<DocumentTally> tallies;
    if (const Book* b = host.model().book(target)) {
        s.book = true;
        const std::vector<std::string> paths = b->documentPaths();
        for (const std::string& p : paths) {
            FileStats f;
            f.path = p;
            f.name = DisplayName(NativePath(p), base);
            std::string why;
            ObjectId doc = host.openFile(p, false, status, &why);
            if (const Document* d = doc ? host.model().document(doc) : nullptr) {
                f.opened = true;
                tallies.push_back(Tally(*d));
                host.model().closeDocument(doc);
            } else {
                f.error = why.empty() ? "Could not open " + p : why;
                tallies.emplace_back();
            }
            s.files.push_back(std::move(f));
        }
    } else {
        FileStats f;
        f.path = NativePath(path);
        f.name = s.title;
        f.opened = true;
        tallies.push_back(Tally(*host.model().document(target)));
        s.files.push_back(std::move(f));
    }

    // The tag rows: every tag on a paragraph and every catalogue format, of every file.
    std::map<std::string, TagStats> rows;
    auto row = [&](const std::string& tag) -> TagStats& {
        TagStats& r = rows[tag];
        if (r.perFile.empty()) {
            r.tag = tag;
            r.perFile.assign(s.files.size(), 0);
        }
        return r;
    };
    for (size_t i = 0; i < tallies.size(); i++) {
        for (const auto& [tag, counts] : tallies[i].tags) {
            TagStats& r = row(tag);
            r.paragraphs += counts.first;
            r.overrides += counts.second;
            r.perFile[i] += counts.first;
            r.files += counts.first > 0;
            s.files[i].paragraphs += counts.first;
            s.files[i].overrides += counts.second;
        }
        for (const auto& [name, next] : tallies[i].formats) {
            row(name).inCatalogue = true;
            if (!next.empty()) {
                auto& of = row(next).nextTagOf;
                if (std::find(of.begin(), of.end(), name) == of.end())
                    of.push_back(name);
            }
        }
    }
    for (auto& [tag, r] : rows) {
        std::sort(r.nextTagOf.begin(), r.nextTagOf.end());
        s.tags.push_back(r);
    }

    // Per file: formats, the unused ones, and kept formats naming an unused one as next tag.
    for (size_t i = 0; i < tallies.size(); i++) {
        for (const auto& [name, next] : tallies[i].formats) {
            s.files[i].formats++;
            const bool unused = rows[name].paragraphs == 0;
            s.files[i].unused += unused;
            if (!unused && !next.empty() && tallies[i].nextTagInUse.count(name) && rows.count(next) &&
                rows[next].inCatalogue && rows[next].paragraphs == 0)
                s.references.push_back({s.files[i].name, name, next});
        }
    }
    return s;
}

void PrintStatsText(std::ostream& out, const Stats& s)
{
    std::vector<std::string> header = {"Tag", "Catalogue", "Paragraphs", "Overrides", "Files"};
    for (const FileStats& f : s.files)
        header.push_back(TerminalText(f.name));
    header.push_back("Next tag of");
    std::vector<std::vector<std::string>> table = {header};
    for (const TagStats& t : s.tags) {
        std::vector<std::string> line = {TerminalText(t.tag), t.inCatalogue ? (t.unused() ? "unused" : "yes") : "no",
                                         std::to_string(t.paragraphs), std::to_string(t.overrides),
                                         std::to_string(t.files)};
        for (size_t i = 0; i < s.files.size(); i++)
            line.push_back(s.files[i].opened ? std::to_string(t.perFile[i]) : "-");
        line.push_back(TerminalText(QuotedNames(t.nextTagOf)));
        table.push_back(std::move(line));
    }
    int paragraphs = 0, overrides = 0;
    for (const FileStats& f : s.files) {
        paragraphs += f.paragraphs;
        overrides += f.overrides;
    }
    std::vector<std::string> total = {"(total)", "", std::to_string(paragraphs), std::to_string(overrides),
                                      std::to_string(s.files.size())};
    for (const FileStats& f : s.files)
        total.push_back(f.opened ? std::to_string(f.paragraphs) : "-");
    total.push_back("");
    table.push_back(std::move(total));

    std::vector<size_t> width(header.size(), 0);
    for (const auto& line : table)
        for (size_t c = 0; c < line.size(); c++)
            width[c] = std::max(width[c], line[c].size());
    out << "# " << TerminalText(s.title) << '\n';
    for (const auto& line : table) {
        std::string text;
        for (size_t c = 0; c < line.size(); c++) {
            const bool number = c >= 2 && c + 1 < line.size() && &line != &table.front();
            const std::string pad(width[c] - line[c].size(), ' ');
            text += (c ? "  " : "") + (number ? pad + line[c] : line[c] + (c + 1 < line.size() ? pad : ""));
        }
        while (!text.empty() && text.back() == ' ')
            text.pop_back();
        out << text << '\n';
    }
    if (!s.references.empty()) {
        out << "## Next tags naming unused formats\n";
        for (const StatsReference& r : s.references)
            out << TerminalText(r.file) << ": " << TerminalText(r.format) << " -> " << TerminalText(r.nextTag) << '\n';
    }
}

void PrintStatsCsv(std::ostream& out, const Stats& s)
{
    out << "row,tag,in_catalogue,unused,paragraphs,overrides,files";
    for (const FileStats& f : s.files)
        out << ',' << CsvField(f.name);
    out << ",next_tag_of\r\n";
    for (const TagStats& t : s.tags) {
        out << "tag," << CsvField(t.tag) << ',' << (t.inCatalogue ? "yes" : "no") << ',' << (t.unused() ? "yes" : "no")
            << ',' << t.paragraphs << ',' << t.overrides << ',' << t.files;
        for (size_t i = 0; i < s.files.size(); i++) {
            out << ',';
            if (s.files[i].opened)
                out << t.perFile[i];
        }
        out << ',' << CsvField(QuotedNames(t.nextTagOf)) << "\r\n";
    }
    int paragraphs = 0, overrides = 0;
    for (const FileStats& f : s.files) {
        paragraphs += f.paragraphs;
        overrides += f.overrides;
    }
    out << "total,,,," << paragraphs << ',' << overrides << ',' << s.files.size();
    for (const FileStats& f : s.files) {
        out << ',';
        if (f.opened)
            out << f.paragraphs;
    }
    out << ",\r\n";
}

void PrintStatsJson(std::ostream& out, const Stats& s)
{
    out << "{\"title\": " << JsonQuote(s.title) << ", \"book\": " << (s.book ? "true" : "false") << ",\n \"files\": [";
    for (size_t i = 0; i < s.files.size(); i++) {
        const FileStats& f = s.files[i];
        out << (i ? ",\n  " : "\n  ") << "{\"file\": " << JsonQuote(f.name) << ", \"path\": " << JsonQuote(f.path)
            << ", \"opened\": " << (f.opened ? "true" : "false");
        if (f.opened)
            out << ", \"paragraphs\": " << f.paragraphs << ", \"overrides\": " << f.overrides
                << ", \"formats\": " << f.formats << ", \"unusedFormats\": " << f.unused;
        else
            out << ", \"error\": " << JsonQuote(f.error);
        out << '}';
    }
    out << "],\n \"tags\": [";
    for (size_t i = 0; i < s.tags.size(); i++) {
        const TagStats& t = s.tags[i];
        out << (i ? ",\n  " : "\n  ") << "{\"tag\": " << JsonQuote(t.tag)
            << ", \"inCatalogue\": " << (t.inCatalogue ? "true" : "false")
            << ", \"unused\": " << (t.unused() ? "true" : "false") << ", \"paragraphs\": " << t.paragraphs
            << ", \"overrides\": " << t.overrides << ", \"files\": " << t.files << ", \"perFile\": [";
        for (size_t k = 0; k < s.files.size(); k++) {
            out << (k ? ", " : "");
            if (s.files[k].opened)
                out << t.perFile[k];
            else
                out << "null";
        }
        out << "], \"nextTagOf\": [";
        for (size_t k = 0; k < t.nextTagOf.size(); k++)
            out << (k ? ", " : "") << JsonQuote(t.nextTagOf[k]);
        out << "]}";
    }
    out << "],\n \"references\": [";
    for (size_t i = 0; i < s.references.size(); i++)
        out << (i ? ",\n  " : "\n  ") << "{\"file\": " << JsonQuote(s.references[i].file)
            << ", \"format\": " << JsonQuote(s.references[i].format)
            << ", \"nextTag\": " << JsonQuote(s.references[i].nextTag) << '}';
    out << "]}\n";
}

} // namespace tw::cli
