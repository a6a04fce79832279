// save_guard.cpp - dry runs, backups and held saves around the MIF store.

#include "cli/save_guard.h"

#include <filesystem>

#include "cli/interrupt.h"
#include "host/files/file_save.h"
#include "host/files/mif_store.h"

namespace tw::cli {

using namespace tw::host;

bool SaveGuard::seen(const std::string& path) const
{
    auto id = FileIdentityOf(path);
    return id && saved_.count(*id);
}

void SaveGuard::remember(const std::string& path)
{
    if (auto id = FileIdentityOf(path))
        saved_.insert(*id);
}

host::LoadResult SaveGuard::load(host::Model& m, const std::string& path)
{
    host::RemoveStaleSave(NativePath(path) + ".bak");
    return files_.load(m, path);
}

// Each file is saved once in a run, so its backup, made just before, holds it as it was
// before the run.
bool SaveGuard::backUp(const std::string& path, std::string& error)
{
    namespace fs = std::filesystem;
    const std::string native = NativePath(path);
    if (Interruption()) { // no backup for a save that will not be made
        error = InterruptionRefusal(native);
        return false;
    }
    if (!FileIdentityOf(native))
        return true; // a new file: nothing to keep
    const std::string bak = native + ".bak";
    std::error_code ec;
    if (inputs && !fs::is_symlink(bak, ec))
        if (auto input = inputs->find(bak)) {
            error = "Could not back up " + native + ": " + OutputIsInputRefusal(bak, *input);
            return false;
        }
    std::string why;
    if (!WriteBackupCopy(native, bak, why, failBackup)) {
        error = "Could not back up " + native + ": " + why + "; " + native + " was not saved";
        return false;
    }
    return true;
}

bool SaveGuard::write(const Model& m, const Document& doc, const std::string& path, std::string& error)
{
    if (backup && !backUp(path, error))
        return false;
    if (!files_.save(m, doc, path, error))
        return false;
    remember(NativePath(path)); // the save made a new file: the same one for this run
    return true;
}

bool SaveGuard::save(const Model& m, const Document& doc, const std::string& path, std::string& error)
{
    // A book that names one file twice (a relative and an absolute path, a linked folder)
    // reaches it again after it was saved, or while its save is held: it is changed and
    // saved once, and the second save is the first one's.
    if (seen(NativePath(path)))
        return true;
    FileChanges change;
    change.path = path;
    // A save held back until the tool commits must still fail now where it is bound to fail,
    // so that the plug-in reports the file.
    if (hold && !host::CheckReplaceable(path, error)) {
        change.failed = true;
        changes_.push_back(change);
        return false;
    }
    if (trackChanges)
        change = ChangesAgainstFile(doc, path);
    change.path = path;
    remember(NativePath(path));
    changes_.push_back(change);
    if (dryRun)
        return true;
    if (hold) {
        auto copy = std::make_unique<Document>(doc);
        copy->walkList_ = nullptr; // a walking hint into the original, which may close
        held_.push_back({path, std::move(copy), changes_.size() - 1});
        return true;
    }
    if (!write(m, doc, path, error)) {
        changes_.back().failed = true;
        return false;
    }
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
        if (!write(m, *h.doc, h.path, error)) {
            errors.push_back(error);
            changes_[h.change].failed = true;
            continue;
        }
        changes_[h.change].written = true;
    }
}

} // namespace tw::cli
