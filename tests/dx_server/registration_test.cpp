// Self-registration through Wine's regsvr32: the class keys read back from the registry, the
// filter in the filter mapper's audio filters, registering twice as once, unregistering all.
#include "server_dll.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace miral::dx::test {
namespace {

constexpr DWORD kMeritDoNotUse = 0x200000;

class Registration : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(runRegsvr32(true), 0u) << "a clean start"; }
    void TearDown() override { runRegsvr32(true); }

    static void expectClassKeys(const GUID& clsid, const wchar_t* name) {
        const std::wstring key = classKey(clsid);
        EXPECT_EQ(registryString(key, nullptr), name);
        const std::optional<std::wstring> path = registryString(key + L"\\InprocServer32", nullptr);
        ASSERT_TRUE(path.has_value());
        EXPECT_NE(GetFileAttributesW(path->c_str()), INVALID_FILE_ATTRIBUTES) << "names the DLL";
        EXPECT_TRUE(path->ends_with(L"TK_MIRAL_DX.dll"));
        EXPECT_EQ(registryString(key + L"\\InprocServer32", L"ThreadingModel"), L"Both");
    }

    static void expectRegisteredOnce() {
        expectClassKeys(kClsidEqFilter, L"TOLMEK Soft MIRAL");
        expectClassKeys(kClsidEqPropertyPage, L"TOLMEK Soft MIRAL Property Page");
        const std::vector<MappedFilter> mapped = mappedAudioFilters(kClsidEqFilter);
        ASSERT_EQ(mapped.size(), 1u);
        EXPECT_EQ(mapped[0].name, L"TOLMEK Soft MIRAL");
        EXPECT_EQ(mapped[0].merit, kMeritDoNotUse);
        std::printf("listed once among the audio filters, merit 0x%lx\n", mapped[0].merit);
    }

    ComApartment com;
};

TEST_F(Registration, Regsvr32RegistersTheClassesAndTheFilterOnceHoweverOften) {
    ASSERT_TRUE(mappedAudioFilters(kClsidEqFilter).empty());
    ASSERT_EQ(runRegsvr32(false), 0u);
    expectRegisteredOnce();
    ASSERT_EQ(runRegsvr32(false), 0u);
    expectRegisteredOnce();
}

TEST_F(Registration, Regsvr32UnregisteringRemovesEveryTrace) {
    ASSERT_EQ(runRegsvr32(false), 0u);
    ASSERT_EQ(runRegsvr32(true), 0u);
    EXPECT_FALSE(registryString(classKey(kClsidEqFilter), nullptr).has_value());
    EXPECT_FALSE(registryString(classKey(kClsidEqFilter) + L"\\InprocServer32", nullptr));
    EXPECT_FALSE(registryString(classKey(kClsidEqPropertyPage), nullptr).has_value());
    EXPECT_TRUE(mappedAudioFilters(kClsidEqFilter).empty());
    EXPECT_EQ(runRegsvr32(true), 0u) << "what is already gone counts as removed";
}

// The same entries called in the process, as an installer does.
TEST_F(Registration, EntriesCalledDirectlyRegisterAndUnregister) {
    ASSERT_EQ(callServerEntry("DllRegisterServer"), S_OK);
    expectRegisteredOnce();
    ASSERT_EQ(callServerEntry("DllUnregisterServer"), S_OK);
    EXPECT_TRUE(mappedAudioFilters(kClsidEqFilter).empty());
    EXPECT_FALSE(registryString(classKey(kClsidEqPropertyPage), nullptr).has_value());
}

} // namespace
} // namespace miral::dx::test
