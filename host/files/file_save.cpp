// file_save.cpp - atomic saves that keep what the file was (mode, owner, group, extended
// attributes, the link that named it, its other hard links), refuse read-only files, and clean
// up after a save that was killed halfway.
#if !defined(_WIN32) // file_save_windows.cpp holds the Windows version
#include "host/files/file_save.h"
#include "host/files/save_messages.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#if defined(__linux__)
#include <sys/xattr.h>
#endif

#include <algorithm>
#include <atomic>
#include <cassert>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string_view>

namespace tw::host {
namespace {

namespace fs = std::filesystem;

// The temporary file of the save in progress, for a signal handler; see SaveInProgress().
std::atomic<const char*> g_inProgress{nullptr};
static_assert(std::atomic<const char*>::is_always_lock_free);

// Names the file a save is writing for as long as it lives.
class InProgress {
public:
    explicit InProgress(std::string path) : path_(std::move(path))
    {
        assert(!g_inProgress.load() && "one save at a time: the signal handler names one file");
        g_inProgress.store(path_.c_str());
    }
    ~InProgress() { g_inProgress.store(nullptr); }
    InProgress(const InProgress&) = delete;
    InProgress& operator=(const InProgress&) = delete;

private:
    std::string path_;
};

// Holds the signals that would end the tool while a file is not whole, until it is again.
class SignalsHeld {
public:
    SignalsHeld()
    {
        sigset_t set;
        sigemptyset(&set);
        for (int s : {SIGINT, SIGTERM, SIGHUP, SIGQUIT})
            sigaddset(&set, s);
        sigprocmask(SIG_BLOCK, &set, &old_);
    }
    ~SignalsHeld() { sigprocmask(SIG_SETMASK, &old_, nullptr); }
    SignalsHeld(const SignalsHeld&) = delete;
    SignalsHeld& operator=(const SignalsHeld&) = delete;

private:
    sigset_t old_;
};

// Closes a descriptor when it goes.
class Fd {
public:
    explicit Fd(int fd) : fd_(fd) { }
    ~Fd()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return fd_; }

private:
    int fd_;
};

// Makes a new, removed or renamed name in the folder of `path` durable.
void SyncFolderOf(const std::string& path)
{
    fs::path dir = fs::path(path).parent_path();
    if (dir.empty())
        dir = ".";
    int dfd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dfd >= 0) {
        ::fsync(dfd);
        ::close(dfd);
    }
}

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

// Reads the whole of an open file from its start.
bool ReadAll(int fd, std::string& bytes)
{
    bytes.clear();
    char buffer[1 << 16];
    for (off_t at = 0;;) {
        ssize_t n = ::pread(fd, buffer, sizeof buffer, at);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        if (n == 0)
            return true;
        bytes.append(buffer, static_cast<size_t>(n));
        at += n;
    }
}

// Makes an open file hold exactly `bytes` (written from its start, then cut to their length)
// and flushes it. `half` (tests) stops after half of them, as a full disk would.
bool Overwrite(int fd, const std::string& bytes, bool half = false)
{
    if (::lseek(fd, 0, SEEK_SET) != 0)
        return false;
    if (!WriteAll(fd, bytes, half ? bytes.size() / 2 : bytes.size()))
        return false;
    if (half) {
        errno = ENOSPC;
        return false;
    }
    return ::ftruncate(fd, static_cast<off_t>(bytes.size())) == 0 && ::fsync(fd) == 0;
}

// Gives the new file `to` the extended attributes of `from` (on Linux, the access list
// system.posix_acl_access among them). Names the file system or the user may not set are
// passed over; an access list inherited from the folder that the old file did not have is
// taken away again.
void CopyExtendedAttributes([[maybe_unused]] const std::string& from, [[maybe_unused]] int to)
{
#if defined(__linux__)
    constexpr const char* kAccessList = "system.posix_acl_access";
    bool hadAccessList = false;
    ssize_t size = ::listxattr(from.c_str(), nullptr, 0);
    std::string names(size > 0 ? static_cast<size_t>(size) : 0, '\0');
    if (size > 0)
        size = ::listxattr(from.c_str(), names.data(), names.size());
    for (ssize_t at = 0; at < size;) {
        const char* name = names.data() + at;
        at += static_cast<ssize_t>(std::strlen(name)) + 1;
        hadAccessList = hadAccessList || std::strcmp(name, kAccessList) == 0;
        ssize_t length = ::getxattr(from.c_str(), name, nullptr, 0);
        if (length < 0)
            continue;
        std::string value(static_cast<size_t>(length), '\0');
        length = ::getxattr(from.c_str(), name, value.data(), value.size());
        if (length >= 0)
            (void)::fsetxattr(to, name, value.data(), static_cast<size_t>(length), 0);
    }
    if (!hadAccessList)
        (void)::fremovexattr(to, kAccessList);
#endif
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

// Gives the new file `fd` the owner, group and permission bits of `old`: owner and group first
// (changing them clears set-id bits), then the exact mode, which the umask may have narrowed.
// An owner this user may not give is left as it comes; the group is still kept where the user
// belongs to it. False (errno set) when the mode cannot be set.
// Gives the new file `fd` what the file `from` (whose status is `old`) has: owner and group first
// (changing them clears set-id bits; an owner this user may not give is left as it comes, the
// group is still kept where the user belongs to it), then the extended attributes and access
// list, then the exact mode, which the umask may have narrowed.
bool KeepOwnerAndMode(int fd, const struct stat& old, const std::string& from)
{
    if ((old.st_uid != ::geteuid() || old.st_gid != ::getegid()) && ::fchown(fd, old.st_uid, old.st_gid) != 0)
        (void)::fchown(fd, static_cast<uid_t>(-1), old.st_gid);
    CopyExtendedAttributes(from, fd);
    return ::fchmod(fd, old.st_mode & 07777) == 0;
}

} // namespace

std::string SavingTempPath(const std::string& path) { return path + ".tw-saving"; }

std::string RecoveryCopyPath(const std::string& path) { return path + ".tw-recover"; }

const char* SaveInProgress() { return g_inProgress.load(); }

void RemoveStaleSave(const std::string& path)
{
    std::string target, ignored;
    if (FollowLinks(path, target, ignored))
        RemoveUnlocked(SavingTempPath(target));
}

namespace {

// A recovery copy holds the old content, then the new content the save was writing, then a
// last line with both sizes, so that the next open can tell what the file holds now.
constexpr std::string_view kRecoveryMark = "\n#tagwright-recovery-copy ";

std::string RecoveryCopyBytes(const std::string& old, const std::string& now)
{
    return old + now + std::string(kRecoveryMark) + std::to_string(old.size()) + " " + std::to_string(now.size()) +
           "\n";
}

// Splits a recovery copy into the old and the new content; false when it is not one.
bool ReadRecoveryCopy(const std::string& copy, std::string& old, std::string& now)
{
    const size_t mark = copy.rfind(kRecoveryMark);
    if (mark == std::string::npos || copy.empty() || copy.back() != '\n')
        return false;
    unsigned long long oldSize = 0, newSize = 0;
    if (std::sscanf(copy.c_str() + mark + kRecoveryMark.size(), "%llu %llu", &oldSize, &newSize) != 2 ||
        oldSize + newSize != mark)
        return false;
    old = copy.substr(0, oldSize);
    now = copy.substr(oldSize, newSize);
    return true;
}

// Whether `file` is what writing `now` over `old` in place (and `old` back over that) can leave
// behind when it stops anywhere: no longer than the longer, no shorter than the shorter, and
// each byte one of the two has there.
bool LeftByRewrite(const std::string& file, const std::string& old, const std::string& now)
{
    if (file.size() > std::max(old.size(), now.size()) || file.size() < std::min(old.size(), now.size()))
        return false;
    for (size_t i = 0; i < file.size(); ++i)
        if (!(i < old.size() && file[i] == old[i]) && !(i < now.size() && file[i] == now[i]))
            return false;
    return true;
}

} // namespace

bool RestoreInterruptedSave(const std::string& path, std::string& note, std::string& error)
{
    std::string target, ignored;
    if (!FollowLinks(path, target, ignored))
        return true; // the open reports the link
    const std::string recovery = RecoveryCopyPath(target);
    Fd copy(::open(recovery.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK));
    struct stat st;
    if (copy.get() < 0 || ::fstat(copy.get(), &st) != 0 || !S_ISREG(st.st_mode))
        return true;
    if (::flock(copy.get(), LOCK_EX | LOCK_NB) != 0 || !SameFile(copy.get(), recovery))
        return true; // a save in progress holds it, or it has just gone
    auto failed = [&](const char* what) {
        error = path +
                ": a save that was interrupted left it half-written, and its earlier content could not be put "
                "back from " +
                recovery + " (" + what + ": " + std::strerror(errno) + "); that copy is kept";
        return false;
    };
    std::string bytes, old, now, current;
    if (!ReadAll(copy.get(), bytes))
        return failed("reading the copy");
    SignalsHeld held;
    Fd file(::open(target.c_str(), O_RDWR | O_CLOEXEC));
    if (file.get() < 0)
        return failed("opening the file");
    if (!ReadAll(file.get(), current))
        return failed("reading the file");
    const bool known = ReadRecoveryCopy(bytes, old, now);
    if (known && (current == now || current == old)) { // the save had ended, or not yet begun
        ::unlink(recovery.c_str());
        SyncFolderOf(target);
        return true;
    }
    if (!known || !LeftByRewrite(current, old, now)) {
        // Changed since by someone else: that work stays, and so does the copy.
        note = path + ": changed since a save of it was interrupted, so its earlier content in " + recovery +
               " was not put back; remove that copy once the file is as it should be";
        return true;
    }
    if (!Overwrite(file.get(), old))
        return failed("writing the file");
    ::unlink(recovery.c_str());
    SyncFolderOf(target);
    note = path + ": a save that was interrupted had left it half-written; its earlier content was put back from " +
           recovery;
    return true;
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

namespace {

using Stages = std::function<bool(SaveStage)>;

// A file with other hard links: its old content goes to a recovery copy first (written as a
// temporary file, flushed, then renamed to NAME.tw-recover, which the next open puts back if
// this save is killed before it ends); then the file itself is rewritten and flushed, and the
// copy removed. The signals that end the tool are held from the rename on, so that only a
// kill can leave the recovery copy behind.
bool RewriteInPlace(const std::string& path, const std::string& target, const std::string& bytes, std::string& error,
                    const Stages& failed)
{
    const std::string temp = SavingTempPath(target);
    const std::string recovery = RecoveryCopyPath(target);
    struct stat st;
    if (::lstat(recovery.c_str(), &st) == 0) {
        error = path + ": could not be saved (" + recovery +
                " holds its content from before an interrupted save: open the file again to put it back, or remove "
                "the copy once the file is as it should be); the file on disk is unchanged";
        return false;
    }
    Fd file(::open(target.c_str(), O_RDWR | O_CLOEXEC));
    if (file.get() < 0) {
        error = SaveError(path, "opening it");
        return false;
    }
    std::string old;
    if (!ReadAll(file.get(), old)) {
        error = SaveError(path, "reading it");
        return false;
    }
    if (failed(SaveStage::Open)) {
        errno = EIO;
        error = SaveError(path, "cannot create the new file");
        return false;
    }
    InProgress writing(temp); // named before it exists: a signal can come right after
    Fd copy(CreateTemp(temp, 0600));
    if (copy.get() < 0) {
        error = errno == EBUSY ? BusyRefusal(path) : SaveError(path, "cannot create the new file");
        return false;
    }
    auto abandon = [&](const std::string& name, const char* what) {
        int saved = errno;
        ::unlink(name.c_str());
        errno = saved;
        error = SaveError(path, what);
        return false;
    };
    const std::string recoveryBytes = RecoveryCopyBytes(old, bytes);
    if (!WriteAll(copy.get(), recoveryBytes, recoveryBytes.size()) || ::fsync(copy.get()) != 0)
        return abandon(temp, "keeping a copy of the old content");
    if (failed(SaveStage::Rename))
        return abandon(temp, "rewriting it in place"); // errno as the test left it
    SignalsHeld held;
    if (::rename(temp.c_str(), recovery.c_str()) != 0)
        return abandon(temp, "keeping a copy of the old content");
    SyncFolderOf(target);
    // The copy keeps the lock taken as a temporary file: no clean-up elsewhere touches it.
    const bool half = failed(SaveStage::Write); // tests: half of the new content goes out
    bool written = Overwrite(file.get(), bytes, half);
    if (written && failed(SaveStage::Sync))
        written = false;
    if (!written) {
        int saved = errno;
        if (!Overwrite(file.get(), old)) {
            errno = saved;
            error = path + ": could not be saved (rewriting it in place: " + std::strerror(saved) +
                    ") nor put back as it was; its earlier content is kept in " + recovery +
                    ", which the next open of the file puts back";
            return false;
        }
        errno = saved;
        return abandon(recovery, "rewriting it in place");
    }
    ::unlink(recovery.c_str());
    SyncFolderOf(target);
    return true;
}

} // namespace

namespace {

// Writes the new content to a temporary file beside the old one (with `old`'s owner, group,
// attributes and mode where the file exists), flushes it and renames it over the old name.
bool ReplaceWithNewFile(const std::string& path, const std::string& target, const std::string& bytes,
                        const struct stat* old, std::string& error, const Stages& failed)
{
    const std::string temp = SavingTempPath(target);
    if (failed(SaveStage::Open)) {
        error = SaveError(path, "cannot create the new file");
        return false;
    }
    InProgress writing(temp);                       // named before it exists: a signal can come right after
    mode_t mode = old ? old->st_mode & 0777 : 0666; // a new file: as the user's umask makes it
    int fd = CreateTemp(temp, mode);
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
    // Owner and group first (changing them clears set-id bits), then the extended attributes,
    // then the exact mode, which the umask may have narrowed.
    if (old && !KeepOwnerAndMode(fd, *old, target))
        return abandon("setting its permissions");
    if (failed(SaveStage::Write)) { // an interrupted write: part of the file is out
        (void)WriteAll(fd, bytes, bytes.size() / 2);
        errno = ENOSPC;
        return abandon("writing");
    }
    if (!WriteAll(fd, bytes, bytes.size()))
        return abandon("writing");
    if (failed(SaveStage::Sync) || ::fsync(fd) != 0)
        return abandon("flushing to disk");
    if (failed(SaveStage::Rename) || ::rename(temp.c_str(), target.c_str()) != 0)
        return abandon("replacing the old file");
    ::close(fd);          // releases the lock only now that the name is free again
    SyncFolderOf(target); // makes the rename itself durable
    return true;
}

} // namespace

// What is at the name decides the way: a folder, something that is not a file, or a read-only
// file is refused; a device or a pipe is written directly; a file with other hard links is
// rewritten in place; any other file, or none, is replaced by a new one.
bool WriteFileAtomically(const std::string& path, const std::string& bytes, std::string& error,
                         const std::function<bool(SaveStage)>& fail)
{
    auto failed = [&](SaveStage s) {
        errno = EIO;
        return fail && fail(s);
    };
    std::string target;
    if (!FollowLinks(path, target, error))
        return false;
    struct stat old;
    if (::stat(target.c_str(), &old) != 0)
        return ReplaceWithNewFile(path, target, bytes, nullptr, error, failed);
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
    if (old.st_nlink > 1)
        return RewriteInPlace(path, target, bytes, error, failed);
    return ReplaceWithNewFile(path, target, bytes, &old, error, failed);
}

namespace {

// Whether a backup may be written at `backup`: not over a folder or a read-only file (what is
// at the name is looked at, never followed; a symbolic link there is replaced).
bool BackupNameFree(const std::string& backup, std::string& error)
{
    struct stat have;
    if (::lstat(backup.c_str(), &have) != 0)
        return true;
    if (S_ISDIR(have.st_mode)) {
        error = FolderRefusal(backup);
        return false;
    }
    if (S_ISREG(have.st_mode) && IsReadOnly(have, backup)) {
        error = ReadOnlyRefusal(backup);
        return false;
    }
    return true;
}

// Copies what is left of `in` to `out`; on failure `what` says which side failed, with errno.
bool CopyContent(int in, int out, const std::function<bool(SaveStage)>& failed, const char*& what)
{
    std::string chunk(1 << 16, '\0');
    for (;;) {
        ssize_t n = ::read(in, chunk.data(), chunk.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return what = "reading the file it keeps", false;
        if (n == 0)
            return true;
        if (failed(SaveStage::Write))
            errno = ENOSPC;
        if (failed(SaveStage::Write) || !WriteAll(out, chunk, static_cast<size_t>(n)))
            return what = "writing", false;
    }
}

} // namespace

bool WriteBackupCopy(const std::string& file, const std::string& backup, std::string& error,
                     const std::function<bool(SaveStage)>& fail)
{
    auto failed = [&](SaveStage s) { return fail && fail(s); };
    if (!BackupNameFree(backup, error))
        return false;
    Fd in(::open(file.c_str(), O_RDONLY | O_CLOEXEC));
    struct stat old;
    if (in.get() < 0 || ::fstat(in.get(), &old) != 0 || !S_ISREG(old.st_mode)) {
        if (in.get() >= 0 && S_ISDIR(old.st_mode))
            errno = EISDIR;
        else if (in.get() >= 0 && !S_ISREG(old.st_mode))
            errno = EINVAL;
        error = file + ": could not be read to back it up (" + std::strerror(errno) + ")";
        return false;
    }
    const std::string temp = SavingTempPath(backup);
    InProgress writing(temp); // a second signal removes it before the process ends
    int fd = failed(SaveStage::Open) ? (errno = EIO, -1) : CreateTemp(temp, old.st_mode & 0777);
    if (fd < 0) {
        error = errno == EBUSY ? BusyRefusal(backup) : SaveError(backup, "cannot create the new file");
        return false;
    }
    auto abandon = [&](const char* what) {
        int saved = errno;
        ::unlink(temp.c_str());
        ::close(fd);
        errno = saved;
        error = SaveError(backup, what);
        return false;
    };
    if (!KeepOwnerAndMode(fd, old, file))
        return abandon("setting its permissions");
    if (const char* what = nullptr; !CopyContent(in.get(), fd, failed, what))
        return abandon(what);
    const struct timespec times[2] = {old.st_atim, old.st_mtim};
    if (::futimens(fd, times) != 0)
        return abandon("setting its modification time");
    if (failed(SaveStage::Sync))
        errno = EIO;
    if (failed(SaveStage::Sync) || ::fsync(fd) != 0)
        return abandon("flushing to disk");
    if (failed(SaveStage::Rename))
        errno = EIO;
    // rename() replaces whatever has the name, a symbolic link included, and never follows it.
    if (failed(SaveStage::Rename) || ::rename(temp.c_str(), backup.c_str()) != 0)
        return abandon("replacing the old backup");
    ::close(fd);
    SyncFolderOf(backup);
    return true;
}

} // namespace tw::host

#endif
