// file_lock_windows.cpp - the locks of a command's files on Windows: a named mutex per file,
// named after the file's full path, held for as long as the command runs. Unlike a lock on the
// file's bytes it never stands in the way of reading or replacing the file, and Windows drops
// it when the process ends, however it ends.
#if defined(_WIN32)

#include "host/files/file_lock.h"

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <cctype>
#include <cstdint>
#include <cstdio>

namespace tw::host {
namespace {

// The mutex name of a file: its full path, case folded (Windows paths ignore case), hashed so
// that any path fits a kernel object name.
std::string LockName(const std::string& path)
{
    char full[32768];
    DWORD n = GetFullPathNameA(path.c_str(), sizeof full, full, nullptr);
    std::string name = n > 0 && n < sizeof full ? std::string(full, n) : path;
    uint64_t hash = 1469598103934665603ull; // FNV-1a
    for (char c : name) {
        unsigned char u = static_cast<unsigned char>(c == '/' ? '\\' : c);
        hash = (hash ^ static_cast<unsigned char>(std::tolower(u))) * 1099511628211ull;
    }
    char text[64];
    std::snprintf(text, sizeof text, "Local\\tagwright-%016llx", static_cast<unsigned long long>(hash));
    return text;
}

} // namespace

FileLocks::~FileLocks()
{
    for (void* handle : handles_)
        CloseHandle(static_cast<HANDLE>(handle));
}

bool FileLocks::lock(const std::string& path, std::string& error)
{
    if (GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES)
        return true;
    std::string name = LockName(path);
    for (const std::string& held : names_) // named twice (a book listing itself): locked already
        if (held == name)
            return true;
    HANDLE mutex = CreateMutexA(nullptr, FALSE, name.c_str());
    if (!mutex)
        return true; // no kernel object to be had: nothing to guard with
    if (GetLastError() == ERROR_ALREADY_EXISTS) {
        CloseHandle(mutex);
        error =
            path + ": is being changed by another tagwright run; nothing was changed (try again when it has finished)";
        return false;
    }
    handles_.push_back(mutex);
    names_.push_back(name);
    return true;
}

} // namespace tw::host

#endif
