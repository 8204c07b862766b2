#include "dx/com_base/property_page_base.h"

#include "dx/com_base/module_handle.h"

#include <cstring>

namespace miral::dx {
namespace {
/// Posted to the dialog: drop one reference of the page on the dialog's thread.
constexpr UINT kReleaseOnWindowThread = WM_APP + 0x200;
/// Sent to the dialog: run a WindowThreadCall (lParam) on the dialog's thread.
constexpr UINT kCallOnWindowThread = WM_APP + 0x201;

struct WindowThreadCall {
    HRESULT (*invoke)(void* call);
    void* call;
    bool ran = false;
};

bool onWindowThread(HWND window) noexcept {
    return GetWindowThreadProcessId(window, nullptr) == GetCurrentThreadId();
}

/// Runs `call` on the thread of `window`, waiting for it; here when there is no window, or when
/// the window went before its thread could take the call.
template <class Call>
HRESULT callOnWindowThread(HWND window, Call call) {
    if (window == nullptr || onWindowThread(window))
        return call();
    WindowThreadCall message{[](void* target) { return (*static_cast<Call*>(target))(); }, &call};
    const auto answer = static_cast<HRESULT>(
        SendMessageW(window, kCallOnWindowThread, 0, reinterpret_cast<LPARAM>(&message)));
    return message.ran ? answer : call();
}
} // namespace

PropertyPageBase::PropertyPageBase(IUnknown* outer, int dialogId, int titleId) noexcept
    : ComClass(outer), dialogId_(dialogId), titleId_(titleId) {}

PropertyPageBase::~PropertyPageBase() = default;

HRESULT PropertyPageBase::NonDelegatingQueryInterface(REFIID iid, void** result) {
    if (result != nullptr && iid == IID_IPropertyPage)
        return hand(static_cast<IPropertyPage*>(this), result);
    return ComObject::NonDelegatingQueryInterface(iid, result);
}

// A window can only be destroyed by its own thread: released elsewhere, the page would free
// itself under a window that lives on and still calls it. A release posted to a window that is
// destroyed before it arrives is run as the window goes (WM_NCDESTROY).
ULONG PropertyPageBase::NonDelegatingRelease() {
    const HWND window = window_.load();
    if (window != nullptr && !onWindowThread(window)) {
        ++postedReleases_;
        if (PostMessageW(window, kReleaseOnWindowThread, 0, 0) || !takePostedRelease())
            return 1;
    }
    return ComObject::NonDelegatingRelease();
}

bool PropertyPageBase::takePostedRelease() noexcept {
    int posted = postedReleases_.load();
    while (posted > 0 && !postedReleases_.compare_exchange_weak(posted, posted - 1)) {
    }
    return posted > 0;
}

HRESULT PropertyPageBase::SetPageSite(IPropertyPageSite* site) {
    site_ = ComRef<IPropertyPageSite>::share(site);
    return S_OK;
}

HRESULT PropertyPageBase::Activate(HWND parent, LPCRECT area, BOOL) {
    if (area == nullptr)
        return E_POINTER;
    if (window_.load() != nullptr)
        return E_UNEXPECTED;
    // WM_INITDIALOG, sent during creation, records the window.
    if (CreateDialogParamW(moduleHandle(), MAKEINTRESOURCEW(dialogId_), parent, dialogProcedure,
                           reinterpret_cast<LPARAM>(this)) == nullptr) {
        const DWORD error = GetLastError();
        return error != ERROR_SUCCESS ? HRESULT_FROM_WIN32(error) : E_FAIL;
    }
    return Move(area);
}

HRESULT PropertyPageBase::Deactivate() {
    if (window_.load() == nullptr)
        return E_UNEXPECTED;
    destroyWindow();
    return S_OK;
}

HRESULT PropertyPageBase::GetPageInfo(PROPPAGEINFO* info) {
    if (info == nullptr)
        return E_POINTER;
    const std::wstring title = pageTitle();
    const size_t bytes = (title.size() + 1) * sizeof(wchar_t);
    auto* copy = static_cast<LPOLESTR>(CoTaskMemAlloc(bytes));
    if (copy == nullptr)
        return E_OUTOFMEMORY;
    std::memcpy(copy, title.c_str(), bytes);
    *info = {};
    info->cb = sizeof(PROPPAGEINFO);
    info->pszTitle = copy;
    info->size = pageSize();
    return S_OK;
}

// Connecting opens or closes the editor inside an active page's window: on its thread.
HRESULT PropertyPageBase::SetObjects(ULONG count, IUnknown** objects) {
    if (count == 0)
        return callOnWindowThread(window_.load(), [this] { return onDisconnect(); });
    if (objects == nullptr)
        return E_POINTER;
    IUnknown* const object = objects[0];
    return callOnWindowThread(window_.load(), [this, object] { return onConnect(object); });
}

HRESULT PropertyPageBase::Show(UINT command) {
    const HWND window = window_.load();
    if (window == nullptr)
        return E_UNEXPECTED;
    ShowWindow(window, static_cast<int>(command));
    return S_OK;
}

HRESULT PropertyPageBase::Move(LPCRECT area) {
    if (area == nullptr)
        return E_POINTER;
    const HWND window = window_.load();
    if (window == nullptr)
        return E_UNEXPECTED;
    MoveWindow(window, area->left, area->top, area->right - area->left, area->bottom - area->top,
               TRUE);
    return S_OK;
}

// The page applies every change at once: it is never dirty, and Apply has nothing to do.
HRESULT PropertyPageBase::IsPageDirty() {
    return S_FALSE;
}

HRESULT PropertyPageBase::Apply() {
    return S_OK;
}

HRESULT PropertyPageBase::Help(LPCOLESTR) {
    return E_NOTIMPL;
}

HRESULT PropertyPageBase::TranslateAccelerator(MSG*) {
    return S_FALSE;
}

// Only the window's thread can destroy it: called elsewhere (a deactivation from another
// apartment), this waits for that thread to do it.
void PropertyPageBase::destroyWindow() noexcept {
    const HWND window = window_.load();
    if (window == nullptr)
        return;
    callOnWindowThread(window, [window] { return DestroyWindow(window) ? S_OK : E_FAIL; });
    window_ = nullptr;
}

std::wstring PropertyPageBase::resourceTitle() const {
    const wchar_t* text = nullptr;
    // A length of 0 asks for a read-only pointer to the resource's text, which is not
    // NUL-terminated.
    const int length = LoadStringW(moduleHandle(), static_cast<UINT>(titleId_),
                                   reinterpret_cast<LPWSTR>(&text), 0);
    return length > 0 ? std::wstring(text, static_cast<size_t>(length)) : std::wstring();
}

INT_PTR CALLBACK PropertyPageBase::dialogProcedure(HWND window, UINT message, WPARAM wParam,
                                                   LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        auto* page = reinterpret_cast<PropertyPageBase*>(lParam);
        SetWindowLongPtrW(window, DWLP_USER, lParam);
        page->window_ = window;
        return page->onReceiveMessage(window, message, wParam, lParam);
    }
    auto* page = reinterpret_cast<PropertyPageBase*>(GetWindowLongPtrW(window, DWLP_USER));
    if (page == nullptr)
        return FALSE;
    if (message == kReleaseOnWindowThread) {
        if (page->takePostedRelease())
            page->ComObject::NonDelegatingRelease(); // the last one destroys this window
        return TRUE;
    }
    if (message == kCallOnWindowThread) {
        auto* call = reinterpret_cast<WindowThreadCall*>(lParam);
        call->ran = true;
        SetWindowLongPtrW(window, DWLP_MSGRESULT, call->invoke(call->call));
        return TRUE;
    }
    const INT_PTR answer = page->onReceiveMessage(window, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(window, DWLP_USER, 0);
        page->window_ = nullptr;
        // Releases posted to this window that it will never take; the last frees the page.
        for (int owed = page->postedReleases_.exchange(0); owed > 0; --owed)
            page->ComObject::NonDelegatingRelease();
    }
    return answer;
}

} // namespace miral::dx
