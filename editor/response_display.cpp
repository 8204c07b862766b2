#include "response_display.h"

#include "editor/response_scale.h"
#include "engine/biquad.h"
#include "engine/eq_engine.h"
#include "engine/params.h"
#include "toolkit/frame.h"
#include "toolkit/image.h"
#include "toolkit/offscreen_port.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>

namespace miral::editor {
namespace {

using toolkit::CBox;
using toolkit::CPos;
using toolkit::CRgb;

/// The display's colours, opaque in the toolkit's generation.
struct Palette {
    explicit constexpr Palette(toolkit::ToolkitGeneration generation)
        : line(colour(58, 66, 30, generation)), fill(colour(118, 136, 56, generation)),
          markerText(colour(45, 51, 23, generation)),
          markerFill(colour(186, 202, 130, generation)) {}
    static constexpr CRgb colour(uint8_t red, uint8_t green, uint8_t blue,
                                 toolkit::ToolkitGeneration generation) {
        return {red, green, blue, toolkit::opaqueSpare(generation)};
    }
    CRgb line;
    CRgb fill;
    CRgb markerText;
    CRgb markerFill;
};
constexpr int32_t kArialFont = 0;
constexpr int32_t kMarkerFontPixels = 8;
constexpr int32_t kValueFontPixels = 10;
constexpr int32_t kMarkerHalfWidth = 3;
constexpr int32_t kLaterMarkerHalfWidth = 4;
constexpr int32_t kMarkerHeight = 10;
constexpr int32_t kValueTextHeight = 12;

} // namespace

CResponseDisplay::CResponseDisplay(const CBox& box, toolkit::CValueListener* valueListener,
                                   int32_t controlTag, toolkit::CImage* screen,
                                   toolkit::CImage* handleImage, CPos screenOffset,
                                   const EqEngine* designer)
    : CKnob(box, valueListener, controlTag, screen, handleImage, screenOffset), engine(designer),
      left(box.left), top(box.top), width(std::clamp(box.width(), 0, kMaxColumns)),
      height(std::max(box.height(), 0)) {}

toolkit::ToolkitGeneration CResponseDisplay::generation() const {
    return frame != nullptr ? frame->getGeneration() : toolkit::ToolkitGeneration::kOriginal;
}

void CResponseDisplay::mouse(toolkit::CDrawPort&, CPos) {}

void CResponseDisplay::setText(const char* text) {
    if (text != nullptr) {
        std::strncpy(valueText.data(), text, valueText.size() - 1);
        valueText.back() = '\0';
    }
    setDirty(true);
}

void CResponseDisplay::computeResponse(const EqDesign& design,
                                       std::array<double, kMaxColumns>& responseDb) const {
    const double outputDb = 20.0 * std::log10(design.outputGain);
    for (int32_t column = 0; column < width; ++column) {
        const double frequencyHz = columnFrequencyHz(column, width);
        double sumDb = 0.0;
        for (int32_t band = 0; band < kNumBands; ++band) {
            const EqBand& section = design.bands[size_t(band)];
            if (!section.isActive())
                continue;
            const double bandDb =
                magnitudeDb(section.coefficients, frequencyHz, design.sampleRateHz);
            // A response of exactly zero (a zero on the unit circle) contributes nothing
            // instead of minus infinity.
            if (std::isfinite(bandDb))
                sumDb += bandDb;
        }
        responseDb[size_t(column)] = sumDb + outputDb;
    }
}

void CResponseDisplay::drawCurve(toolkit::CDrawPort& port,
                                 const std::array<double, kMaxColumns>& responseDb) {
    // The curve's points, then two more that close the area down to the bottom edge.
    std::array<CPos, kMaxColumns + 2> points;
    for (int32_t column = 0; column < width; ++column) {
        const double y = curveY(responseDb[size_t(column)], height);
        points[size_t(column)] = {column, toPixel(column == 0 ? y + 0.5 : y)};
    }
    points[size_t(width)] = {width - 1, height};
    points[size_t(width) + 1] = {0, height};
    const Palette colours(generation());
    port.setLineWidth(1);
    port.setLineColour(colours.line);
    port.setFillColour(colours.fill);
    port.fillPolygon(points.data(), width + 2);
    port.polyLine(points.data(), width);
}

void CResponseDisplay::drawMarkers(toolkit::CDrawPort& port, const EqDesign& design,
                                   const std::array<double, kMaxColumns>& responseDb) {
    const Palette colours(generation());
    const bool later = generation() == toolkit::ToolkitGeneration::kLater;
    const int32_t halfWidth = later ? kLaterMarkerHalfWidth : kMarkerHalfWidth;
    port.setFontColour(colours.markerText);
    port.setFont(kArialFont, kMarkerFontPixels, toolkit::kBoldFace);
    port.setFillColour(colours.markerFill);
    // From band 6 down, so that band 1 lies on top.
    for (int32_t band = kNumBands - 1; band >= 0; --band) {
        const EqBand& section = design.bands[size_t(band)];
        if (!section.isActive())
            continue;
        const int32_t x = std::clamp(columnOfFrequency(section.frequencyHz, width), 0, width - 1);
        const int32_t y = std::clamp(markerTop(responseDb[size_t(x)], height), 0,
                                     std::max(0, height - kMarkerHeight));
        const CBox marker{x - halfWidth, y, x + halfWidth, y + kMarkerHeight};
        if (later) {
            port.frameAndFillRect(marker);
        } else {
            port.frameRect(marker);
            port.fillRect(marker);
        }
        port.drawString(std::to_string(band + 1).c_str(), marker, false,
                        later ? toolkit::kCentreText : toolkit::kRightText);
    }
}

void CResponseDisplay::draw(toolkit::CDrawPort& port) {
    if (engine != nullptr && background && background->bitmap() != nullptr && width > 0 &&
        height > 0) {
        toolkit::COffscreenPort screen(port, *background.get());
        const EqDesign& design = engine->designForDisplay();
        std::array<double, kMaxColumns> responseDb{};
        computeResponse(design, responseDb);
        drawCurve(screen, responseDb);
        drawMarkers(screen, design, responseDb);
        screen.setFont(kArialFont, kValueFontPixels, toolkit::kBoldFace);
        screen.drawString(valueText.data(), {0, height - kValueTextHeight, width - 2, height},
                          false, toolkit::kRightText);
        screen.copyFrom(port, {left, top, left + width, top + height});
    }
    setDirty(false);
}

} // namespace miral::editor
