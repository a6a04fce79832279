// tool_fixture.h - runs the built tagwright tool as a user would, on copies of the example
// book in a temporary directory, and captures standard output, standard error and the exit
// status. The Windows test program, where every process start is dear, calls the tool's own
// entry in-process instead (TAGWRIGHT_TOOL_IN_PROCESS).
#pragma once

#include <gtest/gtest.h>

#if defined(TAGWRIGHT_TOOL_IN_PROCESS)
#include <iostream>
int TagwrightMain(int argc, char** argv); // cli/main.cpp, built into the test program
#else
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace tw::cli_test {

namespace fs = std::filesystem;

struct Result {
    int exit = -1;
    std::string out;
    std::string err;
};

inline std::string Slurp(const fs::path& p)
{
    std::ifstream in(p, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

#if defined(TAGWRIGHT_TOOL_IN_PROCESS)
// Runs the tool's entry with its standard output and error captured; standard input is not a
// terminal in the test run.
inline Result RunInProcess(const std::vector<std::string>& args)
{
    std::vector<std::string> storage{"tagwright"};
    storage.insert(storage.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& a : storage)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    std::ostringstream out;
    std::ostringstream err;
    std::streambuf* oldOut = std::cout.rdbuf(out.rdbuf());
    std::streambuf* oldErr = std::cerr.rdbuf(err.rdbuf());
    Result r;
    r.exit = TagwrightMain(static_cast<int>(storage.size()), argv.data());
    std::cout.rdbuf(oldOut);
    std::cerr.rdbuf(oldErr);
    r.out = out.str();
    r.err = err.str();
    return r;
}
#endif

inline std::string Quote(const std::string& s)
{
    std::string q = "'";
    for (char c : s)
        q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

class Tool : public ::testing::Test {
protected:
    void SetUp() override
    {
#if defined(TAGWRIGHT_TOOL_IN_PROCESS)
        dir_ = fs::temp_directory_path() /
               (std::string("tagwright-cli-") + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_);
#else
        char pattern[] = "/tmp/tagwright-cli-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir_ = pattern;
#endif
        fs::copy(fs::path(TAGWRIGHT_SOURCE_DIR) / "examples" / "book", dir_ / "book", fs::copy_options::recursive);
    }
    void TearDown() override { fs::remove_all(dir_); }

    fs::path file(const std::string& name) const { return dir_ / name; }
    fs::path book() const { return dir_ / "book" / "Example.book.mif"; }
    fs::path chapter(const std::string& name) const { return dir_ / "book" / name; }

#if defined(TAGWRIGHT_TOOL_IN_PROCESS)
    Result run(const std::vector<std::string>& args) const { return RunInProcess(args); }
#else
    // Runs the tool with standard input from /dev/null (not a terminal).
    Result run(const std::vector<std::string>& args) const
    {
        std::string cmd = Quote(TAGWRIGHT_TOOL);
        for (const auto& a : args)
            cmd += " " + Quote(a);
        cmd += " <" + Quote("/dev/null") + " >" + Quote(file("out.txt")) + " 2>" + Quote(file("err.txt"));
        Result r;
        int status = std::system(cmd.c_str());
        r.exit = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        r.out = Slurp(file("out.txt"));
        r.err = Slurp(file("err.txt"));
        return r;
    }
#endif

#if !defined(TAGWRIGHT_TOOL_IN_PROCESS) // a Windows process cannot start this machine's python3
    // Runs a python3 script with `input` on standard input (the standard csv and json
    // parsers stand for any program reading the tool's output).
    Result python(const std::string& script, const std::string& input) const
    {
        {
            std::ofstream(file("script.py")) << script;
            std::ofstream(file("input.txt"), std::ios::binary) << input;
        }
        std::string cmd = "python3 " + Quote(file("script.py").string()) + " <" + Quote(file("input.txt").string()) +
                          " >" + Quote(file("py-out.txt").string()) + " 2>" + Quote(file("py-err.txt").string());
        Result r;
        int status = std::system(cmd.c_str());
        r.exit = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        r.out = Slurp(file("py-out.txt"));
        r.err = Slurp(file("py-err.txt"));
        return r;
    }
#endif

    // Replaces the first `from` in a file with `to`; the text must be there.
    void edit(const fs::path& path, const std::string& from, const std::string& to) const
    {
        std::string text = Slurp(path);
        const size_t at = text.find(from);
        ASSERT_NE(at, std::string::npos) << from << " not in " << path;
        text.replace(at, from.size(), to);
        std::ofstream(path, std::ios::binary) << text;
    }

    // Every MIF file of the copied book, with its bytes.
    std::map<std::string, std::string> bookBytes() const
    {
        std::map<std::string, std::string> bytes;
        for (const auto& entry : fs::recursive_directory_iterator(dir_ / "book"))
            if (entry.is_regular_file())
                bytes[entry.path().string()] = Slurp(entry.path());
        return bytes;
    }

    fs::path dir_;
};

inline bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

} // namespace tw::cli_test
