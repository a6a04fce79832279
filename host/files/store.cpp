// store.cpp - path normalisation and the in-memory document store used by tests.
#include "host/files/store.h"

#include <algorithm>

namespace tw::host {

std::string NativePath(const std::string& path)
{
    std::string native = path;
#ifndef _WIN32
    std::replace(native.begin(), native.end(), '\\', '/');
#endif
    return native;
}

void MemoryStore::put(const std::string& path, const Document& doc)
{
    auto copy = std::make_unique<Document>(doc);
    copy->id = 0;
    copy->path = NativePath(path);
    docs_[NativePath(path)] = std::move(copy);
}

void MemoryStore::put(const std::string& path, const Book& b)
{
    auto copy = std::make_unique<Book>(b);
    copy->id = 0;
    copy->path = NativePath(path);
    books_[NativePath(path)] = std::move(copy);
}

bool MemoryStore::has(const std::string& path) const
{
    return docs_.count(NativePath(path)) || books_.count(NativePath(path));
}

const Document* MemoryStore::document(const std::string& path) const
{
    auto it = docs_.find(NativePath(path));
    return it == docs_.end() ? nullptr : it->second.get();
}

const Book* MemoryStore::book(const std::string& path) const
{
    auto it = books_.find(NativePath(path));
    return it == books_.end() ? nullptr : it->second.get();
}

int MemoryStore::saves(const std::string& path) const
{
    auto it = saves_.find(NativePath(path));
    return it == saves_.end() ? 0 : it->second;
}

LoadResult MemoryStore::load(Model&, const std::string& path)
{
    LoadResult r;
    std::string key = NativePath(path);
    if (auto it = docs_.find(key); it != docs_.end()) {
        r.doc = std::make_unique<Document>(*it->second);
    } else if (auto bt = books_.find(key); bt != books_.end()) {
        r.book = std::make_unique<Book>(*bt->second);
    } else {
        r.missing = true;
        r.error = "No such file: " + path;
    }
    return r;
}

bool MemoryStore::save(const Model&, const Document& doc, const std::string& path, std::string&)
{
    put(path, doc);
    saves_[NativePath(path)]++;
    return true;
}

bool MemoryStore::save(const Model&, const Book& b, const std::string& path, std::string&)
{
    put(path, b);
    saves_[NativePath(path)]++;
    return true;
}

} // namespace tw::host
