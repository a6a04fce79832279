// sink_test.cpp - the notification sink called the way a host calls it, through its COM tables:
// one reference count behind three views, interface lookup, destruction exactly once, the event
// methods reaching the command handlers, notification 75's fields, and the resources it serves.
#include <dlfcn.h>

#include <string>
#include <vector>

#include "bridge/sink.h"
#include "platform/win32.h"
#include "tests/bridge/bridge_fixture.h"

namespace {

// A view of the sink as the host holds it.
TwComObject* Com(void* view) { return static_cast<TwComObject*>(view); }

void* Query(void* view, const TwGuid& iid, TwResult* result = nullptr)
{
    void* out = reinterpret_cast<void*>(1);
    TwResult r = TwSlotQueryInterface(Com(view))(Com(view), &iid, &out);
    if (result)
        *result = r;
    return out;
}

uint32_t AddRef(void* view) { return TwSlotAddRef(Com(view))(Com(view)); }

uint32_t Release(void* view) { return TwSlotRelease(Com(view))(Com(view)); }

class SinkTest : public BridgeTest {
protected:
    void SetUp() override
    {
        BridgeTest::SetUp();
        sink = SinkCreate();
        ASSERT_NE(sink, nullptr);
        primary = SinkPrimary(sink);
        notify = Query(primary, IID_FrameMakerNotifications0);
        Release(notify); // back to the creation reference
    }
    void TearDown() override
    {
        if (sink)
            Release(primary);
        BridgeTest::TearDown();
    }
    uint32_t Count() { return sink->refCount; }
    TwResult Notify(int32_t number, const char* text)
    {
        return NotifySlotNotify(Com(notify))(Com(notify), number, 5, text, 0);
    }

    FrameMakerNotificationsC* sink = nullptr;
    void* primary = nullptr;
    void* notify = nullptr;
};

} // namespace

TEST_F(SinkTest, ViewsShareOneCountAndAnswerByIdentifier)
{
    ASSERT_EQ(Count(), 1u);
    void* cms = Query(primary, IID_FrameMakerCMSNotifications0);
    void* note = Query(primary, IID_FrameMakerNotifications0);
    EXPECT_EQ(Count(), 3u);
    // the object holds: primary table, count, CMS table, notification table
    EXPECT_EQ(static_cast<char*>(cms) - static_cast<char*>(primary), (ptrdiff_t)(2 * sizeof(void*)));
    EXPECT_EQ(static_cast<char*>(note) - static_cast<char*>(primary), (ptrdiff_t)(3 * sizeof(void*)));

    // IUnknown through the notification view is the primary pointer, with one more reference
    EXPECT_EQ(Query(note, IID_IUnknown), primary);
    EXPECT_EQ(Count(), 4u);
    EXPECT_EQ(Query(cms, IID_FrameMakerNotifications0), note);
    EXPECT_EQ(AddRef(cms), 6u);

    TwResult result = 0;
    EXPECT_EQ(Query(note, IID_HostApi, &result), nullptr);
    EXPECT_EQ(result, TW_E_NOINTERFACE);
    EXPECT_EQ(Count(), 6u);

    EXPECT_EQ(Release(cms), 5u);
    EXPECT_EQ(Release(note), 4u);
    EXPECT_EQ(Release(primary), 3u);
    EXPECT_EQ(Release(note), 2u);
    EXPECT_EQ(Release(cms), 1u);
}

TEST_F(SinkTest, LastReleaseDestroysOnceEvenWithReferenceTrafficDuringShutdown)
{
    Connect();
    fake.apiObject.refs = 1;
    Connection.sink = sink;
    int shutdowns = 0;
    // The host's API object, released during the shutdown, touches the sink while it goes.
    fake.onApiReleased = [&] {
        shutdowns++;
        AddRef(notify);
        Release(notify);
    };
    void* note = Query(primary, IID_FrameMakerNotifications0);
    EXPECT_EQ(Release(primary), 1u);
    EXPECT_EQ(Release(note), 0u);
    sink = nullptr;
    EXPECT_EQ(shutdowns, 1);
    EXPECT_EQ(Connection.sink, nullptr);
    EXPECT_EQ(Connection.interfaces[HOST_API_INDEX], nullptr);
    EXPECT_EQ(GetIdProperty(0, 0, 51), 0u);
    EXPECT_EQ(HostErrorNumber, -1);
}

TEST_F(SinkTest, EventsReachTheCommandHandlersAndReportSuccess)
{
    EXPECT_EQ(NotifySlotInitialize(Com(notify))(Com(notify), 1), 0);
    EXPECT_EQ(NotifySlotCommand(Com(notify))(Com(notify), 7), 0);
    EXPECT_EQ(NotifySlotQuit(Com(notify))(Com(notify)), 0);
    EXPECT_EQ(NotifySlotMessage(Com(notify))(Com(notify), 1, 2, 3), 0);
    EXPECT_EQ(NotifySlotDialogEvent(Com(notify))(Com(notify), 1, 2, 3), 0);
    EXPECT_EQ(Notify(NOTIFY_MESSAGE, "SetDocId 12"), 0);
    EXPECT_EQ(Handlers.events,
              (std::vector<std::string>{"Initialize 1", "Command 7", "Notify 13 doc=5 value=0 text=\"SetDocId 12\""}));

    void* cms = Query(primary, IID_FrameMakerCMSNotifications0);
    CmsResult out;
    memset(&out, 0x5A, sizeof out);
    EXPECT_EQ(CmsSlotCommand(Com(cms))(Com(cms), 1, 2, 3, 4, &out), 0);
    EXPECT_EQ(out.first, 0);
    EXPECT_EQ(out.text, nullptr);
    EXPECT_EQ(out.values.count, 0u);
    EXPECT_EQ(out.values.values, nullptr);
    Release(cms);
}

TEST_F(SinkTest, NotificationSeventyFiveArrivesAsFields)
{
    const std::string RS = "\x1e";
    std::string eight;
    for (int i = 1; i <= 8; i++)
        eight += (i > 1 ? RS : "") + "f" + std::to_string(i);
    std::string forty;
    for (int i = 1; i <= 40; i++)
        forty += (i > 1 ? RS : "") + std::to_string(i);
    Notify(75, ("a" + RS + RS + "b").c_str());
    Notify(75, "plain");
    Notify(75, "");
    Notify(75, ("x" + RS).c_str());
    Notify(75, eight.c_str());
    Notify(75, forty.c_str());
    ASSERT_EQ(Handlers.splits.size(), 6u);
    EXPECT_EQ(Handlers.splits[0], (std::vector<std::string>{"a", "", "b"}));
    EXPECT_EQ(Handlers.splits[1], (std::vector<std::string>{"plain"}));
    EXPECT_EQ(Handlers.splits[2], (std::vector<std::string>{""}));
    EXPECT_EQ(Handlers.splits[3], (std::vector<std::string>{"x", ""}));
    EXPECT_EQ(Handlers.splits[4], (std::vector<std::string>{"f1", "f2", "f3", "f4", "f5", "f6", "f7", "f8"}));
    ASSERT_EQ(Handlers.splits[5].size(), 40u); // 34 further fields: the list grows past 16 and 32
    EXPECT_EQ(Handlers.splits[5][39], "40");
}

TEST_F(SinkTest, GetResourceServesTheLibraryPathAndItsVersionResource)
{
    void* self = dlopen(nullptr, RTLD_NOW);
    Connection.module = self;
    auto getResource = [&](int32_t type, const char* name, ResourceBuffer* out) {
        return NotifySlotGetResource(Com(notify))(Com(notify), type, name, out);
    };

    char expected[4096];
    ssize_t n = readlink("/proc/self/exe", expected, sizeof expected - 1);
    ASSERT_GT(n, 0);
    expected[n] = '\0';
    ResourceBuffer out = {0, nullptr};
    ASSERT_EQ(getResource(0, nullptr, &out), 0);
    ASSERT_EQ(out.length, (uint32_t)n + 1) << "the NUL is counted";
    EXPECT_EQ(out.data[n], 0);
    EXPECT_STREQ(reinterpret_cast<char*>(out.data), expected);
    CoTaskMemFree(out.data);

    out = {0, nullptr};
    ASSERT_EQ(getResource(16, "#1", &out), 0);
    void* value = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(out.data, "\\StringFileInfo\\040904b0\\ClientProducts", &value, &length));
    EXPECT_STREQ(static_cast<char*>(value), "Maker MakerSGML");
    CoTaskMemFree(out.data);

    out = {0, nullptr};
    EXPECT_EQ(getResource(6, "#1", &out), TW_E_FAIL);
    EXPECT_EQ(out.data, nullptr);

    // a module handle that is not this library: no path of ours, no resources
    Connection.module = nullptr;
    dlclose(self);
}
