// fake_host.cpp - definitions of HostErrorNumber and GetStringProperty for the support tests.
#include "fake_host.h"

#include <cstdlib>
#include <cstring>

#include "bridge/host_ops.h"

int32_t HostErrorNumber = 0;

FakeHost& TheFakeHost()
{
    static FakeHost host;
    return host;
}

void ResetFakeHost()
{
    TheFakeHost() = FakeHost{};
    HostErrorNumber = 0;
}

char* GetStringProperty(ObjectId doc, ObjectId object, int32_t property)
{
    FakeHost& host = TheFakeHost();
    host.queries++;
    if (doc != 0 || object != 0 || property != PROP_INSTALL_DIR || host.errorToSet) {
        HostErrorNumber = host.errorToSet ? host.errorToSet : -1;
        return nullptr;
    }
    if (!host.installDir)
        return nullptr;
    char* copy = static_cast<char*>(std::malloc(host.installDir->size() + 1));
    std::memcpy(copy, host.installDir->c_str(), host.installDir->size() + 1);
    return copy;
}

#include <unicode/putil.h>

#include "support/encoding.h"

void UseBuildIcuData()
{
    u_setDataDirectory(TAGWRIGHT_TEST_ICU_DATA_DIR);
    SetEncoding("FrameRoman");
}

// Under AddressSanitizer an impossible allocation must come back as null, as the runtime's
// malloc would, so the failure paths can be tested.
extern "C" const char* __asan_default_options()
{
    return "allocator_may_return_null=1";
}
