// file_save.cpp - atomic saves that keep what the file was (mode, owner, group, the link that
// named it), refuse read-only files, and clean up after a save that was killed halfway.
#if !defined(_WIN32) // file_save_windows.cpp holds the Windows version
#include "host/file_save.h"
#include "host/save_messages.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

namespace tw::host {
namespace {

namespace fs = std::filesystem;

// The file a path names once symbolic links are followed (the path itself when it is no link).
bool FollowLinks(const std::string& path, std::string& target, std::string& error)
{
    fs::path p(path);
    for (int hops = 0;; ++hops) {
        struct stat st;
        if (::lstat(p.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) {
            target = p.string();
            return true;
        }
        if (hops == 40) {
            errno = ELOOP;
            error = SaveError(path, "following its symbolic link");
            return false;
        }
        std::error_code ec;
        fs::path link = fs::read_symlink(p, ec);
        if (ec) {
            errno = ec.value();
            error = SaveError(path, "following its symbolic link");
            return false;
        }
        p = link.is_absolute() ? link : p.parent_path() / link;
    }
}

bool SameFile(int fd, const std::string& path)
{
    struct stat a, b;
    return ::fstat(fd, &a) == 0 && ::lstat(path.c_str(), &b) == 0 && a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// Removes `temp` unless a save in progress holds its lock.
void RemoveUnlocked(const std::string& temp)
{
    int fd = ::open(temp.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0 && errno == EACCES)
        fd = ::open(temp.c_str(), O_WRONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return;
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0 && SameFile(fd, temp))
        ::unlink(temp.c_str());
    ::close(fd);
}

// Creates the temporary file, locked for as long as this save runs, with a stale one from a
// killed save removed first. -1 with errno set when it cannot be made.
int CreateTemp(const std::string& temp, mode_t mode)
{
    for (int attempt = 0; attempt < 5; ++attempt) {
        RemoveUnlocked(temp);
        int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
        if (fd < 0) {
            if (errno == EEXIST)
                continue; // another save holds it, or it came back meanwhile
            return -1;
        }
        // Another process cleaning up may have taken the name away between create and lock.
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0 && SameFile(fd, temp))
            return fd;
        ::close(fd);
    }
    errno = EBUSY;
    return -1;
}

bool WriteAll(int fd, const std::string& bytes, size_t upTo)
{
    size_t done = 0;
    while (done < upTo) {
        ssize_t n = ::write(fd, bytes.data() + done, upTo - done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        done += static_cast<size_t>(n);
    }
    return true;
}

// Devices and pipes (/dev/stdout, /dev/full) are written as they are, never replaced.
bool WriteDirectly(const std::string& path, const std::string& target, const std::string& bytes, std::string& error)
{
    int fd = ::open(target.c_str(), O_WRONLY | O_CLOEXEC);
    if (fd < 0) {
        error = SaveError(path, "opening it");
        return false;
    }
    bool ok = WriteAll(fd, bytes, bytes.size());
    int saved = errno;
    if (::close(fd) != 0 && ok) {
        saved = errno;
        ok = false;
    }
    errno = saved;
    if (!ok)
        error = WriteError(path);
    return ok;
}

} // namespace

std::string SavingTempPath(const std::string& path) { return path + ".tw-saving"; }

void RemoveStaleSave(const std::string& path)
{
    std::string target, ignored;
    if (FollowLinks(path, target, ignored))
        RemoveUnlocked(SavingTempPath(target));
}

namespace {

// Read-only: no write permission for anyone, or none for this user.
bool IsReadOnly(const struct stat& st, const std::string& target)
{
    return (st.st_mode & 0222) == 0 || ::access(target.c_str(), W_OK) != 0;
}

} // namespace

bool CheckReplaceable(const std::string& path, std::string& error)
{
    std::string target;
    if (!FollowLinks(path, target, error))
        return false;
    struct stat st;
    if (::stat(target.c_str(), &st) != 0)
        return true; // a new file
    if (S_ISDIR(st.st_mode)) {
        error = FolderRefusal(path);
        return false;
    }
    if (S_ISREG(st.st_mode) && IsReadOnly(st, target)) {
        error = ReadOnlyRefusal(path);
        return false;
    }
    return true;
}

bool WriteFileAtomically(const std::string& path, const std::string& bytes, std::string& error,
                         const std::function<bool(SaveStage)>& fail)
{
    auto failed = [&](SaveStage s) { return fail && fail(s); };
    std::string target;
    if (!FollowLinks(path, target, error))
        return false;

    struct stat old;
    bool exists = ::stat(target.c_str(), &old) == 0;
    mode_t mode = 0666; // a new file: as the user's umask makes it
    if (exists) {
        if (S_ISDIR(old.st_mode)) {
            error = FolderRefusal(path);
            return false;
        }
        if (S_ISCHR(old.st_mode) || S_ISFIFO(old.st_mode))
            return WriteDirectly(path, target, bytes, error);
        if (!S_ISREG(old.st_mode)) {
            error = NotAFileRefusal(path);
            return false;
        }
        if (IsReadOnly(old, target)) {
            error = ReadOnlyRefusal(path);
            return false;
        }
        mode = old.st_mode & 07777;
    }

    const std::string temp = SavingTempPath(target);
    if (failed(SaveStage::Open)) {
        errno = EIO;
        error = SaveError(path, "cannot create the new file");
        return false;
    }
    int fd = CreateTemp(temp, mode & 0777);
    if (fd < 0) {
        error = errno == EBUSY ? BusyRefusal(path) : SaveError(path, "cannot create the new file");
        return false;
    }
    auto abandon = [&](const char* what) {
        int saved = errno;
        ::unlink(temp.c_str());
        ::close(fd);
        errno = saved;
        error = SaveError(path, what);
        return false;
    };
    if (exists) {
        // Owner and group first (changing them clears set-id bits), then the exact mode, which
        // the umask may have narrowed. An owner this user may not give is left as it comes;
        // the group is still kept where the user belongs to it.
        if ((old.st_uid != ::geteuid() || old.st_gid != ::getegid()) && ::fchown(fd, old.st_uid, old.st_gid) != 0)
            (void)::fchown(fd, static_cast<uid_t>(-1), old.st_gid);
        if (::fchmod(fd, mode) != 0)
            return abandon("setting its permissions");
    }
    if (failed(SaveStage::Write)) { // an interrupted write: part of the file is out
        (void)WriteAll(fd, bytes, bytes.size() / 2);
        errno = ENOSPC;
        return abandon("writing");
    }
    if (!WriteAll(fd, bytes, bytes.size()))
        return abandon("writing");
    if (failed(SaveStage::Sync)) {
        errno = EIO;
        return abandon("flushing to disk");
    }
    if (::fsync(fd) != 0)
        return abandon("flushing to disk");
    if (failed(SaveStage::Rename)) {
        errno = EIO;
        return abandon("replacing the old file");
    }
    if (::rename(temp.c_str(), target.c_str()) != 0)
        return abandon("replacing the old file");
    ::close(fd); // releases the lock only now that the name is free again
    // Make the rename itself durable.
    fs::path dir = fs::path(target).parent_path();
    if (dir.empty())
        dir = ".";
    int dfd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dfd >= 0) {
        ::fsync(dfd);
        ::close(dfd);
    }
    return true;
}

} // namespace tw::host

#endif
