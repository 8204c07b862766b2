#include "output_gain_slider.h"

#include "engine/eq_engine.h"
#include "engine/inverse_laws.h"
#include "engine/level_match.h"
#include "toolkit/draw_port.h"
#include "toolkit/frame.h"

#include <algorithm>

namespace miral::editor {
namespace {

/// The normalised Output Gain that matches the loudness of `engine`'s settings.
float levelMatchedValue(const EqEngine& engine) {
    std::array<float, kNumParams> values{};
    for (int32_t index = 0; index < kNumParams; ++index)
        values[size_t(index)] = engine.getParameter(index);
    const LevelMatch match = matchLevel(values, engine.sampleRate());
    return std::clamp(float(outputGainDbToNorm(match.outputGainDb)), 0.0f, 1.0f);
}

} // namespace

COutputGainSlider::COutputGainSlider(const toolkit::CBox& box,
                                     toolkit::CValueListener* valueListener, int32_t controlTag,
                                     int32_t minPosition, int32_t maxPosition,
                                     toolkit::CImage* handleImage, toolkit::CImage* track,
                                     toolkit::CPos trackOffset, int32_t sliderStyle,
                                     const EqEngine& eqEngine)
    : CSlider(box, valueListener, controlTag, minPosition, maxPosition, handleImage, track,
              trackOffset, sliderStyle),
      engine(eqEngine) {}

COutputGainSlider::~COutputGainSlider() = default;

void COutputGainSlider::mouse(toolkit::CDrawPort& port, toolkit::CPos where) {
    if (!mouseEnabled || port.getMouseButtons() != (toolkit::kLButton | toolkit::kAlt)) {
        CSlider::mouse(port, where);
        return;
    }
    value = levelMatchedValue(engine);
    if (frame != nullptr)
        frame->beginEdit(tag);
    tellListener(&port);
    if (frame != nullptr)
        frame->endEdit(tag);
}

} // namespace miral::editor
