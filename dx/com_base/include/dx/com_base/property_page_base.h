#pragma once

// A COM property page whose window is a modeless child dialog from the module's resources:
// the IPropertyPage protocol (page site, objects, activation, placement, dirty state), with
// the page's own decisions left to the derived class.
//
// Threads: the class is free-threaded, so a frame in another apartment may call the page on any
// thread. What touches the dialog (connecting, deactivating, the page's end) runs on the dialog's
// own thread, which is the thread that activated the page: calls from elsewhere wait for it to
// take them. A reference dropped elsewhere is dropped by that thread, so that the window and what
// the derived class keeps in it are destroyed there.

#include "dx/framework/com_object.h"
#include "dx/framework/com_ref.h"

#include "dx/framework/windows_api.h"

#include <ocidl.h>

#include <atomic>
#include <string>

namespace miral::dx {

class PropertyPageBase : public ComClass<IPropertyPage> {
public:
    /// dialogId: the dialog resource of the page's window; titleId: the string resource of the
    /// title shown before the page knows more.
    PropertyPageBase(IUnknown* outer, int dialogId, int titleId) noexcept;
    ~PropertyPageBase() override;

    HRESULT STDMETHODCALLTYPE NonDelegatingQueryInterface(REFIID iid, void** result) override;
    /// Off the dialog's thread, while the dialog exists, the reference is dropped by that thread
    /// once it has taken the messages already sent to the dialog; the count returned is then
    /// unknown and given as 1.
    ULONG STDMETHODCALLTYPE NonDelegatingRelease() override;

    HRESULT STDMETHODCALLTYPE SetPageSite(IPropertyPageSite* site) override;
    HRESULT STDMETHODCALLTYPE Activate(HWND parent, LPCRECT area, BOOL modal) override;
    HRESULT STDMETHODCALLTYPE Deactivate() override;
    HRESULT STDMETHODCALLTYPE GetPageInfo(PROPPAGEINFO* info) override;
    /// No objects disconnects the page; otherwise it connects to the first object.
    HRESULT STDMETHODCALLTYPE SetObjects(ULONG count, IUnknown** objects) override;
    HRESULT STDMETHODCALLTYPE Show(UINT command) override;
    HRESULT STDMETHODCALLTYPE Move(LPCRECT area) override;
    HRESULT STDMETHODCALLTYPE IsPageDirty() override;
    HRESULT STDMETHODCALLTYPE Apply() override;
    HRESULT STDMETHODCALLTYPE Help(LPCOLESTR helpDirectory) override;
    HRESULT STDMETHODCALLTYPE TranslateAccelerator(MSG* message) override;

protected:
    /// The dialog window while the page is active, else null.
    HWND window() const noexcept { return window_.load(); }
    /// Destroys the dialog window of an active page, on the window's thread. Derived classes
    /// call it from their destructor, so that WM_DESTROY still reaches them.
    void destroyWindow() noexcept;

    /// The title string resource given at construction.
    std::wstring resourceTitle() const;

    virtual HRESULT onConnect(IUnknown* object) = 0;
    virtual HRESULT onDisconnect() = 0;
    /// A message of the dialog window: the dialog procedure's answer.
    virtual INT_PTR onReceiveMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) = 0;
    virtual std::wstring pageTitle() = 0;
    virtual SIZE pageSize() = 0;

private:
    /// Takes back one posted release that the window has not run; false when none is left.
    bool takePostedRelease() noexcept;

    static INT_PTR CALLBACK dialogProcedure(HWND window, UINT message, WPARAM wParam,
                                            LPARAM lParam);

    int dialogId_;
    int titleId_;
    /// Read by NonDelegatingRelease on any thread.
    std::atomic<HWND> window_{nullptr};
    /// Releases posted to the window and not yet run.
    std::atomic<int> postedReleases_{0};
    ComRef<IPropertyPageSite> site_;
};

} // namespace miral::dx
