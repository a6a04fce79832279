// fake_install_dir.cpp - the host-directory source the support tests hand the encoding layer.
#include "fake_install_dir.h"

#include <cstring>

#include <unicode/putil.h>

#include "support/encoding.h"
#include "support/memory.h"

FakeInstallDir& TheFakeInstallDir()
{
    static FakeInstallDir host;
    return host;
}

static char* FakeInstallDirectory()
{
    FakeInstallDir& host = TheFakeInstallDir();
    host.queries++;
    if (host.fails || !host.installDir)
        return nullptr;
    char* copy = static_cast<char*>(BridgeAlloc(host.installDir->size() + 1));
    std::memcpy(copy, host.installDir->c_str(), host.installDir->size() + 1);
    return copy;
}

void ResetFakeInstallDir()
{
    TheFakeInstallDir() = FakeInstallDir{};
    SetHostDirectorySource(FakeInstallDirectory);
}

void UseBuildIcuData()
{
    u_setDataDirectory(TAGWRIGHT_TEST_ICU_DATA_DIR);
    SetEncoding("FrameRoman");
}

// Under AddressSanitizer an impossible allocation must come back as null, as the runtime's
// malloc would, so the failure paths can be tested.
extern "C" const char* __asan_default_options() { return "allocator_may_return_null=1"; }
