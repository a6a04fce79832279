// doc_cache.h - documents the client closed unchanged, kept in memory so that opening the same
// file again, while it is still the same on disk (device, inode, size, modification time), is
// answered without reading it. A memory budget bounds what is kept: a newly kept document takes
// the place of the least recently used ones, but one that comes back after it was let go only of
// those idle for longer than it was away, so a walk round more files than fit keeps a stable
// part of them instead of none. A document that was changed or saved is never kept.
// Keeping costs memory and time, and pays only when a file is opened again: a run that opens
// each file once (a plain listing) keeps nothing. Documents are kept from the moment the run
// opens a file it had closed before (a listing by tag, a book command's second walk).
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <ctime>
#include <list>
#include <map>
#include <memory>
#include <set>
#include <string>

#include "host/files/doc_memory.h"
#include "host/model/model.h"

namespace tw::host {

// What says a file is still the one that was read.
struct FileIdentity {
    bool valid = false; // false: no such file (or not a file on disk)
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    int64_t mtimeNs = 0;
    bool operator==(const FileIdentity&) const = default;
    static FileIdentity Of(const std::string& path);
};

// Budget of the cache when nothing else is said (the tool: --cache-mb, TAGWRIGHT_CACHE_MB).
constexpr size_t kDefaultCacheMb = 256;

class DocumentCache {
public:
    DocumentCache();
    // 0 turns the cache off (and empties it).
    void setBudget(size_t bytes);
    size_t budget() const { return budget_; }
    // Keep documents from their first close on, not only once a file was opened again (tests).
    void keepFromFirstClose() { keeping_ = true; }
    // Whether closed documents are kept now.
    bool keeping() const { return keeping_; }

    // A document the host just read from `path`, whose file was `identity` before reading.
    // Remembers how it looked when opened (selection, current page...) to give it back so.
    void opened(const Document& doc, const std::string& path, const FileIdentity& identity);
    // The document was saved, or renamed: it is not what its file held any more.
    void forget(ObjectId doc);
    // A file was written: whatever is kept for that path is dropped.
    void fileWritten(const std::string& path);
    // Closing: keeps the document (taking it out of `doc`) when it came from a file and is
    // unchanged; else leaves it in `doc`.
    void closing(std::unique_ptr<Document>& doc);
    // Opening `path`: the kept document when the file is still the same, else null (and the
    // stale one is dropped). The document has id 0; its inner objects keep theirs.
    std::unique_ptr<Document> take(const std::string& path);

    // What happened so far (tests, benchmarks).
    struct Stats {
        int64_t hits = 0, misses = 0, evictions = 0, stale = 0;
        int64_t refused = 0; // closed unchanged, not kept: what is kept was used more recently
    };
    const Stats& stats() const { return stats_; }
    size_t bytes() const { return bytes_; }
    size_t documents() const { return lru_.size(); }

private:
    struct View { // what opening gave the document, restored before it is kept
        TextRange selection{};
        ObjectId currentPage = 0;
        int32_t docMode = 0, displayUnits = 0, fontSizeUnits = 0, redisplays = 0;
        bool visible = true;
    };
    struct Opened {
        std::string path;
        FileIdentity identity;
        std::time_t readAt = 0;
        View view;
        size_t bytes = 0; // served from memory: what it held when kept (0: not known)
    };
    struct Entry {
        std::string path;
        Opened opened;
        std::unique_ptr<Document> doc;
        size_t bytes = 0;
        uint64_t closedAt = 0; // on the clock of closes
    };
    void drop(std::list<Entry>::iterator it);
    bool makeRoom(const std::string& path, size_t bytes);
    void evictTo(size_t budget);
    void letGo(const std::string& path, uint64_t closedAt);

    size_t budget_;
    size_t bytes_ = 0;
    std::list<Entry> lru_; // most recently kept first
    std::map<std::string, std::list<Entry>::iterator> byPath_;
    std::map<ObjectId, Opened> open_;  // open documents that came from files
    bool keeping_ = false;             // a file was opened again: closed documents are kept
    std::set<std::string> closedOnce_; // until then: the files closed, not kept
    uint64_t clock_ = 0;               // counts the closes of documents that could be kept
    // Files evicted or refused since they were last kept, with when they were last closed.
    std::map<std::string, uint64_t> away_;
    std::pair<std::string, size_t> served_; // the path just served from memory, and its size
    Stats stats_;
};

} // namespace tw::host
