#pragma once

// The LV2 user interface: the plug-in's own editor inside the host's X11 window. The editor
// works on an equaliser object of its own, as in a VST 2 host: the host's port values reach
// that object (so the controls and the response display, which the engine's designs draw,
// follow the host), and the object's calls to its host become port writes in physical units,
// with touch around each drag where the host offers it.
//
// Threads: everything on the host's user-interface thread.

#include "plugin/parametric_eq_edit.h"
#include "ui/host_features.h"

#include <lv2/ui/ui.h>

#include <cstdint>
#include <memory>

namespace miral::lv2 {

class EqualiserUi {
public:
    /// The equaliser with its editor, at the host's sample rate when it tells one of 44100 Hz
    /// or more, and at the host's scale factor (else the desktop's). The editor is not open
    /// yet.
    EqualiserUi(LV2UI_Write_Function write, LV2UI_Controller controller,
                const UiHostFeatures& host);
    ~EqualiserUi();
    EqualiserUi(const EqualiserUi&) = delete;
    EqualiserUi& operator=(const EqualiserUi&) = delete;

    /// Opens the editor in `parentWindow` and asks the host for its size; false when the
    /// editor's window cannot be opened.
    bool open(void* parentWindow, const LV2UI_Resize* resize);
    /// The editor's X11 window; null while closed.
    LV2UI_Widget widget() const;

    /// A control port's value changed in the host (format 0: one float).
    void portEvent(uint32_t port, uint32_t bufferSize, uint32_t format, const void* buffer);
    /// Handles the window's events and redraws what changed; 1 once the window has gone.
    int idle();

private:
    static intptr_t VST2_CALL hostCallback(AEffect* effect, int32_t opcode, int32_t index,
                                           intptr_t value, void* ptr, float opt);
    intptr_t dispatch(int32_t opcode, void* ptr = nullptr);
    void writePort(int32_t index, float value);
    void touch(int32_t index, bool grabbed);

    LV2UI_Write_Function write_;
    LV2UI_Controller controller_;
    const LV2UI_Touch* touch_;
    std::unique_ptr<ParametricEqEdit> effect_;
};

} // namespace miral::lv2
