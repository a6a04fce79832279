// file_save_windows.cpp - atomic saves on Windows: the new bytes go to a temporary file beside
// the old one, are flushed, and MoveFileEx puts them in its place in one step. Read-only files
// and folders are refused; the file keeps its attributes. A save in progress holds its temporary
// file open without sharing, which is what keeps another process's clean-up away from it.
#if defined(_WIN32)

#include "host/files/file_save.h"
#include "host/files/save_messages.h"

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <sys/stat.h>
#include <windows.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace tw::host {
namespace {

// errno for the last Windows error, so that messages read as they do elsewhere.
void SetErrnoFromWindows()
{
    switch (GetLastError()) {
    case ERROR_ACCESS_DENIED:
    case ERROR_WRITE_PROTECT: errno = EACCES; break;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL: errno = ENOSPC; break;
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION: errno = EBUSY; break;
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND: errno = ENOENT; break;
    default: errno = EIO;
    }
}

bool IsReadOnly(const struct stat& st) { return (st.st_mode & _S_IWRITE) == 0; }

// Creates the temporary file for this save alone (no sharing), a stale one from a killed save
// removed first. INVALID_HANDLE_VALUE with errno set when it cannot be made.
HANDLE CreateTemp(const std::string& temp)
{
    for (int attempt = 0; attempt < 5; ++attempt) {
        HANDLE h = CreateFileA(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h != INVALID_HANDLE_VALUE)
            return h;
        DWORD why = GetLastError();
        if (why != ERROR_FILE_EXISTS && why != ERROR_ALREADY_EXISTS) {
            SetErrnoFromWindows();
            return INVALID_HANDLE_VALUE;
        }
        if (!DeleteFileA(temp.c_str()) && GetLastError() != ERROR_FILE_NOT_FOUND)
            break; // another save has it open
    }
    errno = EBUSY;
    return INVALID_HANDLE_VALUE;
}

bool WriteAll(HANDLE h, const std::string& bytes, size_t upTo)
{
    size_t done = 0;
    while (done < upTo) {
        DWORD chunk = static_cast<DWORD>(std::min<size_t>(upTo - done, 1u << 30));
        DWORD written = 0;
        if (!WriteFile(h, bytes.data() + done, chunk, &written, nullptr)) {
            SetErrnoFromWindows();
            return false;
        }
        done += written;
    }
    return true;
}

// Devices (NUL, CON) are written as they are, never replaced.
bool WriteDirectly(const std::string& path, const std::string& bytes, std::string& error)
{
    HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        SetErrnoFromWindows();
        error = SaveError(path, "opening it");
        return false;
    }
    bool ok = WriteAll(h, bytes, bytes.size());
    CloseHandle(h);
    if (!ok)
        error = WriteError(path);
    return ok;
}

} // namespace

std::string SavingTempPath(const std::string& path) { return path + ".tw-saving"; }

std::string RecoveryCopyPath(const std::string& path) { return path + ".tw-recover"; }

// A console control handler runs on its own thread while the save goes on, and the temporary
// file is open without sharing, so it could not remove it: the next open does.
const char* SaveInProgress() { return nullptr; }

// Saves on Windows always replace the file (hard links are not kept) and leave no recovery copy.
bool RestoreInterruptedSave(const std::string&, std::string&, std::string&) { return true; }

void RemoveStaleSave(const std::string& path)
{
    // Fails while a save in progress holds the file open, which leaves that save alone.
    DeleteFileA(SavingTempPath(path).c_str());
}

bool CheckReplaceable(const std::string& path, std::string& error)
{
    struct stat st;
    if (::stat(path.c_str(), &st) != 0)
        return true; // a new file
    if (S_ISDIR(st.st_mode)) {
        error = FolderRefusal(path);
        return false;
    }
    if (S_ISREG(st.st_mode) && IsReadOnly(st)) {
        error = ReadOnlyRefusal(path);
        return false;
    }
    return true;
}

namespace {

constexpr DWORD kKeptAttributes =
    FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;

// The last steps of a save through a temporary file: flushes and closes `h` (a file open
// without delete sharing cannot be moved), gives it `attributes` and moves it over `target` in
// one step; MoveFileEx replaces a link at the name itself, never the file it points to. `h` is
// closed whatever happens; on failure errno is set and `what` names the step that failed.
bool CommitTemp(HANDLE h, const std::string& temp, const std::string& target, DWORD attributes,
                const std::function<bool(SaveStage)>& failed, const char* replacing, const char*& what)
{
    const bool syncFails = failed(SaveStage::Sync);
    if (syncFails || !FlushFileBuffers(h)) {
        if (syncFails)
            errno = EIO;
        else
            SetErrnoFromWindows();
        CloseHandle(h);
        return what = "flushing to disk", false;
    }
    if (!CloseHandle(h)) {
        SetErrnoFromWindows();
        return what = "closing", false;
    }
    if (failed(SaveStage::Rename)) {
        errno = EIO;
        return what = replacing, false;
    }
    SetFileAttributesA(temp.c_str(), attributes);
    if (!MoveFileExA(temp.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        SetErrnoFromWindows();
        return what = replacing, false;
    }
    return true;
}

// Whether a backup may be written at `backup`: not over a folder or a read-only file. What has
// the name is looked at, never followed: a link there is replaced itself.
bool BackupNameFree(const std::string& backup, std::string& error)
{
    const DWORD have = GetFileAttributesA(backup.c_str());
    if (have == INVALID_FILE_ATTRIBUTES || (have & FILE_ATTRIBUTE_REPARSE_POINT) != 0)
        return true;
    if (have & FILE_ATTRIBUTE_DIRECTORY) {
        error = FolderRefusal(backup);
        return false;
    }
    if (have & FILE_ATTRIBUTE_READONLY) {
        error = ReadOnlyRefusal(backup);
        return false;
    }
    return true;
}

// Copies what is left of `in` to `out`; on failure errno is set and `what` says which side failed.
bool CopyContent(HANDLE in, HANDLE out, const std::function<bool(SaveStage)>& failed, const char*& what)
{
    std::string chunk(1 << 16, '\0');
    for (;;) {
        DWORD got = 0;
        if (!ReadFile(in, chunk.data(), static_cast<DWORD>(chunk.size()), &got, nullptr)) {
            SetErrnoFromWindows();
            return what = "reading the file it keeps", false;
        }
        if (got == 0)
            return true;
        if (failed(SaveStage::Write))
            errno = ENOSPC;
        if (failed(SaveStage::Write) || !WriteAll(out, chunk, got))
            return what = "writing", false;
    }
}

// Closes a handle when it goes.
class Handle {
public:
    explicit Handle(HANDLE h) : h_(h) { }
    ~Handle()
    {
        if (h_ != INVALID_HANDLE_VALUE)
            CloseHandle(h_);
    }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    HANDLE get() const { return h_; }

private:
    HANDLE h_;
};

} // namespace

bool WriteFileAtomically(const std::string& path, const std::string& bytes, std::string& error,
                         const std::function<bool(SaveStage)>& fail)
{
    auto failed = [&](SaveStage s) { return fail && fail(s); };
    struct stat old;
    DWORD attributes = FILE_ATTRIBUTE_NORMAL;
    if (::stat(path.c_str(), &old) == 0) {
        if (S_ISDIR(old.st_mode)) {
            error = FolderRefusal(path);
            return false;
        }
        if (S_ISCHR(old.st_mode))
            return WriteDirectly(path, bytes, error);
        if (!S_ISREG(old.st_mode)) {
            error = NotAFileRefusal(path);
            return false;
        }
        if (IsReadOnly(old)) {
            error = ReadOnlyRefusal(path);
            return false;
        }
        DWORD had = GetFileAttributesA(path.c_str());
        if (had != INVALID_FILE_ATTRIBUTES)
            attributes = had & kKeptAttributes;
    }

    const std::string temp = SavingTempPath(path);
    if (failed(SaveStage::Open)) {
        errno = EIO;
        error = SaveError(path, "cannot create the new file");
        return false;
    }
    HANDLE h = CreateTemp(temp);
    if (h == INVALID_HANDLE_VALUE) {
        error = errno == EBUSY ? BusyRefusal(path) : SaveError(path, "cannot create the new file");
        return false;
    }
    auto abandon = [&](const char* what, bool close) {
        int saved = errno;
        if (close)
            CloseHandle(h);
        DeleteFileA(temp.c_str());
        errno = saved;
        error = SaveError(path, what);
        return false;
    };
    if (failed(SaveStage::Write)) { // an interrupted write: part of the file is out
        (void)WriteAll(h, bytes, bytes.size() / 2);
        errno = ENOSPC;
        return abandon("writing", true);
    }
    if (!WriteAll(h, bytes, bytes.size()))
        return abandon("writing", true);
    if (const char* what = nullptr; !CommitTemp(h, temp, path, attributes, failed, "replacing the old file", what))
        return abandon(what, false);
    return true;
}

bool WriteBackupCopy(const std::string& file, const std::string& backup, std::string& error,
                     const std::function<bool(SaveStage)>& fail)
{
    auto failed = [&](SaveStage s) { return fail && fail(s); };
    if (!BackupNameFree(backup, error))
        return false;
    Handle in(CreateFileA(file.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                          FILE_ATTRIBUTE_NORMAL, nullptr));
    BY_HANDLE_FILE_INFORMATION info;
    if (in.get() == INVALID_HANDLE_VALUE || !GetFileInformationByHandle(in.get(), &info) ||
        (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
        SetErrnoFromWindows();
        error = file + ": could not be read to back it up (" + std::strerror(errno) + ")";
        return false;
    }
    const std::string temp = SavingTempPath(backup);
    HANDLE h = failed(SaveStage::Open) ? (errno = EIO, INVALID_HANDLE_VALUE) : CreateTemp(temp);
    if (h == INVALID_HANDLE_VALUE) {
        error = errno == EBUSY ? BusyRefusal(backup) : SaveError(backup, "cannot create the new file");
        return false;
    }
    auto abandon = [&](const char* what, bool close) {
        int saved = errno;
        if (close)
            CloseHandle(h);
        DeleteFileA(temp.c_str());
        errno = saved;
        error = SaveError(backup, what);
        return false;
    };
    if (const char* what = nullptr; !CopyContent(in.get(), h, failed, what))
        return abandon(what, true);
    // The time of the last write is the file's; set after the writes, which would change it.
    if (!SetFileTime(h, &info.ftCreationTime, &info.ftLastAccessTime, &info.ftLastWriteTime)) {
        SetErrnoFromWindows();
        return abandon("setting its modification time", true);
    }
    const DWORD attributes = info.dwFileAttributes & kKeptAttributes;
    if (const char* what = nullptr; !CommitTemp(h, temp, backup, attributes, failed, "replacing the old backup", what))
        return abandon(what, false);
    return true;
}

} // namespace tw::host

#endif
