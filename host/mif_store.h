// mif_store.h - MIF files on disk as the host's document store: loading documents and books
// (the kind told by the first statement, not the name), and saving them atomically (written
// beside the old file, flushed, renamed over it) so a failed save leaves the original intact.
#pragma once

#include <functional>
#include <string>

#include "host/mif_tree.h"
#include "host/store.h"

namespace tw::host {

// Reads a MIF document or book. On failure `error` names the file and, where one applies, the line.
LoadResult LoadMifFile(Model& m, const std::string& path);

// The bytes a document or book is saved as: its statement tree brought in line with the model
// (documents), or built from nothing when it was not read from MIF.
std::string MifDocumentBytes(const Document& doc);
std::string MifBookBytes(const Book& book);

// Stages of an atomic save at which a test can make it fail.
enum class SaveStage { Open, Write, Sync, Rename };

// Writes `bytes` to `path` atomically. `fail` (tests) is asked at each stage and makes the save
// fail there when it answers true. False with `error` set on failure; the old file is untouched.
bool WriteFileAtomically(const std::string& path, const std::string& bytes, std::string& error,
                         const std::function<bool(SaveStage)>& fail = {});

// The document store the host uses for real files.
class MifStore : public DocumentStore {
public:
    LoadResult load(Model& m, const std::string& path) override;
    bool save(const Model& m, const Document& doc, const std::string& path, std::string& error) override;
    bool save(const Model& m, const Book& book, const std::string& path, std::string& error) override;

    // Tests: consulted at each stage of every save.
    std::function<bool(SaveStage)> failSave;
};

}  // namespace tw::host
