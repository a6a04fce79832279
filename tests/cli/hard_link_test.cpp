// hard_link_test.cpp - a saved file keeps what replacing it would lose: its other hard links
// (every name shows the new content), and its extended attributes and access list; a file
// whose in-place rewrite was killed is put back from its recovery copy by the next run.
#include "tool_fixture.h"

#if !defined(_WIN32)
#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/xattr.h>

#include <cerrno>
#include <cstring>

#include "host/files/file_save.h"

namespace tw::cli_test {
namespace {

ino_t Inode(const fs::path& p)
{
    struct stat st;
    EXPECT_EQ(::stat(p.c_str(), &st), 0) << p;
    return st.st_ino;
}

std::string Attribute(const fs::path& p, const char* name)
{
    char value[256];
    ssize_t n = ::getxattr(p.c_str(), name, value, sizeof value);
    return n < 0 ? std::string("(none: ") + std::strerror(errno) + ")" : std::string(value, static_cast<size_t>(n));
}

// A document saved with --write, and a book's chapter, each with a second name elsewhere.
TEST_F(Tool, EveryHardLinkShowsTheSavedContent)
{
    fs::create_directories(file("elsewhere"));
    fs::create_hard_link(chapter("Intro.mif"), file("elsewhere/Intro.mif"));
    fs::create_hard_link(chapter("Appendix.mif"), file("elsewhere/Appendix.mif"));
    ::chmod(chapter("Appendix.mif").c_str(), 0640);
    const ino_t intro = Inode(chapter("Intro.mif"));

    // The document first (the book run would clean it too).
    const std::string appendix = Slurp(chapter("Appendix.mif"));
    Result doc = run({"--yes", "--write", "delete-unused", chapter("Appendix.mif").string()});
    ASSERT_EQ(doc.exit, 0) << doc.err;
    EXPECT_TRUE(Slurp(chapter("Appendix.mif")) != appendix) << "the document was changed";
    EXPECT_TRUE(Slurp(file("elsewhere/Appendix.mif")) == Slurp(chapter("Appendix.mif")));
    struct stat st;
    ASSERT_EQ(::stat(chapter("Appendix.mif").c_str(), &st), 0);
    EXPECT_EQ(st.st_nlink, 2u);
    EXPECT_EQ(st.st_mode & 07777, 0640u);

    Result book = run({"--yes", "delete-unused", this->book().string()});
    ASSERT_EQ(book.exit, 0) << book.err;
    EXPECT_FALSE(Contains(Slurp(chapter("Intro.mif")), "OldStyle")) << "the chapter was changed";
    EXPECT_TRUE(Slurp(file("elsewhere/Intro.mif")) == Slurp(chapter("Intro.mif")));
    EXPECT_EQ(Inode(chapter("Intro.mif")), intro);
    for (const auto& entry : fs::recursive_directory_iterator(dir_))
        EXPECT_NE(entry.path().extension(), ".tw-recover") << entry.path();
}

// Leaves a file as a run killed halfway through rewriting it in place does: the recovery copy
// beside it, and half of `now` written over its old content. The save runs in a child process
// that ends there.
void KillRewriteHalfway(const fs::path& path, const std::string& now)
{
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        std::string error;
        (void)host::WriteFileAtomically(path.string(), now, error, [&](host::SaveStage s) {
            if (s == host::SaveStage::Write) {
                std::fstream(path, std::ios::binary | std::ios::in | std::ios::out) << now.substr(0, now.size() / 2);
                ::_exit(0);
            }
            return false;
        });
        ::_exit(1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    ASSERT_TRUE(fs::exists(path.string() + ".tw-recover"));
}

// A run killed while it rewrote a linked file in place leaves the old content beside it; the
// next run, even one that only reads, puts it back under every name and says so. Had another
// program changed the file since, its work stays, and so does the copy, and the run says that.
TEST_F(Tool, AnInterruptedInPlaceSaveIsPutBackByTheNextRun)
{
    fs::create_hard_link(chapter("Intro.mif"), file("Intro-link.mif"));
    const std::string old = Slurp(chapter("Intro.mif"));
    // What the save was writing: the same chapter with another first line (still MIF).
    const std::string now = "<MIFFile 2019> # saved again\n" + old.substr(old.find('\n') + 1);
    ASSERT_NO_FATAL_FAILURE(KillRewriteHalfway(chapter("Intro.mif"), now));
    Result r = run({"usage", book().string()});
    EXPECT_EQ(r.exit, 0) << r.err;
    EXPECT_TRUE(Contains(r.err, "Intro.mif: a save that was interrupted had left it half-written; its earlier content "
                                "was put back"))
        << r.err;
    EXPECT_TRUE(Slurp(chapter("Intro.mif")) == old);
    EXPECT_TRUE(Slurp(file("Intro-link.mif")) == old);
    EXPECT_FALSE(fs::exists(chapter("Intro.mif.tw-recover")));

    ASSERT_NO_FATAL_FAILURE(KillRewriteHalfway(chapter("Intro.mif"), now));
    const std::string theirs = Slurp(chapter("Intro.mif")) + "# another program's line\n";
    std::ofstream(chapter("Intro.mif"), std::ios::binary | std::ios::app) << "# another program's line\n";
    r = run({"usage", book().string()});
    EXPECT_TRUE(Contains(r.err, "Intro.mif: changed since a save of it was interrupted")) << r.err;
    EXPECT_TRUE(Slurp(file("Intro-link.mif")) == theirs);
    EXPECT_TRUE(fs::exists(chapter("Intro.mif.tw-recover")));
}

// Extended attributes survive the save that replaces the file: a user attribute, and an access
// list granting one more user read access where the file system takes one.
TEST_F(Tool, ExtendedAttributesAndTheAccessListAreKept)
{
    const fs::path doc = chapter("Intro.mif");
    if (::setxattr(doc.c_str(), "user.tagwright.origin", "manual", 6, 0) != 0)
        GTEST_SKIP() << "the file system under " << dir_ << " takes no user attributes: " << std::strerror(errno);
    // user::rw-, user:4242:r--, group::r--, mask::r--, other::--- in the kernel's layout.
    struct Entry {
        uint16_t tag, perm;
        uint32_t id;
    };
    const uint32_t version = 2;
    const Entry entries[] = {{0x01, 6, ~0u}, {0x02, 4, 4242}, {0x04, 4, ~0u}, {0x10, 4, ~0u}, {0x20, 0, ~0u}};
    std::string acl(reinterpret_cast<const char*>(&version), sizeof version);
    acl += std::string(reinterpret_cast<const char*>(entries), sizeof entries);
    const bool withAcl = ::setxattr(doc.c_str(), "system.posix_acl_access", acl.data(), acl.size(), 0) == 0;
    const std::string aclBefore = withAcl ? Attribute(doc, "system.posix_acl_access") : "";

    Result r = run({"--yes", "--write", "delete-unused", doc.string()});
    ASSERT_EQ(r.exit, 0) << r.err;
    EXPECT_FALSE(Contains(Slurp(doc), "OldStyle")) << "the document was changed";
    EXPECT_EQ(Attribute(doc, "user.tagwright.origin"), "manual");
    if (withAcl)
        EXPECT_EQ(Attribute(doc, "system.posix_acl_access"), aclBefore);
    else
        std::cout << "note: no access list tried: the file system refuses POSIX access lists\n";
}

} // namespace
} // namespace tw::cli_test
#endif
