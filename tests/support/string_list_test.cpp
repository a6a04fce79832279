// string_list_test.cpp - growth steps, ownership, searching, removal and sort order.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/string_list.h"

namespace {

std::vector<std::string> Entries(const StringList* list)
{
    std::vector<std::string> out;
    for (uint32_t i = 0; i < StringListCount(list); i++)
        out.emplace_back(StringListGet(list, i));
    return out;
}

TEST(StringList, CommandSettingsGrowOneSlotPerEntry)
{
    StringList* list = StringListCreate(1, 1);
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->capacity, 1u);
    EXPECT_EQ(list->count, 0u);
    for (const char* tag : {"Body", "Heading1", "Heading2"})
        EXPECT_EQ(StringListAdd(list, tag), 0);
    EXPECT_EQ(list->capacity, 3u);
    EXPECT_EQ(list->count, 3u);
    EXPECT_EQ(list->items[3], nullptr); // the slot past capacity stays zero
    StringListFree(list);
}

TEST(StringList, GrowthStepIsTheMinimumIncrease)
{
    StringList* list = StringListCreate(4, 10);
    for (int i = 0; i < 5; i++)
        StringListAdd(list, "x");
    EXPECT_EQ(list->capacity, 14u);
    for (uint32_t i = list->count; i <= list->capacity; i++)
        EXPECT_EQ(list->items[i], nullptr) << i;
    StringListFree(list);
}

TEST(StringList, ReserveRules)
{
    StringList* list = StringListCreate(2, 0);
    EXPECT_EQ(StringListReserve(list, 2), 0);
    EXPECT_EQ(list->capacity, 2u);
    EXPECT_EQ(StringListReserve(list, 7), 0); // growth 0 grows to exactly what is needed
    EXPECT_EQ(list->capacity, 7u);
    EXPECT_EQ(StringListReserve(nullptr, 1), -1);
    StringListFree(list);
}

TEST(StringList, AddCopiesAndRejectsNull)
{
    StringList* list = StringListCreate(1, 1);
    char text[] = "Body";
    EXPECT_EQ(StringListAdd(list, text), 0);
    text[0] = 'X';
    EXPECT_STREQ(StringListGet(list, 0), "Body"); // the list owns a copy
    EXPECT_EQ(StringListAdd(list, nullptr), -1);
    EXPECT_EQ(StringListCount(list), 1u);
    EXPECT_EQ(StringListAdd(nullptr, "a"), -1);
    StringListFree(list);
}

TEST(StringList, NullAndOutOfRangeAccess)
{
    EXPECT_EQ(StringListCount(nullptr), 0u);
    EXPECT_EQ(StringListFind(nullptr, "a"), -1);
    EXPECT_EQ(StringListFindNoCase(nullptr, "a"), -1);
    EXPECT_EQ(StringListGet(nullptr, 0), nullptr);
    StringListFree(nullptr);
    StringListRemove(nullptr, 0);
    StringListSort(nullptr, StringListCompareEntries);

    StringList* list = StringListCreate(1, 1);
    StringListAdd(list, "a");
    EXPECT_EQ(StringListGet(list, 1), nullptr);
    StringListFree(list);
}

TEST(StringList, FindIsExactFindNoCaseFolds)
{
    StringList* list = StringListCreate(1, 1);
    StringListAdd(list, "Heading");
    StringListAdd(list, "body");
    StringListAdd(list, "\x80rger"); // Ärger
    StringListAdd(list, "body");
    EXPECT_EQ(StringListFind(list, "Body"), -1);
    EXPECT_EQ(StringListFindNoCase(list, "Body"), 1); // lowest index wins
    EXPECT_EQ(StringListFind(list, "body"), 1);
    EXPECT_EQ(StringListFindNoCase(list, "\x8ARGER"), 2); // ärger
    EXPECT_EQ(StringListFind(list, ""), -1);
    StringListFree(list);
}

TEST(StringList, RemoveKeepsOrder)
{
    StringList* list = StringListCreate(1, 1);
    for (const char* tag : {"a", "b", "c"})
        StringListAdd(list, tag);
    StringListRemove(list, 3);
    EXPECT_EQ(StringListCount(list), 3u);
    StringListRemove(list, 0);
    EXPECT_EQ(Entries(list), (std::vector<std::string>{"b", "c"}));
    StringListRemove(list, 1);
    EXPECT_EQ(Entries(list), (std::vector<std::string>{"b"}));
    EXPECT_EQ(StringListAdd(list, "d"), 0);
    EXPECT_EQ(Entries(list), (std::vector<std::string>{"b", "d"}));
    StringListFree(list);
}

TEST(StringList, SortIsUnsignedCaseSensitiveByteOrder)
{
    StringList* list = StringListCreate(1, 1);
    for (const char* tag : {"b", "B", "a", "\x80"})
        StringListAdd(list, tag);
    StringListSort(list, StringListCompareEntries);
    EXPECT_EQ(Entries(list), (std::vector<std::string>{"B", "a", "b", "\x80"}));
    StringListFree(list);
}

TEST(StringList, ClearEmptiesAndTheListCanBeReused)
{
    StringList* list = StringListCreate(3, 2);
    StringListAdd(list, "a");
    StringListAdd(list, "b");
    StringListClear(list);
    EXPECT_EQ(list->count, 0u);
    EXPECT_EQ(list->capacity, 0u);
    EXPECT_EQ(StringListAdd(list, "c"), 0);
    EXPECT_EQ(Entries(list), (std::vector<std::string>{"c"}));
    StringListFree(list);
}

TEST(StringListDeathTest, ClearingAMissingListIsFatal)
{
    EXPECT_DEATH(StringListClear(nullptr), "structured exception 0x00000001");
}

} // namespace
