// doc_cache.cpp - the cache of documents closed unchanged: file identities, keeping, serving
// and evicting.
#include "host/files/doc_cache.h"

#include <sys/stat.h>

#include "host/files/posix_io.h"

#include <cassert>
#include <cstdio>
#include <cstring>
#include <memory>

#include "host/mif/tree.h"

namespace tw::host {

FileIdentity FileIdentity::Of(const std::string& path)
{
    struct stat st { };
    FileIdentity id;
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
        return id;
    id.valid = true;
    id.device = st.st_dev;
    id.inode = st.st_ino;
    id.size = st.st_size;
    id.mtimeNs = io::ModifiedNs(st);
    return id;
}

DocumentCache::DocumentCache() : budget_(kDefaultCacheMb << 20) { }

void DocumentCache::setBudget(size_t bytes)
{
    budget_ = bytes;
    evictTo(budget_);
    if (budget_ == 0) {
        open_.clear();
        away_.clear();
    }
}

void DocumentCache::opened(const Document& doc, const std::string& path, const FileIdentity& identity)
{
    const std::pair<std::string, size_t> served = std::move(served_);
    served_ = {};
    if (budget_ == 0 || !identity.valid || !doc.mif)
        return;
    Opened o;
    o.path = path;
    o.bytes = served.first == path ? served.second : 0;
    o.identity = identity;
    o.readAt = std::time(nullptr);
    o.view = View{doc.selection,     doc.currentPage, doc.docMode, doc.displayUnits,
                  doc.fontSizeUnits, doc.redisplays,  doc.visible};
    open_[doc.id] = o;
}

void DocumentCache::forget(ObjectId doc) { open_.erase(doc); }

void DocumentCache::fileWritten(const std::string& path)
{
    auto it = byPath_.find(path);
    if (it != byPath_.end())
        drop(it->second);
    away_.erase(path);
    for (auto o = open_.begin(); o != open_.end();)
        o = o->second.path == path ? open_.erase(o) : std::next(o);
}

void DocumentCache::closing(std::unique_ptr<Document>& doc)
{
    auto o = open_.find(doc->id);
    if (o == open_.end())
        return;
    Opened opened = std::move(o->second);
    open_.erase(o);
    if (budget_ == 0 || doc->modified || doc->path != opened.path)
        return;
    if (!keeping_) {
        closedOnce_.insert(opened.path);
        return;
    }
    // Unchanged since it was served from memory: it holds what it held then.
    const size_t bytes = opened.bytes ? opened.bytes : DocumentMemory(*doc);
    if (bytes > budget_)
        return;
    if (auto old = byPath_.find(opened.path); old != byPath_.end())
        drop(old->second);
    const uint64_t now = ++clock_;
    if (!makeRoom(opened.path, bytes)) {
        ++stats_.refused;
        letGo(opened.path, now);
        return;
    }
    away_.erase(opened.path);
    // Back to how it was when opened, with no id of its own.
    const View& v = opened.view;
    doc->selection = v.selection;
    doc->currentPage = v.currentPage;
    doc->docMode = v.docMode;
    doc->displayUnits = v.displayUnits;
    doc->fontSizeUnits = v.fontSizeUnits;
    doc->redisplays = v.redisplays;
    doc->visible = v.visible;
    doc->walkList_ = nullptr;
    doc->walkIndex_ = 0;
    doc->id = 0;
    std::string path = opened.path;
    lru_.push_front(Entry{path, std::move(opened), std::move(doc), bytes, now});
    byPath_[path] = lru_.begin();
    bytes_ += bytes;
    assert(bytes_ <= budget_);
}

namespace {

// Whether the file still holds exactly `bytes`.
bool SameContents(const std::string& path, const std::string& bytes)
{
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> in(std::fopen(path.c_str(), "rb"), &std::fclose);
    if (!in)
        return false;
    // Compared a block at a time as it is read: no copy of the file is made.
    char block[65536];
    size_t at = 0;
    for (size_t n; (n = std::fread(block, 1, sizeof block, in.get())) > 0; at += n)
        if (n > bytes.size() - at || std::memcmp(block, bytes.data() + at, n) != 0)
            return false;
    return !std::ferror(in.get()) && at == bytes.size();
}

} // namespace

std::unique_ptr<Document> DocumentCache::take(const std::string& path)
{
    if (!keeping_ && closedOnce_.count(path)) { // this run comes back to its files
        keeping_ = true;
        closedOnce_.clear();
    }
    auto it = byPath_.find(path);
    if (it == byPath_.end()) {
        ++stats_.misses;
        return nullptr;
    }
    Entry& e = *it->second;
    FileIdentity now = FileIdentity::Of(path);
    bool same = now == e.opened.identity;
    // A file changed within the clock's resolution of when it was read can keep its identity
    // (same size, same coarse time): then its bytes decide.
    if (same && now.mtimeNs / 1000000000 + 2 >= static_cast<int64_t>(e.opened.readAt))
        same = e.doc->mif && !e.doc->mif->texts.empty() && SameContents(path, *e.doc->mif->texts.front());
    if (!same) {
        ++stats_.stale;
        ++stats_.misses;
        drop(it->second);
        return nullptr;
    }
    ++stats_.hits;
    std::unique_ptr<Document> doc = std::move(e.doc);
    served_ = {path, e.bytes};
    drop(it->second);
    return doc;
}

void DocumentCache::drop(std::list<Entry>::iterator it)
{
    assert(bytes_ >= it->bytes && "bytes_ is the sum of the kept entries");
    bytes_ -= it->bytes;
    byPath_.erase(it->path);
    lru_.erase(it);
}

// Makes room for a document of `bytes` about to be kept; false (evicting nothing) when it is not
// worth it. Evicting the least recently used is right for a file used for the first time or
// often. A file that was let go and comes back was away for longer than the budget lasts: in a
// walk round more files than fit, the least recently used is the next one needed, and putting
// one in place of another would leave nothing to be served. So a returning file is kept only
// in place of files idle since before it was last closed (which a repeated walk never finds),
// and a working set that comes back after other files is kept again from its second round on.
bool DocumentCache::makeRoom(const std::string& path, size_t bytes)
{
    const size_t fits = budget_ - bytes; // bytes <= budget_
    if (bytes_ <= fits)
        return true;
    if (auto away = away_.find(path); away != away_.end()) {
        size_t left = bytes_;
        for (auto it = lru_.rbegin(); it != lru_.rend() && left > fits; ++it) {
            if (it->closedAt > away->second)
                return false;
            left -= it->bytes;
        }
    }
    evictTo(fits);
    return true;
}

void DocumentCache::evictTo(size_t budget)
{
    while (!lru_.empty() && bytes_ > budget) {
        auto last = std::prev(lru_.end());
        letGo(last->path, last->closedAt);
        drop(last);
        ++stats_.evictions;
    }
}

void DocumentCache::letGo(const std::string& path, uint64_t closedAt)
{
    constexpr size_t kMaxAway = size_t{1} << 14; // past that many files, the history starts over
    if (away_.size() >= kMaxAway && !away_.count(path))
        away_.clear();
    away_[path] = closedAt;
}

} // namespace tw::host
