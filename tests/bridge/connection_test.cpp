// connection_test.cpp - the entry's connection against the fake host: the order of its steps, the
// description it registers, its failure paths, the memory mode, and the shutdown that follows
// the host's last release of the sink.
#include <dlfcn.h>

#include <algorithm>
#include <string>
#include <vector>

#include <unicode/putil.h>

#include "bridge/sink.h"
#include "support/console.h"
#include "tests/bridge/bridge_fixture.h"

namespace {

class EntryTest : public BridgeTest {
protected:
    void SetUp() override
    {
        BridgeTest::SetUp();
        // With no ICU data directory yet, the encoding start-up asks the host for its
        // installation directory, which shows where it runs among the entry's steps.
        u_setDataDirectory("");
        self = dlopen(nullptr, RTLD_NOW);
    }
    void TearDown() override
    {
        fake.ReleaseSink();
        dlclose(self);
        BridgeTest::TearDown();
    }
    size_t Position(const std::string& event)
    {
        auto it = std::find(fake.events.begin(), fake.events.end(), event);
        EXPECT_NE(it, fake.events.end()) << event;
        return (size_t)(it - fake.events.begin());
    }
    uint32_t Refs(const std::string& name) { return name == "api" ? fake.apiObject.refs : fake.extras.at(name).refs; }

    void* self = nullptr; // the test program: its file carries this code's version table
};

const char* const InterfaceOrder[] = {"extra1", "extra2", "api",     "extra3",  "extra4", "extra5", "extra6", "extra7",
                                      "extra8", "extra9", "extra10", "extra11", "conn1",  "conn2",  "conn3"};

} // namespace

TEST_F(EntryTest, ConnectsInTheStatedOrderAndRegistersTheVersionDescription)
{
    ConsoleWriteSlot = nullptr;
    ASSERT_EQ(Enter(self, fake.object(), fake.Extra("retained"), nullptr), 0);

    std::vector<std::string> asked;
    for (const std::string& e : fake.events)
        if (e.rfind("QueryInterface ", 0) == 0)
            asked.push_back(e.substr(15));
    EXPECT_EQ(asked, std::vector<std::string>(std::begin(InterfaceOrder), std::end(InterfaceOrder)));

    EXPECT_LT(Position("QueryInterface conn3"), Position("conn1(1)"));
    EXPECT_LT(Position("conn1(1)"), Position("slot 3"));
    EXPECT_LT(Position("slot 3"), Position("conn2(module)"));
    EXPECT_LT(Position("conn2(module)"), Position("slot 97")); // encodings start after registration
    EXPECT_LT(Position("slot 97"), Position("AddRef retained"));
    EXPECT_EQ(fake.calls[0].args[0], "sink");
    EXPECT_EQ(fake.calls[0].args[1], "0x14000000");
    EXPECT_EQ(fake.registeredEntries,
              (std::vector<std::pair<int32_t, std::string>>{
                  {2, "Tagwright"}, {3, "Standard"}, {4, "Tagwright (Frame 2017)"}, {5, "Maker MakerSGML"}}));
    EXPECT_EQ(ConsoleWriteSlot, nullptr) << "the console is the entry's to hand over, not the connection's";
    EXPECT_EQ(Connection.sharedMemory, 1);

    // Only the host's reference keeps the sink: its last release ends the connection.
    ASSERT_NE(fake.registeredSink, nullptr);
    EXPECT_EQ(reinterpret_cast<ComUltraliteC*>(fake.registeredSink)->refCount, 1u);
    for (const char* name : InterfaceOrder)
        EXPECT_EQ(Refs(name), 1u) << name;
    EXPECT_EQ(Refs("retained"), 2u);
    EXPECT_EQ(fake.ReleaseSink(), 0u);
    for (const char* name : InterfaceOrder)
        EXPECT_EQ(Refs(name), 0u) << name;
    EXPECT_EQ(Refs("retained"), 1u);
    EXPECT_EQ(Connection.sink, nullptr);

    HostErrorNumber = 0;
    size_t calls = fake.calls.size();
    EXPECT_EQ(GetIdProperty(0, 0, 51), 0u);
    EXPECT_EQ(HostErrorNumber, -1);
    EXPECT_EQ(PrintToConsole("after"), -1);
    EXPECT_EQ(fake.calls.size(), calls);
}

TEST_F(EntryTest, NullHostOrRefusedApiRegistersNothing)
{
    EXPECT_EQ(Enter(self, nullptr, nullptr, nullptr), -1);
    EXPECT_EQ(Connection.module, self);
    EXPECT_TRUE(fake.events.empty());

    fake.grants["api"] = false;
    EXPECT_EQ(Enter(self, fake.object(), nullptr, nullptr), -1);
    EXPECT_TRUE(fake.calls.empty());
    EXPECT_EQ(std::count(fake.events.begin(), fake.events.end(), "QueryInterface conn1"), 0);
    // the interfaces already obtained stay held
    EXPECT_EQ(Refs("extra1"), 1u);
    EXPECT_EQ(Refs("extra11"), 1u);
    EXPECT_EQ(Connection.interfaces[0], fake.Extra("extra1"));
}

TEST_F(EntryTest, DescriptionIsTheCallersOrEmptyOrNull)
{
    PropertyList mine = {0, nullptr};
    PropertyListSetString(&mine, 2, "Someone");
    ASSERT_EQ(Enter(self, fake.object(), nullptr, &mine), 0);
    EXPECT_EQ(fake.registeredDescription, &mine);
    ASSERT_EQ(mine.count, 1u) << "the caller's description is not released by the entry";
    EXPECT_STREQ(mine.entries[0].value.u.s, "Someone");
    FreePropertyList(&mine);
    fake.ReleaseSink();

    FakeHost second;
    ASSERT_EQ(Enter(nullptr, second.object(), nullptr, nullptr), 0);
    EXPECT_EQ(second.calls[0].args[2], "null");
    second.ReleaseSink();

    // a module whose file carries no version information: an empty description
    FakeHost third;
    void* other = dlopen("libm.so.6", RTLD_NOW);
    ASSERT_NE(other, nullptr);
    ASSERT_EQ(Enter(other, third.object(), nullptr, nullptr), 0);
    EXPECT_EQ(third.calls[0].args[2], "{}");
    third.ReleaseSink();
    dlclose(other);
}

TEST_F(EntryTest, MemoryIsSharedOnlyWhenTheFirstConnectionSaysSo)
{
    fake.connection1Answer = TW_E_FAIL;
    ASSERT_EQ(Enter(self, fake.object(), nullptr, nullptr), 0);
    EXPECT_EQ(Connection.sharedMemory, 0);
    fake.ReleaseSink();

    FakeHost refusing;
    refusing.grants["conn1"] = false;
    refusing.grants["conn2"] = false;
    ASSERT_EQ(Enter(self, refusing.object(), nullptr, nullptr), 0);
    EXPECT_EQ(Connection.sharedMemory, 0);
    EXPECT_EQ(std::count(refusing.events.begin(), refusing.events.end(), "conn1(1)"), 0);
    EXPECT_EQ(std::count(refusing.events.begin(), refusing.events.end(), "conn2(module)"), 0);
    refusing.ReleaseSink();
}

TEST_F(EntryTest, ASinkTheHostDidNotKeepEndsTheConnectionAtOnce)
{
    FakeAnswer refused;
    refused.result = TW_E_FAIL; // the fake takes no reference when registration fails
    fake.answers.push_back(refused);
    EXPECT_EQ(Enter(self, fake.object(), fake.Extra("retained"), nullptr), -1);
    EXPECT_EQ(fake.registeredSink, nullptr);
    EXPECT_EQ(Refs("api"), 0u);
    EXPECT_EQ(Refs("retained"), 1u);
    EXPECT_EQ(Connection.sink, nullptr);
    EXPECT_EQ(HostErrorNumber, 0) << "registration's answer is not an operation failure";
}
