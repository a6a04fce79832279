// transport_test.cpp - the host operations against a recording fake host: which slot each
// reaches with which arguments, how each result pattern maps the host's answer and failures,
// HostErrorNumber's stickiness, and the copy-then-release of host memory in both memory modes.
#include <functional>
#include <string>
#include <vector>

#include "support/encoding.h"
#include "support/memory.h"
#include "tests/bridge/bridge_fixture.h"

#include <unicode/putil.h>

using Args = std::vector<std::string>;

namespace {

struct SlotCase {
    const char* name;
    std::function<void()> call;
    int slot;
    Args args;
};

char Tag[] = "Body";
int32_t Codes[] = {259};

} // namespace

TEST_F(BridgeTest, EveryOperationReachesItsSlotWithArgumentsInSlotOrder)
{
    Connect();
    TextRange range = {{1, 2}, {3, 4}};
    int32_t widthValues[] = {259, 259};
    IntList widths = {2, widthValues};
    StringArray items = {1, nullptr};
    char* itemTexts[] = {Tag};
    items.strings = itemTexts;
    int32_t chosen = 0;
    const std::vector<SlotCase> cases = {
        {"GetIdProperty", [] { GetIdProperty(1, 2, 51); }, 89, {"1", "2", "prop=51", "st=-1"}},
        {"GetIntProperty", [] { GetIntProperty(1, 2, 92); }, 85, {"1", "2", "prop=92", "st=-1"}},
        {"GetMetricProperty", [] { GetMetricProperty(1, 2, 1345); }, 91, {"1", "2", "prop=1345", "st=-1"}},
        {"GetStringProperty", [] { BridgeFree(GetStringProperty(1, 2, 20)); }, 97, {"1", "2", "prop=20", "st=-1"}},
        {"SetIdProperty", [] { SetIdProperty(1, 2, 1923, 9); }, 90, {"1", "2", "prop=1923", "9", "st=-1"}},
        {"SetIntProperty", [] { SetIntProperty(1, 2, 92, 0); }, 86, {"1", "2", "prop=92", "0", "st=-1"}},
        {"SetStringProperty",
         [] { SetStringProperty(1, 2, 108, "Examining: a"); },
         98,
         {"1", "2", "prop=108", "\"Examining: a\"", "st=-1"}},
        {"GetNamedObject", [] { GetNamedObject(1, 32, "Body"); }, 68, {"1", "32", "\"Body\"", "st=-1"}},
        {"DeleteObject", [] { DeleteObject(1, 7); }, 67, {"1", "7", "st=-1"}},
        {"ShowAlert", [] { ShowAlert("Sure?", 1); }, 20, {"\"Sure?\"", "1", "ans=-1"}},
        {"DefineMenu", [] { DefineMenu("Tags", "Paragraphs"); }, 13, {"\"Tags\"", "\"Paragraphs\"", "st=-1"}},
        {"DefineAndAddMenu",
         [] { DefineAndAddMenu(4, "Tags", "Paragraphs"); },
         16,
         {"4", "\"Tags\"", "\"Paragraphs\"", "st=-1"}},
        {"DefineAndAddCommand",
         [] { DefineAndAddCommand(3, 4, "List", "List...", ""); },
         164,
         {"3", "4", "\"List\"", "\"List...\"", "\"\"", "st=-1"}},
        {"AddCommandToMenu", [] { AddCommandToMenu(4, 5); }, 14, {"4", "5", "st=-1"}},
        {"AddMenuToMenu", [] { AddMenuToMenu(4, 6); }, 15, {"4", "6", "st=-1"}},
        {"RequestNotification", [] { RequestNotification(13, 1); }, 8, {"13", "1", "st=-1"}},
        {"PrintToConsole", [] { PrintToConsole("line"); }, 24, {"\"line\"", "st=-1"}},
        {"GetIntListProperty",
         [] {
             IntList l = GetIntListProperty(1, 2, 1345);
             FreeFlatList(&l);
         },
         101,
         {"1", "2", "prop=1345", "st=-1"}},
        {"GetStringArrayProperty",
         [] {
             StringArray l = GetStringArrayProperty(0, 0, 55);
             FreeStringArray(&l);
         },
         99,
         {"0", "0", "prop=55", "st=-1"}},
        {"GetTabListProperty",
         [] {
             TabList l = GetTabListProperty(1, 2, 400);
             FreeTabList(&l);
         },
         105,
         {"1", "2", "prop=400", "st=-1"}},
        {"GetTextRangeProperty", [] { GetTextRangeProperty(0, 1, 109); }, 95, {"0", "1", "prop=109", "st=-1"}},
        {"SetIntListProperty",
         [&] { SetIntListProperty(1, 2, 1345, &widths); },
         102,
         {"1", "2", "prop=1345", "[259,259]", "st=-1"}},
        {"SetTextRangeProperty",
         [&] { SetTextRangeProperty(0, 1, 109, &range); },
         96,
         {"0", "1", "prop=109", "range(1,2-3,4)", "st=-1"}},
        {"GetPropertyList",
         [] {
             PropertyList l = GetPropertyList(1, 2);
             FreePropertyList(&l);
         },
         83,
         {"1", "2", "st=-1"}},
        {"SetPropertyList",
         [] {
             PropertyList l = {0, nullptr};
             SetPropertyList(1, 2, &l);
         },
         84,
         {"1", "2", "{}", "st=-1"}},
        {"NewTable",
         [] {
             NewTable(1, "Format A", 2, 3, 1, 0, TextLoc{5, 6});
         },
         140,
         {"1", "\"Format A\"", "2", "3", "1", "0", "loc(5,6)", "st=-1"}},
        {"NewCustomDocument",
         [] { NewCustomDocument(10, 20, 1, 30, 40, 50, 60, 70, 0, 1); },
         34,
         {"10", "20", "1", "30", "40", "50", "60", "70", "0", "1", "st=-1"}},
        {"AddText",
         [] {
             TextLoc at = {5, 0x50000000};
             AddText(1, &at, "\n");
         },
         73,
         {"1", "loc(5,1342177280)", "\"\n\"", "st=-1"}},
        {"GetTextForRange",
         [&] {
             TextItemList l = GetTextForRange(1, &range, 1);
             FreeTextItemList(&l);
         },
         110,
         {"1", "range(1,2-3,4)", "1", "st=-1"}},
        {"OpenDocument",
         [] {
             PropertyList* r = nullptr;
             OpenDocument("a.fm", nullptr, &r);
             FreePropertyList(r);
         },
         32,
         {"\"a.fm\"", "null", "st=-1"}},
        {"CloseDocument", [] { CloseDocument(3, 1); }, 35, {"3", "1", "st=-1"}},
        {"RedisplayDocument", [] { RedisplayDocument(3); }, 66, {"3", "st=-1"}},
        {"RunCommandCodes", [] { RunCommandCodes(1, Codes); }, 7, {"[259]", "st=-1"}},
        {"ChooseFromList",
         [&] { ChooseFromList(&chosen, "Pick", &items, -1); },
         26,
         {"status", "chosen", "\"Pick\"", "[\"Body\"]", "-1"}},
    };
    for (const SlotCase& c : cases) {
        SCOPED_TRACE(c.name);
        fake.calls.clear();
        c.call();
        ASSERT_EQ(fake.calls.size(), 1u);
        EXPECT_EQ(fake.calls[0].slot, c.slot);
        EXPECT_EQ(fake.calls[0].args, c.args);
    }
    EXPECT_EQ(HostErrorNumber, 0);
}

TEST_F(BridgeTest, ValuePatternMapsStatusAndResultCodesAndNeverResetsTheErrorNumber)
{
    Connect();
    FakeAnswer ok;
    ok.value = 42;
    Answer(ok);
    EXPECT_EQ(GetIdProperty(0, 0, 51), 42u);
    EXPECT_EQ(HostErrorNumber, 0);

    FakeAnswer refused;
    refused.status = 7;
    refused.value = 42;
    Answer(refused);
    EXPECT_EQ(GetIntProperty(1, 2, 92), 0);
    EXPECT_EQ(HostErrorNumber, 7);

    Answer(ok);
    EXPECT_EQ(DefineMenu("a", "b"), 42u);
    EXPECT_EQ(HostErrorNumber, 7) << "a success must not reset the error number";

    FakeAnswer busy;
    busy.result = TW_E_RETRYLATER;
    busy.value = 42;
    Answer(busy);
    EXPECT_EQ(GetNamedObject(1, 32, "Body"), 0u);
    EXPECT_EQ(HostErrorNumber, -88);

    FakeAnswer failed;
    failed.result = TW_E_FAIL;
    failed.value = 42;
    Answer(failed);
    EXPECT_EQ(NewCustomDocument(1, 1, 1, 1, 1, 1, 1, 1, 0, 1), 0u);
    EXPECT_EQ(HostErrorNumber, -1);
    EXPECT_EQ(fake.calls.size(), 5u) << "no retry";
}

TEST_F(BridgeTest, StatusPatternReturnsTheStatusVariable)
{
    Connect();
    FakeAnswer unwritten; // the call fails before the host writes the status
    unwritten.result = TW_E_FAIL;
    unwritten.status = std::nullopt;
    Answer(unwritten);
    EXPECT_EQ(CloseDocument(3, 1), -1);
    EXPECT_EQ(HostErrorNumber, -1);

    FakeAnswer written;
    written.status = 12;
    Answer(written);
    EXPECT_EQ(AddCommandToMenu(1, 2), 12);
    EXPECT_EQ(HostErrorNumber, 12);

    FakeAnswer busy;
    busy.result = TW_E_RETRYLATER;
    busy.status = 5;
    Answer(busy);
    EXPECT_EQ(RedisplayDocument(3), 5);
    EXPECT_EQ(HostErrorNumber, -88);

    Answer();
    EXPECT_EQ(RequestNotification(13, 1), 0);
}

TEST_F(BridgeTest, SetStatusPatternReturnsTheFailingCode)
{
    Connect();
    FakeAnswer failed;
    failed.result = TW_E_FAIL;
    Answer(failed);
    EXPECT_EQ(SetIntProperty(1, 2, 92, 1), TW_E_FAIL);
    EXPECT_EQ(HostErrorNumber, -1);

    FakeAnswer refused;
    refused.status = 3;
    Answer(refused);
    EXPECT_EQ(SetStringProperty(1, 2, 108, ""), 3);
    EXPECT_EQ(HostErrorNumber, 3);

    Answer();
    TextRange range = {{1, 0}, {1, 0}};
    EXPECT_EQ(SetTextRangeProperty(0, 1, 109, &range), 0);
}

TEST_F(BridgeTest, AlertChoiceLocationAndRangePatterns)
{
    Connect();
    FakeAnswer cancel;
    cancel.value = 1;
    Answer(cancel);
    EXPECT_EQ(ShowAlert("Are you sure you want to delete?", 1), 1);
    FakeAnswer failed;
    failed.result = TW_E_FAIL;
    failed.value = 1;
    Answer(failed);
    EXPECT_EQ(ShowAlert("x", 2), 0);
    EXPECT_EQ(HostErrorNumber, -1);

    HostErrorNumber = 0;
    int32_t chosen = -5;
    FakeAnswer picked;
    picked.value = 2;
    Answer(picked);
    EXPECT_EQ(ChooseFromList(&chosen, "t", nullptr, -1), 0);
    EXPECT_EQ(chosen, 2);
    FakeAnswer cancelled;
    cancelled.status = 1;
    cancelled.value = 0;
    Answer(cancelled);
    EXPECT_EQ(ChooseFromList(&chosen, "t", nullptr, -1), -1);
    EXPECT_EQ(HostErrorNumber, 0) << "a cancelled choice is not a host error";
    Answer(failed);
    EXPECT_EQ(ChooseFromList(&chosen, "t", nullptr, -1), -1);
    EXPECT_EQ(HostErrorNumber, -1);

    FakeAnswer placed;
    placed.loc = {9, 4};
    Answer(placed);
    TextLoc at = {9, 0};
    TextLoc after = AddText(1, &at, "abcd");
    EXPECT_EQ(after.object, 9u);
    EXPECT_EQ(after.offset, 4);
    FakeAnswer refusedLoc = placed;
    refusedLoc.status = 2;
    Answer(refusedLoc);
    after = AddText(1, &at, "abcd");
    EXPECT_EQ(after.object, 0u);
    EXPECT_EQ(after.offset, 0);

    FakeAnswer selection;
    selection.range = {{7, 1}, {7, 5}};
    Answer(selection);
    TextRange range = GetTextRangeProperty(0, 1, 109);
    EXPECT_EQ(range.begin.object, 7u);
    EXPECT_EQ(range.end.offset, 5);
    selection.status = 4; // the host wrote a range but refused: all zeros
    Answer(selection);
    range = GetTextRangeProperty(0, 1, 109);
    EXPECT_EQ(range.begin.object, 0u);
    EXPECT_EQ(range.begin.offset, 0);
    EXPECT_EQ(range.end.object, 0u);
    EXPECT_EQ(range.end.offset, 0);
}

// Runs the list-returning operations in one memory mode; leaks and double frees are for
// LeakSanitizer and AddressSanitizer to find, the content checks for everyone.
static void ListsInMode(BridgeTest* test, FakeHost& fake, bool shared)
{
    (void)test;
    FakeAnswer text;
    text.fill = [&](void* out) { *static_cast<char**>(out) = fake.String(""); };
    fake.answers.push_back(text);
    char* name = GetStringProperty(1, 2, 20);
    ASSERT_NE(name, nullptr) << "an empty name is an empty copy, not null";
    EXPECT_STREQ(name, "");
    BridgeFree(name);

    FakeAnswer refused = text;
    refused.status = 9;
    refused.fill = [&](void* out) { *static_cast<char**>(out) = fake.String("Body"); };
    fake.answers.push_back(refused);
    EXPECT_EQ(GetStringProperty(1, 2, 20), nullptr);
    EXPECT_EQ(HostErrorNumber, 9);

    FakeAnswer none;
    fake.answers.push_back(none);
    EXPECT_EQ(GetStringProperty(1, 2, 20), nullptr);

    FakeAnswer ints;
    ints.fill = [&](void* out) {
        auto* list = static_cast<IntList*>(out);
        list->count = 3;
        list->values = static_cast<int32_t*>(fake.Alloc(12));
        list->values[0] = 10;
        list->values[1] = 20;
        list->values[2] = 30;
    };
    fake.answers.push_back(ints);
    IntList widths = GetIntListProperty(1, 2, 1345);
    ASSERT_EQ(widths.count, 3u);
    EXPECT_EQ(widths.values[2], 30);
    FreeFlatList(&widths);

    FakeAnswer strings;
    strings.fill = [&](void* out) {
        auto* list = static_cast<StringArray*>(out);
        list->count = 2;
        list->strings = static_cast<char**>(fake.Alloc(2 * sizeof(char*)));
        list->strings[0] = fake.String("Times");
        list->strings[1] = nullptr;
    };
    fake.answers.push_back(strings);
    StringArray families = GetStringArrayProperty(0, 0, 55);
    ASSERT_EQ(families.count, 2u);
    EXPECT_STREQ(families.strings[0], "Times");
    EXPECT_EQ(families.strings[1], nullptr);
    FreeStringArray(&families);

    FakeAnswer refusedList = strings;
    refusedList.status = 6;
    fake.answers.push_back(refusedList);
    families = GetStringArrayProperty(0, 0, 55);
    EXPECT_EQ(families.count, 0u);
    EXPECT_EQ(families.strings, nullptr);

    FakeAnswer tabs;
    tabs.fill = [&](void* out) {
        auto* list = static_cast<TabList*>(out);
        list->count = 1;
        list->tabs = static_cast<Tab*>(fake.Alloc(sizeof(Tab)));
        list->tabs[0] = {0x480000, TAB_DECIMAL, fake.String("."), ','};
    };
    fake.answers.push_back(tabs);
    TabList tabList = GetTabListProperty(1, 2, 400);
    ASSERT_EQ(tabList.count, 1u);
    EXPECT_STREQ(tabList.tabs[0].leader, ".");
    EXPECT_EQ(tabList.tabs[0].decimal, ',');
    FreeTabList(&tabList);

    FakeAnswer items;
    items.fill = [&](void* out) {
        auto* list = static_cast<TextItemList*>(out);
        list->count = 2;
        list->items = static_cast<TextItem*>(fake.Alloc(2 * sizeof(TextItem)));
        list->items[0].offset = 0;
        list->items[0].kind = TEXT_ITEM_STRING;
        list->items[0].data.text = fake.String("Hello");
        list->items[1].offset = 5;
        list->items[1].kind = 8;
        list->items[1].data.value = 77;
    };
    fake.answers.push_back(items);
    TextRange range = {{1, 0}, {1, TW_END_OF_OBJECT}};
    TextItemList itemList = GetTextForRange(1, &range, 1);
    ASSERT_EQ(itemList.count, 2u);
    EXPECT_STREQ(itemList.items[0].data.text, "Hello");
    EXPECT_EQ(itemList.items[1].data.value, 77u);
    FreeTextItemList(&itemList);

    FakeAnswer props;
    props.fill = [&](void* out) {
        auto* list = static_cast<PropertyList*>(out);
        list->count = 2;
        list->entries = static_cast<PropertyEntry*>(fake.Alloc(2 * sizeof(PropertyEntry)));
        memset(list->entries, 0, 2 * sizeof(PropertyEntry));
        list->entries[0].ident.number = 20;
        list->entries[0].value.kind = VALUE_STRING;
        list->entries[0].value.u.s = fake.String("Heading1");
        list->entries[1].ident.number = 0;
        list->entries[1].ident.name = fake.String("Custom");
        list->entries[1].value.kind = VALUE_VALUES;
        auto* values = static_cast<TypedValueList*>(fake.Alloc(sizeof(TypedValueList)));
        values->count = 1;
        values->values = static_cast<TypedValue*>(fake.Alloc(sizeof(TypedValue)));
        memset(values->values, 0, sizeof(TypedValue));
        values->values[0].kind = VALUE_STRING;
        values->values[0].u.s = fake.String("deep");
        list->entries[1].value.u.values = values;
    };
    fake.answers.push_back(props);
    PropertyList all = GetPropertyList(1, 2);
    ASSERT_EQ(all.count, 2u);
    EXPECT_STREQ(all.entries[0].value.u.s, "Heading1");
    EXPECT_STREQ(all.entries[1].ident.name, "Custom");
    EXPECT_STREQ(all.entries[1].value.u.values->values[0].u.s, "deep");
    FreePropertyList(&all);

    FakeAnswer refusedProps = props;
    refusedProps.status = 2;
    fake.answers.push_back(refusedProps);
    all = GetPropertyList(1, 2);
    EXPECT_EQ(all.count, 0u);
    EXPECT_EQ(HostErrorNumber, 2);
    (void)shared;
}

TEST_F(BridgeTest, ReturnedHostMemoryIsCopiedAndReleasedByThePlugIn)
{
    Connect(/*shared=*/false);
    ListsInMode(this, fake, false);
    EXPECT_TRUE(fake.kept.empty());
}

TEST_F(BridgeTest, SharedHostMemoryIsCopiedAndLeftToTheHost)
{
    Connect(/*shared=*/true);
    ListsInMode(this, fake, true);
    // Every block is still the host's and intact: reading a string the plug-in had freed
    // would be a use after free.
    ASSERT_FALSE(fake.kept.empty());
    bool sawHeading = false;
    for (void* block : fake.kept)
        if (strcmp(static_cast<char*>(block), "Heading1") == 0)
            sawHeading = true;
    EXPECT_TRUE(sawHeading);
}

TEST_F(BridgeTest, OpenAndSaveHandOutTheBridgesReturnLists)
{
    Connect();
    auto returnList = [&](const char* value) {
        FakeAnswer a;
        a.value = 31;
        a.fill = [this, value](void* out) {
            auto* list = static_cast<PropertyList*>(out);
            list->count = 1;
            list->entries = static_cast<PropertyEntry*>(fake.Alloc(sizeof(PropertyEntry)));
            memset(list->entries, 0, sizeof(PropertyEntry));
            list->entries[0].ident.number = 3;
            list->entries[0].value.kind = VALUE_STRING;
            list->entries[0].value.u.s = fake.String(value);
        };
        return a;
    };
    PropertyList* returned = nullptr;
    Answer(returnList("first"));
    EXPECT_EQ(OpenDocument("a.fm", nullptr, &returned), 31u);
    ASSERT_EQ(returned, &OpenReturnList);
    EXPECT_STREQ(returned->entries[0].value.u.s, "first");

    // the second call with the same pointer releases the first list before refilling
    Answer(returnList("second"));
    EXPECT_EQ(OpenDocument("b.fm", nullptr, &returned), 31u);
    ASSERT_EQ(returned, &OpenReturnList);
    ASSERT_EQ(returned->count, 1u);
    EXPECT_STREQ(returned->entries[0].value.u.s, "second");
    FreePropertyList(returned);

    PropertyList* saved = nullptr;
    FakeAnswer refused = returnList("why");
    refused.status = 11;
    Answer(refused);
    EXPECT_EQ(SaveDocument(31, "a.fm", nullptr, &saved), 0u);
    EXPECT_EQ(HostErrorNumber, 11);
    ASSERT_EQ(saved, &SaveReturnList) << "the host's reasons are handed out even when it refused";
    EXPECT_STREQ(saved->entries[0].value.u.s, "why");
    FreePropertyList(saved);
}

TEST_F(BridgeTest, SimpleOpenAndSaveBuildTheirParameterLists)
{
    Connect();
    FakeAnswer opened;
    opened.value = 5;
    Answer(opened);
    EXPECT_EQ(SimpleOpen("C:\\docs\\a.fm", 0), 5u);
    EXPECT_EQ(LastCall().args, (Args{"\"C:\\docs\\a.fm\"", "{29=1}", "st=-1"}));

    Answer(opened);
    SimpleOpen("a.fm", 1);
    EXPECT_EQ(LastCall().args[1],
              "{1=1,2=1,14=4,15=4,16=4,17=4,18=4,19=4,20=4,21=4,22=4,23=4,28=4,24=4,25=4,4=1,44=0,29=1}");

    SetEncoding("UTF-8");
    const char* name = "b.fm";
    char where[32];
    snprintf(where, sizeof where, "@%p", (const void*)name);
    Answer(opened);
    EXPECT_EQ(SimpleSave(5, name, 0), 5u);
    EXPECT_EQ(LastCall().args, (Args{"5", "\"b.fm\"", "{}", "st=-1", where})) << "under UTF-8 the caller's own string";

    Answer(opened);
    SimpleSave(5, name, 1);
    EXPECT_EQ(LastCall().args[2], "{4=1,5=0,8=1,2=1}");
    SetEncoding("FrameRoman");
}

#ifdef TAGWRIGHT_TEST_ICU_DATA_DIR
TEST_F(BridgeTest, SimpleSaveHandsTheHostAUtf8CopyOfTheName)
{
    Connect();
    u_setDataDirectory(TAGWRIGHT_TEST_ICU_DATA_DIR);
    SetEncoding("FrameRoman");
    const char name[] = "R\x8e"
                        "sum\x8e"
                        ".fm"; // "Résumé.fm" in FrameRoman
    char where[32];
    snprintf(where, sizeof where, "@%p", (const void*)name);
    FakeAnswer saved;
    saved.value = 5;
    Answer(saved);
    EXPECT_EQ(SimpleSave(5, name, 0), 5u);
    EXPECT_EQ(LastCall().args[1], "\"R\xc3\xa9sum\xc3\xa9.fm\"");
    EXPECT_NE(LastCall().args[4], where);
}
#endif

TEST_F(BridgeTest, EveryOperationFailsWithMinusOneWhenNotConnected)
{
    HostErrorNumber = 0;
    EXPECT_EQ(GetIdProperty(0, 0, 51), 0u);
    EXPECT_EQ(HostErrorNumber, -1);
    HostErrorNumber = 0;
    EXPECT_EQ(CloseDocument(1, 1), -1);
    EXPECT_EQ(HostErrorNumber, -1);
    EXPECT_NE(SetIntProperty(1, 2, 3, 4), 0);
    EXPECT_EQ(GetStringProperty(0, 0, 89), nullptr);
    EXPECT_EQ(ShowAlert("x", 1), 0);
    int32_t chosen = 3;
    EXPECT_EQ(ChooseFromList(&chosen, "t", nullptr, -1), -1);
    EXPECT_EQ(GetPropertyList(1, 2).count, 0u);
    EXPECT_EQ(AddText(1, nullptr, "x").object, 0u);
    EXPECT_EQ(SimpleOpen("a.fm", 0), 0u);
    EXPECT_EQ(HostErrorNumber, -1);
    EXPECT_TRUE(fake.calls.empty());
}

// The installation directory the encoding layer is given: the host's answer, or null when the
// query fails, which then shows in the error number; an earlier failure of another operation
// is kept when the query succeeds.
TEST_F(BridgeTest, HostInstallDirectoryKeepsEarlierFailuresAndReportsItsOwn)
{
    Connect();
    FakeAnswer refused;
    refused.status = -1;
    Answer(refused);
    EXPECT_EQ(HostInstallDirectory(), nullptr);
    EXPECT_EQ(HostErrorNumber, -1);

    HostErrorNumber = -88; // some earlier operation found the host busy
    FakeAnswer dir;
    dir.fill = [&](void* out) { *static_cast<char**>(out) = fake.String("C:\\Host"); };
    Answer(dir);
    char* answer = HostInstallDirectory();
    EXPECT_STREQ(answer, "C:\\Host");
    BridgeFree(answer);
    EXPECT_EQ(HostErrorNumber, -88) << "the record of that failure stays";
}
