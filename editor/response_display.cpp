#include "response_display.h"

#include "editor/response_scale.h"
#include "editor/response_screen.h"
#include "engine/biquad.h"
#include "engine/eq_engine.h"
#include "engine/params.h"
#include "solo_mark.h"
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
constexpr int32_t kValueTextHeight = 12;
constexpr int32_t kValueTextRightMargin = 2;

/// A band marker in layout pixels: how far its left edge lies left of the band's column, its
/// size, and the size of the box its number is set in, from the marker's top left corner.
struct MarkerShape {
    int32_t leftOfCentre;
    int32_t width;
    int32_t height;
    int32_t textWidth;
    int32_t textHeight;
};
constexpr MarkerShape kOriginalMarker{3, 7, 11, 6, 10};
constexpr MarkerShape kLaterMarker{4, 8, 10, 8, 10};
/// Markers are held this far above the bottom edge at least.
constexpr int32_t kMarkerLowestTopFromBottom = 10;

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

void CResponseDisplay::computeResponse(const EqDesign& design, int32_t columns,
                                       Response& responseDb) {
    const double outputDb = 20.0 * std::log10(design.outputGain);
    for (int32_t column = 0; column < columns; ++column) {
        const double frequencyHz = columnFrequencyHz(column, columns);
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

void CResponseDisplay::paintScreen(toolkit::COffscreenPort& port) {
    // Where a layout edge falls inside a screen pixel, the pixel goes to the side its centre
    // lies on; every line is round(scale) pixels thick.
    const auto first = [&port](int32_t layout) {
        return platform::firstScreenPixel(layout, port.getScale());
    };
    const int32_t thickness = port.pixels(1);
    // fillRect fills from one pixel right of and below the box's corner.
    const auto fill = [&port](const CBox& pixels, toolkit::CRgb colour) {
        port.setFillColour(colour);
        port.fillRect({pixels.left - 1, pixels.top - 1, pixels.right, pixels.bottom});
    };
    fill({0, 0, port.pixels(width), port.pixels(height)}, kScreenColour);
    for (const ScreenLine& line : screenLines(width, height)) {
        const CBox& layout = line.pixels;
        const int32_t x = first(layout.left);
        const int32_t y = first(layout.top);
        fill({x, y, layout.width() == 1 ? x + thickness : first(layout.right),
              layout.height() == 1 ? y + thickness : first(layout.bottom)},
             line.colour);
    }
}

void CResponseDisplay::drawCurve(toolkit::COffscreenPort& port, const Response& responseDb) {
    const int32_t columns = port.pixels(width);
    const int32_t rows = port.pixels(height);
    // The layout's curve scaled, so that it meets the grid drawn with the same scales. A line
    // of lineWidth rows lies from (lineWidth - 1) / 2 rows above its points: the point is put
    // where the line's middle comes nearest the curve.
    const int32_t lineWidth = port.pixels(1);
    const double lineShift = 0.5 - lineWidth / 2.0 + (lineWidth - 1) / 2;
    // The curve's points, then two more that close the area down to the bottom edge.
    std::array<CPos, kMaxPixelColumns + 2> points;
    for (int32_t column = 0; column < columns; ++column) {
        const double y = port.getScale() * curveY(responseDb[size_t(column)], height);
        points[size_t(column)] = {column, toPixel((column == 0 ? y + 0.5 : y) + lineShift)};
    }
    points[size_t(columns)] = {columns - 1, rows};
    points[size_t(columns) + 1] = {0, rows};
    const Palette colours(generation());
    port.setLineWidth(lineWidth);
    port.setLineColour(colours.line);
    port.setFillColour(colours.fill);
    port.fillPolygon(points.data(), columns + 2);
    port.polyLine(points.data(), columns);
}

void CResponseDisplay::drawMarkers(toolkit::COffscreenPort& port, const EqDesign& design,
                                   const Response& responseDb) {
    const int32_t columns = port.pixels(width);
    const int32_t rows = port.pixels(height);
    const Palette colours(generation());
    // The original generation's marker: an outline around 7 x 11 pixels, the number set to its
    // right outline; the later one: 8 x 10 pixels, the number in the middle.
    const bool later = generation() == toolkit::ToolkitGeneration::kLater;
    const MarkerShape shape = later ? kLaterMarker : kOriginalMarker;
    const int32_t leftOfCentre = port.pixels(shape.leftOfCentre);
    const int32_t markerWidth = port.pixels(shape.width);
    const int32_t markerHeight = port.pixels(shape.height);
    const int32_t textWidth = port.pixels(shape.textWidth);
    const int32_t textHeight = port.pixels(shape.textHeight);
    const int32_t lowestTop = std::max(0, rows - port.pixels(kMarkerLowestTopFromBottom));
    port.setFontColour(colours.markerText);
    port.setFont(kArialFont, port.pixels(kMarkerFontPixels), toolkit::kBoldFace);
    port.setFillColour(colours.markerFill);
    // From band 6 down, so that band 1 lies on top.
    for (int32_t band = kNumBands - 1; band >= 0; --band) {
        const EqBand& section = design.bands[size_t(band)];
        if (!section.isActive())
            continue;
        const int32_t x =
            std::clamp(columnOfFrequency(section.frequencyHz, columns), 0, columns - 1);
        const int32_t y = std::clamp(markerTop(responseDb[size_t(x)], rows), 0, lowestTop);
        const int32_t markerLeft = x - leftOfCentre;
        port.frameAndFillRect({markerLeft, y, markerLeft + markerWidth, y + markerHeight},
                              port.pixels(1));
        port.drawString(std::to_string(band + 1).c_str(),
                        {markerLeft, y, markerLeft + textWidth, y + textHeight}, false,
                        later ? toolkit::kCentreText : toolkit::kRightText);
    }
}

void CResponseDisplay::drawValueText(toolkit::COffscreenPort& port) {
    const int32_t columns = port.pixels(width);
    const int32_t rows = port.pixels(height);
    port.setFontColour(Palette(generation()).markerText);
    port.setFont(kArialFont, port.pixels(kValueFontPixels), toolkit::kBoldFace);
    port.drawString(valueText.data(),
                    {0, rows - port.pixels(kValueTextHeight),
                     columns - port.pixels(kValueTextRightMargin), rows},
                    false, toolkit::kRightText);
}

void CResponseDisplay::setSoloBand(int32_t band) {
    soloBand = band;
    setDirty(true);
}

void CResponseDisplay::draw(toolkit::CDrawPort& port) {
    if (engine != nullptr && background && background->bitmap() != nullptr && width > 0 &&
        height > 0) {
        toolkit::COffscreenPort screen(port, *background.get());
        screen.drawInBitmapPixels();
        // The screen's bitmaps are drawn at the layout's size and at twice it.
        if (screen.getScale() != 1.0 && screen.getScale() != 2.0)
            paintScreen(screen);
        const EqDesign& design = engine->designForDisplay();
        Response responseDb{};
        computeResponse(design, screen.pixels(width), responseDb);
        drawCurve(screen, responseDb);
        drawMarkers(screen, design, responseDb);
        drawValueText(screen);
        if (soloBand >= 0) {
            const Palette colours(generation());
            drawSoloMark(screen, soloBand, {colours.line, colours.markerFill, colours.markerText});
        }
        screen.copyFrom(port, {left, top, left + width, top + height});
    }
    setDirty(false);
}

} // namespace miral::editor
