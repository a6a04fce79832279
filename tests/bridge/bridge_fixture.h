// bridge_fixture.h - a test fixture that connects the transport straight to a fake host's API
// object (as the entry would) and resets the bridge's process-wide state around each test.
#pragma once

#include <gtest/gtest.h>

#include <cstring>

#include "bridge/connect.h"
#include "bridge/connection.h"
#include "bridge/host_ops.h"
#include "bridge/records.h"
#include "bridge/sink.h"
#include "bridge/transport.h"
#include "support/encoding.h"
#include "tests/bridge/fake_host.h"
#include "tests/bridge/handlers.h"

class BridgeTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        memset(&Connection, 0, sizeof Connection);
        HostErrorNumber = 0;
        Handlers.Clear();
        SinkSetHandlers(&RecordingHandlers);
    }
    void TearDown() override
    {
        FreePropertyList(&OpenReturnList);
        FreePropertyList(&SaveReturnList);
        memset(&Connection, 0, sizeof Connection);
    }
    // Connects the transport to the fake host's API object without the entry.
    void Connect(bool shared = false)
    {
        fake.sharedMemory = shared;
        Connection.interfaces[HOST_API_INDEX] = fake.api();
        Connection.sharedMemory = shared ? 1 : 0;
    }
    FakeAnswer& Answer(FakeAnswer answer = FakeAnswer())
    {
        fake.answers.push_back(answer);
        return fake.answers.back();
    }
    const FakeCall& LastCall()
    {
        EXPECT_FALSE(fake.calls.empty());
        return fake.calls.back();
    }

    // What the client's entry does: hands the sink its handlers (the recording ones here) and
    // the encoding layer the host's directory, then connects. (The console the entry hands the
    // host once connected stays empty here.)
    int32_t Enter(void* module, TwComObject* host, TwComObject* retained, PropertyList* description)
    {
        SinkSetHandlers(&RecordingHandlers);
        SetHostDirectorySource(HostInstallDirectory);
        return ConnectClient(module, host, retained, description);
    }

    FakeHost fake;
};
