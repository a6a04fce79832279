// lock_test.cpp - a run that would change files another run is changing refuses (exit 2, the
// file named, nothing changed); runs that only read are never blocked.
#if defined(_WIN32)
#include "host/files/file_lock.h"
#else
#include <fcntl.h>
#include <sys/file.h>
#endif

#include "tool_fixture.h"

namespace tw::cli_test {
namespace {

// Holds the lock a changing tagwright run holds on a file.
#if defined(_WIN32)
// Windows: the tool's own lock (a named mutex), which this process holding it blocks just as
// another process would.
class HeldLock {
public:
    explicit HeldLock(const fs::path& path)
    {
        std::string error;
        EXPECT_TRUE(locks_.lock(path.string(), error)) << error;
    }

private:
    tw::host::FileLocks locks_;
};
#else
class HeldLock {
public:
    explicit HeldLock(const fs::path& path) : fd_(::open(path.c_str(), O_RDONLY))
    {
        EXPECT_GE(fd_, 0) << path;
        EXPECT_EQ(::flock(fd_, LOCK_EX | LOCK_NB), 0) << path;
    }
    ~HeldLock() { ::close(fd_); }

private:
    int fd_;
};
#endif

TEST_F(Tool, ASecondRunThatWouldChangeTheSameFilesRefuses)
{
    const std::string intro = Slurp(chapter("Intro.mif"));
    const std::string appendix = Slurp(chapter("Appendix.mif"));
    {
        HeldLock held(chapter("Appendix.mif"));
        Result whole = run({"--yes", "delete-unused", book().string()});
        EXPECT_EQ(whole.exit, 2) << whole.err;
        EXPECT_TRUE(
            Contains(whole.err, chapter("Appendix.mif").string() + ": is being changed by another tagwright run"))
            << whole.err;
        EXPECT_EQ(Slurp(chapter("Intro.mif")), intro) << "nothing is changed, not even the files not locked";
        EXPECT_EQ(Slurp(chapter("Appendix.mif")), appendix);

        Result doc = run({"--yes", "--write", "delete-unused", chapter("Appendix.mif").string()});
        EXPECT_EQ(doc.exit, 2) << doc.err;
        EXPECT_TRUE(Contains(doc.err, "Appendix.mif: is being changed")) << doc.err;

        // Reading is not blocked, nor is a change kept in memory (no --write).
        EXPECT_EQ(run({"usage", book().string()}).exit, 0);
        EXPECT_EQ(run({"report", chapter("Appendix.mif").string()}).exit, 0);
        Result inMemory = run({"--yes", "delete-unused", chapter("Appendix.mif").string()});
        EXPECT_EQ(inMemory.exit, 0) << inMemory.err;
    }
    // Once the other run has ended, the change goes through.
    Result whole = run({"--yes", "delete-unused", book().string()});
    EXPECT_EQ(whole.exit, 0) << whole.err;
    EXPECT_FALSE(Contains(Slurp(chapter("Intro.mif")), "OldStyle"));
}

} // namespace
} // namespace tw::cli_test
