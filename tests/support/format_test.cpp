// format_test.cpp - the formatting engine through the buffer sink and a recording sink, and
// console output through the console-write slot.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "fake_install_dir.h"
#include "support/console.h"
#include "support/encoding.h"
#include "support/format.h"

namespace {

TEST(FormatToBuffer, NumbersAsTheReportPrintsThem)
{
    char buffer[64];
    EXPECT_EQ(FormatToBuffer(buffer, "%.2f", 12.0), 5);
    EXPECT_STREQ(buffer, "12.00");
    FormatToBuffer(buffer, "%.3f", 0.5);
    EXPECT_STREQ(buffer, "0.500");
    FormatToBuffer(buffer, "%d", -7);
    EXPECT_STREQ(buffer, "-7");
    FormatToBuffer(buffer, "%x|%X|%o|%u|%c", 255, 255, 8, 3u, 'A');
    EXPECT_STREQ(buffer, "ff|FF|10|3|A");
    FormatToBuffer(buffer, "%ld and %lu", static_cast<int32_t>(-5), static_cast<int32_t>(6));
    EXPECT_STREQ(buffer, "-5 and 6"); // a length modifier does not change what is read
    FormatToBuffer(buffer, "%.2f in = %.3f cm", 1.0, 2.54);
    EXPECT_STREQ(buffer, "1.00 in = 2.540 cm");
}

TEST(FormatToBuffer, StringFieldsAndNull)
{
    char buffer[64];
    FormatToBuffer(buffer, "[%5s]", static_cast<const char*>(nullptr));
    EXPECT_STREQ(buffer, "[     ]");
    FormatToBuffer(buffer, "%.3s", "abcdef");
    EXPECT_STREQ(buffer, "abc");
    FormatToBuffer(buffer, "[%-4s][%4s]", "ab", "cd");
    EXPECT_STREQ(buffer, "[ab  ][  cd]");
}

TEST(FormatToBuffer, LongStringsGrowTheOutput)
{
    std::string text(1000, 'x');
    text[999] = 'y';
    std::vector<char> buffer(4096);
    EXPECT_EQ(FormatToBuffer(buffer.data(), "<%s>", text.c_str()), 1002);
    EXPECT_EQ(std::string(buffer.data()), "<" + text + ">");
    // a width beyond the stack buffer grows it too, and a later longer text again
    EXPECT_EQ(FormatToBuffer(buffer.data(), "%600s%s", "a", std::string(2000, 'b').c_str()), 2600);
    EXPECT_EQ(std::string(buffer.data()), std::string(599, ' ') + "a" + std::string(2000, 'b'));
}

TEST(FormatToBuffer, StarWidthTakesTheNextArgument)
{
    char buffer[64];
    FormatToBuffer(buffer, "%*d", 6, 42);
    EXPECT_STREQ(buffer, "    42");
    FormatToBuffer(buffer, "%-*d|%.*f", 4, 7, 1, 2.25);
    EXPECT_STREQ(buffer, "7   |2.2");
    FormatToBuffer(buffer, "[%*s]", 3, "a");
    EXPECT_STREQ(buffer, "[  a]");
}

TEST(FormatToBuffer, NStoresTheRunningTotal)
{
    char buffer[64];
    int32_t count = -1;
    FormatToBuffer(buffer, "a%nb", &count);
    EXPECT_EQ(count, 1);
    EXPECT_STREQ(buffer, "ab");
    int16_t shorts[2] = {0x7777, 0x5555};
    FormatToBuffer(buffer, "%hnxyz", &shorts[0]);
    EXPECT_EQ(shorts[0], 0);
    EXPECT_EQ(shorts[1], 0x5555); // only 16 bits written
    FormatToBuffer(buffer, "%s%n!", "hello", &count);
    EXPECT_EQ(count, 5);
}

TEST(FormatToBuffer, PercentAndEdgeFormats)
{
    char buffer[64];
    FormatToBuffer(buffer, "100%% %d", 5);
    EXPECT_STREQ(buffer, "100% 5"); // "%%" consumed no argument
    EXPECT_EQ(FormatToBuffer(buffer, ""), 0);
    EXPECT_STREQ(buffer, "");
    EXPECT_EQ(FormatToBuffer(buffer, nullptr), 0);
    EXPECT_STREQ(buffer, "");
    EXPECT_EQ(FormatToBuffer(nullptr, "abc"), 0);
    FormatToBuffer(buffer, "abc%5"); // unfinished conversion: shown as written
    EXPECT_STREQ(buffer, "abc%5");
}

TEST(FormatToBuffer, CapitalCPrintsOneUtf8CharacterOnlyUnderUtf8)
{
    char buffer[64];
    SetEncoding("FrameRoman");
    FormatToBuffer(buffer, "[%C]",
                   "\x80"
                   "bc");
    EXPECT_STREQ(buffer, "[]");
    SetEncoding("UTF-8");
    FormatToBuffer(buffer, "[%C]",
                   "\xC3\x84"
                   "bc");
    EXPECT_STREQ(buffer, "[\xC3\x84]");
    FormatToBuffer(buffer, "[%C]", "\xE2\x82"); // announced 3 bytes, text ends first
    EXPECT_STREQ(buffer, "[\xE2\x82]");
    FormatToBuffer(buffer, "[%C]", static_cast<const char*>(nullptr));
    EXPECT_STREQ(buffer, "[]");
    SetEncoding("FrameRoman");
}

TEST(FormatToBuffer, CutsNeverSplitUtf8Characters)
{
    // the buffer sink copies whole characters; under UTF-8 a stretch ending in a complete
    // character is taken whole
    char buffer[64];
    SetEncoding("UTF-8");
    FormatToBuffer(buffer, "\xC3\xA9%s\xC3\xA9", "\xE2\x82\xAC");
    EXPECT_STREQ(buffer, "\xC3\xA9\xE2\x82\xAC\xC3\xA9");
    SetEncoding("FrameRoman");
}

// ---- the engine's contract with a sink ----

using Pieces = std::vector<std::pair<std::string, int32_t>>;

int32_t RecordPiece(void* context, const char* bytes, int32_t length)
{
    static_cast<Pieces*>(context)->emplace_back(std::string(bytes, static_cast<size_t>(length)), length);
    return length + 100; // what a sink reports is what gets added up
}

int32_t Engine(Pieces* pieces, const char* format, ...)
{
    va_list args;
    va_start(args, format);
    int32_t total = FormatEngine(RecordPiece, pieces, format, args);
    va_end(args);
    return total;
}

TEST(FormatEngine, EveryStretchAndConversionReachesTheSink)
{
    Pieces pieces;
    EXPECT_EQ(Engine(&pieces, "ab%dcd", 5), 2 + 1 + 2 + 300);
    EXPECT_EQ(pieces, (Pieces{{"ab", 2}, {"5", 1}, {"cd", 2}}));
    pieces.clear();
    Engine(&pieces, "%d", 7); // empty stretches are passed too
    EXPECT_EQ(pieces, (Pieces{{"", 0}, {"7", 1}, {"", 0}}));
    pieces.clear();
    int32_t seen = 0;
    Engine(&pieces, "xy%n", &seen);
    EXPECT_EQ(seen, 102); // the running sum of sink results
}

// ---- the console ----

std::vector<std::string> consoleWrites;

int32_t RecordConsole(const char* text)
{
    consoleWrites.emplace_back(text);
    return 0;
}

class Console : public ::testing::Test {
protected:
    void SetUp() override
    {
        UseBuildIcuData();
        consoleWrites.clear();
        ConsoleWriteSlot = RecordConsole;
    }
    void TearDown() override
    {
        ConsoleWriteSlot = nullptr;
        SetEncoding("FrameRoman");
    }
};

TEST_F(Console, PlainMessageIsOneWrite)
{
    EXPECT_EQ(ConsoleReport("Couldn't allocate string list memory\n"), 37);
    EXPECT_EQ(consoleWrites, (std::vector<std::string>{"Couldn't allocate string list memory\n"}));
}

TEST_F(Console, ConversionsArriveAsSeparateWrites)
{
    ConsoleReport("Could not open file: %s\n", "C:\\Docs\\Chapter 1.fm");
    EXPECT_EQ(consoleWrites, (std::vector<std::string>{"Could not open file: ", "C:\\Docs\\Chapter 1.fm", "\n"}));
}

TEST_F(Console, LongLiteralBeforeAConversionIsWrittenInPieces)
{
    std::string format(600, 'a');
    format += "%d";
    ConsoleReport(format.c_str(), 1);
    ASSERT_EQ(consoleWrites.size(), 5u);
    EXPECT_EQ(consoleWrites[0], std::string(255, 'a'));
    EXPECT_EQ(consoleWrites[1], std::string(255, 'a'));
    EXPECT_EQ(consoleWrites[2], std::string(90, 'a'));
    EXPECT_EQ(consoleWrites[3], "1");
    EXPECT_EQ(consoleWrites[4], "");
}

TEST_F(Console, FrameRomanTextIsConvertedToUtf8)
{
    ConsolePrint("Gr\x9F\xA7"
                 "e \x80\t\xD9");
    EXPECT_EQ(consoleWrites, (std::vector<std::string>{"Gr\xC3\xBC\xC3\x9F"
                                                       "e \xC3\x84\t\xC5\xB8"}));
}

TEST_F(Console, Utf8TextPassesUnchangedUnderUtf8)
{
    SetEncoding("UTF-8");
    ConsolePrint("\xC3\x84 \x80");
    EXPECT_EQ(consoleWrites, (std::vector<std::string>{"\xC3\x84 \x80"}));
}

TEST_F(Console, EmptySlotOrNullTextPrintsNothing)
{
    ConsolePrint(nullptr);
    EXPECT_TRUE(consoleWrites.empty());
    ConsoleWriteSlot = nullptr;
    ConsolePrint("lost");
    ConsoleReport("%s", "lost");
    EXPECT_TRUE(consoleWrites.empty());
}

} // namespace
