#pragma once

// A band's on/off switch in the editor: a two-state switch that, in either toolkit generation,
// gives its listener the solo gesture (band_solo.h) instead of switching.

#include "toolkit/on_off_button.h"

namespace miral::editor {

class CBandSwitch : public toolkit::COnOffButton {
public:
    using COnOffButton::COnOffButton;

    /// The solo gesture goes to the listener's onModifierClick; any other click switches.
    void mouse(toolkit::CDrawPort& port, toolkit::CPos where) override;

protected:
    ~CBandSwitch() override = default;
};

} // namespace miral::editor
