#pragma once

// The LV2 user interface: the plug-in's own editor inside the host's X11 window. The editor
// works on an equaliser object of its own, as in a VST 2 host: the host's port values reach
// that object (so the controls and the response display, which the engine's designs draw,
// follow the host), and the object's calls to its host become port writes in physical units,
// with touch around each drag where the host offers it; a solo becomes a solo message to the
// plug-in (solo_message.h) where the host maps URIs. A new scale factor from the host
// redraws an open editor at that scale and asks the host for the new size. The editor opens in
// a window of the user interface's own, the widget the host is given, which keeps its id when
// the editor opens again at another scale.
//
// Threads: everything on the host's user-interface thread.

#include "host/host_callback.h"
#include "lv2/solo_message.h"
#include "platform/container_window.h"
#include "plugin/embedded_editor.h"
#include "ui/host_features.h"

#include <lv2/ui/ui.h>

#include <cstdint>
#include <memory>

namespace miral::lv2 {

class EqualiserUi final : private host::EffectListener {
public:
    /// The equaliser with its editor, at the host's sample rate when it tells one of 44100 Hz
    /// or more, and at the host's scale factor (else the desktop's). The editor is not open
    /// yet.
    EqualiserUi(LV2UI_Write_Function write, LV2UI_Controller controller,
                const UiHostFeatures& host);
    EqualiserUi(const EqualiserUi&) = delete;
    EqualiserUi& operator=(const EqualiserUi&) = delete;

    /// Opens the editor in the host's parent window and asks the host for its size; false when
    /// the editor's window cannot be opened.
    bool open();
    /// The window holding the editor; null until open.
    LV2UI_Widget widget() const;

    /// A control port's value changed in the host (format 0: one float).
    void portEvent(uint32_t port, uint32_t bufferSize, uint32_t format, const void* buffer);
    /// Handles the window's events and redraws what changed; 1 once the window has gone.
    int idle();
    /// The host's options changed: a scale factor among them redraws the editor at it.
    /// LV2_OPTIONS_SUCCESS, or LV2_OPTIONS_ERR_BAD_VALUE for a scale that is not a number.
    uint32_t setOptions(const LV2_Options_Option* options);

private:
    void automated(int32_t index, float value) override;
    void gesture(int32_t index, bool begins) override;
    bool resizeRequested(int32_t width, int32_t height) override;
    void soloRequested(int32_t band) override;
    void askHostForSize();

    LV2UI_Write_Function write_;
    LV2UI_Controller controller_;
    UiHostFeatures host_;
    SoloUrids soloIds_;
    std::unique_ptr<platform::ContainerWindow> container_; ///< outlives the editor's window
    EmbeddedEditor editor_;
};

} // namespace miral::lv2
