// file_save.h - saving a file the way a careful editor does: the new bytes are written beside
// the old file, flushed and renamed over it, so that a failure or a kill at any moment leaves
// either the old file or the new one; the file keeps its permissions, owner and group, a
// symbolic link keeps pointing at it, and a read-only file is refused.
#pragma once

#include <functional>
#include <string>

namespace tw::host {

// Stages of an atomic save at which a test can make it fail.
enum class SaveStage { Open, Write, Sync, Rename };

// The temporary file a save of `path` writes before it replaces the file.
std::string SavingTempPath(const std::string& path);

// Writes `bytes` to `path`. A symbolic link is followed and its target replaced; an existing
// file keeps its permission bits, and its owner and group as far as this process may set them;
// a file without write permission is refused; a device (for example /dev/stdout) is written
// directly. `fail` (tests) is asked at each stage and makes the save fail there when it answers
// true. False with `error` naming the file on failure; the file on disk is then untouched.
bool WriteFileAtomically(const std::string& path, const std::string& bytes, std::string& error,
                         const std::function<bool(SaveStage)>& fail = {});

// What WriteFileAtomically would refuse before writing anything: a folder, or a file without
// write permission. True where a save may go ahead; false with `error` naming the file.
bool CheckReplaceable(const std::string& path, std::string& error);

// Removes the temporary file that a save of `path` killed halfway left beside it. A save in
// progress in another process holds a lock on its temporary file and is left alone.
void RemoveStaleSave(const std::string& path);

} // namespace tw::host
