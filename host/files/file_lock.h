// file_lock.h - advisory locks on the files a command is about to change, so that a second
// run that would change the same files refuses instead of overwriting the first one's work.
// Runs that only read files take no lock and are never blocked.
#pragma once

#include <string>
#include <vector>

namespace tw::host {

class FileLocks {
public:
    FileLocks() = default;
    FileLocks(const FileLocks&) = delete;
    FileLocks& operator=(const FileLocks&) = delete;
    ~FileLocks(); // releases every lock

    // Locks `path` (the file a symbolic link names) until this object goes. A file that does
    // not exist or cannot be opened is passed over (its own open or save reports it). False,
    // with `error` naming the file, when another process holds the lock.
    [[nodiscard]] bool lock(const std::string& path, std::string& error);

private:
#if defined(_WIN32)
    std::vector<void*> handles_;     // the named mutexes held
    std::vector<std::string> names_; // and their names
#else
    std::vector<int> fds_; // open files holding a lock
#endif
};

} // namespace tw::host
