#include "dx/com_base/server_registration.h"

#include "dx/framework/com_ref.h"

#include "dx/framework/windows_api.h"

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

HRESULT createFilterMapper(ComRef<IFilterMapper2>& mapper) {
    return CoCreateInstance(CLSID_FilterMapper2, nullptr, CLSCTX_INPROC_SERVER, IID_IFilterMapper2,
                            mapper.putVoid());
}

HRESULT leaveFilterMapper(IFilterMapper2& mapper, const CLSID& clsid) {
    const HRESULT result = mapper.UnregisterFilter(&CLSID_LegacyAmFilterCategory, nullptr, clsid);
    return result == kNotFound ? S_OK : result;
}

} // namespace

HRESULT registerFilter(const CLSID& clsid, const wchar_t* name, const REGFILTER2& record) noexcept {
    const ComApartment apartment;
    ComRef<IFilterMapper2> mapper;
    HRESULT result = createFilterMapper(mapper);
    if (FAILED(result))
        return result;
    // An earlier entry of the same filter goes first, so that registering again leaves one.
    result = leaveFilterMapper(*mapper.get(), clsid);
    if (SUCCEEDED(result))
        result = mapper->RegisterFilter(clsid, name, nullptr, &CLSID_LegacyAmFilterCategory,
                                        nullptr, &record);
    return result;
}

HRESULT unregisterFilter(const CLSID& clsid) noexcept {
    const ComApartment apartment;
    ComRef<IFilterMapper2> mapper;
    const HRESULT result = createFilterMapper(mapper);
    return FAILED(result) ? result : leaveFilterMapper(*mapper.get(), clsid);
}

HRESULT registerServer(std::span<const ServerClass> classes, HMODULE module) noexcept {
    wchar_t modulePath[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameW(module, modulePath, MAX_PATH);
    if (length == 0 || length == MAX_PATH)
        return HRESULT_FROM_WIN32(length == 0 ? GetLastError() : ERROR_INSUFFICIENT_BUFFER);
    for (const ServerClass& entry : classes) {
        HRESULT result = writeClassKeys(entry, modulePath);
        if (SUCCEEDED(result) && entry.filter != nullptr)
            result = registerFilter(*entry.clsid, entry.name, *entry.filter);
        if (FAILED(result))
            return result;
    }
    return S_OK;
}

HRESULT unregisterServer(std::span<const ServerClass> classes) noexcept {
    for (auto entry = classes.rbegin(); entry != classes.rend(); ++entry) {
        HRESULT result = entry->filter != nullptr ? unregisterFilter(*entry->clsid) : S_OK;
        if (SUCCEEDED(result))
            result = removeClassKeys(*entry);
        if (FAILED(result))
            return result;
    }
    return S_OK;
}

} // namespace miral::dx
