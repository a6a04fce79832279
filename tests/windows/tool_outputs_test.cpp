// tool_outputs_test.cpp - the Windows tool gives what the Linux tool gives: every run of
// tool_commands.txt is made in-process (the tool's own entry) on a fresh copy of the example
// book, and every run of sample_commands.txt on a fresh copy of the publishing program's sample
// files (where they are); what it printed, its exit status and every file it left are compared
// with the Linux build's, kept beforehand by linux_outputs.sh.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "tests/cli/tool_fixture.h"

namespace {

namespace fs = std::filesystem;
using tw::cli_test::Slurp;

struct Line {
    std::string name;
    std::vector<std::vector<std::string>> runs;
};

std::vector<std::string> Words(const std::string& text)
{
    std::vector<std::string> words;
    std::istringstream in(text);
    for (std::string w; in >> w;)
        words.push_back(w);
    return words;
}

std::vector<Line> ReadCommands(const char* file)
{
    std::vector<Line> lines;
    std::ifstream in(fs::path(TAGWRIGHT_SOURCE_DIR) / "tests" / "windows" / file, std::ios::binary);
    for (std::string text; std::getline(in, text);) {
        if (text.empty() || text[0] == '#')
            continue;
        size_t tab = text.find('\t');
        if (tab == std::string::npos)
            continue;
        Line line{text.substr(0, tab), {}};
        std::string rest = text.substr(tab + 1);
        for (size_t cut; (cut = rest.find(" ; ")) != std::string::npos; rest = rest.substr(cut + 3))
            line.runs.push_back(Words(rest.substr(0, cut)));
        line.runs.push_back(Words(rest));
        lines.push_back(std::move(line));
    }
    return lines;
}

// Relative paths of every file under root, with forward slashes.
std::vector<std::string> FilesUnder(const fs::path& root)
{
    std::vector<std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(root))
        if (entry.is_regular_file())
            files.push_back(fs::relative(entry.path(), root).generic_string());
    std::sort(files.begin(), files.end());
    return files;
}

// The text with the separators of the paths it prints under `root` as Linux prints them:
// "reference\\Tables.mif" becomes "reference/Tables.mif". Other backslashes (a "\\t" in an
// autonumber format) stay.
std::string WithSlashes(std::string text, const fs::path& root)
{
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        if (!entry.is_directory())
            continue;
        const std::string folder = entry.path().filename().string();
        for (size_t at = 0; (at = text.find(folder + "\\", at)) != std::string::npos; at += folder.size() + 1)
            text[at + folder.size()] = '/';
    }
    return text;
}

// Where two outputs part (the line number and both lines), or "" when they are the same: the
// outputs run to thousands of lines.
std::string FirstDifference(const std::string& got, const std::string& expected)
{
    if (got == expected)
        return "";
    std::istringstream a(got), b(expected);
    std::string x, y;
    for (int line = 1;; ++line) {
        bool moreA = static_cast<bool>(std::getline(a, x)), moreB = static_cast<bool>(std::getline(b, y));
        if (!moreA && !moreB)
            return "the same lines, different line ends";
        if (!moreA || !moreB || x != y)
            return "line " + std::to_string(line) + ": here \"" + (moreA ? x : "(end)") + "\", Linux \"" +
                   (moreB ? y : "(end)") + "\"";
    }
}

// Makes `runs` in a fresh folder that `prepare` fills, and compares what they printed, their
// exit statuses and every file they left with the Linux outputs kept in `expected`.
template <typename Prepare>
void CheckRuns(const std::string& name, const fs::path& expected, Prepare prepare,
               const std::vector<std::vector<std::string>>& runs)
{
    ASSERT_TRUE(fs::is_directory(expected / "files"))
        << "no Linux outputs in " << expected.string() << ": run tests/windows/linux_outputs.sh first";

    fs::path work = fs::temp_directory_path() / ("tagwright-outputs-" + name);
    fs::remove_all(work);
    fs::create_directories(work);
    prepare(work);
    fs::path before = fs::current_path();
    fs::current_path(work);
    std::string out;
    std::string err;
    std::string exits;
    for (const auto& run : runs) {
        tw::cli_test::Result r = tw::cli_test::RunInProcess(run);
        exits += std::to_string(r.exit) + "\n";
        out += r.out;
        err += r.err;
    }
    fs::current_path(before);

    EXPECT_EQ(exits, Slurp(expected / "exit"));
    // File names are printed with the platform's separator: "reference\\Tables.mif" here.
    EXPECT_EQ(FirstDifference(WithSlashes(out, work), Slurp(expected / "stdout")), "") << "standard output";
    EXPECT_EQ(FirstDifference(WithSlashes(err, work), Slurp(expected / "stderr")), "") << "standard error";
    auto files = FilesUnder(work);
    EXPECT_EQ(files, FilesUnder(expected / "files"));
    for (const auto& file : files) {
        if (fs::exists(expected / "files" / file)) {
            EXPECT_TRUE(Slurp(work / file) == Slurp(expected / "files" / file)) << file << " differs from Linux's";
        }
    }
    fs::remove_all(work);
}

TEST(ToolOutputs, EveryRunMatchesLinux)
{
    auto lines = ReadCommands("tool_commands.txt");
    ASSERT_GE(lines.size(), 15u) << "tool_commands.txt was not read";
    for (const auto& line : lines) {
        SCOPED_TRACE("tool_commands.txt: " + line.name);
        auto copyBook = [](const fs::path& work) {
            fs::copy(fs::path(TAGWRIGHT_SOURCE_DIR) / "examples" / "book", work / "book", fs::copy_options::recursive);
        };
        CheckRuns(line.name, fs::path(TAGWRIGHT_LINUX_OUTPUTS) / line.name, copyBook, line.runs);
    }
}

// The publishing program's own files: every command of sample_commands.txt on each of them.
TEST(ToolOutputs, EveryRunOnTheSamplesMatchesLinux)
{
    const fs::path samples = TAGWRIGHT_SAMPLES_DIR;
    if (!fs::is_directory(samples))
        GTEST_SKIP() << "no sample files in " << samples.string() << " (../shared/mif-samples): nothing to compare";
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(samples))
        if (entry.path().extension() == ".mif")
            names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    ASSERT_FALSE(names.empty());
    auto lines = ReadCommands("sample_commands.txt");
    ASSERT_GE(lines.size(), 5u) << "sample_commands.txt was not read";
    for (const auto& line : lines) {
        SCOPED_TRACE("sample_commands.txt: " + line.name);
        std::vector<std::vector<std::string>> runs;
        for (const auto& name : names) {
            std::vector<std::string> run = line.runs.front();
            for (auto& word : run)
                for (size_t at; (at = word.find("SAMPLE")) != std::string::npos;)
                    word.replace(at, 6, "samples/" + name);
            runs.push_back(run);
        }
        auto copySamples = [&](const fs::path& work) {
            fs::create_directories(work / "samples");
            for (const auto& name : names) {
                fs::copy_file(samples / name, work / "samples" / name);
                fs::permissions(work / "samples" / name, fs::perms::owner_write, fs::perm_options::add);
            }
        };
        CheckRuns("sample-" + line.name, fs::path(TAGWRIGHT_LINUX_OUTPUTS) / "samples" / line.name, copySamples, runs);
    }
}

} // namespace
