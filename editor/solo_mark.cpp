#include "solo_mark.h"

#include <string>

namespace miral::editor {
namespace {
// In layout pixels, from the screen's top left corner.
constexpr int32_t kMarkLeft = 3;
constexpr int32_t kMarkTop = 3;
constexpr int32_t kMarkWidth = 38;
constexpr int32_t kMarkHeight = 12;
constexpr int32_t kMarkFontPixels = 9;
constexpr int32_t kArialFont = 0;
} // namespace

void drawSoloMark(toolkit::COffscreenPort& port, int32_t band, const SoloMarkColours& colours) {
    const toolkit::CBox box{port.pixels(kMarkLeft), port.pixels(kMarkTop),
                            port.pixels(kMarkLeft + kMarkWidth),
                            port.pixels(kMarkTop + kMarkHeight)};
    port.setLineColour(colours.outline);
    port.setFillColour(colours.fill);
    port.frameAndFillRect(box, port.pixels(1));
    port.setFontColour(colours.text);
    port.setFont(kArialFont, port.pixels(kMarkFontPixels), toolkit::kBoldFace);
    port.drawString(("SOLO " + std::to_string(band + 1)).c_str(), box, false, toolkit::kCentreText);
}

} // namespace miral::editor
