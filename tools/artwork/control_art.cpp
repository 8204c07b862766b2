#include "control_art.h"

#include "canvas.h"
#include "drawing.h"
#include "editor/editor_layout.h"
#include "toolkit/knob_travel.h"

#include <cmath>
#include <numbers>
#include <string>

namespace miral::artwork {
namespace {

constexpr double kCapRadius = 15.5;
constexpr double kCapFaceRadius = 12.0;
constexpr double kScaleInner = 17.5;
constexpr double kScaleOuterMinor = 20.0;
constexpr double kScaleOuterMajor = 21.5;
constexpr int kScaleTicks = 11;
// The knob's travel: from the lower left (value 0) clockwise to the lower right (value 1).

struct Centre {
    double x, y;
};

Centre centreOf(const toolkit::CBox& box) {
    return {box.left + box.width() / 2.0, box.top + box.height() / 2.0};
}

/// A vertical gradient between two colours over top .. bottom.
cairo_pattern_t* verticalGradient(double top, double bottom, Colour from, Colour to) {
    cairo_pattern_t* gradient = cairo_pattern_create_linear(0.0, top, 0.0, bottom);
    cairo_pattern_add_color_stop_rgb(gradient, 0.0, from.red / 255.0, from.green / 255.0,
                                     from.blue / 255.0);
    cairo_pattern_add_color_stop_rgb(gradient, 1.0, to.red / 255.0, to.green / 255.0,
                                     to.blue / 255.0);
    return gradient;
}

void fillWith(cairo_t* cr, cairo_pattern_t* pattern) {
    cairo_set_source(cr, pattern);
    cairo_fill(cr);
    cairo_pattern_destroy(pattern);
}

} // namespace

void paintKnobScale(cairo_t* cr, const toolkit::CBox& knob) {
    const Centre centre = centreOf(knob);
    cairo_set_line_width(cr, 1.0);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_BUTT);
    for (int tick = 0; tick < kScaleTicks; ++tick) {
        const bool major = tick == 0 || tick == kScaleTicks / 2 || tick == kScaleTicks - 1;
        const double angle =
            toolkit::kKnobTravelStart + toolkit::kKnobTravel * tick / (kScaleTicks - 1);
        const double outer = major ? kScaleOuterMajor : kScaleOuterMinor;
        cairo_move_to(cr, centre.x + std::cos(angle) * kScaleInner,
                      centre.y - std::sin(angle) * kScaleInner);
        cairo_line_to(cr, centre.x + std::cos(angle) * outer, centre.y - std::sin(angle) * outer);
        setColour(cr, major ? kTickMajor : kTickMinor);
        cairo_stroke(cr);
    }
}

void paintKnobCap(cairo_t* cr, const toolkit::CBox& knob) {
    const Centre centre = centreOf(knob);
    // Shadow under the cap, a little below it.
    cairo_arc(cr, centre.x, centre.y + 0.8, kCapRadius + 0.8, 0.0, 2.0 * std::numbers::pi);
    setColour(cr, {22, 24, 27});
    cairo_fill(cr);
    // The skirt: lit from above.
    cairo_arc(cr, centre.x, centre.y, kCapRadius, 0.0, 2.0 * std::numbers::pi);
    fillWith(cr, verticalGradient(centre.y - kCapRadius, centre.y + kCapRadius, {112, 118, 126},
                                  {40, 43, 48}));
    // The top face, slightly dished: darker where the skirt is light.
    cairo_arc(cr, centre.x, centre.y, kCapFaceRadius, 0.0, 2.0 * std::numbers::pi);
    fillWith(cr, verticalGradient(centre.y - kCapFaceRadius, centre.y + kCapFaceRadius,
                                  {50, 54, 60}, {78, 84, 92}));
    cairo_arc(cr, centre.x, centre.y, kCapFaceRadius - 0.5, 0.0, 2.0 * std::numbers::pi);
    setColour(cr, {30, 32, 36}, 0.6);
    cairo_set_line_width(cr, 1.0);
    cairo_stroke(cr);
}

void paintBandSwitch(cairo_t* cr, const toolkit::CBox& box, int band, bool on) {
    const double left = box.left;
    const double top = box.top;
    const double width = box.width();
    const double height = box.height();
    // The key: a dark plate with a lit top edge, separated from its neighbours.
    cairo_rectangle(cr, left, top, width, height);
    setColour(cr, kPanelEdgeDark);
    cairo_fill(cr);
    roundedRectangle(cr, left + 1.0, top + 1.0, width - 2.0, height - 2.0, 2.0);
    fillWith(cr, verticalGradient(top + 1.0, top + height - 1.0,
                                  on ? Colour{70, 75, 82} : Colour{62, 67, 74},
                                  on ? Colour{46, 50, 56} : Colour{38, 41, 46}));
    pixelLine(cr, box.left + 3, box.top + 1, box.right - 4, box.top + 1,
              on ? Colour{98, 104, 112} : Colour{84, 90, 98});

    // The lamp.
    const double lampLeft = left + 7.0;
    const double lampTop = top + height / 2.0 - 2.5;
    if (on) {
        cairo_pattern_t* glow = cairo_pattern_create_radial(lampLeft + 4.0, lampTop + 2.5, 0.0,
                                                            lampLeft + 4.0, lampTop + 2.5, 8.0);
        cairo_pattern_add_color_stop_rgba(glow, 0.0, kAmber.red / 255.0, kAmber.green / 255.0,
                                          kAmber.blue / 255.0, 0.45);
        cairo_pattern_add_color_stop_rgba(glow, 1.0, kAmber.red / 255.0, kAmber.green / 255.0,
                                          kAmber.blue / 255.0, 0.0);
        cairo_rectangle(cr, lampLeft - 4.0, top + 2.0, 16.0, height - 4.0);
        fillWith(cr, glow);
    }
    roundedRectangle(cr, lampLeft, lampTop, 8.0, 5.0, 1.5);
    setColour(cr, on ? kAmber : kAmberDark);
    cairo_fill_preserve(cr);
    setColour(cr, on ? Colour{150, 96, 30} : Colour{26, 22, 16});
    cairo_set_line_width(cr, 1.0);
    cairo_stroke(cr);
    if (on) {
        cairo_rectangle(cr, lampLeft + 2.0, lampTop + 1.0, 4.0, 2.0);
        setColour(cr, kAmberBright);
        cairo_fill(cr);
    }

    const TextStyle label{7.0, 0.9, true, on ? kLetteringBright : kLettering};
    drawText(cr, "BAND " + std::to_string(band), left + 20.0, top + 13.5, Align::kLeft, label);
}

void paintSliderTrack(cairo_t* cr, const toolkit::CBox& box, TrackScale scale) {
    cairo_rectangle(cr, box.left, box.top, box.width(), box.height());
    setColour(cr, {36, 39, 44});
    cairo_fill(cr);
    // The slot the handle runs in.
    const int slotLeft = box.left + 5;
    pixelLine(cr, slotLeft, box.top + 2, slotLeft, box.bottom - 3, {10, 11, 13});
    pixelLine(cr, slotLeft + 1, box.top + 2, slotLeft + 1, box.bottom - 3, {14, 15, 18});
    pixelLine(cr, slotLeft + 2, box.top + 2, slotLeft + 2, box.bottom - 3, {58, 63, 70});
    // Ticks beside the slot where the handle's middle sits at values 1, 0.75, 0.5, 0.25, 0.
    const int travel = editor::kSliderLowestHandleTop - box.top;
    for (int quarter = 0; quarter <= 4; ++quarter) {
        const int row = box.top + travel * quarter / 4 + editor::kSliderHandleHeight / 2;
        const bool stressed = scale == TrackScale::kOutput ? quarter == 2 : quarter == 0;
        const Colour colour = stressed ? kTickMajor : kTickMinor;
        pixelLine(cr, box.left + 1, row, box.left + 3, row, colour);
        pixelLine(cr, box.right - 4, row, box.right - 2, row, colour);
    }
}

Picture knobHandleDot(int32_t scale) {
    constexpr uint32_t kClear = 0xFFFFFF; // left out when drawn
    constexpr uint32_t kRim = 0xE0962C;
    constexpr uint32_t kCore = 0xFFD07A;
    const Picture dot{editor::kKnobHandleSize,
                      editor::kKnobHandleSize,
                      {kClear, kRim, kRim, kClear, kRim, kCore, kCore, kRim, kRim, kCore, kCore,
                       kRim, kClear, kRim, kRim, kClear}};
    return dot.magnified(scale);
}

Picture sliderHandle(int32_t scale) {
    Canvas canvas(editor::kSliderHandleWidth, editor::kSliderHandleHeight, scale);
    cairo_t* cr = canvas.cr();
    const int right = editor::kSliderHandleWidth - 1;
    cairo_rectangle(cr, 0, 0, editor::kSliderHandleWidth, editor::kSliderHandleHeight);
    setColour(cr, {196, 201, 207});
    cairo_fill(cr);
    pixelLine(cr, 0, 0, right, 0, {232, 235, 238});
    pixelLine(cr, 0, 4, right, 4, {112, 118, 126});
    pixelLine(cr, 0, 0, 0, 4, {150, 156, 163});
    pixelLine(cr, right, 0, right, 4, {112, 118, 126});
    pixelLine(cr, 1, 2, right - 1, 2, kAmber);
    return canvas.picture();
}

} // namespace miral::artwork
