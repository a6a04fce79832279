// mif_store.h - MIF files on disk as the host's document store: loading documents and books
// (the kind told by the first statement, not the name), and saving them atomically (written
// beside the old file, flushed, renamed over it) so a failed save leaves the original intact.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>

#include "host/files/file_save.h"
#include "host/mif/tree.h"
#include "host/files/store.h"

namespace tw::host {

// Reads a MIF document or book. On failure `error` names the file and, where one applies, the line.
[[nodiscard]] LoadResult LoadMifFile(Model& m, const std::string& path);

// The bytes a document or book is saved as: its statement tree brought in line with the model
// (documents), or built from nothing when it was not read from MIF.
std::string MifDocumentBytes(const Document& doc);
std::string MifBookBytes(const Book& book);

// The document store the host uses for real files.
// A file that another program replaced or changed after it was read is not overwritten: the
// store remembers what each file was when it first read it, or when it last saved it.
class MifStore : public DocumentStore {
public:
    [[nodiscard]] LoadResult load(Model& m, const std::string& path) override;
    [[nodiscard]] bool save(const Model& m, const Document& doc, const std::string& path, std::string& error) override;
    [[nodiscard]] bool save(const Model& m, const Book& book, const std::string& path, std::string& error) override;

    // Tests: consulted at each stage of every save.
    std::function<bool(SaveStage)> failSave;

    // Told when a load put a file back as it was before an interrupted save (standard error
    // when not set).
    std::function<void(const std::string&)> notice;

    // Identity and version of a file on disk: device, inode, size, modification time (ns).
    struct Stamp {
        uint64_t device = 0, inode = 0, size = 0;
        int64_t modified = 0;
        bool operator==(const Stamp&) const = default;
    };

private:
    [[nodiscard]] bool save(const std::string& path, const std::string& bytes, std::string& error);
    std::map<std::string, Stamp> stamps_; // by the path the file was read from
};

} // namespace tw::host
