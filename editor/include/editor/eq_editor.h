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
// Threads: open, close, idle and the window's events run on the thread of the host's window,
// which alone touches the controls. setParameter may come from any thread, also while the
// editor opens or closes: it only marks the parameter, lock-free, for the next idle.

#include "editor/aeff_gui_editor.h"
#include "effect/parametric_eq.h"
#include "toolkit/control.h"
#include "toolkit/generation.h"

#include <array>
#include <atomic>
#include <cstdint>

namespace miral::toolkit {
class CImage;
class CKnob;
class COnOffButton;
class CSlider;
class CSplashScreen;
} // namespace miral::toolkit

namespace miral::editor {
class CResponseDisplay;
}

class EqEditor : public AEffGUIEditor, public miral::toolkit::CValueListener {
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
    bool opened = false;
    bool hostChanged = false;
    /// Bit i: the host changed parameter i since the last idle. Written on any thread.
    std::atomic<uint32_t> pendingHostChanges{0};
};
