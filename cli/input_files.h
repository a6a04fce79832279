// input_files.h - the files a run reads (the document or book, its chapters, the table
// document), known by identity: device and file number (volume serial and file index on
// Windows), so that an output or a backup that would replace one of them is refused whatever
// name, link or relative path reaches it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace tw::cli {

// A file's identity, or nullopt when no file has that name (links followed).
std::optional<std::pair<uint64_t, uint64_t>> FileIdentityOf(const std::string& path);

class InputFiles {
public:
    // A file the run reads; one that does not exist is passed over.
    void add(const std::string& path);
    // The input that `path` is (links followed), as it was added; nullopt when it is none.
    std::optional<std::string> find(const std::string& path) const;

private:
    std::vector<std::pair<std::pair<uint64_t, uint64_t>, std::string>> files_;
};

// The refusal for an output that is an input: both named, nothing written.
std::string OutputIsInputRefusal(const std::string& output, const std::string& input);

} // namespace tw::cli
