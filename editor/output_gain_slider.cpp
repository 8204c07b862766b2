#include "output_gain_slider.h"

#include "engine/eq_engine.h"
#include "engine/level_match.h"
#include "response_display.h"
#include "toolkit/draw_port.h"
#include "toolkit/frame.h"

#include <cstdio>

namespace miral::editor {
namespace {

LevelMatch levelMatchOf(const EqEngine& engine) {
    std::array<float, kNumParams> values{};
    for (int32_t index = 0; index < kNumParams; ++index)
        values[size_t(index)] = engine.getParameter(index);
    return matchLevel(values, engine.sampleRate());
}

} // namespace

COutputGainSlider::COutputGainSlider(const toolkit::CBox& box,
                                     toolkit::CValueListener* valueListener, int32_t controlTag,
                                     int32_t minPosition, int32_t maxPosition,
                                     toolkit::CImage* handleImage, toolkit::CImage* track,
                                     toolkit::CPos trackOffset, int32_t sliderStyle,
                                     const EqEngine& eqEngine, CResponseDisplay* responseDisplay)
    : CSlider(box, valueListener, controlTag, minPosition, maxPosition, handleImage, track,
              trackOffset, sliderStyle),
      engine(eqEngine), display(responseDisplay) {}

COutputGainSlider::~COutputGainSlider() = default;

void COutputGainSlider::mouse(toolkit::CDrawPort& port, toolkit::CPos where) {
    if (!mouseEnabled || port.getMouseButtons() != (toolkit::kLButton | toolkit::kAlt)) {
        CSlider::mouse(port, where);
        return;
    }
    const LevelMatch match = levelMatchOf(engine);
    value = outputGainValue(match);
    if (frame != nullptr)
        frame->beginEdit(tag);
    tellListener(&port);
    if (frame != nullptr)
        frame->endEdit(tag);
    if (display != nullptr) {
        char text[20];
        // + 0.0 turns a match of -0 dB into +0.
        std::snprintf(text, sizeof text, "match %+.1fdB%s", match.outputGainDb + 0.0,
                      match.limited ? " limit" : "");
        display->setText(text);
    }
}

} // namespace miral::editor
