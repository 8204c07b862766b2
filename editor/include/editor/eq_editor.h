#pragma once

// The equaliser's editor: a 420 x 290 panel with sixteen knobs (gain and frequency of every
// band, width of the four peaking bands), six band switches, the gain-range and output-gain
// sliders, the response display and a click area over the logo that shows the about image.
//
// Every control's tag is the index of the parameter it shows. A user's change reaches the
// effect as an automated parameter change (so the host records it) and its value text appears
// on the display; a change from the host only stores the value in the control, which the next
// idle redraws, and the idle after that redraws every control and the display once more.
//
// Typed values: a double-click (no modifier held) on a knob or slider, or on the display's
// readout (for the control it shows), opens a value field over the readout with the control's
// value in its unit. Return sets what valueFromText reads, limited to the range, as one edit
// (begin, value, end); text that is no value leaves the field open and marked; Escape, a click
// elsewhere or the keyboard focus going to another window closes it with nothing changed. The
// field's window takes the keyboard focus while it is open and gives it back after.
//
// Threads: open, close, idle and the window's events run on the thread of the host's window,
// which alone touches the controls. setParameter may come from any thread, also while the
// editor opens or closes: it only marks the parameter, lock-free, for the next idle.

#include "editor/aeff_gui_editor.h"
#include "effect/parametric_eq.h"
#include "toolkit/control.h"
#include "toolkit/generation.h"
#include "toolkit/text_field.h"

#include <array>
#include <atomic>
#include <cstdint>

namespace miral::toolkit {
class CImage;
class CKnob;
class COnOffButton;
class CSlider;
class CSplashScreen;
class CTextField;
} // namespace miral::toolkit

namespace miral::editor {
class CResponseDisplay;
}

class EqEditor : public AEffGUIEditor,
                 public miral::toolkit::CValueListener,
                 private miral::toolkit::CTextFieldListener {
public:
    /// Loads the background and reports its size as the editor's rectangle. Registers with the
    /// effect, which owns the editor from then on. The toolkit generation is that of the
    /// library the editor is part of.
    explicit EqEditor(ParametricEq* owner, miral::toolkit::ToolkitGeneration toolkitGeneration =
                                               miral::toolkit::ToolkitGeneration::kOriginal);
    /// Closes the frame if it is still open and releases the background.
    ~EqEditor() override;

    /// Opens the frame in the host's window with every control at the effect's current value.
    /// 1 when open; 0, and nothing open, when the frame's window cannot be created.
    intptr_t open(void* parentWindow) override;
    /// Ends a solo made here, then deletes the frame with its controls; the editor may be opened
    /// again.
    void close() override;
    /// Moves the controls of parameters the host changed to the effect's values, then the
    /// base's idle (pending refresh, redraw of changed controls); after a change from the host,
    /// then marks every control and the display for a full redraw.
    void idle() override;
    /// A parameter changed, whatever the source: at the next idle the control of that parameter
    /// takes the effect's value and is drawn. Any thread.
    void setParameter(int32_t index, float value) override;

    /// A user changed `control`: the effect gets the value as an automated change and the
    /// display shows its value text. `port` is the gesture's port (null for keys).
    void onValueChange(miral::toolkit::CDrawPort* port, miral::toolkit::CControl* control) override;
    /// A double-click without modifiers on a knob, a slider or the display's readout opens the
    /// value field for its parameter; true when it did.
    bool onDoubleClick(miral::toolkit::CDrawPort& port, miral::toolkit::CControl* control,
                       int32_t modifiers) override;

    /// Opens the value field for the control of parameter `index`; false while closed, for a
    /// parameter without a knob or slider, and while another view is modal (a field, the
    /// about image).
    bool openValueField(int32_t index);
    /// The open value field, or null.
    miral::toolkit::CTextField* valueField() const { return field; }
    /// The parameter of the open value field; -1 without one.
    int32_t valueFieldIndex() const { return field != nullptr ? fieldIndex : -1; }
    /// Alt-click on a band's switch solos the band, or ends its solo (band_solo.h).
    bool onModifierClick(miral::toolkit::CDrawPort& port, miral::toolkit::CControl* control,
                         int32_t buttons) override;

    bool isOpen() const { return opened; }
    /// True while a change from the host waits for the next idle's full redraw.
    bool hasHostChange() const { return hostChanged || pendingHostChanges.load() != 0; }
    /// The control showing parameter `index`; null while closed and for Q 1 and Q 6.
    miral::toolkit::CControl* controlFor(int32_t index) const;
    miral::editor::CResponseDisplay* responseDisplay() const { return display; }
    miral::toolkit::CSplashScreen* aboutArea() const { return about; }

private:
    class OpenImages;
    void onTextEntered(miral::toolkit::CTextField& textField, const std::string& text,
                       bool edited) override;
    void onTextAbandoned(miral::toolkit::CTextField& textField) override;
    /// Closes the value field, giving the keyboard focus back; the display under it is redrawn.
    void closeValueField();
    void createControls(const OpenImages& images);
    /// Adds the view to the frame; a view the frame cannot take is released.
    template <typename View> View* add(View* view);
    void forgetControls();
    void closeFrame();

    ParametricEq* equaliser;
    miral::toolkit::ToolkitGeneration generation;
    miral::toolkit::CImage* background;
    std::array<miral::toolkit::CKnob*, 16> knobs{};
    std::array<miral::toolkit::COnOffButton*, 6> bandSwitches{};
    miral::toolkit::CSlider* rangeSlider = nullptr;
    miral::toolkit::CSlider* outputSlider = nullptr;
    miral::editor::CResponseDisplay* display = nullptr;
    miral::toolkit::CSplashScreen* about = nullptr;
    miral::toolkit::CTextField* field = nullptr;
    int32_t fieldIndex = -1;
    /// The parameter whose value text the display shows; -1 before any.
    int32_t readoutIndex = -1;
    bool opened = false;
    bool hostChanged = false;
    /// Bit i: the host changed parameter i since the last idle. Written on any thread.
    std::atomic<uint32_t> pendingHostChanges{0};
};
