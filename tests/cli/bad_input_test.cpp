// bad_input_test.cpp - bad input through the tool: every file that cannot be used is named in a
// clear message with exit status 2, nothing on disk changes (contents, names, permissions),
// and what is merely extreme (a 100,000-byte tag name) works.
#include <sys/stat.h>

#include <map>

#include "tool_fixture.h"

namespace tw::cli_test {
namespace {

// Everything under a folder: each entry's kind, permissions and bytes.
std::map<std::string, std::string> Snapshot(const fs::path& dir)
{
    std::map<std::string, std::string> files;
    for (const auto& e : fs::recursive_directory_iterator(dir)) {
        struct stat st { };
        ::lstat(e.path().c_str(), &st);
        std::string what = std::to_string(st.st_mode) + ":";
        if (e.is_regular_file() && !e.is_symlink())
            what += Slurp(e.path());
        files[fs::relative(e.path(), dir).string()] = what;
    }
    return files;
}

void Put(const fs::path& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

const std::string kDoc = "<MIFFile 9.00>\n<PgfCatalog <Pgf <PgfTag `Body'>> <Pgf <PgfTag `Unused'>>>\n"
                         "<TextFlow <Para <PgfTag `Body'> <ParaLine <String `text'>>>>\n";

class BadInput : public Tool {
protected:
    void SetUp() override
    {
        Tool::SetUp();
        fs::create_directories(dir_ / "in");
        Put(in("ok.mif"), kDoc);
    }
    fs::path in(const std::string& name) const { return dir_ / "in" / name; }

    // Runs the tool behind a shell prefix (a limit, another user), otherwise as run() does.
    Result runBehind(const std::string& prefix, const std::vector<std::string>& args) const
    {
        std::string cmd = prefix + " " + Quote(TAGWRIGHT_TOOL);
        for (const auto& a : args)
            cmd += " " + Quote(a);
        cmd += " </dev/null >" + Quote(file("out.txt")) + " 2>" + Quote(file("err.txt"));
        cmd = "sh -c " + Quote(cmd);
        Result r;
        int status = std::system(cmd.c_str());
        r.exit = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        r.out = Slurp(file("out.txt"));
        r.err = Slurp(file("err.txt"));
        return r;
    }
    // With files limited to `blocks` blocks of 512 bytes (writing more fails as a full disk does).
    Result runLimited(int blocks, const std::vector<std::string>& args) const
    {
        return runBehind("trap '' XFSZ; ulimit -f " + std::to_string(blocks) + ";", args);
    }
    // As an ordinary user when this is the superuser, who may read any file.
    Result runUnprivileged(const std::vector<std::string>& args) const
    {
        return runBehind(::geteuid() == 0 ? "setpriv --reuid=65534 --regid=65534 --clear-groups" : "", args);
    }

    // Runs the tool and checks what every refusal must: exit 2, the file named on standard
    // error, nothing under in/ changed.
    Result refused(const std::vector<std::string>& args, const std::string& named)
    {
        auto before = Snapshot(dir_ / "in");
        Result r = run(args);
        EXPECT_EQ(r.exit, 2) << r.err;
        EXPECT_TRUE(Contains(r.err, named)) << "the message names " << named << ":\n" << r.err;
        EXPECT_EQ(Snapshot(dir_ / "in"), before) << "files changed";
        return r;
    }
};

TEST_F(BadInput, FilesThatAreNotMifDocuments)
{
    refused({"usage", in("missing.mif")}, in("missing.mif").string() + ": no such file");
    fs::create_directories(in("folder.mif"));
    refused({"usage", in("folder.mif")}, in("folder.mif").string() + ": is a folder");
    Put(in("empty.mif"), "");
    refused({"usage", in("empty.mif")}, in("empty.mif").string() + ": is empty");
    Put(in("Chapter.fm"), std::string("<MakerFile 15.0>\n\x00\x01\x02\xff", 21));
    refused({"usage", in("Chapter.fm")}, in("Chapter.fm").string() + ": this is a FrameMaker binary file");
    Put(in("pic.mif"), std::string("\x89PNG\r\n\x1a\n\x00\x00", 10));
    refused({"usage", in("pic.mif")}, in("pic.mif").string() + ":1: not a MIF file (binary data)");
}

TEST_F(BadInput, DamagedMifNamesTheFileAndLine)
{
    Put(in("cut.mif"), kDoc.substr(0, 60));
    refused({"usage", in("cut.mif")}, in("cut.mif").string() + ":2: the file ends inside <");
    Put(in("extra.mif"), kDoc + ">\n");
    refused({"usage", in("extra.mif")}, in("extra.mif").string() + ":4: '>' closes no statement");
    Put(in("string.mif"), "<MIFFile 9.00>\n<PgfCatalog <Pgf <PgfTag `Body>>>\n");
    refused({"usage", in("string.mif")}, in("string.mif").string() + ":2: string value is not closed");
    Put(in("utf8.mif"), "<MIFFile 9.00>\n\n<PgfCatalog <Pgf <PgfTag `B\xc3\x28'>>>\n");
    refused({"usage", in("utf8.mif")}, in("utf8.mif").string() + ":3: invalid UTF-8");
    std::string deep = "<MIFFile 9.00>\n";
    for (int i = 0; i < 10000; i++)
        deep += "<Pgf ";
    deep += std::string(10000, '>') + "\n";
    Put(in("deep.mif"), deep);
    refused({"usage", in("deep.mif")}, in("deep.mif").string() + ":2: statements are nested more than");
    // Damaged in the same ways, the file given as a table or as a book's chapter.
    refused({"--yes", "convert", in("ok.mif"), "--table", in("deep.mif")}, in("deep.mif").string());
}

TEST_F(BadInput, AHundredThousandByteTagNameWorks)
{
    const std::string tag(100000, 'T');
    Put(in("long.mif"), "<MIFFile 9.00>\n<PgfCatalog <Pgf <PgfTag `" + tag +
                            "'>> <Pgf <PgfTag `Old'>>>\n"
                            "<TextFlow <Para <PgfTag `" +
                            tag + "'> <ParaLine <String `x'>>>>\n");
    Result usage = run({"usage", in("long.mif")});
    ASSERT_EQ(usage.exit, 0) << usage.err.substr(0, 500);
    EXPECT_TRUE(Contains(usage.out, "## Paragraph Tags Used:\n" + tag + "\n"));
    Result report = run({"report", in("long.mif"), "--tag", tag});
    EXPECT_EQ(report.exit, 0) << report.err.substr(0, 500);
    EXPECT_TRUE(Contains(report.out, "# " + tag + "\n"));
    Result del = run({"--yes", "--write", "delete-unused", in("long.mif")});
    ASSERT_EQ(del.exit, 0) << del.err.substr(0, 500);
    std::string after = Slurp(in("long.mif"));
    EXPECT_TRUE(Contains(after, "<PgfTag `" + tag + "'>"));
    EXPECT_FALSE(Contains(after, "Old"));
}

TEST_F(BadInput, ABookNamingMissingUnusableAndItselfGoesOnWithTheRest)
{
    Put(in("empty.mif"), "");
    fs::create_directories(in("folder.mif"));
    Put(in("Manual.book.mif"), "<Book 9.00>\n<BookComponent <FileName `missing.mif'>>\n"
                               "<BookComponent <FileName `empty.mif'>>\n<BookComponent <FileName `folder.mif'>>\n"
                               "<BookComponent <FileName `Manual.book.mif'>>\n<BookComponent <FileName `ok.mif'>>\n");
    for (const char* name : {"missing.mif", "empty.mif", "folder.mif", "Manual.book.mif"}) {
        Result r = refused({"usage", "--each-file", in("Manual.book.mif")}, "Could not open file:" + in(name).string());
        EXPECT_TRUE(Contains(r.out, "# ok.mif\n## Paragraph Tags Used:\nBody\n")) << "the walk goes on:\n" << r.out;
    }
    // A command that saves the book's files saves the one it can and changes nothing else.
    auto before = Snapshot(dir_ / "in");
    Result del = run({"--yes", "delete-unused", in("Manual.book.mif")});
    EXPECT_EQ(del.exit, 2) << del.err;
    EXPECT_TRUE(Contains(del.err, "Could not open file:" + in("Manual.book.mif").string())) << del.err;
    EXPECT_FALSE(Contains(Slurp(in("ok.mif")), "Unused"));
    before.erase("ok.mif");
    auto after = Snapshot(dir_ / "in");
    after.erase("ok.mif");
    EXPECT_EQ(after, before);
}

TEST_F(BadInput, UnreadableFilesInABook)
{
    Put(in("locked.mif"), kDoc);
    Put(in("Manual.book.mif"),
        "<Book 9.00>\n<BookComponent <FileName `locked.mif'>>\n<BookComponent <FileName `ok.mif'>>\n");
    ASSERT_EQ(::chmod(in("locked.mif").c_str(), 0), 0);
    if (::geteuid() == 0) { // the files must be reachable by the ordinary user the tool runs as
        if (!fs::exists("/usr/bin/setpriv"))
            GTEST_SKIP() << "running as the superuser, who reads every file, without setpriv to run as another user";
        for (const auto& p : {dir_, dir_ / "in", in("ok.mif"), in("Manual.book.mif")})
            fs::permissions(p, fs::perms::owner_all | fs::perms::others_read | fs::perms::others_exec);
    }
    auto before = Snapshot(dir_ / "in");
    Result r = runUnprivileged({"usage", in("Manual.book.mif")});
    EXPECT_EQ(r.exit, 2) << r.err;
    EXPECT_TRUE(Contains(r.err, "Could not open file:" + in("locked.mif").string())) << r.err;
    EXPECT_TRUE(Contains(r.err, "locked.mif: cannot be read (Permission denied)")) << r.err;
    EXPECT_TRUE(Contains(r.out, "Body")) << r.out;
    EXPECT_EQ(Snapshot(dir_ / "in"), before);
    Result direct = runUnprivileged({"usage", in("locked.mif")});
    EXPECT_EQ(direct.exit, 2);
    EXPECT_TRUE(Contains(direct.err, in("locked.mif").string() + ": cannot be read")) << direct.err;
}

TEST_F(BadInput, ReadOnlyFilesAreNotSaved)
{
    ASSERT_EQ(::chmod(in("ok.mif").c_str(), 0444), 0);
    Result r = refused({"--yes", "--write", "delete-unused", in("ok.mif")}, in("ok.mif").string() + ": is read-only");
    // In a book: the read-only chapter is named, the others are saved.
    Put(in("other.mif"), kDoc);
    Put(in("Manual.book.mif"),
        "<Book 9.00>\n<BookComponent <FileName `ok.mif'>>\n<BookComponent <FileName `other.mif'>>\n");
    Result book = run({"--yes", "delete-unused", in("Manual.book.mif")});
    EXPECT_EQ(book.exit, 2) << book.err;
    EXPECT_TRUE(Contains(book.err, "Could not save file:" + in("ok.mif").string())) << book.err;
    EXPECT_TRUE(Contains(book.err, in("ok.mif").string() + ": is read-only")) << book.err;
    EXPECT_EQ(Slurp(in("ok.mif")), kDoc);
    EXPECT_FALSE(Contains(Slurp(in("other.mif")), "Unused"));
}

TEST_F(BadInput, AFullDiskLeavesTheFileAsItWas)
{
    if (fs::exists("/dev/full")) {
        auto before = Snapshot(dir_ / "in");
        Result r = run({"usage", in("ok.mif"), "-o", "/dev/full"});
        EXPECT_EQ(r.exit, 2) << r.err;
        EXPECT_TRUE(Contains(r.err, "/dev/full: could not be written (No space left on device)")) << r.err;
        EXPECT_TRUE(fs::is_character_file("/dev/full"));
        EXPECT_EQ(Snapshot(dir_ / "in"), before);
    }
    // A disk that fills up while the new file is written: the file-size limit stands in for it.
    std::string big = kDoc;
    for (int i = 0; i < 200; i++)
        big += "<TextFlow <Para <PgfTag `Body'> <ParaLine <String `filler text " + std::to_string(i) + "'>>>>\n";
    Put(in("ok.mif"), big);
    auto before = Snapshot(dir_ / "in");
    Result r = runLimited(8, {"--yes", "--write", "delete-unused", in("ok.mif")});
    EXPECT_EQ(r.exit, 2) << r.err;
    EXPECT_TRUE(Contains(r.err, in("ok.mif").string() + ": could not be saved (writing: File too large)")) << r.err;
    EXPECT_EQ(Snapshot(dir_ / "in"), before);
}

} // namespace
} // namespace tw::cli_test
