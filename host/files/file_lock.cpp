// file_lock.cpp - advisory locks (flock) held on open files for as long as a command runs;
// the system drops them when the process ends, however it ends.
#if !defined(_WIN32) // file_lock_windows.cpp holds the Windows version
#include "host/files/file_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace tw::host {

FileLocks::~FileLocks()
{
    for (int fd : fds_)
        ::close(fd);
}

bool FileLocks::lock(const std::string& path, std::string& error)
{
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return true;
    struct stat st;
    if (::fstat(fd, &st) == 0)
        for (int held : fds_) { // named twice (a book listing itself): locked already
            struct stat other;
            if (::fstat(held, &other) == 0 && other.st_dev == st.st_dev && other.st_ino == st.st_ino) {
                ::close(fd);
                return true;
            }
        }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        int saved = errno;
        ::close(fd);
        if (saved != EWOULDBLOCK)
            return true; // a file system without locks: nothing to guard
        error =
            path + ": is being changed by another tagwright run; nothing was changed (try again when it has finished)";
        return false;
    }
    fds_.push_back(fd);
    return true;
}

} // namespace tw::host

#endif
