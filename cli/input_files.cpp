// input_files.cpp - the files a run reads, by identity.

#include "cli/input_files.h"

#include "host/files/posix_io.h"
#include "host/files/store.h"

namespace tw::cli {

std::optional<std::pair<uint64_t, uint64_t>> FileIdentityOf(const std::string& path)
{
    host::io::FileVersion v;
    if (!host::io::VersionOf(host::NativePath(path), v))
        return std::nullopt;
    return std::pair{v.device, v.file};
}

void InputFiles::add(const std::string& path)
{
    if (auto id = FileIdentityOf(path))
        files_.emplace_back(*id, path);
}

std::optional<std::string> InputFiles::find(const std::string& path) const
{
    auto id = FileIdentityOf(path);
    if (!id)
        return std::nullopt;
    for (const auto& [file, name] : files_)
        if (file == *id)
            return name;
    return std::nullopt;
}

std::string OutputIsInputRefusal(const std::string& output, const std::string& input)
{
    return "will not write " + output + ": it is " + input +
           ", which this run reads (give the output another name); nothing was written";
}

} // namespace tw::cli
