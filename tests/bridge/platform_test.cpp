// platform_test.cpp - the Windows services served from the dynamic loader and the version
// table: module paths by dlopen handle with Windows' buffer rules, version information for this
// code's own file only, and the resource table.
#include <gtest/gtest.h>

#include <dlfcn.h>
#include <math.h>
#include <unistd.h>

#include <cstring>
#include <string>

#include "platform/win32.h"

namespace {

std::string ExecutablePath()
{
    char path[4096];
    ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
    return n > 0 ? std::string(path, (size_t)n) : std::string();
}

} // namespace

TEST(PlatformModule, PathOfADlopenHandleFollowsWindowsBufferRules)
{
    void* libm = dlopen("libm.so.6", RTLD_NOW);
    ASSERT_NE(libm, nullptr);
    Dl_info info;
    ASSERT_NE(dladdr(dlsym(libm, "cos"), &info), 0);
    std::string expected = info.dli_fname;

    char path[260];
    DWORD length = GetModuleFileNameA(libm, path, sizeof path);
    EXPECT_EQ(length, expected.size());
    EXPECT_EQ(std::string(path), expected);

    // cut short: what fits, a NUL, and the buffer size as the answer
    char small[6];
    memset(small, 'x', sizeof small);
    EXPECT_EQ(GetModuleFileNameA(libm, small, sizeof small), 6u);
    EXPECT_EQ(std::string(small), expected.substr(0, 5));
    EXPECT_EQ(GetModuleFileNameA(libm, small, 0), 0u);
    dlclose(libm);

    // no handle: the executable
    length = GetModuleFileNameA(nullptr, path, sizeof path);
    EXPECT_EQ(std::string(path, length), ExecutablePath());
}

TEST(PlatformVersion, OwnFileCarriesTheVersionTableOthersNone)
{
    std::string self = ExecutablePath();
    DWORD size = GetFileVersionInfoSizeA(self.c_str(), nullptr);
    ASSERT_GT(size, 0u);
    ASSERT_LE(size, 4096u);
    char block[4096];
    EXPECT_FALSE(GetFileVersionInfoA(self.c_str(), 0, size - 1, block)) << "a buffer too small is a failure";
    ASSERT_TRUE(GetFileVersionInfoA(self.c_str(), 0, sizeof block, block));

    void* value = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(block, "\\", &value, &length));
    ASSERT_EQ(length, sizeof(VS_FIXEDFILEINFO));
    const auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(value);
    EXPECT_EQ(fixed->dwSignature, VS_FFI_SIGNATURE);
    EXPECT_EQ(fixed->dwFileVersionMS, 0x00020001u); // 2.1
    EXPECT_EQ(fixed->dwFileVersionLS, 0x00000000u); // .0.0
    ASSERT_TRUE(VerQueryValueA(block, "\\VarFileInfo\\Translation", &value, &length));
    EXPECT_EQ(*static_cast<const DWORD*>(value), 0x04b00409u);

    const std::pair<const char*, const char*> strings[] = {
        {"ClientName", "Tagwright"},
        {"ClientType", "Standard"},
        {"ClientProducts", "Maker MakerSGML"},
        {"FileDescription", "Tagwright (Frame 2017)"},
    };
    for (const auto& [key, expected] : strings) {
        std::string query = std::string("\\StringFileInfo\\040904b0\\") + key;
        ASSERT_TRUE(VerQueryValueA(block, query.c_str(), &value, &length)) << key;
        EXPECT_STREQ(static_cast<char*>(value), expected);
        EXPECT_EQ(length, strlen(expected) + 1);
    }
    EXPECT_TRUE(VerQueryValueA(block, "\\stringfileinfo\\040904B0\\clientname", &value, &length)) << "keys ignore case";
    EXPECT_FALSE(VerQueryValueA(block, "\\StringFileInfo\\040904b0\\ClientVendor", &value, &length));
    EXPECT_EQ(value, nullptr);

    void* libm = dlopen("libm.so.6", RTLD_NOW);
    char other[260];
    ASSERT_GT(GetModuleFileNameA(libm, other, sizeof other), 0u);
    EXPECT_FALSE(GetFileVersionInfoA(other, 0, sizeof block, block));
    EXPECT_EQ(FindResourceA(libm, MAKEINTRESOURCEA(1), RT_VERSION), nullptr);
    dlclose(libm);
}

TEST(PlatformResources, VersionResourceByNumberOrName)
{
    void* self = dlopen(nullptr, RTLD_NOW);
    HRSRC byNumber = FindResourceA(self, MAKEINTRESOURCEA(1), RT_VERSION);
    ASSERT_NE(byNumber, nullptr);
    EXPECT_EQ(FindResourceA(self, "#1", MAKEINTRESOURCEA(16)), byNumber);
    EXPECT_EQ(FindResourceA(self, "#2", RT_VERSION), nullptr);
    EXPECT_EQ(FindResourceA(self, "ICON", RT_VERSION), nullptr);
    DWORD size = SizeofResource(self, byNumber);
    const void* data = LockResource(LoadResource(self, byNumber));
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(size, GetFileVersionInfoSizeA(ExecutablePath().c_str(), nullptr));
    void* value = nullptr;
    UINT length = 0;
    EXPECT_TRUE(VerQueryValueA(data, "\\StringFileInfo\\040904b0\\ClientType", &value, &length));
    dlclose(self);

    void* block = CoTaskMemAlloc(16);
    ASSERT_NE(block, nullptr);
    CoTaskMemFree(block);
    CoTaskMemFree(nullptr);
}
