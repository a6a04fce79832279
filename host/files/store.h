// store.h - where document and book files come from and go to: the file-format layer (MIF)
// plugs in here; the host API's open and save slots call it. An in-memory store serves tests.
#pragma once

#include <map>
#include <memory>
#include <string>

#include "host/model/model.h"

namespace tw::host {

// What reading a file gives: exactly one of doc and book on success, else an error text
// naming the file.
struct LoadResult {
    std::unique_ptr<Document> doc;
    std::unique_ptr<Book> book;
    std::string error;
    bool missing = false; // the file does not exist (as opposed to unreadable)
};

class DocumentStore {
public:
    virtual ~DocumentStore() = default;
    // Reads `path` (native form) into objects whose ids come from `m` (m.newId()). Documents
    // and books are returned unadopted, with id 0; the host adopts them.
    [[nodiscard]] virtual LoadResult load(Model& m, const std::string& path) = 0;
    // Writes the document or book to `path`; false with `error` set on failure, leaving any
    // existing file as it was.
    [[nodiscard]] virtual bool save(const Model& m, const Document& doc, const std::string& path,
                                    std::string& error) = 0;
    [[nodiscard]] virtual bool save(const Model& m, const Book& book, const std::string& path, std::string& error) = 0;
};

// Paths arrive in Windows form (C:\dir\file.fm) or native form; the host accepts both
// separators and works with '/' on POSIX systems.
std::string NativePath(const std::string& path);

// Keeps "files" as snapshots in memory: saving stores a copy, loading hands out a copy.
class MemoryStore : public DocumentStore {
public:
    void put(const std::string& path, const Document& doc);
    void put(const std::string& path, const Book& book);
    bool has(const std::string& path) const;
    const Document* document(const std::string& path) const; // last saved state
    const Book* book(const std::string& path) const;
    int saves(const std::string& path) const;

    [[nodiscard]] LoadResult load(Model& m, const std::string& path) override;
    [[nodiscard]] bool save(const Model& m, const Document& doc, const std::string& path, std::string& error) override;
    [[nodiscard]] bool save(const Model& m, const Book& book, const std::string& path, std::string& error) override;

private:
    std::map<std::string, std::unique_ptr<Document>> docs_;
    std::map<std::string, std::unique_ptr<Book>> books_;
    std::map<std::string, int> saves_;
};

} // namespace tw::host
