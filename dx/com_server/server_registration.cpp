#include "dx/com_server/server_registration.h"

#include "dx/framework/com_ref.h"

#include <uuids.h>

#include <cwchar>
#include <string>

namespace miral::dx {
namespace {

constexpr HRESULT kNotFound = HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);

std::wstring classKeyName(const CLSID& clsid) {
    wchar_t braced[40] = {};
    StringFromGUID2(clsid, braced, 40);
    return std::wstring(L"CLSID\\") + braced;
}

HRESULT setString(HKEY key, const wchar_t* name, const wchar_t* value) {
    const auto bytes = static_cast<DWORD>((std::wcslen(value) + 1) * sizeof(wchar_t));
    return HRESULT_FROM_WIN32(
        RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value), bytes));
}

/// Creates (or opens) `path` under `parent` and sets its default value.
HRESULT writeKey(HKEY parent, const wchar_t* path, const wchar_t* value, HKEY* created) {
    const LONG opened = RegCreateKeyExW(parent, path, 0, nullptr, REG_OPTION_NON_VOLATILE,
                                        KEY_WRITE, nullptr, created, nullptr);
    if (opened != ERROR_SUCCESS)
        return HRESULT_FROM_WIN32(opened);
    return setString(*created, nullptr, value);
}

HRESULT writeClassKeys(const ServerClass& entry, const wchar_t* modulePath) {
    HKEY classKey = nullptr;
    HRESULT result =
        writeKey(HKEY_CLASSES_ROOT, classKeyName(*entry.clsid).c_str(), entry.name, &classKey);
    if (SUCCEEDED(result)) {
        HKEY serverKey = nullptr;
        result = writeKey(classKey, L"InprocServer32", modulePath, &serverKey);
        if (SUCCEEDED(result))
            result = setString(serverKey, L"ThreadingModel", L"Both");
        if (serverKey != nullptr)
            RegCloseKey(serverKey);
    }
    if (classKey != nullptr)
        RegCloseKey(classKey);
    return result;
}

HRESULT removeClassKeys(const ServerClass& entry) {
    const LONG removed = RegDeleteTreeW(HKEY_CLASSES_ROOT, classKeyName(*entry.clsid).c_str());
    return removed == ERROR_FILE_NOT_FOUND ? S_OK : HRESULT_FROM_WIN32(removed);
}

/// COM for the duration of a registration call; regsvr32 and installers may not have it.
class ComApartment {
public:
    ComApartment() noexcept : result_(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
    ~ComApartment() {
        if (SUCCEEDED(result_))
            CoUninitialize();
    }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;

private:
    HRESULT result_;
};

ComRef<IFilterMapper2> filterMapper() {
    ComRef<IFilterMapper2> mapper;
    CoCreateInstance(CLSID_FilterMapper2, nullptr, CLSCTX_INPROC_SERVER, IID_IFilterMapper2,
                     mapper.putVoid());
    return mapper;
}

HRESULT leaveFilterMapper(IFilterMapper2& mapper, const CLSID& clsid) {
    const HRESULT result = mapper.UnregisterFilter(&CLSID_LegacyAmFilterCategory, nullptr, clsid);
    return result == kNotFound ? S_OK : result;
}

HRESULT enterFilterMapper(const ServerClass& entry) {
    const ComRef<IFilterMapper2> mapper = filterMapper();
    if (!mapper)
        return REGDB_E_CLASSNOTREG;
    // An earlier entry of the same filter goes first, so that registering again leaves one.
    HRESULT result = leaveFilterMapper(*mapper.get(), *entry.clsid);
    if (SUCCEEDED(result))
        result = mapper->RegisterFilter(*entry.clsid, entry.name, nullptr,
                                        &CLSID_LegacyAmFilterCategory, nullptr, entry.filter);
    return result;
}

} // namespace

HRESULT registerServer(std::span<const ServerClass> classes, HMODULE module) noexcept {
    wchar_t modulePath[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameW(module, modulePath, MAX_PATH);
    if (length == 0 || length == MAX_PATH)
        return HRESULT_FROM_WIN32(length == 0 ? GetLastError() : ERROR_INSUFFICIENT_BUFFER);
    const ComApartment apartment;
    for (const ServerClass& entry : classes) {
        HRESULT result = writeClassKeys(entry, modulePath);
        if (SUCCEEDED(result) && entry.filter != nullptr)
            result = enterFilterMapper(entry);
        if (FAILED(result))
            return result;
    }
    return S_OK;
}

HRESULT unregisterServer(std::span<const ServerClass> classes) noexcept {
    const ComApartment apartment;
    for (auto entry = classes.rbegin(); entry != classes.rend(); ++entry) {
        HRESULT result = S_OK;
        if (entry->filter != nullptr) {
            const ComRef<IFilterMapper2> mapper = filterMapper();
            result = mapper ? leaveFilterMapper(*mapper.get(), *entry->clsid) : REGDB_E_CLASSNOTREG;
        }
        if (SUCCEEDED(result))
            result = removeClassKeys(*entry);
        if (FAILED(result))
            return result;
    }
    return S_OK;
}

} // namespace miral::dx
