// strings_test.cpp - byte-string operations: null rules, bounds, comparison and case folding.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>

#include "support/memory.h"
#include "support/strings.h"

namespace {

TEST(Strings, NullReadsAsEmptyInComparisons)
{
    EXPECT_EQ(StrCompare(nullptr, ""), 0);
    EXPECT_EQ(StrEqual(nullptr, ""), 1);
    EXPECT_EQ(StrEqual(nullptr, nullptr), 1);
    EXPECT_EQ(StrEqualNoCase("", nullptr), 1);
    EXPECT_LT(StrCompare(nullptr, "a"), 0);
    EXPECT_EQ(StrLength(nullptr), 0);
}

TEST(Strings, CompareGivesTheUnsignedByteDifference)
{
    EXPECT_EQ(StrCompare("a", "B"), 0x61 - 0x42);
    EXPECT_EQ(StrCompareNoCase("a", "B"), 0x61 - 0x62);
    EXPECT_EQ(StrCompare("\x80", "\x7F"), 1); // 0x80 sorts after 0x7F
    EXPECT_EQ(StrCompare("abc", "ab"), 'c');
    EXPECT_EQ(StrCompare("Body", "Body"), 0);
}

TEST(Strings, CaseFoldingCoversAsciiAndFrameRomanCapitals)
{
    EXPECT_EQ(StrEqualNoCase("Paragraphs", "PARAGRAPHS"), 1);
    EXPECT_EQ(StrEqualNoCase("\x80", "\x8A"), 1); // Ä ä
    EXPECT_EQ(StrEqualNoCase("\xD8", "\xD9"), 1); // ÿ Ÿ
    EXPECT_EQ(StrEqualNoCase("\xCE"
                             "uvre",
                             "\xCF"
                             "UVRE"),
              1);                                 // Œ œ
    EXPECT_EQ(StrEqualNoCase("\x80", "\x81"), 0); // Ä is not Å
    EXPECT_EQ(StrEqual("\x80", "\x8A"), 0);

    int folded = 0;
    for (int c = 0; c < 256; c++) {
        if (FrameRomanFoldTable[c] != c) {
            folded++;
            // every folded byte lands on a byte that folds to itself
            EXPECT_EQ(FrameRomanFoldTable[FrameRomanFoldTable[c]], FrameRomanFoldTable[c]) << c;
        }
    }
    EXPECT_EQ(folded, 55);
    EXPECT_EQ(FrameRomanFoldTable[0xF4], 0x9D); // Ù ù
    EXPECT_EQ(FrameRomanFoldTable['['], '[');
}

TEST(Strings, Duplicate)
{
    EXPECT_EQ(StrDuplicate(nullptr), nullptr);
    char* empty = StrDuplicate("");
    ASSERT_NE(empty, nullptr);
    EXPECT_STREQ(empty, "");
    MemFree(empty);
    char* copy = StrDuplicate("Heading1");
    EXPECT_STREQ(copy, "Heading1");
    MemFree(copy);
}

TEST(Strings, CopyAndBoundedCopy)
{
    char buffer[16] = "xxxx";
    EXPECT_EQ(StrCopy(nullptr, "a"), nullptr);
    EXPECT_EQ(StrCopy(buffer, nullptr), buffer);
    EXPECT_STREQ(buffer, "");
    char* end = StrCopy(buffer, "Body");
    EXPECT_EQ(end, buffer + 4);
    EXPECT_EQ(*end, '\0');

    EXPECT_EQ(StrCopyBounded(buffer, "abcdef", 4), 3);
    EXPECT_STREQ(buffer, "abc");
    EXPECT_EQ(StrCopyBounded(buffer, "abcdef", 1), 0);
    EXPECT_STREQ(buffer, "");
    std::strcpy(buffer, "keep");
    EXPECT_EQ(StrCopyBounded(buffer, nullptr, 8), 0);
    EXPECT_STREQ(buffer, "");
    EXPECT_EQ(StrCopyBounded(nullptr, "abc", 8), 0);
}

TEST(Strings, AppendRespectsTheBound)
{
    char buffer[8] = "abc";
    EXPECT_EQ(StrAppend(buffer, nullptr), 3);
    EXPECT_EQ(StrAppend(buffer, "de"), 5);
    EXPECT_STREQ(buffer, "abcde");
    EXPECT_EQ(StrAppend(nullptr, "x"), 0);

    // size = length + 1: nothing fits
    EXPECT_EQ(StrAppendBounded(buffer, "XYZ", 6), 5);
    EXPECT_STREQ(buffer, "abcde");
    EXPECT_EQ(StrAppendChar(buffer, 'X', 6), 5);
    EXPECT_STREQ(buffer, "abcde");
    // size 8: two more bytes and the terminator
    EXPECT_EQ(StrAppendBounded(buffer, "XYZ", 8), 7);
    EXPECT_STREQ(buffer, "abcdeXY");
    std::strcpy(buffer, "ab");
    EXPECT_EQ(StrAppendChar(buffer, 'c', 8), 3);
    EXPECT_STREQ(buffer, "abc");
    EXPECT_EQ(StrAppendBounded(buffer, "", 8), 3);
    EXPECT_EQ(StrAppendBounded(nullptr, "a", 8), 0);
    EXPECT_EQ(StrAppendChar(nullptr, 'a', 8), 0);
}

TEST(Strings, AppendIntWritesDecimal)
{
    char buffer[32] = "n=";
    EXPECT_EQ(StrAppendInt(buffer, -7, sizeof buffer), 4);
    EXPECT_STREQ(buffer, "n=-7");
    buffer[0] = '\0';
    StrAppendInt(buffer, INT_MIN, sizeof buffer);
    EXPECT_STREQ(buffer, "-2147483648");
    buffer[0] = '\0';
    EXPECT_EQ(StrAppendInt(buffer, 123456, 4), 3); // bounded like StrAppendBounded
    EXPECT_STREQ(buffer, "123");
    EXPECT_EQ(StrAppendInt(nullptr, 5, 8), 0);
}

TEST(Strings, FindRules)
{
    EXPECT_EQ(StrFind("", ""), -1);
    EXPECT_EQ(StrFind("x", ""), 0);
    EXPECT_EQ(StrFind("SetDocId 12", " "), 8);
    EXPECT_EQ(StrFind(nullptr, "a"), -1);
    EXPECT_EQ(StrFind("abc", nullptr), -1);
    EXPECT_EQ(StrFind("abcabc", "ca"), 2);
    EXPECT_EQ(StrFind("abc", "abcd"), -1);

    const char* text = "a\xE4z";
    EXPECT_EQ(StrFindChar(text, 0xE4), text + 1); // compared as unsigned
    EXPECT_EQ(StrFindChar(text, -28), text + 1);  // the same byte given as a signed char
    EXPECT_EQ(StrFindChar(text, 0), nullptr);
    EXPECT_EQ(StrFindChar("", 'a'), nullptr);
    EXPECT_EQ(StrFindChar(nullptr, 'a'), nullptr);
}

TEST(Strings, StartsWith)
{
    EXPECT_EQ(StrStartsWith("SetDocId 5", "SetDocId"), 1);
    EXPECT_EQ(StrStartsWith("Set", "SetDocId"), 0);
    EXPECT_EQ(StrStartsWith("x", nullptr), 1);
    EXPECT_EQ(StrStartsWith(nullptr, ""), 1);
    EXPECT_EQ(StrStartsWith(nullptr, "a"), 0);
    EXPECT_EQ(StrStartsWith("setdocid", "SetDocId"), 0);
}

TEST(Strings, TrimOnlySpaces)
{
    char leading[] = "   12";
    StrTrimLeading(leading);
    EXPECT_STREQ(leading, "12");
    char tabbed[] = "\t 12";
    StrTrimLeading(tabbed);
    EXPECT_STREQ(tabbed, "\t 12");

    char trailing[] = "12\t ";
    StrTrimTrailing(trailing);
    EXPECT_STREQ(trailing, "12\t");
    char spaces[] = "   ";
    StrTrimTrailing(spaces);
    EXPECT_STREQ(spaces, "");
    StrTrimLeading(nullptr);
    StrTrimTrailing(nullptr);
}

TEST(Strings, TruncateAndToInt)
{
    char text[] = "SetBookId 42";
    StrTruncate(text, 9);
    EXPECT_STREQ(text, "SetBookId");
    StrTruncate(nullptr, 3);
    EXPECT_EQ(StrToInt(nullptr), 0);
    EXPECT_EQ(StrToInt("  -17x"), -17);
    EXPECT_EQ(StrToInt("id"), 0);
}

} // namespace
