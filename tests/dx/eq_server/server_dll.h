#pragma once

// What the server tests share: COM on the test's thread, the server DLL loaded by path,
// registration through it or through Wine's regsvr32, and registry and filter-mapper reads.

#include "dx/filter/eq_interfaces.h"
#include "dx/framework/com_ref.h"
#include "platform/dynamic_library.h"

#include "dx/framework/windows_api.h"

#include <gtest/gtest.h>
#include <objidl.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace miral::dx::test {

/// COM in a single-threaded apartment for the object's lifetime.
class ComApartment {
public:
    ComApartment() { CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED); }
    ~ComApartment() { CoUninitialize(); }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;
};

/// TK_MIRAL_DX.dll, loaded from the build tree.
std::unique_ptr<platform::DynamicLibrary> loadServer();
/// Calls the server's DllRegisterServer or DllUnregisterServer.
HRESULT callServerEntry(const char* name);

/// Runs Wine's regsvr32 silently on the server, /u when unregistering; its exit code.
DWORD runRegsvr32(bool unregister);

/// "CLSID\{...}", the class's key under HKEY_CLASSES_ROOT.
std::wstring classKey(const GUID& clsid);
/// A string value under HKEY_CLASSES_ROOT (name null: the key's default value); nothing when
/// the key or value is missing.
std::optional<std::wstring> registryString(const std::wstring& key, const wchar_t* name);

/// The filter mapper's monikers, from IFilterMapper2::EnumMatchingFilters for audio input, of
/// the filters with that class.
std::vector<ComRef<IMoniker>> audioFilterMonikers(const GUID& clsid);

/// A filter of the filter mapper's audio filters with the given class identifier.
struct MappedFilter {
    std::wstring name;
    DWORD merit;
};
/// The name and merit of each of those monikers.
std::vector<MappedFilter> mappedAudioFilters(const GUID& clsid);

/// Tests of a suite that finds the server registered, with COM on the test's thread.
class RegisteredServerTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        const ComApartment com;
        ASSERT_EQ(callServerEntry("DllRegisterServer"), S_OK);
    }
    static void TearDownTestSuite() {
        const ComApartment com;
        callServerEntry("DllUnregisterServer");
    }

    ComApartment com;
};

/// Dispatches the calling thread's messages for `milliseconds`.
void pumpMessages(DWORD milliseconds);

} // namespace miral::dx::test
