#include "panel_art.h"

#include "canvas.h"
#include "control_art.h"
#include "drawing.h"
#include "editor/editor_layout.h"
#include "editor/response_scale.h"
#include "editor/response_screen.h"

#include <cmath>
#include <cstdlib>
#include <numbers>
#include <string>

namespace miral::artwork {
namespace {

using toolkit::CBox;

constexpr int kWidth = editor::kFrameBox.right;
constexpr int kHeight = editor::kFrameBox.bottom;

/// The band sections below their switches: low shelf, the four peaking bands, high shelf.
constexpr int kSectionBottom = 205;
constexpr CBox kLowSection{22, 19, 85, kSectionBottom};
constexpr CBox kMidSection{87, 19, 342, kSectionBottom};
constexpr CBox kHighSection{344, 19, 408, kSectionBottom};

constexpr double kHeaderBaseline = 14.0;
constexpr double kHeaderRuleY = 10.5;
constexpr int kRowLabelX = 11;
constexpr double kScaleBaseline = 283.0;
constexpr double kLabelBaseline = 216.0;

const TextStyle kHeaderStyle{7.0, 1.0, true, kLettering};
const TextStyle kRowStyle{7.0, 1.2, true, kLettering};
const TextStyle kScaleStyle{6.5, 0.2, true, kLettering};
const TextStyle kSmallStyle{6.0, 0.4, true, kLettering};
const TextStyle kLogoStyle{11.0, 2.6, true, kAmber};

void paintPlate(cairo_t* cr) {
    cairo_rectangle(cr, 0, 0, kWidth, kHeight);
    setColour(cr, kPanel);
    cairo_fill(cr);
    pixelLine(cr, 0, 0, kWidth - 1, 0, kPanelEdgeLight);
    pixelLine(cr, 0, 0, 0, kHeight - 1, kPanelEdgeLight);
    pixelLine(cr, 0, kHeight - 1, kWidth - 1, kHeight - 1, kPanelEdgeDark);
    pixelLine(cr, kWidth - 1, 0, kWidth - 1, kHeight - 1, kPanelEdgeDark);
}

void paintScrew(cairo_t* cr, double x, double y) {
    cairo_arc(cr, x, y, 3.5, 0.0, 2.0 * std::numbers::pi);
    setColour(cr, {30, 32, 36});
    cairo_fill(cr);
    cairo_arc(cr, x, y, 2.8, 0.0, 2.0 * std::numbers::pi);
    setColour(cr, {96, 102, 110});
    cairo_fill(cr);
    cairo_move_to(cr, x - 2.0, y + 1.2);
    cairo_line_to(cr, x + 2.0, y - 1.2);
    setColour(cr, {40, 43, 48});
    cairo_set_line_width(cr, 1.0);
    cairo_stroke(cr);
}

void paintSection(cairo_t* cr, const CBox& box) {
    roundedRectangle(cr, box.left, box.top, box.width(), box.height(), 3.0);
    setColour(cr, kSectionEdgeDark);
    cairo_fill(cr);
    roundedRectangle(cr, box.left, box.top, box.width() - 1.0, box.height() - 1.0, 3.0);
    setColour(cr, kSectionEdgeLight);
    cairo_fill(cr);
    roundedRectangle(cr, box.left + 1.0, box.top + 1.0, box.width() - 2.0, box.height() - 2.0, 2.5);
    setColour(cr, kSection);
    cairo_fill(cr);
}

/// A section's title over its left end, followed by a rule to the section's right end (or
/// to `ruleEnd` when given).
void paintSectionTitle(cairo_t* cr, const char* title, const CBox& section, double ruleEnd = 0) {
    const double textLeft = section.left + 1.0;
    drawText(cr, title, textLeft, kHeaderBaseline, Align::kLeft, kHeaderStyle);
    const double ruleStart = textLeft + textWidth(cr, title, kHeaderStyle) + 4.0;
    cairo_move_to(cr, ruleStart, kHeaderRuleY);
    cairo_line_to(cr, ruleEnd > 0 ? ruleEnd : section.right - 1.0, kHeaderRuleY);
    setColour(cr, kRule);
    cairo_set_line_width(cr, 1.0);
    cairo_stroke(cr);
}

void paintHeader(cairo_t* cr) {
    const double logoCentre = (editor::kAboutBox.left + editor::kAboutBox.right) / 2.0;
    const double logoHalf = textWidth(cr, "MIRAL", kLogoStyle) / 2.0;
    paintSectionTitle(cr, "LOW SHELF", kLowSection);
    paintSectionTitle(cr, "MID PEAKING", kMidSection, logoCentre - logoHalf - 7.0);
    cairo_move_to(cr, logoCentre + logoHalf + 7.0, kHeaderRuleY);
    cairo_line_to(cr, kMidSection.right - 1.0, kHeaderRuleY);
    cairo_stroke(cr);
    paintSectionTitle(cr, "HIGH SHELF", kHighSection);
    drawText(cr, "MIRAL", logoCentre, 15.0, Align::kCentre, kLogoStyle);
}

void paintRowLabels(cairo_t* cr) {
    const auto rowCentre = [](int knob) {
        const CBox& box = editor::kKnobs[size_t(knob)].box;
        return (box.top + box.bottom) / 2.0;
    };
    drawUpwardText(cr, "GAIN", kRowLabelX, rowCentre(0), kRowStyle);
    drawUpwardText(cr, "FREQ", kRowLabelX, rowCentre(6), kRowStyle);
    drawUpwardText(cr, "WIDTH", kRowLabelX, rowCentre(12), kRowStyle);
}

/// The shape of a shelf in the empty width place of a shelving band: raised toward the low
/// end for the low shelf, toward the high end for the high shelf.
void paintShelfSymbol(cairo_t* cr, double x, double y, bool lowShelf) {
    const double side = lowShelf ? 1.0 : -1.0;
    cairo_move_to(cr, x - side * 12.0, y - 3.5);
    cairo_line_to(cr, x - side * 4.0, y - 3.5);
    cairo_curve_to(cr, x - side * 0.5, y - 3.5, x + side * 0.5, y + 3.5, x + side * 4.0, y + 3.5);
    cairo_line_to(cr, x + side * 12.0, y + 3.5);
    setColour(cr, kLettering);
    cairo_set_line_width(cr, 1.5);
    cairo_stroke(cr);
    cairo_move_to(cr, x - 12.5, y + 7.5);
    cairo_line_to(cr, x + 12.5, y + 7.5);
    setColour(cr, kRule);
    cairo_set_line_width(cr, 1.0);
    cairo_stroke(cr);
}

void paintKnobs(cairo_t* cr) {
    for (const editor::KnobPlace& knob : editor::kKnobs)
        paintKnobScale(cr, knob.box);
    for (const editor::KnobPlace& knob : editor::kKnobs)
        paintKnobCap(cr, knob.box);
    // Bands 1 and 6 have no width knob: their places show the shelf shapes.
    const CBox& lowFreq = editor::kKnobs[6].box;
    const CBox& highFreq = editor::kKnobs[11].box;
    const double widthRow = (editor::kKnobs[12].box.top + editor::kKnobs[12].box.bottom) / 2.0;
    paintShelfSymbol(cr, (lowFreq.left + lowFreq.right) / 2.0, widthRow, true);
    paintShelfSymbol(cr, (highFreq.left + highFreq.right) / 2.0, widthRow, false);
}

/// The frame around the screen and the two sliders.
void paintBezel(cairo_t* cr) {
    const CBox& screen = editor::kDisplayBox;
    const CBox& lastSlider = editor::kOutputSlider.box;
    const double left = screen.left - 2;
    const double top = screen.top - 2;
    const double right = lastSlider.right + 2;
    const double bottom = screen.bottom + 2;
    roundedRectangle(cr, left, top, right - left, bottom - top, 2.0);
    setColour(cr, kBezel);
    cairo_fill(cr);
    pixelLine(cr, int(left) + 2, int(bottom), int(right) - 3, int(bottom), kBezelHighlight);
    paintSliderTrack(cr, editor::kRangeSlider.box, TrackScale::kRange);
    paintSliderTrack(cr, editor::kOutputSlider.box, TrackScale::kOutput);
}

std::string frequencyLabel(double frequencyHz) {
    if (frequencyHz >= 1000.0)
        return std::to_string(int(frequencyHz / 1000.0)) + "k";
    return std::to_string(int(frequencyHz));
}

/// The frequency scale under the screen, on the screen's columns.
void paintFrequencyScale(cairo_t* cr) {
    const CBox& screen = editor::kDisplayBox;
    const int tickTop = screen.bottom + 4;
    for (double frequency : editor::scaleFrequencies()) {
        const int column =
            std::min(editor::columnOfFrequency(frequency, screen.width()), screen.width() - 1);
        const int x = screen.left + column;
        const bool stressed = editor::isStressedFrequency(frequency);
        pixelLine(cr, x, tickTop, x, tickTop + (stressed ? 3 : 1),
                  stressed ? kTickMajor : kTickMinor);
        if (editor::isLabelledFrequency(frequency))
            drawText(cr, frequencyLabel(frequency), x + 0.5, kScaleBaseline, Align::kCentre,
                     kScaleStyle);
    }
    drawText(cr, "Hz", editor::kRangeSlider.box.left + 10.0, kScaleBaseline, Align::kLeft,
             kScaleStyle);
}

/// A signed gain with a true minus sign; 0 unsigned.
std::string gainLabel(int gainDb) {
    // The sign is appended to, not inserted before, the digits: GCC 12 at -O3 reports a
    // spurious overlap (-Wrestrict) inside std::string for the inserting form.
    std::string text = gainDb > 0 ? "+" : gainDb < 0 ? "\u2212" : "";
    text += std::to_string(std::abs(gainDb));
    return text;
}

/// dB marks left of the screen, on the curve's rows.
void paintGainScale(cairo_t* cr) {
    const CBox& screen = editor::kDisplayBox;
    for (int gainDb = 12; gainDb >= -12; gainDb -= 6) {
        const double y = screen.top + editor::curveY(gainDb, screen.height());
        const int row = screen.top + editor::toPixel(editor::curveY(gainDb, screen.height()));
        const std::string text = gainLabel(gainDb);
        if (gainDb % 12 == 0)
            drawText(cr, text, screen.left - 6.0, y + 2.3, Align::kRight, kSmallStyle);
        pixelLine(cr, screen.left - 5, row, screen.left - 4, row,
                  gainDb % 12 == 0 ? kTickMajor : kTickMinor);
    }
}

/// Output gain marks right of the output slider, level with the handle's middle.
void paintOutputScale(cairo_t* cr) {
    const CBox& track = editor::kOutputSlider.box;
    const int travel = editor::kSliderLowestHandleTop - track.top;
    const char* marks[] = {"+6", "0", "\u22126"};
    for (int mark = 0; mark < 3; ++mark) {
        const double middle = track.top + travel * mark / 2 + editor::kSliderHandleHeight / 2.0;
        drawText(cr, marks[mark], track.right + 4.0, middle + 2.3, Align::kLeft, kSmallStyle);
    }
}

void paintDisplayLabels(cairo_t* cr) {
    drawText(cr, "RESPONSE", editor::kDisplayBox.left, kLabelBaseline, Align::kLeft,
             {6.5, 1.2, true, kLettering});
    // The slider names end and begin at the gap between the two sliders, marked by a bar.
    const TextStyle sliderStyle{6.0, 0.6, true, kLettering};
    const int gap = editor::kRangeSlider.box.right;
    drawText(cr, "RANGE", gap - 2.0, kLabelBaseline, Align::kRight, sliderStyle);
    drawText(cr, "OUT", gap + 3.0, kLabelBaseline, Align::kLeft, sliderStyle);
    pixelLine(cr, gap, int(kLabelBaseline) - 6, gap, int(kLabelBaseline) + 1, kRule);
}

} // namespace

Picture panel(const Picture& screen) {
    Canvas canvas(kWidth, kHeight, screen.scale);
    cairo_t* cr = canvas.cr();
    paintPlate(cr);
    for (double x : {7.0, kWidth - 7.0})
        for (double y : {7.0, kHeight - 7.0})
            paintScrew(cr, x, y);
    paintSection(cr, kLowSection);
    paintSection(cr, kMidSection);
    paintSection(cr, kHighSection);
    paintHeader(cr);
    paintRowLabels(cr);
    paintKnobs(cr);
    for (size_t band = 0; band < editor::kSwitches.size(); ++band)
        paintBandSwitch(cr, editor::kSwitches[band].box, int(band) + 1, false);
    paintBezel(cr);
    paintFrequencyScale(cr);
    paintGainScale(cr);
    paintOutputScale(cr);
    paintDisplayLabels(cr);
    Picture result = canvas.picture();
    result.paste(screen, editor::kDisplayBox.left, editor::kDisplayBox.top);
    return result;
}

Picture litBandSwitch(const Picture& panel, int band) {
    const CBox& box = editor::kSwitches[size_t(band - 1)].box;
    Canvas canvas(panel.crop(box));
    cairo_translate(canvas.cr(), -box.left, -box.top);
    paintBandSwitch(canvas.cr(), box, band, true);
    return canvas.picture();
}

} // namespace miral::artwork
