// install_layout.cpp - the running program's folder, and the installed parts found from it.

#include "host/files/install_layout.h"

#include <filesystem>
#include <system_error>

#if defined(_WIN32)
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#endif

namespace tw::host {

namespace {

std::filesystem::path ProgramFolder()
{
#if defined(_WIN32)
    char name[MAX_PATH];
    const DWORD n = GetModuleFileNameA(nullptr, name, MAX_PATH);
    if (n == 0 || n >= MAX_PATH)
        return {};
    return std::filesystem::path(std::string(name, n)).parent_path();
#else
    std::error_code ec;
    const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::filesystem::path() : exe.parent_path();
#endif
}

} // namespace

std::string InstalledPath(const std::string& relative)
{
    const std::filesystem::path folder = ProgramFolder();
    if (folder.empty() || relative.empty())
        return {};
    std::error_code ec;
    const std::filesystem::path p = (folder / relative).lexically_normal();
    return std::filesystem::exists(p, ec) ? p.string() : std::string();
}

} // namespace tw::host
