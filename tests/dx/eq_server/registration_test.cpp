// Self-registration through Wine's regsvr32: the class keys read back from the registry, the
// filter in the filter mapper's audio filters, registering twice as once, unregistering all.
#include "server_dll.h"

#include <gtest/gtest.h>

#include "dx/framework/windows_api.h"

#include <uuids.h>

#include <cstdio>
#include <cwchar>
#include <optional>
#include <vector>

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

/// Points the filter mapper's class at a library that does not exist, for the object's
/// lifetime, so that creating a filter mapper fails as it does on a damaged system.
class MissingFilterMapper {
public:
    MissingFilterMapper() {
        wchar_t braced[40] = {};
        StringFromGUID2(CLSID_FilterMapper2, braced, 40);
        key_ = std::wstring(L"CLSID\\") + braced + L"\\InprocServer32";
        saved_ = registryString(key_, nullptr);
        setDefault(L"C:\\windows\\system32\\miral_missing_mapper.dll");
    }
    ~MissingFilterMapper() {
        if (saved_)
            setDefault(saved_->c_str());
    }
    MissingFilterMapper(const MissingFilterMapper&) = delete;
    MissingFilterMapper& operator=(const MissingFilterMapper&) = delete;

    bool active() const { return saved_.has_value(); }

private:
    void setDefault(const wchar_t* value) const {
        const auto bytes = DWORD((std::wcslen(value) + 1) * sizeof(wchar_t));
        RegSetKeyValueW(HKEY_CLASSES_ROOT, key_.c_str(), nullptr, REG_SZ, value, bytes);
    }

    std::wstring key_;
    std::optional<std::wstring> saved_;
};

// Without a filter mapper, registration fails with the reason the system gave for it.
TEST_F(Registration, AFilterMapperThatCannotBeCreatedIsReportedWithItsOwnError) {
    HRESULT registered = S_OK, unregistered = S_OK, created = S_OK;
    {
        const MissingFilterMapper missing;
        ASSERT_TRUE(missing.active()) << "the filter mapper's class is registered";
        ComRef<IUnknown> mapper;
        created = CoCreateInstance(CLSID_FilterMapper2, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                                   mapper.putVoid());
        registered = callServerEntry("DllRegisterServer");
        unregistered = callServerEntry("DllUnregisterServer");
    }
    std::printf("creating the filter mapper failed with 0x%08lx\n",
                static_cast<unsigned long>(created));
    ASSERT_TRUE(FAILED(created));
    EXPECT_NE(created, REGDB_E_CLASSNOTREG) << "the class is registered; its library is missing";
    EXPECT_EQ(registered, created);
    EXPECT_EQ(unregistered, created);
    EXPECT_TRUE(mappedAudioFilters(kClsidEqFilter).empty());
    ASSERT_EQ(callServerEntry("DllRegisterServer"), S_OK) << "the filter mapper is back";
    expectRegisteredOnce();
}

/// A string of the DLL's version resource (US English, Unicode).
std::wstring versionString(const wchar_t* name) {
    const std::wstring path = std::wstring(MIRAL_DX_DLL, MIRAL_DX_DLL + sizeof(MIRAL_DX_DLL) - 1);
    std::vector<char> resource(GetFileVersionInfoSizeW(path.c_str(), nullptr));
    if (resource.empty() ||
        !GetFileVersionInfoW(path.c_str(), 0, DWORD(resource.size()), resource.data()))
        return L"";
    void* value = nullptr;
    UINT length = 0;
    const std::wstring key = std::wstring(L"\\StringFileInfo\\040904b0\\") + name;
    if (!VerQueryValueW(resource.data(), key.c_str(), &value, &length) || length == 0)
        return L"";
    return static_cast<const wchar_t*>(value);
}

// What installers look for before they call DllRegisterServer.
TEST(VersionResource, MarksASelfRegisteringFilterLibrary) {
    EXPECT_EQ(versionString(L"ActiveMovie"), L"Filter dll");
    EXPECT_EQ(versionString(L"OLESelfRegister"), L"AM20");
    EXPECT_EQ(versionString(L"FileVersion"), MIRAL_VERSION);
    EXPECT_EQ(versionString(L"ProductVersion"), MIRAL_VERSION);
}

TEST(Resources, CarryTheLaterToolkitsAboutImageThePagesDialogAndTitle) {
    const std::unique_ptr<platform::DynamicLibrary> server = loadServer();
    const HMODULE module = GetModuleHandleA("TK_MIRAL_DX.dll");
    ASSERT_NE(module, nullptr);
    const auto has = [&](int id, LPCSTR type) {
        return FindResourceA(module, MAKEINTRESOURCEA(id), type) != nullptr;
    };
    for (int id = 128; id <= 155; ++id)
        EXPECT_TRUE(has(id, MAKEINTRESOURCEA(2))) << "bitmap " << id; // RT_BITMAP
    EXPECT_TRUE(has(305, MAKEINTRESOURCEA(2))) << "the later about image";
    EXPECT_FALSE(has(157, MAKEINTRESOURCEA(2))) << "the plug-in's about image is not carried";
    EXPECT_TRUE(has(101, MAKEINTRESOURCEA(5))) << "the page's dialog"; // RT_DIALOG
    char title[64] = {};
    EXPECT_GT(LoadStringA(module, 1, title, sizeof(title)), 0);
    EXPECT_STREQ(title, "TOLMEK Soft MIRAL");
}

} // namespace
} // namespace miral::dx::test
