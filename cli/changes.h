// changes.h - what a command changed in one file, found by comparing the document in memory
// with the same file as it is on disk: formats deleted, paragraphs retagged (per source and
// destination tag), overrides removed, and kept formats that name a deleted one as their next
// tag. Printed as the summary of a run or of a dry run.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "cli/request.h"
#include "host/model/model.h"
#include "host/files/store.h"

namespace tw::cli {

struct Retag {
    std::string from;
    std::string to;
    int count = 0;
};

// A kept format whose next tag names a format that is being deleted.
struct NextTagReference {
    std::string format;
    std::string nextTag;
};

struct FileChanges {
    std::string path;                        // as the host names the file
    std::vector<std::string> formatsDeleted; // in the catalogue order of the file on disk
    std::vector<Retag> retagged;             // ordered by source, then destination tag
    int overridesRemoved = 0;
    std::vector<NextTagReference> references;
    bool written = false; // the change is on disk (not a dry run, and the save succeeded)
    bool failed = false;  // its save (or the backup before it) failed: the file is as it was

    bool empty() const { return formatsDeleted.empty() && retagged.empty() && overridesRemoved == 0; }
};

// Compares `now` with `before` (the same file as read from disk). Paragraphs are matched by
// the place they were read from; paragraphs that are new in `now` are not counted.
FileChanges CompareDocuments(const host::Document& before, const host::Document& now);

// Reads the MIF file `path` into a scratch model and compares `now` with it. The read is the
// tool's own look at the file: the store's record of what each file was when the command read
// it stays as it is. A file that cannot be read (or holds a book) gives no changes.
FileChanges ChangesAgainstFile(const host::Document& now, const std::string& path);

// Whether a format's next tag is in use (PROP_USE_NEXT_TAG is on).
bool NextTagApplies(const host::PgfFormat& f);

// Formats of `now` whose next tag (PROP_NEXT_TAG_NAME, in use) names one of `deleted`.
std::vector<NextTagReference> NextTagReferences(const host::Document& now, const std::vector<std::string>& deleted);

// The name a file is shown under: relative to `base` (a folder) when it lies inside it.
std::string DisplayName(const std::string& path, const std::string& base);

// The file name alone (the last part of the path, in either separator).
std::string FileName(const std::string& path);

// The summary, file by file: text lines, or one JSON object {"dryRun", "files": [...]}.
void PrintChanges(std::ostream& out, const std::vector<FileChanges>& files, const std::string& base, bool dryRun,
                  Format format);

// The warning text for one reference, naming the file.
std::string ReferenceWarning(const std::string& shownName, const NextTagReference& ref);

} // namespace tw::cli
