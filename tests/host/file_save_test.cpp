// file_save_test.cpp - a saved file keeps what it was: its permissions, owner and group, the
// symbolic link that named it; a read-only file, a folder and a file another program changed
// since it was read are refused with the file named; a save killed halfway leaves nothing
// that trips the next one; a device is written, never replaced; a file with other hard links
// is rewritten in place, and a failure doing so puts its old content back.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "host/files/file_save.h"
#include "host/files/mif_store.h"
#include "mif_test_util.h"

using namespace tw::host;
using namespace mif_test;
namespace fs = std::filesystem;

namespace {

struct stat StatOf(const std::string& path)
{
    struct stat st { };
    EXPECT_EQ(::lstat(path.c_str(), &st), 0) << path;
    return st;
}

size_t Entries(const fs::path& dir) { return static_cast<size_t>(std::distance(fs::directory_iterator(dir), {})); }

} // namespace

TEST(FileSave, KeepsThePermissionBits)
{
    TempDir tmp;
    const std::string path = tmp.file("Chapter.mif");
    for (mode_t mode : {0640, 0604, 0600, 0666, 0755}) {
        WriteBytes(path, "old");
        ASSERT_EQ(::chmod(path.c_str(), mode), 0);
        std::string error;
        ASSERT_TRUE(WriteFileAtomically(path, "new", error)) << error;
        EXPECT_EQ(StatOf(path).st_mode & 07777, mode);
        EXPECT_EQ(ReadBytes(path), "new");
    }
    // A new file is made as the user's umask says.
    mode_t mask = ::umask(022);
    std::string error;
    ASSERT_TRUE(WriteFileAtomically(tmp.file("New.mif"), "x", error)) << error;
    ::umask(mask);
    EXPECT_EQ(StatOf(tmp.file("New.mif")).st_mode & 07777, 0644u);
}

TEST(FileSave, KeepsOwnerAndGroupWhereTheUserMaySetThem)
{
    TempDir tmp;
    const std::string path = tmp.file("Chapter.mif");
    WriteBytes(path, "old");
    uid_t uid = ::geteuid();
    gid_t gid = ::getegid();
    if (uid == 0) { // the superuser may give a file to anyone
        uid = 4321;
        gid = 8765;
    } else { // others keep the file's group where they belong to a second one
        gid_t groups[64];
        int n = ::getgroups(64, groups);
        for (int i = 0; i < n; ++i)
            if (groups[i] != gid) {
                gid = groups[i];
                break;
            }
    }
    ASSERT_EQ(::chown(path.c_str(), uid, gid), 0);
    ASSERT_EQ(::chmod(path.c_str(), 0664), 0);
    std::string error;
    ASSERT_TRUE(WriteFileAtomically(path, "new", error)) << error;
    struct stat st = StatOf(path);
    EXPECT_EQ(st.st_uid, uid);
    EXPECT_EQ(st.st_gid, gid);
    EXPECT_EQ(st.st_mode & 07777, 0664u);
}

TEST(FileSave, FollowsSymbolicLinksAndReplacesTheTargetBesideIt)
{
    TempDir tmp;
    fs::create_directories(tmp.path() / "real");
    fs::create_directories(tmp.path() / "links");
    const std::string target = tmp.file("real/Chapter.mif");
    WriteBytes(target, "old");
    ASSERT_EQ(::chmod(target.c_str(), 0640), 0);
    // links/a -> ../real/Chapter.mif (relative), links/b -> links/a (absolute): a chain.
    fs::create_symlink("../real/Chapter.mif", tmp.path() / "links/a");
    fs::create_symlink(tmp.path() / "links/a", tmp.path() / "links/b");
    std::string error;
    ASSERT_TRUE(WriteFileAtomically(tmp.file("links/b"), "new", error)) << error;
    EXPECT_TRUE(fs::is_symlink(tmp.path() / "links/a"));
    EXPECT_TRUE(fs::is_symlink(tmp.path() / "links/b"));
    EXPECT_EQ(ReadBytes(target), "new");
    EXPECT_EQ(StatOf(target).st_mode & 07777, 0640u);
    EXPECT_EQ(Entries(tmp.path() / "links"), 2u) << "nothing written beside the links";
    EXPECT_EQ(Entries(tmp.path() / "real"), 1u);

    // A link to a file that does not exist yet: the file is made where the link points.
    fs::create_symlink("../real/Later.mif", tmp.path() / "links/later");
    ASSERT_TRUE(WriteFileAtomically(tmp.file("links/later"), "made", error)) << error;
    EXPECT_TRUE(fs::is_symlink(tmp.path() / "links/later"));
    EXPECT_EQ(ReadBytes(tmp.file("real/Later.mif")), "made");

    fs::create_symlink("loop", tmp.path() / "links/loop");
    EXPECT_FALSE(WriteFileAtomically(tmp.file("links/loop"), "x", error));
    EXPECT_NE(error.find("links/loop"), std::string::npos) << error;
}

TEST(FileSave, RefusesReadOnlyFilesFoldersAndOtherKinds)
{
    TempDir tmp;
    const std::string path = tmp.file("Chapter.mif");
    for (mode_t mode : {0444, 0400, 0000}) {
        WriteBytes(path, "old");
        ASSERT_EQ(::chmod(path.c_str(), mode), 0);
        std::string error;
        EXPECT_FALSE(WriteFileAtomically(path, "new", error));
        EXPECT_EQ(error, path + ": is read-only (no permission to write it); not saved");
        ASSERT_EQ(::chmod(path.c_str(), 0600), 0);
        EXPECT_EQ(ReadBytes(path), "old");
        EXPECT_EQ(StatOf(path).st_mode & 07777, 0600u);
        EXPECT_EQ(Entries(tmp.path()), 1u);
    }
    std::string error;
    fs::create_directories(tmp.path() / "Folder.mif");
    EXPECT_FALSE(WriteFileAtomically(tmp.file("Folder.mif"), "x", error));
    EXPECT_NE(error.find("Folder.mif: is a folder"), std::string::npos) << error;
    ASSERT_EQ(::mkfifo(tmp.file("pipe").c_str(), 0600), 0);
    int reader = ::open(tmp.file("pipe").c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    EXPECT_TRUE(WriteFileAtomically(tmp.file("pipe"), "through", error)) << error;
    char buffer[16] = {};
    EXPECT_EQ(::read(reader, buffer, sizeof buffer), 7);
    ::close(reader);
    EXPECT_TRUE(fs::is_fifo(tmp.path() / "pipe")) << "a pipe is written, never replaced";
}

TEST(FileSave, AFullDeviceIsReportedAndNotReplaced)
{
    if (!fs::exists("/dev/full"))
        GTEST_SKIP() << "no /dev/full on this system";
    std::string error;
    EXPECT_FALSE(WriteFileAtomically("/dev/full", "bytes", error));
    EXPECT_NE(error.find("/dev/full: could not be written"), std::string::npos) << error;
    EXPECT_TRUE(fs::is_character_file("/dev/full"));
    EXPECT_FALSE(fs::exists("/dev/full.tw-saving"));
    EXPECT_TRUE(WriteFileAtomically("/dev/null", "bytes", error)) << error;
    EXPECT_TRUE(fs::is_character_file("/dev/null"));
}

TEST(FileSave, AStaleTemporaryFileFromAKilledSaveIsRemoved)
{
    TempDir tmp;
    const std::string path = tmp.file("Chapter.mif");
    WriteBytes(path, ReadBytes(ExampleBookDir() + "/Intro.mif"));
    const std::string stale = SavingTempPath(path);
    // A save killed halfway: part of a file, read-only even.
    WriteBytes(stale, "<MIFFile 9.00>\n<PgfCat");
    ASSERT_EQ(::chmod(stale.c_str(), 0444), 0);
    std::string error;
    ASSERT_TRUE(WriteFileAtomically(path, "saved", error)) << error;
    EXPECT_EQ(ReadBytes(path), "saved");
    EXPECT_FALSE(fs::exists(stale));

    // Opening the file cleans up too.
    WriteBytes(path, ReadBytes(ExampleBookDir() + "/Intro.mif"));
    WriteBytes(stale, "partial");
    Model m;
    MifStore store;
    LoadResult r = store.load(m, path);
    ASSERT_TRUE(r.doc) << r.error;
    EXPECT_FALSE(fs::exists(stale));
}

TEST(FileSave, ASaveInProgressElsewhereIsLeftAlone)
{
    TempDir tmp;
    const std::string path = tmp.file("Chapter.mif");
    WriteBytes(path, ReadBytes(ExampleBookDir() + "/Intro.mif"));
    const std::string temp = SavingTempPath(path);
    WriteBytes(temp, "being written");
    int held = ::open(temp.c_str(), O_RDONLY);
    ASSERT_GE(held, 0);
    ASSERT_EQ(::flock(held, LOCK_EX), 0); // as a save in another process holds it
    Model m;
    MifStore store;
    ASSERT_TRUE(store.load(m, path).doc);
    EXPECT_EQ(ReadBytes(temp), "being written");
    std::string error;
    EXPECT_FALSE(WriteFileAtomically(path, "mine", error));
    EXPECT_NE(error.find("another program is saving it now"), std::string::npos) << error;
    EXPECT_EQ(ReadBytes(temp), "being written");
    ::close(held);
}

TEST(FileSave, AFileChangedByAnotherProgramSinceItWasReadIsNotOverwritten)
{
    TempDir tmp;
    const std::string path = tmp.file("Chapter.mif");
    const std::string original = ReadBytes(ExampleBookDir() + "/Intro.mif");
    WriteBytes(path, original);
    Model m;
    MifStore store;
    LoadResult r = store.load(m, path);
    ASSERT_TRUE(r.doc) << r.error;
    std::string error;
    ASSERT_TRUE(store.save(m, *r.doc, path, error)) << error;
    ASSERT_TRUE(store.save(m, *r.doc, path, error)) << "its own saves do not count: " << error;

    // Replaced by another program (a new file renamed over it), then changed in place.
    const std::string theirs = original + "# their edit\n";
    WriteBytes(path + ".other", theirs);
    fs::rename(path + ".other", path);
    EXPECT_FALSE(store.save(m, *r.doc, path, error));
    EXPECT_NE(error.find(path + ": was changed on disk"), std::string::npos) << error;
    EXPECT_EQ(ReadBytes(path), theirs);
    ASSERT_TRUE(store.load(m, path).doc);
    WriteBytes(path, theirs + "# and again\n");
    EXPECT_FALSE(store.save(m, *r.doc, path, error));
    EXPECT_EQ(ReadBytes(path), theirs + "# and again\n");
    EXPECT_EQ(Entries(tmp.path()), 1u);
}

// A file with a second hard link is rewritten in place; a save that fails while rewriting it
// puts the old content back under both names and leaves no recovery copy.
TEST(FileSave, AFailedInPlaceRewritePutsTheOldContentBack)
{
    TempDir tmp;
    const std::string path = tmp.file("Chapter.mif");
    const std::string link = tmp.file("Link.mif");
    WriteBytes(path, "the old content of the chapter");
    ASSERT_EQ(::link(path.c_str(), link.c_str()), 0);
    for (SaveStage stage : {SaveStage::Open, SaveStage::Write, SaveStage::Sync, SaveStage::Rename}) {
        SCOPED_TRACE(static_cast<int>(stage));
        std::string error;
        EXPECT_FALSE(WriteFileAtomically(path, "new, and longer than the old content was", error,
                                         [stage](SaveStage s) { return s == stage; }));
        EXPECT_NE(error.find("Chapter.mif: could not be saved"), std::string::npos) << error;
        EXPECT_EQ(ReadBytes(link), "the old content of the chapter");
        EXPECT_EQ(Entries(tmp.path()), 2u) << "no temporary file or recovery copy is left";
    }
    std::string error;
    ASSERT_TRUE(WriteFileAtomically(path, "new", error)) << error;
    EXPECT_EQ(ReadBytes(link), "new");
    EXPECT_EQ(StatOf(path).st_nlink, 2u);
}

namespace {

// Where a run that rewrites a linked file in place is killed, and what happens to the file
// before the next open: what that open must leave under both names, and what it says.
struct KilledRewrite {
    const char* name;
    SaveStage killedAt;     // the process ends when the save reaches this stage
    bool halfWritten;       // ... with half of the new content written over the old
    bool changedAfterwards; // another program then changes the file
    const char* leaves;     // "old", "new" or "changed"
    const char* says;       // what the open's note holds ("" for nothing)
    bool copyKept;
};

class InPlaceRewriteKilled : public ::testing::TestWithParam<KilledRewrite> { };

TEST_P(InPlaceRewriteKilled, TheNextOpenKeepsEveryonesWork)
{
    const KilledRewrite& c = GetParam();
    TempDir tmp;
    const std::string path = tmp.file("Chapter.mif"), link = tmp.file("Link.mif");
    const std::string old = "the old content of the chapter\n", now = "new, and longer than the old content was\n";
    WriteBytes(path, old);
    ASSERT_EQ(::link(path.c_str(), link.c_str()), 0);
    // The save runs in a child process, which ends where the case says (as a kill would).
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        std::string error;
        (void)WriteFileAtomically(path, now, error, [&](SaveStage s) {
            if (s != c.killedAt)
                return false;
            if (c.halfWritten) {
                int fd = ::open(path.c_str(), O_WRONLY);
                (void)!::write(fd, now.data(), now.size() / 2);
                ::close(fd);
            }
            ::_exit(0);
        });
        ::_exit(1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the save did not reach its stage";
    ASSERT_TRUE(fs::exists(RecoveryCopyPath(path))) << "a killed in-place save leaves its recovery copy";
    std::string theirs = ReadBytes(path);
    if (c.changedAfterwards) {
        theirs += "# a line another program added\n";
        std::ofstream(path, std::ios::binary | std::ios::app) << "# a line another program added\n";
    }
    std::string note, error;
    ASSERT_TRUE(RestoreInterruptedSave(path, note, error)) << error;
    const std::string want = std::string(c.leaves) == "old" ? old : std::string(c.leaves) == "new" ? now : theirs;
    EXPECT_EQ(ReadBytes(path), want);
    EXPECT_EQ(ReadBytes(link), want);
    EXPECT_EQ(fs::exists(RecoveryCopyPath(path)), c.copyKept);
    if (*c.says)
        EXPECT_NE(note.find(c.says), std::string::npos) << note;
    else
        EXPECT_EQ(note, "");
}

INSTANTIATE_TEST_SUITE_P(
    FileSave, InPlaceRewriteKilled,
    ::testing::Values(
        KilledRewrite{"BeforeRewriting", SaveStage::Write, false, false, "old", "", false},
        KilledRewrite{"Halfway", SaveStage::Write, true, false, "old", "had left it half-written", false},
        KilledRewrite{"AfterRewriting", SaveStage::Sync, false, false, "new", "", false},
        KilledRewrite{"HalfwayThenChanged", SaveStage::Write, true, true, "changed", "changed since a save", true},
        KilledRewrite{"AfterRewritingThenChanged", SaveStage::Sync, false, true, "changed", "was not put back", true}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
