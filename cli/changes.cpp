// changes.cpp - comparing a changed document with its file on disk, and the run summary.

#include "cli/changes.h"

#include <algorithm>
#include <filesystem>
#include <map>
#include <set>

#include "bridge/boundary.h"
#include "cli/name_list.h"
#include "cli/printer.h"
#include "cli/text_safety.h"
#include "host/files/mif_store.h"

namespace tw::cli {

using namespace tw::host;

bool NextTagApplies(const PgfFormat& f)
{
    auto it = f.props.find(PROP_USE_NEXT_TAG);
    const auto* on = it != f.props.end() ? std::get_if<int32_t>(&it->second) : nullptr;
    return on && *on == 1;
}

namespace {

// The next tag a format gives the paragraph after one of its own; empty when it gives none
// (no next tag, or the switch that makes it apply is off).
std::string NextTag(const PgfFormat& f)
{
    if (!NextTagApplies(f))
        return {};
    auto it = f.props.find(PROP_NEXT_TAG_NAME);
    if (it == f.props.end())
        return {};
    const auto* s = std::get_if<std::string>(&it->second);
    return s ? *s : std::string();
}

std::vector<std::string> CatalogueNames(const Document& d)
{
    std::vector<std::string> names;
    for (ObjectId id : d.catalogue)
        if (const PgfFormat* f = d.format(id))
            names.push_back(f->name);
    return names;
}

} // namespace

std::vector<NextTagReference> NextTagReferences(const Document& now, const std::vector<std::string>& deleted)
{
    std::vector<NextTagReference> refs;
    if (deleted.empty())
        return refs;
    const std::set<std::string> gone(deleted.begin(), deleted.end());
    for (ObjectId id : now.catalogue) {
        const PgfFormat* f = now.format(id);
        if (!f || gone.count(f->name))
            continue;
        const std::string next = NextTag(*f);
        if (!next.empty() && gone.count(next))
            refs.push_back({f->name, next});
    }
    return refs;
}

FileChanges CompareDocuments(const Document& before, const Document& now)
{
    FileChanges c;
    c.path = now.path;

    const auto kept = CatalogueNames(now);
    const std::set<std::string> keptSet(kept.begin(), kept.end());
    for (const std::string& name : CatalogueNames(before))
        if (!keptSet.count(name) &&
            std::find(c.formatsDeleted.begin(), c.formatsDeleted.end(), name) == c.formatsDeleted.end())
            c.formatsDeleted.push_back(name);

    // Paragraphs read from the same file carry the same statement number.
    std::map<int32_t, const Paragraph*> original;
    for (const auto& [id, p] : before.paragraphs)
        if (p.mifNode >= 0)
            original[p.mifNode] = &p;
    std::map<std::pair<std::string, std::string>, int> retags;
    for (const auto& [id, p] : now.paragraphs) {
        auto it = p.mifNode >= 0 ? original.find(p.mifNode) : original.end();
        if (it == original.end())
            continue;
        if (it->second->tag != p.tag)
            retags[{it->second->tag, p.tag}]++;
        // An override is removed when an overridden paragraph took on its format's properties:
        // a paragraph whose flag was merely cleared (one without a format keeps its
        // properties) has lost nothing.
        if (it->second->overridden && !p.overridden && !(it->second->props == p.props))
            c.overridesRemoved++;
    }
    for (const auto& [tags, n] : retags)
        c.retagged.push_back({tags.first, tags.second, n});
    c.references = NextTagReferences(now, c.formatsDeleted);
    return c;
}

FileChanges ChangesAgainstFile(const Document& now, const std::string& path)
{
    Model scratch;
    LoadResult before = LoadMifFile(scratch, NativePath(path));
    if (!before.doc) {
        FileChanges c;
        c.path = path;
        return c;
    }
    FileChanges c = CompareDocuments(*before.doc, now);
    c.path = path;
    return c;
}

std::string FileName(const std::string& path) { return std::filesystem::path(NativePath(path)).filename().string(); }

std::string DisplayName(const std::string& path, const std::string& base)
{
    namespace fs = std::filesystem;
    if (base.empty())
        return path;
    const fs::path rel = fs::path(path).lexically_normal().lexically_relative(fs::path(base).lexically_normal());
    if (rel.empty() || *rel.begin() == "..")
        return path;
    return rel.string();
}

std::string ReferenceWarning(const std::string& shownName, const NextTagReference& ref)
{
    return shownName + ": format '" + ref.format + "' names '" + ref.nextTag + "' as its next tag, and '" +
           ref.nextTag + "' is deleted";
}

namespace {

std::string Plural(int n, const char* one, const char* many) { return std::to_string(n) + " " + (n == 1 ? one : many); }

void PrintText(std::ostream& out, const std::vector<FileChanges>& files, const std::string& base, bool dryRun)
{
    for (const FileChanges& f : files) {
        int retagged = 0;
        for (const Retag& r : f.retagged)
            retagged += r.count;
        out << TerminalText(DisplayName(f.path, base)) << ": ";
        if (f.failed) {
            out << "not changed (it could not be saved; see the error above)\n";
            continue;
        }
        if (f.empty()) {
            out << "no changes\n";
            continue;
        }
        out << (dryRun ? "would delete " : "deleted ")
            << Plural(static_cast<int>(f.formatsDeleted.size()), "format", "formats") << ", "
            << (dryRun ? "retag " : "retagged ") << Plural(retagged, "paragraph", "paragraphs") << ", "
            << (dryRun ? "remove " : "removed ") << Plural(f.overridesRemoved, "override", "overrides") << '\n';
        if (!f.formatsDeleted.empty()) {
            out << (dryRun ? "  would be deleted: " : "  formats deleted: ")
                << TerminalText(QuotedNames(f.formatsDeleted)) << '\n';
        }
        for (const Retag& r : f.retagged)
            out << "  retagged " << TerminalText(r.from) << " -> " << TerminalText(r.to) << ": " << r.count << '\n';
    }
}

void PrintJson(std::ostream& out, const std::vector<FileChanges>& files, const std::string& base, bool dryRun)
{
    out << "{\"dryRun\": " << (dryRun ? "true" : "false") << ", \"files\": [";
    for (size_t i = 0; i < files.size(); i++) {
        const FileChanges& f = files[i];
        out << (i ? ",\n  " : "\n  ") << "{\"file\": " << JsonQuote(DisplayName(f.path, base))
            << ", \"path\": " << JsonQuote(f.path) << ", \"written\": " << (f.written ? "true" : "false")
            << ", \"formatsDeleted\": [";
        for (size_t k = 0; k < f.formatsDeleted.size(); k++)
            out << (k ? ", " : "") << JsonQuote(f.formatsDeleted[k]);
        out << "], \"retagged\": [";
        for (size_t k = 0; k < f.retagged.size(); k++)
            out << (k ? ", " : "") << "{\"from\": " << JsonQuote(f.retagged[k].from)
                << ", \"to\": " << JsonQuote(f.retagged[k].to) << ", \"count\": " << f.retagged[k].count << '}';
        out << "], \"overridesRemoved\": " << f.overridesRemoved << ", \"nextTagReferences\": [";
        for (size_t k = 0; k < f.references.size(); k++)
            out << (k ? ", " : "") << "{\"format\": " << JsonQuote(f.references[k].format)
                << ", \"nextTag\": " << JsonQuote(f.references[k].nextTag) << '}';
        out << "]}";
    }
    out << (files.empty() ? "]}\n" : "\n]}\n");
}

} // namespace

void PrintChanges(std::ostream& out, const std::vector<FileChanges>& files, const std::string& base, bool dryRun,
                  Format format)
{
    if (format == Format::Json)
        PrintJson(out, files, base, dryRun);
    else
        PrintText(out, files, base, dryRun);
}

} // namespace tw::cli
