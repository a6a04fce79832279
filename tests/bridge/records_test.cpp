// records_test.cpp - deep copies and releases of every boundary record kind: copies own fresh
// memory, releases free exactly the owned blocks, failed allocations leave a releasable record,
// and the plug-in's own property lists grow and replace as they should.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <set>
#include <string>

#include "bridge/records.h"
#include "support/memory.h"

namespace {

// Every block a test allocator handed out and every block a release function was given.
std::set<void*> Live;
int Releases = 0;
int AllocsLeft = -1; // -1: never fail

void* CountingAlloc(size_t size)
{
    if (AllocsLeft == 0)
        return nullptr;
    if (AllocsLeft > 0)
        AllocsLeft--;
    void* block = malloc(size);
    Live.insert(block);
    return block;
}

void CountingRelease(void* block)
{
    ASSERT_EQ(Live.erase(block), 1u) << "released a block the copy does not own";
    Releases++;
    free(block);
}

char* Dup(const char* text) { return text ? strdup(text) : nullptr; }

class RecordsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Live.clear();
        Releases = 0;
        AllocsLeft = -1;
    }
    void TearDown() override { EXPECT_TRUE(Live.empty()) << Live.size() << " copied blocks never released"; }
};

StringArray Strings(std::initializer_list<const char*> items)
{
    StringArray list = {(uint32_t)items.size(), static_cast<char**>(calloc(items.size(), sizeof(char*)))};
    uint32_t i = 0;
    for (const char* item : items)
        list.strings[i++] = Dup(item);
    return list;
}

// A source value of every owning kind, built on the C heap and released with free.
TypedValue Kind20Of(std::initializer_list<TypedValue> values)
{
    TypedValue v;
    memset(&v, 0, sizeof v);
    v.kind = VALUE_VALUES;
    v.u.values = static_cast<TypedValueList*>(calloc(1, sizeof(TypedValueList)));
    v.u.values->count = (uint32_t)values.size();
    v.u.values->values = static_cast<TypedValue*>(calloc(values.size(), sizeof(TypedValue)));
    uint32_t i = 0;
    for (const TypedValue& element : values)
        v.u.values->values[i++] = element;
    return v;
}

TypedValue StringValue(const char* text)
{
    TypedValue v;
    memset(&v, 0, sizeof v);
    v.kind = VALUE_STRING;
    v.u.s = Dup(text);
    return v;
}

TypedValue IntValue(int32_t i)
{
    TypedValue v;
    memset(&v, 0, sizeof v);
    v.kind = VALUE_INT;
    v.u.i = i;
    return v;
}

void FreeSource(TypedValue* v) { DeepReleaseValue(v, free); }

} // namespace

TEST_F(RecordsTest, StringArrayCopiesOwnStringsKeepsNullsAndReleasesToEmpty)
{
    StringArray source = Strings({"Body", nullptr, ""});
    StringArray copy;
    ASSERT_EQ(DeepCopyStringArray(&copy, &source, CountingAlloc), 0);
    ASSERT_EQ(copy.count, 3u);
    EXPECT_NE(copy.strings, source.strings);
    EXPECT_NE(copy.strings[0], source.strings[0]);
    EXPECT_STREQ(copy.strings[0], "Body");
    EXPECT_EQ(copy.strings[1], nullptr);
    EXPECT_STREQ(copy.strings[2], "");
    source.strings[0][0] = 'X'; // the copy does not share the source's memory
    EXPECT_STREQ(copy.strings[0], "Body");
    DeepReleaseStringArray(&copy, CountingRelease);
    EXPECT_EQ(Releases, 3); // two strings and the array; the null is skipped
    EXPECT_EQ(copy.count, 0u);
    EXPECT_EQ(copy.strings, nullptr);
    DeepReleaseStringArray(&source, free);

    StringArray empty = {0, nullptr};
    ASSERT_EQ(DeepCopyStringArray(&copy, &empty, CountingAlloc), 0);
    EXPECT_EQ(copy.count, 0u);
    EXPECT_EQ(copy.strings, nullptr);
}

TEST_F(RecordsTest, TextItemsCopyOnlyStringItemsAndNeverReleaseValues)
{
    TextItemList source = {2, static_cast<TextItem*>(calloc(2, sizeof(TextItem)))};
    source.items[0] = {0, TEXT_ITEM_STRING, {nullptr}};
    source.items[0].data.text = Dup("Hello");
    source.items[1] = {5, 4, {nullptr}};
    source.items[1].data.value = 0xDEADBEEF;
    TextItemList copy;
    ASSERT_EQ(DeepCopyTextItemList(&copy, &source, CountingAlloc), 0);
    EXPECT_STREQ(copy.items[0].data.text, "Hello");
    EXPECT_NE(copy.items[0].data.text, source.items[0].data.text);
    EXPECT_EQ(copy.items[1].data.value, 0xDEADBEEFu);
    EXPECT_EQ(copy.items[1].offset, 5);
    DeepReleaseTextItemList(&copy, CountingRelease); // releasing 0xDEADBEEF would fail the release check
    EXPECT_EQ(Releases, 2);
    DeepReleaseTextItemList(&source, free);
}

TEST_F(RecordsTest, EveryOwningValueKindCopiesDeeplyAndReleasesEveryBlock)
{
    // kind, and the number of blocks its copy owns
    std::vector<std::pair<TypedValue, int>> cases;
    TypedValue v;

    memset(&v, 0, sizeof v);
    v.kind = VALUE_INTS13;
    v.u.ints = {2, static_cast<int32_t*>(calloc(2, 4))};
    cases.push_back({v, 1});

    memset(&v, 0, sizeof v);
    v.kind = VALUE_STRINGS;
    v.u.strings = Strings({"a", "b"});
    cases.push_back({v, 3});

    memset(&v, 0, sizeof v);
    v.kind = VALUE_PAIRS12;
    v.u.pairs = {1, static_cast<int32_t(*)[2]>(calloc(1, 8))};
    cases.push_back({v, 1});

    memset(&v, 0, sizeof v);
    v.kind = VALUE_TABS;
    v.u.tabs = {2, static_cast<Tab*>(calloc(2, sizeof(Tab)))};
    v.u.tabs.tabs[0].leader = Dup(".");
    cases.push_back({v, 2});

    memset(&v, 0, sizeof v);
    v.kind = VALUE_BYTES;
    v.u.bytes = {3, static_cast<uint8_t*>(calloc(3, 1))};
    cases.push_back({v, 1});

    memset(&v, 0, sizeof v);
    v.kind = VALUE_LIST17;
    v.u.list17 = {1, static_cast<Element17*>(calloc(1, sizeof(Element17)))};
    v.u.list17.elements[0].name = Dup("n");
    v.u.list17.elements[0].first = Strings({"x"});
    v.u.list17.elements[0].second = Strings({"y", "z"});
    v.u.list17.elements[0].text1 = Dup("t1");
    v.u.list17.elements[0].text2 = Dup("t2");
    cases.push_back({v, 1 + 1 + 2 + 3 + 1 + 1});

    memset(&v, 0, sizeof v);
    v.kind = VALUE_LIST18;
    v.u.list18 = {1, static_cast<Element18*>(calloc(1, sizeof(Element18)))};
    v.u.list18.elements[0].name = Dup("n");
    v.u.list18.elements[0].strings = Strings({"s"});
    v.u.list18.elements[0].value = -7;
    cases.push_back({v, 1 + 1 + 2});

    memset(&v, 0, sizeof v);
    v.kind = VALUE_BLOCK;
    v.u.block = calloc(1, VALUE_BLOCK_SIZE);
    static_cast<uint8_t*>(v.u.block)[23] = 0x5A;
    cases.push_back({v, 1});

    memset(&v, 0, sizeof v);
    v.kind = VALUE_LIST21;
    v.u.list21 = {1, static_cast<Element21*>(calloc(1, sizeof(Element21)))};
    v.u.list21.elements[0].name = Dup("n");
    v.u.list21.elements[0].first = Strings({"a"});
    v.u.list21.elements[0].second = Strings({});
    v.u.list21.elements[0].flag = 3;
    cases.push_back({v, 1 + 1 + 2});

    memset(&v, 0, sizeof v);
    v.kind = VALUE_LIST22;
    v.u.list22 = {2, static_cast<Element22*>(calloc(2, sizeof(Element22)))};
    v.u.list22.elements[0].strings = Strings({"a", "b"});
    v.u.list22.elements[1].value = 9;
    cases.push_back({v, 1 + 3});

    // a kind 20 value holding a string and another kind 20 value holding an integer and a string
    cases.push_back({Kind20Of({StringValue("outer"), Kind20Of({IntValue(4), StringValue("inner")})}),
                     /* outer record, array, string, inner record, array, string */ 6});

    for (auto& [source, owned] : cases) {
        SCOPED_TRACE("kind " + std::to_string(source.kind));
        Releases = 0;
        TypedValue copy;
        ASSERT_EQ(DeepCopyValue(&copy, &source, CountingAlloc), 0);
        EXPECT_EQ((int)Live.size(), owned);
        EXPECT_EQ(copy.kind, source.kind);
        // the family 2 duplicate of the copy is equal in content and shares nothing
        TypedValue duplicate;
        DuplicateValue(&duplicate, &copy);
        if (source.kind == VALUE_VALUES) {
            const TypedValueList* inner = duplicate.u.values->values[1].u.values;
            EXPECT_STREQ(duplicate.u.values->values[0].u.s, "outer");
            EXPECT_EQ(inner->values[0].u.i, 4);
            EXPECT_STREQ(inner->values[1].u.s, "inner");
            EXPECT_NE(inner, copy.u.values->values[1].u.values);
        }
        if (source.kind == VALUE_BLOCK) {
            EXPECT_EQ(static_cast<uint8_t*>(duplicate.u.block)[23], 0x5A);
        }
        if (source.kind == VALUE_LIST17) {
            EXPECT_STREQ(duplicate.u.list17.elements[0].second.strings[1], "z");
            EXPECT_STREQ(duplicate.u.list17.elements[0].text2, "t2");
        }
        if (source.kind == VALUE_LIST18) {
            EXPECT_EQ(duplicate.u.list18.elements[0].value, -7);
        }
        FreeValue(&duplicate);
        DeepReleaseValue(&copy, CountingRelease);
        EXPECT_EQ(Releases, owned);
        FreeSource(&source);
    }
}

TEST_F(RecordsTest, NullBlockAndNullValueListCopyAsNull)
{
    TypedValue source;
    memset(&source, 0, sizeof source);
    source.kind = VALUE_BLOCK;
    TypedValue copy;
    ASSERT_EQ(DeepCopyValue(&copy, &source, CountingAlloc), 0);
    EXPECT_EQ(copy.u.block, nullptr);
    source.kind = VALUE_VALUES;
    ASSERT_EQ(DeepCopyValue(&copy, &source, CountingAlloc), 0);
    EXPECT_EQ(copy.u.values, nullptr);
    DeepReleaseValue(&copy, CountingRelease);
    EXPECT_EQ(Releases, 0);
}

TEST_F(RecordsTest, FamilyOneCopiesAllPayloadBytesFamilyTwoOnlyThoseOfTheKind)
{
    TypedValue source;
    memset(&source, 0xAB, sizeof source);
    source.kind = VALUE_INT;
    source.u.i = 42;
    TypedValue flat;
    DeepCopyValue(&flat, &source, CountingAlloc);
    EXPECT_EQ(memcmp(flat.u.raw, source.u.raw, 16), 0);
    TypedValue exact;
    DuplicateValue(&exact, &source);
    EXPECT_EQ(exact.u.i, 42);
    for (int i = 4; i < 16; i++)
        EXPECT_EQ(exact.u.raw[i], 0) << "byte " << i;

    source.kind = VALUE_TEXTRANGE;
    source.u.range = {{1, 2}, {3, 4}};
    DuplicateValue(&exact, &source);
    EXPECT_EQ(exact.u.range.end.offset, 4);
}

TEST_F(RecordsTest, PropertyEntryNameIsOwnedOnlyWhenNumberIsZero)
{
    PropertyList source = {2, static_cast<PropertyEntry*>(calloc(2, sizeof(PropertyEntry)))};
    source.entries[0].ident = {0, Dup("Custom")};
    source.entries[0].value = StringValue("v");
    source.entries[1].ident = {7, Dup("ignored")};
    source.entries[1].value = IntValue(1);
    PropertyList copy;
    ASSERT_EQ(DeepCopyPropertyList(&copy, &source, CountingAlloc), 0);
    EXPECT_STREQ(copy.entries[0].ident.name, "Custom");
    EXPECT_NE(copy.entries[0].ident.name, source.entries[0].ident.name);
    EXPECT_EQ(copy.entries[1].ident.name, nullptr); // never a pointer into memory it does not own
    EXPECT_EQ(copy.entries[1].value.u.i, 1);
    DeepReleasePropertyList(&copy, CountingRelease);
    EXPECT_EQ(Releases, 3); // name, value string, entry array
    free(source.entries[1].ident.name);
    DeepReleasePropertyList(&source, free);
}

TEST_F(RecordsTest, EveryFailedAllocationLeavesAReleasableCopy)
{
    // A property list whose copy takes many allocations; fail each one in turn.
    TypedValue nested = Kind20Of({StringValue("a"), Kind20Of({StringValue("b")})});
    PropertyList source = {3, static_cast<PropertyEntry*>(calloc(3, sizeof(PropertyEntry)))};
    source.entries[0].ident = {0, Dup("name")};
    source.entries[0].value = StringValue("x");
    source.entries[1].ident.number = 5;
    source.entries[1].value = nested;
    source.entries[2].ident.number = 6;
    source.entries[2].value.kind = VALUE_STRINGS;
    source.entries[2].value.u.strings = Strings({"p", "q"});

    int needed = 0;
    {
        PropertyList copy;
        ASSERT_EQ(DeepCopyPropertyList(&copy, &source, CountingAlloc), 0);
        needed = (int)Live.size();
        DeepReleasePropertyList(&copy, CountingRelease);
    }
    ASSERT_GT(needed, 8);
    for (int fail = 0; fail < needed; fail++) {
        SCOPED_TRACE("allocation " + std::to_string(fail) + " fails");
        AllocsLeft = fail;
        PropertyList copy;
        EXPECT_EQ(DeepCopyPropertyList(&copy, &source, CountingAlloc), -1);
        DeepReleasePropertyList(&copy, CountingRelease); // frees what was made, touches nothing else
        EXPECT_TRUE(Live.empty());
        EXPECT_EQ(copy.count, 0u);
    }
    DeepReleasePropertyList(&source, free);
}

TEST_F(RecordsTest, PropertyListSetReplacesInPlaceAndAppendsPastEight)
{
    PropertyList list = {0, nullptr};
    for (int32_t n = 1; n <= 8; n++)
        ASSERT_EQ(PropertyListSetString(&list, n, ("v" + std::to_string(n)).c_str()), 0);
    ASSERT_EQ(list.count, 8u);

    // replacing keeps the count and the position
    ASSERT_EQ(PropertyListSetString(&list, 3, "three"), 0);
    EXPECT_EQ(list.count, 8u);
    EXPECT_EQ(list.entries[2].ident.number, 3);
    EXPECT_STREQ(list.entries[2].value.u.s, "three");

    // appending past 8 and 16 entries keeps every earlier entry intact
    for (int32_t n = 9; n <= 40; n++)
        ASSERT_EQ(PropertyListSetString(&list, n, ("v" + std::to_string(n)).c_str()), 0);
    ASSERT_EQ(list.count, 40u);
    EXPECT_STREQ(list.entries[0].value.u.s, "v1");
    EXPECT_STREQ(list.entries[2].value.u.s, "three");
    EXPECT_STREQ(list.entries[39].value.u.s, "v40");
    EXPECT_EQ(list.entries[39].ident.name, nullptr);

    // the list holds its own copy, and a value set from the list itself survives
    char caller[] = "mine";
    PropertyListSetString(&list, 41, caller);
    caller[0] = 'X';
    EXPECT_STREQ(list.entries[40].value.u.s, "mine");
    ASSERT_EQ(PropertyListSet(&list, 41, &list.entries[40].value), 0);
    EXPECT_STREQ(list.entries[40].value.u.s, "mine");

    FreePropertyList(&list);
    EXPECT_EQ(list.count, 0u);
    EXPECT_EQ(list.entries, nullptr);
    FreePropertyList(nullptr);
}

TEST_F(RecordsTest, FamilyTwoReleasesAcceptNullAndClear)
{
    StringArray strings = {0, nullptr};
    FreeStringArray(nullptr);
    FreeStringArray(&strings);
    FreeTabList(nullptr);
    FreeTextItemList(nullptr);
    FreeFlatList((IntList*)nullptr);
    FreeList17(nullptr);
    FreeList18(nullptr);
    FreeList20(nullptr);
    FreeList21(nullptr);
    FreeList22(nullptr);
    FreeValue(nullptr);
    FreeStringRef(nullptr);

    char* text = static_cast<char*>(BridgeAllocZeroed(4, 1));
    FreeStringRef(&text);
    EXPECT_EQ(text, nullptr);

    PropertyList entries = PropertyArrayAlloc(3);
    ASSERT_EQ(entries.count, 3u);
    for (uint32_t i = 0; i < 3; i++) {
        EXPECT_EQ(entries.entries[i].ident.number, 0);
        EXPECT_EQ(entries.entries[i].value.kind, 0);
    }
    FreePropertyList(&entries);
    PropertyList none = PropertyArrayAlloc(0);
    EXPECT_EQ(none.count, 0u);
    EXPECT_EQ(none.entries, nullptr);
}
