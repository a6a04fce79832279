// mif_test_util.h - helpers shared by the MIF tests: where the sample files are, reading files,
// temporary folders, and a document's paragraphs in reading order.
#pragma once

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "host/model/model.h"

// Skips the test, saying why, when the MIF samples beside the checkout are absent; the
// project's own tests/data and example book cover the same kinds of content elsewhere.
#define TW_REQUIRE_MIF_SAMPLES()                                                                                       \
    do {                                                                                                               \
        if (!mif_test::HaveSamples())                                                                                  \
            GTEST_SKIP() << "the MIF samples folder " << mif_test::SamplesDir()                                        \
                         << " is absent (it lies beside the checkout); skipped, the project's own "                    \
                            "test data covers the same kinds of content";                                              \
    } while (0)

namespace mif_test {

inline std::string SamplesDir() { return TAGWRIGHT_MIF_SAMPLES; }
// The samples folder lies beside the checkout and may be absent (a plain clone).
inline bool HaveSamples() { return std::filesystem::is_directory(SamplesDir()); }
inline std::string SourceDir() { return TAGWRIGHT_SOURCE_DIR; }
inline std::string ExampleBookDir() { return SourceDir() + "/examples/book"; }
inline std::string DataDir() { return SourceDir() + "/tests/data"; }

inline std::string ReadBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

inline void WriteBytes(const std::string& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

// A fresh folder under the system's temporary folder, removed again at the end of the test.
class TempDir {
public:
    TempDir()
    {
        static int counter = 0;
        path_ = std::filesystem::temp_directory_path() /
                ("tw-mif-" + std::to_string(::getpid()) + "-" + std::to_string(++counter));
        std::filesystem::remove_all(path_);
        std::filesystem::create_directories(path_);
    }
    ~TempDir()
    {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    std::string file(const std::string& name) const { return (path_ / name).string(); }
    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

// Every paragraph of a document as (tag, text), in the order the plug-in's scan visits them:
// flows (frame by frame), the chain of further text holders, then tables (title, then cells).
inline std::vector<std::pair<std::string, std::string>> ParagraphsInOrder(tw::host::Document& d)
{
    std::vector<std::pair<std::string, std::string>> out;
    auto add = [&](const std::vector<ObjectId>& ids) {
        for (auto id : ids)
            if (auto* p = d.paragraph(id))
                out.emplace_back(p->tag, p->text);
    };
    for (auto f : d.flows)
        for (auto fr : d.flow(f)->frames)
            add(d.frame(fr)->paragraphs);
    for (auto h : d.textHolders)
        add(d.holder(h)->paragraphs);
    for (auto t : d.tables) {
        add(d.table(t)->title);
        for (auto r : d.table(t)->rows)
            for (auto c : d.row(r)->cells)
                add(d.cell(c)->paragraphs);
    }
    return out;
}

} // namespace mif_test
