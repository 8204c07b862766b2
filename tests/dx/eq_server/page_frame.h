#pragma once

// The property page tests' side of a property frame: filters with their pages created by class
// identifier, activated in a window of the test, and a probe on each effect's dispatcher that
// counts the editor calls and notes every idle that reaches an editor at the wrong time.

#include "dx/framework/com_ref.h"
#include "server_dll.h"
#include "vst2/vst2_interface.h"

#include "dx/framework/windows_api.h"

#include <ocidl.h>

#include <atomic>

namespace miral::dx::test {

/// Stands between an effect and its callers until destroyed.
class DispatchProbe {
public:
    explicit DispatchProbe(AEffect* effect);
    ~DispatchProbe();
    DispatchProbe(const DispatchProbe&) = delete;
    DispatchProbe& operator=(const DispatchProbe&) = delete;

    int opens() const { return opens_; }
    int closes() const { return closes_; }
    int idles() const { return idles_; }
    /// Idles that came while no editor was open, during a close, or from another thread than
    /// the one that opened the editor.
    int misplacedIdles() const { return misplacedIdles_; }
    /// Editor closes on another thread than the one that opened the editor.
    int misplacedCloses() const { return misplacedCloses_; }
    int knobMode() const { return knobMode_; }

private:
    static intptr_t VST2_CALL dispatch(AEffect* effect, int32_t opcode, int32_t index,
                                       intptr_t value, void* ptr, float opt);
    intptr_t forward(int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt);

    AEffect* effect_;
    AEffectDispatcherProc original_;
    std::atomic<int> opens_{0}, closes_{0}, idles_{0}, misplacedIdles_{0}, misplacedCloses_{0},
        knobMode_{-1};
    std::atomic<bool> open_{false}, closing_{false};
    std::atomic<DWORD> editorThread_{0};
};

/// A filter and its page, connected to each other.
struct FilterWithPage {
    ComRef<IUnknown> filter;
    ComRef<IEqParameters> parameters;
    ComRef<IPropertyPage> page;
    AEffect* effect = nullptr;
    std::unique_ptr<DispatchProbe> probe;

    /// Created by class identifier; the probe is in place before the page connects.
    static FilterWithPage create();
    /// Activates the page at the top-left corner of `frame` and shows it.
    HRESULT activate(HWND frame);
    /// The page's dialog and the editor inside it (null when absent).
    static HWND pageWindow(HWND frame);
    static HWND editorWindow(HWND frame);
};

} // namespace miral::dx::test
