#include "eq_property_page.h"

#include "dx/eq_server/open_editor_table.h"
#include "editor/editor_layout.h"
#include "platform/display_scale.h"
#include "toolkit/frame_editor.h"
#include "vst2/vst2_interface.h"

#include <new>

namespace miral::dx {
namespace {
constexpr int kProductStringSize = 256;
} // namespace

HRESULT EqPropertyPage::create(IUnknown* outer, IUnknown** result) {
    if (result == nullptr)
        return E_POINTER;
    *result = nullptr;
    if (OpenEditorTable::count() >= kMaxEditors) {
        MessageBoxA(nullptr, "This Effect Has Reached Its Maximum Assignments!",
                    "TOLMEK Soft MIRAL", MB_TOPMOST | MB_TASKMODAL | MB_ICONWARNING);
        return E_OUTOFMEMORY;
    }
    auto* page = makeComObject<EqPropertyPage>(outer);
    if (page == nullptr)
        return E_OUTOFMEMORY;
    *result = page->nonDelegatingUnknown();
    return S_OK;
}

EqPropertyPage::EqPropertyPage(IUnknown* outer) noexcept
    : PropertyPageBase(outer, kDialogId, kTitleId) {}

// A page released while active takes its window, editor and slot with it.
EqPropertyPage::~EqPropertyPage() {
    destroyWindow();
    if (parameters_)
        onDisconnect();
}

HRESULT EqPropertyPage::onConnect(IUnknown* object) {
    if (object == nullptr)
        return E_POINTER;
    if (parameters_)
        onDisconnect();
    ComRef<IEqParameters> parameters = queryInterface<IEqParameters>(object, kIidEqParameters);
    AEffect* effect = nullptr;
    if (!parameters || FAILED(parameters->GetEffect(&effect)) || effect == nullptr)
        return E_NOINTERFACE;
    parameters_ = std::move(parameters);
    effect_ = effect;
    if (window() != nullptr) {
        parameters_->AdviseWindow(window(), kPageNotifyId);
        openEditor();
    }
    return S_OK;
}

HRESULT EqPropertyPage::onDisconnect() {
    if (!parameters_)
        return E_UNEXPECTED;
    // The editor belongs to the filter's effect, which may go once the filter is released.
    closeEditor();
    if (window() != nullptr)
        parameters_->AdviseWindow(window(), 0);
    parameters_.reset();
    effect_ = nullptr;
    return S_OK;
}

INT_PTR EqPropertyPage::onReceiveMessage(HWND window, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG:
        if (parameters_)
            parameters_->AdviseWindow(window, kPageNotifyId);
        openEditor();
        return TRUE;
    case WM_DESTROY:
        if (parameters_)
            parameters_->AdviseWindow(window, 0);
        closeEditor();
        return FALSE;
    case WM_PAINT:
        paint(window);
        return TRUE;
    case WM_COMMAND: // the filter's notices: nothing on the page depends on them
        return TRUE;
    case OpenEditorTable::kIdleMessage:
        if (editorEffect_ != nullptr && static_cast<int>(wParam) == slot_) {
            OpenEditorTable::idleTaken(slot_);
            dispatch(editorEffect_, effEditIdle);
        }
        return TRUE;
    default:
        return FALSE;
    }
}

std::wstring EqPropertyPage::pageTitle() {
    if (effect_ == nullptr)
        return resourceTitle();
    char product[kProductStringSize] = {};
    dispatch(effect_, effGetProductString, 0, product);
    wchar_t title[kProductStringSize] = {};
    MultiByteToWideChar(CP_ACP, 0, product, -1, title, kProductStringSize);
    title[kProductStringSize - 1] = L'\0';
    return title;
}

SIZE EqPropertyPage::pageSize() {
    ERect* rect = nullptr;
    if (effect_ != nullptr && dispatch(effect_, effEditGetRect, 0, &rect) != 0 && rect != nullptr)
        return {rect->right - rect->left, rect->bottom - rect->top};
    const double scale = platform::desktopScale();
    return {platform::scaledLength(editor::kFrameBox.width(), scale),
            platform::scaledLength(editor::kFrameBox.height(), scale)};
}

intptr_t EqPropertyPage::dispatch(AEffect* effect, int32_t opcode, intptr_t value, void* ptr) {
    return effect->dispatcher(effect, opcode, 0, value, ptr, 0.0f);
}

void EqPropertyPage::openEditor() {
    if (effect_ == nullptr || window() == nullptr || editorEffect_ != nullptr)
        return;
    dispatch(effect_, effEditOpen, 0, window());
    editorEffect_ = effect_;
    slot_ = OpenEditorTable::open(window());
    dispatch(effect_, effSetEditKnobMode, toolkit::kLinearKnobMode);
}

void EqPropertyPage::closeEditor() {
    AEffect* const effect = editorEffect_;
    if (effect == nullptr)
        return;
    // Idle messages already posted find no editor from here on.
    editorEffect_ = nullptr;
    OpenEditorTable::close(slot_);
    slot_ = -1;
    dispatch(effect, effEditClose);
}

// The editor repaints whenever the page does. The page's own update region is validated first:
// an immediate redraw of a window with a pending update would send it WM_PAINT again.
void EqPropertyPage::paint(HWND window) {
    PAINTSTRUCT paint;
    BeginPaint(window, &paint);
    EndPaint(window, &paint);
    for (HWND child = GetWindow(window, GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT))
        RedrawWindow(child, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
}

} // namespace miral::dx
