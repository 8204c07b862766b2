#pragma once

// The filter's property page: the effect's own editor, opened inside the page's dialog and
// idled through the process-wide OpenEditorTable. The page talks to its filter through
// IEqParameters and is advised of the filter's notices, which it takes and ignores.

#include "dx/com_base/property_page_base.h"
#include "dx/filter/eq_interfaces.h"

namespace miral::dx {

class EqPropertyPage final : public PropertyPageBase {
public:
    static constexpr int kDialogId = 101;
    static constexpr int kTitleId = 1;
    /// The identifier under which the page's window is advised to the filter.
    static constexpr long kPageNotifyId = 32700;
    /// Open editors beyond which no page is created.
    static constexpr int kMaxEditors = 100;

    /// The page's class creation function: refuses, with a message box, while kMaxEditors
    /// editors are open.
    static HRESULT create(IUnknown* outer, IUnknown** result);

    explicit EqPropertyPage(IUnknown* outer) noexcept;
    ~EqPropertyPage() override;

private:
    HRESULT onConnect(IUnknown* object) override;
    HRESULT onDisconnect() override;
    INT_PTR onReceiveMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;
    /// The effect's product string; before the page is connected, the title resource.
    std::wstring pageTitle() override;
    /// The editor's rectangle; before the page is connected, the editor's size at the
    /// desktop's scale.
    SIZE pageSize() override;

    intptr_t dispatch(AEffect* effect, int32_t opcode, intptr_t value = 0, void* ptr = nullptr);
    /// Opens the connected effect's editor in the page's window, when both exist.
    void openEditor();
    /// Closes the open editor, if any: its slot is freed first, so no idle reaches it.
    void closeEditor();
    void paint(HWND window);

    AEffect* effect_ = nullptr;
    ComRef<IEqParameters> parameters_;
    /// The effect whose editor is open in the page's window, and its slot (-1: none).
    AEffect* editorEffect_ = nullptr;
    int slot_ = -1;
};

} // namespace miral::dx
