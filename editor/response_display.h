#pragma once

// The green screen under the knobs: the equaliser's present magnitude response from 20 Hz to
// 20 kHz as a filled curve, a numbered marker at the centre of every running band, and at the
// bottom right the value text of the control the user changed last.
//
// The response is computed at every redraw from the coefficients the engine last designed and
// its output gain; nothing of it is kept between redraws. The picture is composed off-screen
// and copied to the window in one transfer. A knob by descent (so it takes the wheel and keys
// like one), it ignores the mouse.
//
// Threads: draws on the editor's thread and reads the engine's designed state there.

#include "toolkit/knob.h"

#include <array>
#include <cstdint>

class ParametricEq;

namespace miral::editor {

class CResponseDisplay : public toolkit::CKnob {
public:
    /// The display over `size` with `screen` as its background; `effect` may be null, and then
    /// nothing is drawn.
    CResponseDisplay(const toolkit::CBox& size, toolkit::CValueListener* listener, int32_t tag,
                     toolkit::CImage* screen, toolkit::CImage* handle, toolkit::CPos offset,
                     const ParametricEq* effect);

    void draw(toolkit::CDrawPort& port) override;
    /// Clicks and drags do nothing.
    void mouse(toolkit::CDrawPort& port, toolkit::CPos where) override;

    /// Shows `text` (its first 19 characters) from the next redraw on; null keeps the current
    /// text. Either way the display is redrawn at the frame's next idle.
    virtual void setText(const char* text);
    const char* getText() const { return valueText.data(); }

    /// The most columns the display draws.
    static constexpr int32_t kMaxColumns = 398;

protected:
    ~CResponseDisplay() override = default;

private:
    /// The response in dB of the running bands plus the output gain, per column.
    void computeResponse(std::array<double, kMaxColumns>& responseDb) const;
    void drawCurve(toolkit::CDrawPort& port, const std::array<double, kMaxColumns>& responseDb);
    void drawMarkers(toolkit::CDrawPort& port, const std::array<double, kMaxColumns>& responseDb);

    std::array<char, 20> valueText{};
    const ParametricEq* effect;
    int32_t left;
    int32_t top;
    int32_t width;
    int32_t height;
};

} // namespace miral::editor
