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

// Which file a path names and which version of it: volume and file number, size, and the time
// of the last write in nanoseconds since 1970.
struct FileVersion {
    uint64_t device = 0, file = 0, size = 0;
    int64_t modifiedNs = 0;
};

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
// The file number and the last write to 100 ns, which stat does not give on Windows.
inline bool VersionOf(const std::string& path, FileVersion& v)
{
    HANDLE h = CreateFileA(path.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                           nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    BY_HANDLE_FILE_INFORMATION info;
    bool ok = GetFileInformationByHandle(h, &info) != 0;
    CloseHandle(h);
    if (!ok)
        return false;
    auto join = [](DWORD high, DWORD low) { return (static_cast<uint64_t>(high) << 32) | low; };
    constexpr int64_t kFrom1601To1970 = 116444736000000000; // in 100 ns
    v.device = info.dwVolumeSerialNumber;
    v.file = join(info.nFileIndexHigh, info.nFileIndexLow);
    v.size = join(info.nFileSizeHigh, info.nFileSizeLow);
    v.modifiedNs =
        (static_cast<int64_t>(join(info.ftLastWriteTime.dwHighDateTime, info.ftLastWriteTime.dwLowDateTime)) -
         kFrom1601To1970) *
        100;
    return true;
}
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
inline bool VersionOf(const std::string& path, FileVersion& v)
{
    struct stat st;
    if (::stat(path.c_str(), &st) != 0)
        return false;
    v = FileVersion{static_cast<uint64_t>(st.st_dev), static_cast<uint64_t>(st.st_ino),
                    static_cast<uint64_t>(st.st_size), ModifiedNs(st)};
    return true;
}
#endif

} // namespace tw::host::io
