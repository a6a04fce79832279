// stats.h - numbers about the paragraph tags of a document or book, read from the host's own
// model of the files: per tag whether the catalogue has it, the paragraphs using it and those
// with overrides, the files using it (a tag x file matrix of paragraph counts for a book, in
// the order the book walk visits its files) and the formats naming it as their next tag;
// totals per file; and the unused formats that a kept format names as next tag.
#pragma once

#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "cli/request.h"
#include "cli/text_safety.h"

namespace tw::cli {

struct FileStats {
    std::string path; // as the book names it (resolved), or the document's path
    std::string name; // shown name, relative to the target's folder
    bool opened = false;
    std::string error; // why it could not be read
    int paragraphs = 0;
    int overrides = 0;
    int formats = 0; // catalogue formats
    int unused = 0;  // catalogue formats no paragraph of the document or book uses
};

struct TagStats {
    std::string tag;
    bool inCatalogue = false; // some file's catalogue has a format of this name
    int paragraphs = 0;
    int overrides = 0;
    int files = 0;                      // files with at least one paragraph using it
    std::vector<int> perFile;           // paragraphs per file, in FileStats order
    std::vector<std::string> nextTagOf; // formats naming it as next tag (each name once)
    bool unused() const { return inCatalogue && paragraphs == 0; }
};

// An unused format (which delete-unused removes) named as next tag by a format that stays.
struct StatsReference {
    std::string file; // shown name
    std::string format;
    std::string nextTag;
};

struct Stats {
    std::string title; // the document's or book's file name
    bool book = false;
    std::vector<FileStats> files;
    std::vector<TagStats> tags; // byte-wise by tag
    std::vector<StatsReference> references;
    bool anyMissing() const;
};

// Reads the document or book at `path` through the host. nullopt with `error` set when the
// target itself cannot be read; files of a book that cannot be read are in the result with
// their error.
std::optional<Stats> GatherStats(const std::string& path, const std::string& installDir, std::string& error);

void PrintStatsText(std::ostream& out, const Stats& s);
void PrintStatsCsv(std::ostream& out, const Stats& s);
void PrintStatsJson(std::ostream& out, const Stats& s);

} // namespace tw::cli
