// posix_io.h - the few POSIX file and terminal calls the host and the tool make, with their
// Windows equivalents where the host is built for Windows: binary-mode descriptors, flushing
// to disk, replacing a file by another, loading a client library, asking for a terminal,
// reading a file's modification time.
#pragma once

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdint>
#include <string>

#if defined(_WIN32)
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <io.h>
#include <windows.h>
#else
#include <dlfcn.h>
#include <unistd.h>
#endif

namespace tw::host::io {

#if defined(_WIN32)
constexpr int kBinary = O_BINARY; // no line-end translation
inline int SyncFile(int fd) { return _commit(fd); }
// Replaces to by from; MoveFileEx is what replaces an existing file on Windows.
inline int ReplaceFile(const char* from, const char* to)
{
    if (MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return 0;
    errno = GetLastError() == ERROR_ACCESS_DENIED ? EACCES : EIO;
    return -1;
}
// Windows has no directory entries to flush: MOVEFILE_WRITE_THROUGH made the move durable.
inline void SyncDirectory(const char*) { }
inline bool IsTerminal(int fd) { return _isatty(fd) != 0; }

inline void* LoadClientLibrary(const std::string& path, std::string& why)
{
    HMODULE module = LoadLibraryA(path.c_str());
    if (!module)
        why = "Windows error " + std::to_string(GetLastError());
    return reinterpret_cast<void*>(module);
}
inline void* ClientSymbol(void* library, const char* name)
{
    return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(library), name));
}
inline void UnloadClientLibrary(void* library) { FreeLibrary(static_cast<HMODULE>(library)); }
// When a file was last modified, in nanoseconds; Windows' stat gives whole seconds.
inline int64_t ModifiedNs(const struct stat& st) { return static_cast<int64_t>(st.st_mtime) * 1000000000; }
#else
constexpr int kBinary = 0;
inline int SyncFile(int fd) { return ::fsync(fd); }
inline int ReplaceFile(const char* from, const char* to) { return ::rename(from, to); }
inline void SyncDirectory(const char* dir)
{
    int dfd = ::open(dir, O_RDONLY | O_DIRECTORY);
    if (dfd >= 0) {
        ::fsync(dfd);
        ::close(dfd);
    }
}
inline bool IsTerminal(int fd) { return ::isatty(fd) != 0; }

inline void* LoadClientLibrary(const std::string& path, std::string& why)
{
    void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        const char* error = dlerror();
        why = error ? error : "unknown error";
    }
    return handle;
}
inline void* ClientSymbol(void* library, const char* name) { return dlsym(library, name); }
inline void UnloadClientLibrary(void* library) { dlclose(library); }
inline int64_t ModifiedNs(const struct stat& st)
{
    return static_cast<int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
}
#endif

} // namespace tw::host::io
