// tool_fixture.h - runs the built tagwright tool as a user would, on copies of the example
// book in a temporary directory, and captures standard output, standard error and the exit
// status.
#pragma once

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
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
        char pattern[] = "/tmp/tagwright-cli-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir_ = pattern;
        fs::copy(fs::path(TAGWRIGHT_SOURCE_DIR) / "examples" / "book", dir_ / "book", fs::copy_options::recursive);
    }
    void TearDown() override { fs::remove_all(dir_); }

    fs::path file(const std::string& name) const { return dir_ / name; }
    fs::path book() const { return dir_ / "book" / "Example.book.mif"; }
    fs::path chapter(const std::string& name) const { return dir_ / "book" / name; }

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

    fs::path dir_;
};

inline bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

} // namespace tw::cli_test
