// memory_test.cpp - allocation with and without the fatal flag, and the fatal-error routine.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstring>

#include "support/memory.h"

namespace {

const size_t impossible = SIZE_MAX / 2; // no runtime can hand this out

TEST(Memory, FailedAllocationWithoutFatalFlagReturnsNull)
{
    EXPECT_EQ(MemAlloc(impossible, 0), nullptr);
    EXPECT_EQ(MemAllocZeroed(impossible, 4, 0), nullptr);
    EXPECT_EQ(StrAlloc(impossible), nullptr);
}

TEST(Memory, FailedReallocKeepsTheOldBlock)
{
    char* block = static_cast<char*>(MemAlloc(8, 0));
    ASSERT_NE(block, nullptr);
    std::memcpy(block, "tagwrit", 8);
    EXPECT_EQ(MemRealloc(block, impossible, 0), nullptr);
    EXPECT_STREQ(block, "tagwrit"); // still valid and ours
    char* grown = static_cast<char*>(MemRealloc(block, 4096, 0));
    ASSERT_NE(grown, nullptr);
    EXPECT_STREQ(grown, "tagwrit");
    // shrinking to nothing keeps a valid block rather than releasing it behind the caller
    char* tiny = static_cast<char*>(MemRealloc(grown, 0, 0));
    ASSERT_NE(tiny, nullptr);
    MemFree(tiny);
}

TEST(Memory, ZeroedAllocationAndStrAlloc)
{
    unsigned char* block = static_cast<unsigned char*>(MemAllocZeroed(16, 4, 0));
    ASSERT_NE(block, nullptr);
    for (int i = 0; i < 64; i++)
        EXPECT_EQ(block[i], 0);
    EXPECT_EQ(MemFree(block), nullptr);

    char* text = StrAlloc(5);
    ASSERT_NE(text, nullptr);
    EXPECT_STREQ(text, "");
    std::memcpy(text, "12345", 5); // room for five characters and the terminator
    EXPECT_STREQ(text, "12345");
    MemFree(text);
}

TEST(Memory, MemZeroAndMemFreeNullRules)
{
    EXPECT_EQ(MemZero(nullptr, 10), 1);
    char bytes[4] = {'a', 'b', 'c', 'd'};
    EXPECT_EQ(MemZero(bytes, 3), 0);
    EXPECT_EQ(bytes[2], 0);
    EXPECT_EQ(bytes[3], 'd');
    EXPECT_EQ(MemFree(nullptr), nullptr);
}

TEST(Memory, BridgeSetIsPlain)
{
    char* block = static_cast<char*>(BridgeAllocZeroed(3, 2));
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(block[5], 0);
    block = static_cast<char*>(BridgeRealloc(block, 64));
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(BridgeFree(block), nullptr);
    EXPECT_EQ(BridgeFree(nullptr), nullptr);
    EXPECT_EQ(BridgeAlloc(impossible), nullptr); // no fatal path
}

using MemoryDeathTest = ::testing::Test;

TEST_F(MemoryDeathTest, FatalErrorRaisesCodeOne) { EXPECT_DEATH(FatalError(), "structured exception 0x00000001"); }

TEST_F(MemoryDeathTest, FatalFlagTurnsExhaustionIntoFatalError)
{
    EXPECT_DEATH(MemAlloc(impossible, MEM_FATAL_ON_FAILURE), "structured exception 0x00000001");
    EXPECT_DEATH(MemAllocZeroed(impossible, 2, MEM_FATAL_ON_FAILURE), "structured exception");
    EXPECT_DEATH(
        {
            void* block = MemAlloc(4, 0);
            MemRealloc(block, impossible, MEM_FATAL_ON_FAILURE);
        },
        "structured exception");
}

void LoudHandler() { std::fputs("replacement handler ran\n", stderr); }

TEST_F(MemoryDeathTest, ReplacementHandlerRunsThenTheRaiseStillHappens)
{
    EXPECT_DEATH(
        {
            SetFatalHandler(LoudHandler);
            FatalError();
        },
        "replacement handler ran\n.*structured exception 0x00000001");
}

} // namespace
