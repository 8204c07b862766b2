#pragma once

// The green screen under the knobs: the equaliser's present magnitude response from 20 Hz to
// 20 kHz as a filled curve, a numbered marker at the centre of every running band, and at the
// bottom right the value text of the control the user changed last. The later toolkit
// generation draws the markers two pixels wider, outlined and filled at once, numbered in the
// middle.
//
// The response is computed at every redraw from the engine's newest whole design (its bands'
// coefficients and its output gain); nothing of it is kept between redraws. The picture is composed
// off-screen and copied to the window in one transfer. On a scaled window the curve, markers and
// text are drawn in screen pixels (one curve point per screen column, lines round(scale) pixels
// wide), as sharp as a picture designed at that size; so is the screen's grid at scales its
// bitmaps are not drawn at. A knob by descent (so it takes the wheel
// and keys like one), it ignores the mouse.
//
// Threads: draws on the editor's thread, the one reader of the engine's designs for display, so
// a host changing parameters on another thread meanwhile never hands it half a design.

#include "platform/display_scale.h"
#include "toolkit/generation.h"
#include "toolkit/knob.h"
#include "toolkit/offscreen_port.h"

#include <array>
#include <cstdint>

namespace miral {
class EqEngine;
struct EqDesign;
} // namespace miral

namespace miral::editor {

class CResponseDisplay : public toolkit::CKnob {
public:
    /// The display over `box` with `screen` as its background, showing what `designer`
    /// designs; `designer` may be null, and then nothing is drawn.
    CResponseDisplay(const toolkit::CBox& box, toolkit::CValueListener* valueListener,
                     int32_t controlTag, toolkit::CImage* screen, toolkit::CImage* handleImage,
                     toolkit::CPos screenOffset, const EqEngine* designer);

    void draw(toolkit::CDrawPort& port) override;
    /// Clicks and drags do nothing.
    void mouse(toolkit::CDrawPort& port, toolkit::CPos where) override;

    /// Shows `text` (its first 19 characters) from the next redraw on; null keeps the current
    /// text. Either way the display is redrawn at the frame's next idle.
    virtual void setText(const char* text);
    const char* getText() const { return valueText.data(); }

    /// Marks band 0..5 as soloed (-1: none) from the next redraw on (solo_mark.h).
    void setSoloBand(int32_t band);
    int32_t getSoloBand() const { return soloBand; }

    /// The most layout columns the display spans.
    static constexpr int32_t kMaxColumns = 398;
    /// The most screen columns it draws: kMaxColumns at the largest scale.
    static constexpr auto kMaxPixelColumns =
        static_cast<int32_t>(kMaxColumns * platform::kLargestScale + 0.5);

protected:
    ~CResponseDisplay() override = default;

private:
    /// The generation of the frame's toolkit (the original one before the display is added).
    toolkit::ToolkitGeneration generation() const;
    using Response = std::array<double, kMaxPixelColumns>;
    /// Paints the screen, grid and shadow, in screen pixels.
    void paintScreen(toolkit::COffscreenPort& port);
    /// The response in dB of the running bands plus the output gain, per column of `columns`.
    static void computeResponse(const EqDesign& design, int32_t columns, Response& responseDb);
    void drawCurve(toolkit::COffscreenPort& port, const Response& responseDb);
    void drawMarkers(toolkit::COffscreenPort& port, const EqDesign& design,
                     const Response& responseDb);
    void drawValueText(toolkit::COffscreenPort& port);

    std::array<char, 20> valueText{};
    int32_t soloBand = -1;
    const EqEngine* engine;
    int32_t left;
    int32_t top;
    int32_t width;
    int32_t height;
};

} // namespace miral::editor
