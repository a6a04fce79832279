// tool_outputs_test.cpp - the Windows tool gives what the Linux tool gives: every run of
// tool_commands.txt is made in-process (the tool's own entry) on a fresh copy of the example
// book, and what it printed, its exit status and every file it left are compared with the
// Linux build's, kept beforehand by linux_outputs.sh.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

int TagwrightMain(int argc, char** argv); // cli/main.cpp, built into this program

namespace {

namespace fs = std::filesystem;

std::string Slurp(const fs::path& p)
{
    std::ifstream in(p, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

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

std::vector<Line> ReadCommands()
{
    std::vector<Line> lines;
    std::ifstream in(fs::path(TAGWRIGHT_SOURCE_DIR) / "tests" / "windows" / "tool_commands.txt", std::ios::binary);
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

// Runs the tool's entry with standard output and error captured.
int RunTool(const std::vector<std::string>& args, std::string& out, std::string& err)
{
    std::vector<std::string> storage{"tagwright"};
    storage.insert(storage.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& s : storage)
        argv.push_back(s.data());
    argv.push_back(nullptr);
    std::ostringstream outText;
    std::ostringstream errText;
    std::streambuf* oldOut = std::cout.rdbuf(outText.rdbuf());
    std::streambuf* oldErr = std::cerr.rdbuf(errText.rdbuf());
    int status = TagwrightMain(static_cast<int>(storage.size()), argv.data());
    std::cout.rdbuf(oldOut);
    std::cerr.rdbuf(oldErr);
    out += outText.str();
    err += errText.str();
    return status;
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

std::string WithSlashes(std::string text)
{
    std::replace(text.begin(), text.end(), '\\', '/');
    return text;
}

// One run line: made on a fresh copy of the example book, compared with Linux's.
void CheckLine(const Line& line)
{
    SCOPED_TRACE("tool_commands.txt: " + line.name);
    fs::path expected = fs::path(TAGWRIGHT_LINUX_OUTPUTS) / line.name;
    ASSERT_TRUE(fs::is_directory(expected / "files"))
        << "no Linux outputs in " << expected.string() << ": run tests/windows/linux_outputs.sh first";

    fs::path work = fs::temp_directory_path() / ("tagwright-outputs-" + line.name);
    fs::remove_all(work);
    fs::create_directories(work);
    fs::copy(fs::path(TAGWRIGHT_SOURCE_DIR) / "examples" / "book", work / "book", fs::copy_options::recursive);
    fs::path before = fs::current_path();
    fs::current_path(work);
    std::string out;
    std::string err;
    std::string exits;
    for (const auto& run : line.runs)
        exits += std::to_string(RunTool(run, out, err)) + "\n";
    fs::current_path(before);

    EXPECT_EQ(exits, Slurp(expected / "exit"));
    // File names are printed with the platform's separator: "reference\\Tables.mif" here.
    EXPECT_EQ(WithSlashes(out), Slurp(expected / "stdout"));
    EXPECT_EQ(WithSlashes(err), Slurp(expected / "stderr"));
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
    auto lines = ReadCommands();
    ASSERT_GE(lines.size(), 15u) << "tool_commands.txt was not read";
    for (const auto& line : lines)
        CheckLine(line);
}

} // namespace
