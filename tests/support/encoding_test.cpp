// encoding_test.cpp - the encoding table, character-boundary helpers, ICU conversions with
// the FrameRoman converter the build produces, and the start-up of the encoding layer.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <unicode/putil.h>
#include <vector>

#include "fake_install_dir.h"
#include "support/encoding.h"
#include "support/memory.h"

namespace {

// Takes ownership of a converted text.
std::string Take(char* text)
{
    EXPECT_NE(text, nullptr);
    std::string out = text ? text : "<none>";
    MemFree(text);
    return out;
}

std::u16string TakeUnits(char* text)
{
    EXPECT_NE(text, nullptr);
    std::u16string out = text ? std::u16string(reinterpret_cast<const char16_t*>(text)) : u"<none>";
    MemFree(text);
    return out;
}

const char* const frameRoman = "adobe-fm-roman-windows";

// ---- the table ----

TEST(EncodingTable, SetEncodingAndIndexByName)
{
    EXPECT_EQ(SetEncoding("utf-8"), ENCODING_UTF8);
    EXPECT_EQ(EncodingsReady(), 1);
    EXPECT_EQ(SetEncoding("Latin1"), ENCODING_UTF8); // unknown: unchanged
    EXPECT_EQ(CurrentEncoding(), ENCODING_UTF8);
    EXPECT_EQ(SetEncoding("frameroman"), ENCODING_FRAMEROMAN);
    EXPECT_EQ(EncodingIndex("big5"), ENCODING_BIG5);
    EXPECT_EQ(EncodingIndex("x"), 0);
    EXPECT_EQ(EncodingIndex(nullptr), 0);
}

TEST(EncodingTable, LeadAndTrailRanges)
{
    SetEncoding("FrameRoman");
    const EncodingRecord& sjis = EncodingRecords[ENCODING_SHIFT_JIS];
    EXPECT_STREQ(sjis.name, "JISX0208.ShiftJIS");
    EXPECT_TRUE(sjis.lead[0x81] && sjis.lead[0x9F] && sjis.lead[0xE0] && sjis.lead[0xFC]);
    EXPECT_FALSE(sjis.lead[0x80] || sjis.lead[0xA0] || sjis.lead[0xFD]);
    EXPECT_TRUE(sjis.trail[0x40] && sjis.trail[0x7E] && sjis.trail[0x80] && sjis.trail[0x5C]);
    EXPECT_FALSE(sjis.trail[0x7F] || sjis.trail[0x3F]);
    const EncodingRecord& big5 = EncodingRecords[ENCODING_BIG5];
    EXPECT_TRUE(big5.trail[0x40] && big5.trail[0xA1] && !big5.trail[0x80]);
    for (int b = 0; b < 256; b++) {
        EXPECT_EQ(EncodingRecords[ENCODING_FRAMEROMAN].lead[b], 0);
        EXPECT_EQ(EncodingRecords[ENCODING_UTF8].lead[b], 0);
    }
}

TEST(EncodingTable, ConverterNames)
{
    EXPECT_STREQ(ConverterName(0), frameRoman);
    EXPECT_STREQ(ConverterName(5), "UTF-8");
    EXPECT_EQ(ConverterName(6), nullptr);
    EXPECT_EQ(ConverterName(-1), nullptr);
    EXPECT_STREQ(EncodingNameOfConverter("adobe-fm-big5"), "BIG5");
    EXPECT_STREQ(EncodingNameOfConverter("UTF-16"), "UTF-16");
    EXPECT_STREQ(EncodingNameOfConverter("UTF-8"), "UTF-8");
    EXPECT_EQ(EncodingNameOfConverter("utf-8"), nullptr); // exact comparison
    EXPECT_EQ(EncodingNameOfConverter(nullptr), nullptr);
}

// ---- UTF-8 and double-byte boundaries ----

TEST(CharacterHelpers, Utf8Lengths)
{
    const std::pair<int, int> cases[] = {{0x41, 1}, {0x80, 1}, {0xBF, 1}, {0xC0, 2}, {0xDF, 2},
                                         {0xE0, 3}, {0xEF, 3}, {0xF0, 4}, {0xF7, 4}, {0xF8, 5},
                                         {0xFB, 5}, {0xFC, 6}, {0xFD, 6}, {0xFE, 1}, {0xFF, 1}};
    for (auto [lead, length] : cases)
        EXPECT_EQ(Utf8CharLength(static_cast<uint8_t>(lead)), length) << lead;
    const char* text = "\xE2\x82\xAC"
                       "a";
    EXPECT_EQ(Utf8Next(text), text + 3);
}

TEST(CharacterHelpers, IsUtf8)
{
    EXPECT_EQ(IsUtf8(""), 1);
    EXPECT_EQ(IsUtf8("plain"), 1);
    EXPECT_EQ(IsUtf8("\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80"), 1);
    EXPECT_EQ(IsUtf8("\xC3"), 0);     // cut short by the end
    EXPECT_EQ(IsUtf8("\xC3\x28"), 0); // no continuation byte
    EXPECT_EQ(IsUtf8("\x80"), 0);     // continuation byte as lead
    EXPECT_EQ(IsUtf8("\xFE"), 0);
    EXPECT_EQ(IsUtf8(nullptr), 0);
}

TEST(CharacterHelpers, Utf8CutPositionFindsTheCharacterStart)
{
    const char* text = "a\xC3\xA9"
                       "b";
    EXPECT_EQ(Utf8CutPosition(text, 2), 1);
    EXPECT_EQ(Utf8CutPosition(text, 1), 1);
    EXPECT_EQ(Utf8CutPosition(text, 3), 3);
    EXPECT_EQ(Utf8CutPosition(text, 4), 4); // at the end: unchanged
    EXPECT_EQ(Utf8CutPosition(text, 9), 9);
}

TEST(CharacterHelpers, IsSecondByte)
{
    const char* text = "\x41\x82\xA0";
    EXPECT_EQ(IsSecondByte(text, 2, ENCODING_SHIFT_JIS), 1);
    EXPECT_EQ(IsSecondByte(text, 1, ENCODING_SHIFT_JIS), 0);
    EXPECT_EQ(IsSecondByte(text, 0, ENCODING_SHIFT_JIS), 0);
    EXPECT_EQ(IsSecondByte(text, 3, ENCODING_SHIFT_JIS), 0);
    EXPECT_EQ(IsSecondByte(text, 2, ENCODING_FRAMEROMAN), 0);
    // 0x82 is both a lead and a trail byte: pairs are taken from the start of the text
    const char* run = "\x82\x82\x82\x82";
    EXPECT_EQ(IsSecondByte(run, 1, ENCODING_SHIFT_JIS), 1);
    EXPECT_EQ(IsSecondByte(run, 2, ENCODING_SHIFT_JIS), 0);
    EXPECT_EQ(IsSecondByte(run, 3, ENCODING_SHIFT_JIS), 1);
    EXPECT_EQ(IsSecondByte("\xC3\xA9", 1, ENCODING_UTF8), 0);
}

TEST(CharacterHelpers, BoundedCopyNeverSplitsACharacter)
{
    char out[16];
    EXPECT_EQ(CopyBoundedChars(out, "a\xC3\xA9", 3, ENCODING_UTF8), 1);
    EXPECT_STREQ(out, "a");
    EXPECT_EQ(CopyBoundedChars(out, "a\xC3\xA9", 4, ENCODING_UTF8), 3);
    EXPECT_EQ(CopyBoundedChars(out, "\x41\x82\xA0", 3, ENCODING_SHIFT_JIS), 1);
    EXPECT_STREQ(out, "\x41");
    EXPECT_EQ(CopyBoundedChars(out, "\x41\x82\xA0", 3, ENCODING_FRAMEROMAN), 2);
    EXPECT_EQ(CopyBoundedChars(out, "ab", 10, ENCODING_SHIFT_JIS), 2);
    std::strcpy(out, "keep");
    EXPECT_EQ(CopyBoundedChars(out, nullptr, 10, ENCODING_UTF8), 0);
    EXPECT_STREQ(out, "");
    EXPECT_EQ(CopyBoundedChars(nullptr, "a", 10, ENCODING_UTF8), 0);
}

TEST(CharacterHelpers, BoundedAppendNeverSplitsACharacter)
{
    char out[16] = "ab";
    EXPECT_EQ(AppendBoundedChars(out, "\xC3\xA9x", 4, ENCODING_UTF8), 2);
    EXPECT_STREQ(out, "ab");
    EXPECT_EQ(AppendBoundedChars(out, "\xC3\xA9x", 5, ENCODING_UTF8), 4);
    EXPECT_STREQ(out, "ab\xC3\xA9");
    std::strcpy(out, "a");
    EXPECT_EQ(AppendBoundedChars(out, "\x82\xA0", 3, ENCODING_SHIFT_JIS), 1);
    EXPECT_STREQ(out, "a");
    EXPECT_EQ(AppendBoundedChars(out, "\x82\xA0", 4, ENCODING_SHIFT_JIS), 3);
    EXPECT_EQ(AppendBoundedChars(out, "", 16, ENCODING_UTF8), 0);
    EXPECT_EQ(AppendBoundedChars(nullptr, "a", 16, ENCODING_UTF8), 0);
}

TEST(CharacterHelpers, FindOnlyOnCharacterBoundaries)
{
    // 0x95 0x5C is one Shift-JIS character whose second byte looks like a backslash
    const char* text = "\x95\x5C\x5C"
                       "a";
    EXPECT_EQ(FindChars(text, "\\", ENCODING_SHIFT_JIS), 2);
    EXPECT_EQ(FindChars(text, "\\", ENCODING_FRAMEROMAN), 1);
    EXPECT_EQ(FindChars("\xC3\xA9/", "/", ENCODING_UTF8), 2);
    EXPECT_EQ(FindChars("abc", "", ENCODING_UTF8), 0);
    EXPECT_EQ(FindChars("abc", "d", ENCODING_UTF8), -1);
    EXPECT_EQ(FindChars(nullptr, "a", ENCODING_UTF8), -1);
}

TEST(CharacterHelpers, FindLastChar)
{
    const char* text = "a\\\x95\x5C"
                       "b";
    EXPECT_EQ(FindLastChar(text, "\\", ENCODING_SHIFT_JIS), text + 1);
    EXPECT_EQ(FindLastChar(text, "\\", ENCODING_FRAMEROMAN), text + 3);
    EXPECT_EQ(FindLastChar(text, "\x95\x5C", ENCODING_SHIFT_JIS), text + 2); // a two-byte character
    const char* utf8 = "\xC3\xA9"
                       "b\xC3\xA9"
                       "c";
    EXPECT_EQ(FindLastChar(utf8,
                           "\xC3\xA9"
                           "zz",
                           ENCODING_UTF8),
              utf8 + 3); // first character only
    EXPECT_EQ(FindLastChar("", "a", ENCODING_UTF8), nullptr);
    EXPECT_EQ(FindLastChar(nullptr, "a", ENCODING_UTF8), nullptr);
    EXPECT_EQ(FindLastChar("abc", "", ENCODING_UTF8), nullptr);
    EXPECT_EQ(FindLastChar("abc", "x", ENCODING_UTF8), nullptr);
}

// ---- conversions through ICU ----

class EncodingConversion : public ::testing::Test {
protected:
    void SetUp() override { UseBuildIcuData(); }
};

TEST_F(EncodingConversion, FrameRomanRoundTripsThroughUtf8)
{
    std::string all;
    for (int b = 0x20; b <= 0xFE; b++)
        if (b != 0x7F)
            all += static_cast<char>(b);
    std::string utf8 = Take(ToUtf8(all.c_str()));
    EXPECT_EQ(IsUtf8(utf8.c_str()), 1);
    EXPECT_GT(utf8.size(), all.size());
    std::string back = Take(ConvertWithControls(utf8.c_str(), "UTF-8", frameRoman, 0, 0));
    EXPECT_EQ(back, all);
}

TEST_F(EncodingConversion, FrameRomanCharactersMapToTheirUnicodeLetters)
{
    // Ä ä Ÿ ÿ fi € • Œ œ and the case pairs of the fold table agree with the character set
    EXPECT_EQ(Take(ToUtf8("\x80\x8A\xD9\xD8\xDE\xF5\xA5\xCE\xCF")),
              "\xC3\x84\xC3\xA4\xC5\xB8\xC3\xBF\xEF\xAC\x81\xE2\x82\xAC\xE2\x80\xA2\xC5\x92\xC5\x93");
    EXPECT_EQ(Take(ToUtf8From("Caf\x8E", ENCODING_FRAMEROMAN)), "Caf\xC3\xA9");
}

TEST_F(EncodingConversion, ControlCharactersPassThroughUnconverted)
{
    EXPECT_EQ(Take(ToUtf8("\x80\tx\n\x8A")), "\xC3\x84\tx\n\xC3\xA4");
    EXPECT_EQ(TakeUnits(ConvertWithControls("\x80\t\x8A", frameRoman, "UTF-16", 0, 0)), u"\u00C4\t\u00E4");
    EXPECT_EQ(Take(ToUtf8("\t")), "\t");
}

TEST_F(EncodingConversion, InvalidUtf8BecomesQuestionMarks)
{
    EXPECT_EQ(Take(ConvertWithControls("\xC3\x28", "UTF-8", frameRoman, 0, 0)), "???");
    EXPECT_EQ(TakeUnits(ConvertWithControls("\xC3\x28", "UTF-8", "UTF-16", 0, 0)), u"???");
}

TEST_F(EncodingConversion, OutOfRangeIndexOrMissingNameCopies)
{
    EXPECT_EQ(Take(ToUtf8From("\x80 stays", 6)), "\x80 stays");
    EXPECT_EQ(Take(ConvertWithControls("\x80", "", "UTF-8", 0, 0)), "\x80");
    EXPECT_EQ(Take(ConvertWithControls("\x80", "UTF-8", nullptr, 0, 0)), "\x80");
    EXPECT_EQ(ConvertWithControls(nullptr, frameRoman, "UTF-8", 0, 0), nullptr);
    EXPECT_EQ(Take(ToUtf8("")), "");
}

TEST_F(EncodingConversion, MissingConverterYieldsNone)
{
    // the host's double-byte converters are not part of this build's icu_data
    EXPECT_EQ(ConvertWithControls("abc", "adobe-fm-big5", "UTF-8", 0, 0), nullptr);
    EXPECT_EQ(ConvertWithControls("a\tb", "adobe-fm-big5", "UTF-8", 0, 0), nullptr);
    int32_t length = 99;
    EXPECT_EQ(ConvertText("abc", "no-such-converter", "UTF-8", &length, 0), nullptr);
    EXPECT_EQ(length, 0);
}

TEST_F(EncodingConversion, ConvertTextLengthsAndSpecialNames)
{
    int32_t length = -1;
    char* empty = ConvertText("", frameRoman, "UTF-8", &length, 0);
    ASSERT_NE(empty, nullptr);
    EXPECT_EQ(length, 0);
    EXPECT_EQ(empty[0], 0);
    EXPECT_EQ(empty[1], 0);
    MemFree(empty);
    EXPECT_EQ(ConvertText(nullptr, frameRoman, "UTF-8", &length, 0), nullptr);

    char* units = ConvertText("\x80z", frameRoman, "UTF-16", &length, 0);
    EXPECT_EQ(length, 4);
    EXPECT_EQ(TakeUnits(units), u"\u00C4z");

    const char16_t source[] = u"\u00C4\u20AC";
    char* utf8 = ConvertText(reinterpret_cast<const char*>(source), "UTF-16", "UTF-8", &length, 0);
    EXPECT_EQ(length, 5);
    EXPECT_EQ(Take(utf8), "\xC3\x84\xE2\x82\xAC");
    EXPECT_EQ(TakeUnits(ConvertText(reinterpret_cast<const char*>(source), "UTF-16", "UTF-16", &length, 0)),
              u"\u00C4\u20AC");

    EXPECT_EQ(Take(ConvertText("plain ascii", "locale", "UTF-8", &length, 0)), "plain ascii");
    EXPECT_EQ(Take(ConvertText("same", "UTF-8", "UTF-8", &length, 0)), "same");
}

TEST_F(EncodingConversion, EscapeFlagShowsInvalidBytes)
{
    int32_t length = 0;
    EXPECT_EQ(TakeUnits(ConvertText("ab\xFF", "UTF-8", "UTF-16", &length, 1)), u"ab%XFF");
    EXPECT_EQ(TakeUnits(ConvertText("ab\xFF", "UTF-8", "UTF-16", &length, 0)), u"ab\uFFFD");
}

// ---- start-up ----

class StartUp : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetFakeInstallDir();
        u_setDataDirectory("");
    }
    void TearDown() override { u_setDataDirectory(""); }
};

TEST_F(StartUp, ExistingDataDirectoryNeedsNoHost)
{
    u_setDataDirectory("/elsewhere");
    EXPECT_EQ(StartTextEncodings(), 0);
    EXPECT_EQ(TheFakeInstallDir().queries, 0);
    EXPECT_STREQ(u_getDataDirectory(), "/elsewhere");
    EXPECT_EQ(EncodingsReady(), 1);
    EXPECT_EQ(CurrentEncoding(), ENCODING_FRAMEROMAN);
}

TEST_F(StartUp, DataDirectoryIsUnderTheHostInstallation)
{
    TheFakeInstallDir().installDir = TAGWRIGHT_TEST_HOST_DIR;
    EXPECT_EQ(StartTextEncodings(), 0);
    EXPECT_EQ(TheFakeInstallDir().queries, 1);
    EXPECT_EQ(std::string(u_getDataDirectory()), std::string(TAGWRIGHT_TEST_HOST_DIR) + "/icu_data");
    EXPECT_EQ(Take(ToUtf8("\x80")), "\xC3\x84"); // the host's converter is found there
    EXPECT_EQ(StartTextEncodings(), 0);          // set once: the host is not asked again
    EXPECT_EQ(TheFakeInstallDir().queries, 1);
}

TEST_F(StartUp, HostFailureOrNoDirectoryLeavesIcuUnset)
{
    // (How a failed query leaves the host's error number: the bridge's tests.)
    TheFakeInstallDir().fails = true;
    EXPECT_EQ(StartTextEncodings(), 1);
    EXPECT_STREQ(u_getDataDirectory(), "");

    ResetFakeInstallDir();
    EXPECT_EQ(StartTextEncodings(), 1); // no answer
    TheFakeInstallDir().installDir = "";
    EXPECT_EQ(StartTextEncodings(), 1);
    TheFakeInstallDir().installDir = std::string(2000, 'd'); // would not fit the 1024-byte buffer
    EXPECT_EQ(StartTextEncodings(), 1);
    EXPECT_STREQ(u_getDataDirectory(), "");
    SetHostDirectorySource(nullptr); // no source at all
    EXPECT_EQ(StartTextEncodings(), 1);
    EXPECT_STREQ(u_getDataDirectory(), "");
}

} // namespace
