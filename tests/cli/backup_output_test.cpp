// backup_output_test.cpp - what the tool writes besides the files it changes: a backup keeps
// the file's mode, owner and time and never writes through a link at its name; a chapter a
// book names twice is backed up and saved once; an output file that is one of the run's own
// inputs is refused; a save that failed says so file by file. POSIX only (modes, owners, links).
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "tool_fixture.h"

namespace tw::cli_test {
namespace {

struct stat StatOf(const fs::path& p)
{
    struct stat st { };
    EXPECT_EQ(::lstat(p.c_str(), &st), 0) << p;
    return st;
}

void SetModifiedSeconds(const fs::path& p, time_t seconds)
{
    const struct timespec times[2] = {{seconds, 0}, {seconds, 123456789}};
    ASSERT_EQ(::utimensat(AT_FDCWD, p.c_str(), times, 0), 0) << p;
}

TEST_F(Tool, ABackupKeepsModeOwnerAndTimeAndReplacesALinkAtItsNameItself)
{
    const bool root = ::geteuid() == 0;
    // A private chapter given to another user, an old one, and one plain.
    fs::permissions(chapter("Intro.mif"), fs::perms::owner_read | fs::perms::owner_write);
    fs::permissions(chapter("reference/Tables.mif"),
                    fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    if (root) {
        ASSERT_EQ(::chown(chapter("Intro.mif").c_str(), 65534, 65534), 0);
    }
    ASSERT_NO_FATAL_FAILURE(SetModifiedSeconds(chapter("Intro.mif"), 1000000000));
    ASSERT_NO_FATAL_FAILURE(SetModifiedSeconds(chapter("reference/Tables.mif"), 1200000000));
    // Links planted at the backup names: a live one and a dangling one.
    std::ofstream(file("theirs.txt")) << "someone else's file";
    fs::create_symlink(file("theirs.txt"), chapter("Intro.mif.bak"));
    fs::create_symlink(file("nowhere.mif"), chapter("Appendix.mif.bak"));

    const auto before = bookBytes();
    std::map<std::string, struct stat> was;
    for (const auto& [path, bytes] : before)
        was[path] = StatOf(path);

    Result r = run({"--yes", "--backup", "delete-unused", book().string()});
    ASSERT_EQ(r.exit, 0) << r.err;
    for (const char* name : {"Intro.mif", "reference/Tables.mif", "Appendix.mif"}) {
        SCOPED_TRACE(name);
        const std::string path = chapter(name).string();
        const fs::path bak = path + ".bak";
        ASSERT_TRUE(fs::is_regular_file(fs::symlink_status(bak))) << "the link itself is replaced by the backup";
        EXPECT_EQ(Slurp(bak), before.at(path));
        const struct stat b = StatOf(bak);
        const struct stat& f = was.at(path);
        EXPECT_EQ(b.st_mode & 07777, f.st_mode & 07777);
        EXPECT_EQ(b.st_mtim.tv_sec, f.st_mtim.tv_sec);
        EXPECT_EQ(b.st_mtim.tv_nsec, f.st_mtim.tv_nsec);
        EXPECT_EQ(b.st_uid, f.st_uid);
        EXPECT_EQ(b.st_gid, f.st_gid);
        EXPECT_NE(Slurp(path), before.at(path)) << "the chapter itself was saved";
        EXPECT_FALSE(fs::exists(bak.string() + ".tw-saving"));
    }
    EXPECT_EQ(Slurp(file("theirs.txt")), "someone else's file");
    EXPECT_FALSE(fs::exists(fs::symlink_status(file("nowhere.mif"))));

    // A backup that cannot be made (a folder has the name) leaves the file unsaved, and says so.
    fs::remove(chapter("Intro.mif.bak"));
    fs::create_directory(chapter("Intro.mif.bak"));
    const std::string intro = Slurp(chapter("Intro.mif"));
    Result refused = run({"--yes", "--write", "--backup", "remove-overrides", chapter("Intro.mif").string()});
    EXPECT_EQ(refused.exit, 2) << refused.err;
    EXPECT_TRUE(Contains(refused.err, chapter("Intro.mif.bak").string() + ": is a folder")) << refused.err;
    EXPECT_EQ(Slurp(chapter("Intro.mif")), intro);
    if (!root)
        GTEST_SKIP() << "not root: a backup's owner was checked only as this user's own";
}

TEST_F(Tool, AChapterABookNamesTwiceIsBackedUpChangedAndSavedOnce)
{
    // The book names Intro.mif again through a link to its own folder.
    fs::create_directory_symlink(".", chapter("alias"));
    const fs::path twice = chapter("Twice.book.mif");
    std::ofstream(twice) << "<Book 2019>\n"
                            "<BookComponent <FileName `<c\\>Intro.mif'>>\n"
                            "<BookComponent <FileName `<c\\>alias<c\\>Intro.mif'>>\n"
                            "<BookComponent <FileName `<c\\>Appendix.mif'>>\n";
    const auto before = bookBytes();
    for (const char* command : {"delete-unused", "remove-overrides"}) { // saves held / saved as walked
        SCOPED_TRACE(command);
        for (const auto& [path, bytes] : before)
            std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
        Result r = run({"--yes", "--backup", command, twice.string()});
        EXPECT_EQ(r.exit, 0) << r.err;
        EXPECT_FALSE(Contains(r.err, "changed on disk")) << r.err;
        EXPECT_EQ(Slurp(chapter("Intro.mif.bak")), before.at(chapter("Intro.mif").string()));
        EXPECT_NE(Slurp(chapter("Intro.mif")), before.at(chapter("Intro.mif").string()));
        const size_t first = r.out.find("Intro.mif: ");
        ASSERT_NE(first, std::string::npos) << r.out;
        EXPECT_EQ(r.out.find("Intro.mif: ", first + 1), std::string::npos) << "summarised once:\n" << r.out;
    }
}

TEST_F(Tool, AnOutputThatIsOneOfTheRunsInputsIsRefusedBeforeAnythingIsWritten)
{
    fs::create_directory_symlink("book", file("linked"));
    fs::create_symlink(chapter("Intro.mif"), file("intro-link.mif"));
    std::ofstream(file("table.mif")) << Slurp(chapter("Intro.mif"));
    const std::string intro = chapter("Intro.mif").string();
    struct Case {
        std::vector<std::string> args;
        std::string output, input; // as the message names them
    };
    const std::vector<Case> cases = {
        {{"stats", "--html", intro, intro}, intro, intro},
        {{"stats", "--html", (file("linked") / "Appendix.mif").string(), book().string()},
         (file("linked") / "Appendix.mif").string(),
         chapter("Appendix.mif").string()},
        {{"stats", "--html", book().string(), book().string()}, book().string(), book().string()},
        {{"-o", file("intro-link.mif").string(), "report", intro}, file("intro-link.mif").string(), intro},
        {{"-o", chapter("reference/Tables.mif").string(), "usage", book().string()},
         chapter("reference/Tables.mif").string(),
         chapter("reference/Tables.mif").string()},
        {{"-o", book().string(), "usage", book().string()}, book().string(), book().string()},
        {{"--yes", "--write", "-o", file("table.mif").string(), "convert", "--table", file("table.mif").string(),
          intro},
         file("table.mif").string(),
         file("table.mif").string()},
    };
    const auto before = bookBytes();
    const std::string table = Slurp(file("table.mif"));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args.front() + " " + c.args[1] + " " + c.args[2]);
        Result r = run(c.args);
        EXPECT_EQ(r.exit, 1) << r.err;
        EXPECT_TRUE(Contains(r.err, "will not write " + c.output + ": it is " + c.input)) << r.err;
        EXPECT_EQ(bookBytes(), before);
        EXPECT_EQ(Slurp(file("table.mif")), table);
    }
    // Another name is written as before.
    Result other = run({"stats", "--html", file("stats.html").string(), book().string()});
    EXPECT_EQ(other.exit, 0) << other.err;
    EXPECT_TRUE(fs::exists(file("stats.html")));
}

TEST_F(Tool, ASummarySaysFileByFileThatAFailedSaveChangedNothing)
{
    // A folder where the save writes its new file makes the save fail, even for root; a file
    // without write permission is refused before the held saves are written.
    fs::create_directory(chapter("reference") / "Tables.mif.tw-saving");
    struct Case {
        std::vector<std::string> args;
        std::string failed; // as the summary names it
    };
    const std::vector<Case> cases = {
        {{"--yes", "remove-overrides", book().string()}, "reference/Tables.mif"},
        {{"--yes", "delete-unused", book().string()}, "reference/Tables.mif"},
        {{"--yes", "--write", "delete-unused", chapter("reference/Tables.mif").string()}, "Tables.mif"},
        {{"--yes", "--write", "--format", "json", "delete-unused", chapter("reference/Tables.mif").string()},
         "Tables.mif"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args[1] + " " + c.args[2]);
        const std::string tables = Slurp(chapter("reference/Tables.mif"));
        Result r = run(c.args);
        EXPECT_EQ(r.exit, 2) << r.err;
        EXPECT_EQ(Slurp(chapter("reference/Tables.mif")), tables);
        if (Contains(r.out, "{\"dryRun\"")) {
            EXPECT_TRUE(Contains(r.out, "\"file\": \"" + c.failed + "\", \"path\": ")) << r.out;
            EXPECT_TRUE(Contains(r.out, "\"written\": false")) << r.out;
            continue;
        }
        EXPECT_TRUE(Contains(r.out, c.failed + ": not changed (it could not be saved")) << r.out;
        EXPECT_FALSE(Contains(r.out, c.failed + ": deleted")) << r.out;
    }
    fs::remove(chapter("reference") / "Tables.mif.tw-saving");
    fs::permissions(chapter("Appendix.mif"), fs::perms::owner_read | fs::perms::group_read);
    Result readOnly = run({"--yes", "delete-unused", book().string()});
    EXPECT_EQ(readOnly.exit, 2) << readOnly.err;
    EXPECT_TRUE(Contains(readOnly.out, "Appendix.mif: not changed (it could not be saved")) << readOnly.out;
    EXPECT_TRUE(Contains(readOnly.out, "reference/Tables.mif: deleted 1 format")) << readOnly.out;
}

} // namespace
} // namespace tw::cli_test
