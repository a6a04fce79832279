// save_guard.h - the document store the tool hands the host: MIF files on disk, with every
// document save seen on its way out. It can work out what the save changes against the file
// on disk, record a save instead of writing it (a dry run), copy the file to FILE.bak before
// replacing it (backups), and hold saves back until the tool commits them, so the tool can
// warn about what a command deletes before anything is written. A file is known by its
// identity, not its name: one that a book reaches by two paths is backed up, changed and saved
// once.
//
// The way of one save, from the plug-in's "save" to the file on disk:
//
//   host: Save slot --> SaveGuard::save --> InterruptibleStore --> MifStore --> WriteFileAtomically
//                         |                  (refuses once the      (refuses a file changed
//                         |                   run is interrupted)    since the command read it)
//                         +-- already saved in this run (same identity): done, nothing written
//                         +-- dry run:  recorded in changes(), nothing written
//                         +-- held:     recorded, the document copied; written by commit()
//                         +-- else:     backed up (--backup), then written
//
// A save recorded or held has its FileChanges at once (failed when the file could not be
// replaced anyway), so the plug-in's report and the tool's summary agree. commit() writes the
// held saves in order, each backed up first; a failed backup leaves its file unsaved. Opens
// go the other way: a document the plug-in closed unchanged is kept by the host's cache
// (host/files/doc_cache.h), which answers a later open of the same unchanged file without a
// load through this store; a document that was changed or saved is never kept.
#pragma once

#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "cli/changes.h"
#include "cli/input_files.h"
#include "host/files/file_save.h"
#include "host/files/store.h"

namespace tw::cli {

class SaveGuard : public host::DocumentStore {
public:
    explicit SaveGuard(host::DocumentStore& files) : files_(files) { }

    bool dryRun = false;                             // record saves, write nothing
    bool backup = false;                             // copy FILE to FILE.bak before the first save over it
    bool hold = false;                               // record saves and write them at commit()
    bool trackChanges = false;                       // compare each saved document with its file on disk
    const InputFiles* inputs = nullptr;              // files the run reads, which a backup never replaces
    std::function<bool(host::SaveStage)> failBackup; // tests: consulted at each stage of a backup

    // Also removes the temporary file a killed backup of the file left (NAME.bak.tw-saving).
    [[nodiscard]] host::LoadResult load(host::Model& m, const std::string& path) override;
    [[nodiscard]] bool save(const host::Model& m, const host::Document& doc, const std::string& path,
                            std::string& error) override;
    [[nodiscard]] bool save(const host::Model& m, const host::Book& book, const std::string& path,
                            std::string& error) override;

    // Writes the saves held back, in the order they were made. Failures are added to
    // `errors` (each names its file); the others are still written.
    void commit(const host::Model& m, std::vector<std::string>& errors);

    // Documents saved (or recorded) so far, with what each changed when tracked.
    const std::vector<FileChanges>& changes() const { return changes_; }
    host::DocumentStore& files() { return files_; }

private:
    using Identity = std::pair<uint64_t, uint64_t>;
    [[nodiscard]] bool backUp(const std::string& path, std::string& error);
    // Backs up (where asked) and writes one document, then knows the file under its new identity.
    [[nodiscard]] bool write(const host::Model& m, const host::Document& doc, const std::string& path,
                             std::string& error);
    bool seen(const std::string& path) const;
    void remember(const std::string& path);

    struct Held {
        std::string path;
        std::unique_ptr<host::Document> doc;
        size_t change; // index into changes_
    };
    host::DocumentStore& files_;
    std::vector<FileChanges> changes_;
    std::vector<Held> held_;
    std::set<Identity> saved_; // files saved, held or recorded, before and after their save
};

} // namespace tw::cli
