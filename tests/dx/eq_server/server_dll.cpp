#include "server_dll.h"

#include "dx/framework/com_ref.h"

#include "dx/framework/windows_api.h"

#include <oleauto.h>
#include <strmif.h>
#include <uuids.h>

#include <cstring>
#include <string>

namespace miral::dx::test {

std::unique_ptr<platform::DynamicLibrary> loadServer() {
    return platform::DynamicLibrary::load(MIRAL_DX_DLL);
}

HRESULT callServerEntry(const char* name) {
    const auto server = loadServer();
    if (!server)
        return E_FAIL;
    const auto entry = server->entryAs<HRESULT(STDAPICALLTYPE*)()>(name);
    return entry != nullptr ? entry() : E_FAIL;
}

DWORD runRegsvr32(bool unregister) {
    std::string command =
        std::string("regsvr32.exe /s ") + (unregister ? "/u " : "") + "\"" + MIRAL_DX_DLL + "\"";
    STARTUPINFOA startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process))
        return GetLastError();
    WaitForSingleObject(process.hProcess, 60000);
    DWORD exitCode = STILL_ACTIVE;
    GetExitCodeProcess(process.hProcess, &exitCode);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return exitCode;
}

std::wstring classKey(const GUID& clsid) {
    wchar_t braced[40] = {};
    StringFromGUID2(clsid, braced, 40);
    return std::wstring(L"CLSID\\") + braced;
}

std::optional<std::wstring> registryString(const std::wstring& key, const wchar_t* name) {
    wchar_t value[1024] = {};
    DWORD bytes = sizeof(value) - sizeof(wchar_t);
    if (RegGetValueW(HKEY_CLASSES_ROOT, key.c_str(), name, RRF_RT_REG_SZ, nullptr, value, &bytes) !=
        ERROR_SUCCESS)
        return std::nullopt;
    return std::wstring(value);
}

namespace {

std::optional<VARIANT> property(IPropertyBag& bag, const wchar_t* name) {
    VARIANT value;
    VariantInit(&value);
    if (FAILED(bag.Read(name, &value, nullptr)))
        return std::nullopt;
    return value;
}

/// The merit in a filter's registration data: its second 32-bit word.
DWORD meritOf(IPropertyBag& bag) {
    std::optional<VARIANT> data = property(bag, L"FilterData");
    DWORD merit = 0;
    if (data && data->vt == (VT_ARRAY | VT_UI1)) {
        void* bytes = nullptr;
        if (SUCCEEDED(SafeArrayAccessData(data->parray, &bytes))) {
            std::memcpy(&merit, static_cast<const char*>(bytes) + 4, sizeof(merit));
            SafeArrayUnaccessData(data->parray);
        }
    }
    if (data)
        VariantClear(&*data);
    return merit;
}

} // namespace

std::vector<ComRef<IMoniker>> audioFilterMonikers(const GUID& clsid) {
    std::vector<ComRef<IMoniker>> found;
    ComRef<IFilterMapper2> mapper;
    if (FAILED(CoCreateInstance(CLSID_FilterMapper2, nullptr, CLSCTX_INPROC_SERVER,
                                IID_IFilterMapper2, mapper.putVoid())))
        return found;
    const GUID audio[2] = {MEDIATYPE_Audio, GUID_NULL};
    ComRef<IEnumMoniker> monikers;
    if (mapper->EnumMatchingFilters(monikers.put(), 0, FALSE, MERIT_DO_NOT_USE, TRUE, 1, audio,
                                    nullptr, nullptr, FALSE, FALSE, 0, nullptr, nullptr,
                                    nullptr) != S_OK)
        return found;
    for (ComRef<IMoniker> moniker; monikers->Next(1, moniker.put(), nullptr) == S_OK;) {
        ComRef<IPropertyBag> bag;
        if (FAILED(moniker->BindToStorage(nullptr, nullptr, IID_IPropertyBag, bag.putVoid())))
            continue;
        std::optional<VARIANT> id = property(*bag.get(), L"CLSID");
        CLSID listed{};
        const bool ours = id && id->vt == VT_BSTR &&
                          SUCCEEDED(CLSIDFromString(id->bstrVal, &listed)) && listed == clsid;
        if (id)
            VariantClear(&*id);
        if (ours)
            found.push_back(moniker);
    }
    return found;
}

std::vector<MappedFilter> mappedAudioFilters(const GUID& clsid) {
    std::vector<MappedFilter> found;
    for (const ComRef<IMoniker>& moniker : audioFilterMonikers(clsid)) {
        ComRef<IPropertyBag> bag;
        if (FAILED(moniker->BindToStorage(nullptr, nullptr, IID_IPropertyBag, bag.putVoid())))
            continue;
        std::optional<VARIANT> name = property(*bag.get(), L"FriendlyName");
        found.push_back({name && name->vt == VT_BSTR ? name->bstrVal : L"", meritOf(*bag.get())});
        if (name)
            VariantClear(&*name);
    }
    return found;
}

void pumpMessages(DWORD milliseconds) {
    const DWORD start = GetTickCount();
    for (DWORD elapsed = 0; elapsed < milliseconds; elapsed = GetTickCount() - start) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, milliseconds - elapsed, QS_ALLINPUT);
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
}

} // namespace miral::dx::test
