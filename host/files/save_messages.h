// save_messages.h - what a refused or failed save says, the same on every platform: the file
// named, what went wrong, and that the file on disk is unchanged.
#pragma once

#include <cerrno>
#include <cstring>
#include <string>

namespace tw::host {

// A save that failed at a step (errno says why).
inline std::string SaveError(const std::string& path, const char* what)
{
    return path + ": could not be saved (" + what + ": " + std::strerror(errno) + "); the file on disk is unchanged";
}
// A device written directly that failed (errno says why).
inline std::string WriteError(const std::string& path)
{
    return path + ": could not be written (" + std::strerror(errno) + ")";
}
inline std::string FolderRefusal(const std::string& path) { return path + ": is a folder, not a file; not saved"; }
inline std::string ReadOnlyRefusal(const std::string& path)
{
    return path + ": is read-only (no permission to write it); not saved";
}
inline std::string NotAFileRefusal(const std::string& path) { return path + ": is not a regular file; not saved"; }
inline std::string BusyRefusal(const std::string& path)
{
    return path + ": could not be saved (another program is saving it now); the file on disk is unchanged";
}

} // namespace tw::host
