// file_save.h - saving a file the way a careful editor does: the new bytes are written beside
// the old file, flushed and renamed over it, so that a failure or a kill at any moment leaves
// either the old file or the new one; the file keeps its permissions, owner and group, its
// extended attributes and access list where the system has them, a symbolic link keeps
// pointing at it, and a read-only file is refused. A file with several hard links is
// rewritten in place instead, after a flushed recovery copy of its old content, so that every
// name shows the new content.
#pragma once

#include <functional>
#include <string>

namespace tw::host {

// Stages of an atomic save at which a test can make it fail.
enum class SaveStage { Open, Write, Sync, Rename };

// The temporary file a save of `path` writes before it replaces the file.
std::string SavingTempPath(const std::string& path);

// Where a save of a file with several hard links keeps the file's old content while it
// rewrites the file in place (NAME.tw-recover); gone again once the save has ended.
std::string RecoveryCopyPath(const std::string& path);

// Writes `bytes` to `path`. A symbolic link is followed and its target replaced; an existing
// file keeps its permission bits, and its owner and group as far as this process may set them;
// a file without write permission is refused; a device (for example /dev/stdout) is written
// directly. `fail` (tests) is asked at each stage and makes the save fail there when it answers
// true. False with `error` naming the file on failure; the file on disk is then untouched.
[[nodiscard]] bool WriteFileAtomically(const std::string& path, const std::string& bytes, std::string& error,
                                       const std::function<bool(SaveStage)>& fail = {});

// Copies the regular file `file` (links followed) to `backup` the way a save writes: beside
// the name, flushed, renamed over it. The copy has the file's bytes, permission bits and
// modification time, and its owner and group as far as this process may set them. Whatever
// has the name `backup` is replaced itself: a symbolic link there is never followed (its
// target stays as it is). A folder or a read-only file at `backup` is refused. False with
// `error` naming the file on failure; `backup` is then as it was.
[[nodiscard]] bool WriteBackupCopy(const std::string& file, const std::string& backup, std::string& error,
                                   const std::function<bool(SaveStage)>& fail = {});

// What WriteFileAtomically would refuse before writing anything: a folder, or a file without
// write permission. True where a save may go ahead; false with `error` naming the file.
[[nodiscard]] bool CheckReplaceable(const std::string& path, std::string& error);

// Removes the temporary file that a save of `path` killed halfway left beside it. A save in
// progress in another process holds a lock on its temporary file and is left alone.
void RemoveStaleSave(const std::string& path);

// Puts back the old content of a file whose in-place rewrite was killed halfway, from the
// recovery copy that save left, which holds both the old and the new content. A file that holds
// the one or the other only loses the copy; one half-written is put back (`note` says so); one
// that holds something else was changed since by another program and is left as it is, with the
// copy (`note` says that too). True but for a copy that could not be put back: false with
// `error` naming the file. A save in progress elsewhere holds a lock on its recovery copy and is
// left alone.
[[nodiscard]] bool RestoreInterruptedSave(const std::string& path, std::string& note, std::string& error);

// The file a save in this process is writing and would leave behind if the process ended now
// (its temporary file), or null. Safe to call from a signal handler, which removes it before it
// ends the process at once. While a file with several hard links is being rewritten in place,
// SIGINT, SIGTERM, SIGHUP and SIGQUIT are held until the file is whole again.
const char* SaveInProgress();

} // namespace tw::host
