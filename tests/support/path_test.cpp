// path_test.cpp - path records, normalisation, variable expansion, joining and the display
// file name, including paths with forward slashes and Shift-JIS names.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "support/encoding.h"
#include "support/memory.h"
#include "support/path.h"

namespace {

struct RecordDeleter {
    void operator()(PathRecord* record) const { PathRecordFree(record); }
};
using Record = std::unique_ptr<PathRecord, RecordDeleter>;

Record Make(const char* text, const PathRecord* base = nullptr, int32_t kind = 0)
{
    return Record(PathFromText(text, base, kind));
}

std::string Normalized(const char* text, const char* base = "")
{
    char buffer[PATH_BUFFER_SIZE];
    std::strcpy(buffer, text);
    PathNormalize(buffer, base);
    return buffer;
}

// The name the commands show for a document path.
std::string DisplayName(const char* path)
{
    Record record = Make(path);
    if (!record)
        return "Untitled";
    char* name = PathFileName(record.get());
    std::string out = name ? name : "<none>";
    MemFree(name);
    return out;
}

class Paths : public ::testing::Test {
protected:
    void SetUp() override { SetEncoding("FrameRoman"); }
    void TearDown() override { SetEncoding("FrameRoman"); }
};

TEST_F(Paths, DisplayNames)
{
    EXPECT_EQ(DisplayName("C:\\Docs\\Chapter 1.fm"), "Chapter 1.fm");
    EXPECT_EQ(DisplayName("C:\\Docs\\Sub\\"), "Sub");
    EXPECT_EQ(DisplayName("C:Chapter.fm"), "Chapter.fm");
    EXPECT_EQ(DisplayName("Chapter.fm"), "Chapter.fm");
    EXPECT_EQ(DisplayName(""), "Untitled");
    EXPECT_EQ(DisplayName(nullptr), "Untitled");
    EXPECT_EQ(PathFileName(nullptr), nullptr);
}

TEST_F(Paths, ForwardSlashesSeparateTheFileName)
{
    EXPECT_EQ(DisplayName("/home/ann/book/ch1.fm"), "ch1.fm");
    EXPECT_EQ(DisplayName("C:/Docs/Chapter 2.fm"), "Chapter 2.fm");
    EXPECT_EQ(DisplayName("/home/ann/book/"), "book");
    const char* path = "C:\\Docs/x\\y.fm";
    EXPECT_EQ(PathFileNamePart(path), path + 10);
    const char* mixed = "a\\b/c";
    EXPECT_EQ(PathFileNamePart(mixed), mixed + 4);
    const char* plain = "name.fm";
    EXPECT_EQ(PathFileNamePart(plain), plain);
    EXPECT_EQ(PathFileNamePart(nullptr), nullptr);
}

TEST_F(Paths, RecordFields)
{
    Record record = Make("C:\\Docs\\a.fm");
    ASSERT_TRUE(record);
    EXPECT_EQ(record->tag, 0x70617468u);
    EXPECT_EQ(record->flags, 0x10);
    EXPECT_STREQ(record->text, "C:\\Docs\\a.fm");
    EXPECT_FALSE(Make("C:\\x", nullptr, 3));
    Record kindTwo = Make("C:\\x\\.\\y", nullptr, 2);
    ASSERT_TRUE(kindTwo);
    EXPECT_STREQ(kindTwo->text, "C:\\x\\y");
    PathRecordFree(nullptr);
}

TEST(PathsDeathTest, UnknownKindIsFatal)
{
    EXPECT_DEATH(PathFromText("C:\\x", nullptr, 5), "structured exception 0x00000001");
}

TEST_F(Paths, DotsAndSeparatorRuns)
{
    EXPECT_EQ(Normalized("C:\\a\\.\\b"), "C:\\a\\b");
    EXPECT_EQ(Normalized("C:\\a\\b\\..\\c"), "C:\\a\\c");
    EXPECT_EQ(Normalized("C:\\..\\x"), "C:\\x"); // never above the drive
    EXPECT_EQ(Normalized("C:\\a\\\\b"), "C:\\a\\b");
    EXPECT_EQ(Normalized("C:\\a\\b\\..\\..\\..\\c"), "C:\\c");
    EXPECT_EQ(Normalized("C:\\a\\b\\"), "C:\\a\\b\\"); // a trailing separator stays one
    EXPECT_EQ(Normalized("C:\\a\\b\\\\\\"), "C:\\a\\b\\");
}

TEST_F(Paths, UncPrefixKeepsTwoBackslashes)
{
    EXPECT_EQ(Normalized("\\\\server\\share\\x"), "\\\\server\\share\\x");
    EXPECT_EQ(Normalized("\\\\\\server\\share"), "\\\\server\\share");
}

TEST_F(Paths, FirstSeparatorWins)
{
    EXPECT_EQ(Normalized("/a/b\\c"), "/a/b/c");
    EXPECT_EQ(Normalized("C:\\a/b"), "C:\\a\\b");
    EXPECT_EQ(Normalized("/a/./b/../c//d"), "/a/c/d");
}

TEST_F(Paths, VariablesAndTilde)
{
    setenv("TW_DOCS", "D:\\Work", 1);
    EXPECT_EQ(Normalized("$TW_DOCS\\x.fm"), "D:\\Work\\x.fm");
    setenv("TW_EMPTY", "", 1);
    EXPECT_EQ(Normalized("C:\\a\\$TW_EMPTY\\b"), "C:\\a\\b");
    unsetenv("TW_DOCS");
    EXPECT_EQ(Normalized("$TW_DOCS\\x.fm"), "$TW_DOCS\\x.fm");
    EXPECT_EQ(Normalized("C:\\a$.x"), "C:\\a$.x");
    EXPECT_EQ(Normalized("~\\x"), "\\x");

    char buffer[PATH_BUFFER_SIZE] = "~abc";
    PathExpandVariables(buffer);
    EXPECT_STREQ(buffer, "abc");
    setenv("TW_A", "1$TW_A", 1); // a value is not expanded again
    std::strcpy(buffer, "$TW_A/$TW_A");
    PathExpandVariables(buffer);
    EXPECT_STREQ(buffer, "1$TW_A/1$TW_A");
    unsetenv("TW_A");
}

TEST_F(Paths, RelativePathsJoinTheBase)
{
    Record base = Make("C:\\Docs");
    ASSERT_TRUE(base);
    Record sub = Make("Sub\\a.fm", base.get());
    ASSERT_TRUE(sub);
    EXPECT_STREQ(sub->text, "C:\\Docs\\Sub\\a.fm");
    Record up = Make("..\\b.fm", base.get());
    ASSERT_TRUE(up);
    EXPECT_STREQ(up->text, "C:\\b.fm");
    Record absolute = Make("E:\\x.fm", base.get());
    EXPECT_STREQ(absolute->text, "E:\\x.fm");
    Record rooted = Make("/x.fm", base.get());
    EXPECT_STREQ(rooted->text, "/x.fm");
}

TEST_F(Paths, RepositoryLocationsStayAsGiven)
{
    Record base = Make("C:\\Docs");
    Record repository = Make("dctm://repo/cabinet/doc.fm", base.get());
    ASSERT_TRUE(repository);
    EXPECT_STREQ(repository->text, "dctm://repo/cabinet/doc.fm");
    EXPECT_EQ(DisplayName("dctm://repo/cabinet/doc.fm"), "doc.fm");
    EXPECT_EQ(PathIsRepository("dctm://x"), 1);
    EXPECT_EQ(PathIsRepository("DCTM://x"), 0);
    EXPECT_EQ(PathIsRepository(""), 0);
    EXPECT_EQ(PathIsRepository(nullptr), 0);
}

TEST_F(Paths, Join)
{
    char buffer[32] = "C:\\Docs";
    EXPECT_EQ(PathJoin(buffer, "a.fm", sizeof buffer), 12);
    EXPECT_STREQ(buffer, "C:\\Docs\\a.fm");
    std::strcpy(buffer, "C:\\Docs\\");
    PathJoin(buffer, "a.fm", sizeof buffer);
    EXPECT_STREQ(buffer, "C:\\Docs\\a.fm");
    std::strcpy(buffer, "/x/");
    PathJoin(buffer, "a", sizeof buffer);
    EXPECT_STREQ(buffer, "/x/a");
    buffer[0] = '\0';
    PathJoin(buffer, "a", sizeof buffer);
    EXPECT_STREQ(buffer, "a");
    std::strcpy(buffer, "C:\\Docs");
    EXPECT_EQ(PathJoin(buffer, "0123456789", 12), 11); // bounded
    EXPECT_STREQ(buffer, "C:\\Docs\\012");
}

TEST_F(Paths, NetworkNameUnescaping)
{
    char name[64] = "My%20Doc.fm";
    PathUnescapeName(name);
    EXPECT_STREQ(name, "My Doc.fm");
    std::strcpy(name, "a%2");
    PathUnescapeName(name);
    EXPECT_STREQ(name, "a%2");
    std::strcpy(name, "%00x%zz%4a%4B");
    PathUnescapeName(name);
    EXPECT_STREQ(name, "%00x%zzJK");
    std::strcpy(name, "a/b%2Fc");
    PathUnescapeName(name);
    EXPECT_STREQ(name, "a\\b\\c");
}

TEST_F(Paths, ShiftJisTrailBytesAreNotSeparators)
{
    SetEncoding("JISX0208.ShiftJIS");
    // 0x95 0x5C is one character whose second byte equals a backslash
    EXPECT_EQ(DisplayName("C:\\dir\\\x95\x5C.fm"), "\x95\x5C.fm");
    EXPECT_EQ(DisplayName("C:\\dir\\\x95\x5C"), "\x95\x5C");
    EXPECT_EQ(Normalized("C:\\\x95\x5C\\..\\x"), "C:\\x");
    EXPECT_EQ(Normalized("C:\\a\x95\x5C\\b"), "C:\\a\x95\x5C\\b");
    SetEncoding("FrameRoman");
    // the same bytes in FrameRoman are two characters, the second a backslash
    EXPECT_EQ(DisplayName("C:\\dir\\\x95\x5C.fm"), ".fm");
}

TEST_F(Paths, OverlongPathsAreCutSafely)
{
    std::string longPath = "C:\\" + std::string(5000, 'a') + "\\b.fm";
    Record record = Make(longPath.c_str());
    ASSERT_TRUE(record);
    EXPECT_LE(std::strlen(record->text), static_cast<size_t>(PATH_BUFFER_SIZE - 1));
    std::string longName = "C:\\" + std::string(2000, 'n');
    EXPECT_EQ(DisplayName(longName.c_str()).size(), 1022u);
}

} // namespace
