// save_guard.cpp - dry runs, backups and held saves around the MIF store.

#include "cli/save_guard.h"

#include <filesystem>
#include <fstream>
#include <sstream>

#include "host/mif_store.h"

namespace tw::cli {

using namespace tw::host;

bool SaveGuard::backUp(const std::string& path, std::string& error)
{
    namespace fs = std::filesystem;
    const std::string native = NativePath(path);
    if (backedUp_.count(native))
        return true; // the .bak already holds the file as it was before this run
    std::error_code ec;
    if (!fs::exists(native, ec)) {
        backedUp_.insert(native);
        return true; // nothing to keep
    }
    std::ifstream in(native, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    if (!in.good() && !in.eof()) {
        error = "Could not back up " + native + ": it cannot be read";
        return false;
    }
    std::string why;
    if (!WriteFileAtomically(native + ".bak", bytes.str(), why)) {
        error = "Could not back up " + native + " to " + native + ".bak: " + why;
        return false;
    }
    backedUp_.insert(native);
    return true;
}

bool SaveGuard::save(const Model& m, const Document& doc, const std::string& path, std::string& error)
{
    FileChanges change;
    if (trackChanges)
        change = ChangesAgainstFile(files_, doc, path);
    change.path = path;
    changes_.push_back(change);
    if (dryRun)
        return true;
    if (hold) {
        auto copy = std::make_unique<Document>(doc);
        copy->walkList_ = nullptr; // a walking hint into the original, which may close
        held_.push_back({path, std::move(copy), changes_.size() - 1});
        return true;
    }
    if (backup && !backUp(path, error))
        return false;
    if (!files_.save(m, doc, path, error))
        return false;
    changes_.back().written = true;
    return true;
}

bool SaveGuard::save(const Model& m, const Book& book, const std::string& path, std::string& error)
{
    if (dryRun)
        return true;
    if (backup && !backUp(path, error))
        return false;
    return files_.save(m, book, path, error);
}

void SaveGuard::commit(const Model& m, std::vector<std::string>& errors)
{
    std::vector<Held> held = std::move(held_);
    held_.clear();
    for (Held& h : held) {
        std::string error;
        if (backup && !backUp(h.path, error)) {
            errors.push_back(error);
            continue;
        }
        if (!files_.save(m, *h.doc, h.path, error)) {
            errors.push_back(error);
            continue;
        }
        changes_[h.change].written = true;
    }
}

} // namespace tw::cli
