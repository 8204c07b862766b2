#pragma once

// The Output Gain slider. Beside what every slider does, an Alt-click sets the Output Gain at
// which the current settings are as loud as the dry signal (K-weighted pink noise, limited to
// the parameter's ±6 dB): one edit, begun, set and ended, so that a host records and undoes it
// as one step. A level-matched comparison tells whether a setting sounds better or only
// louder.

#include "toolkit/slider.h"

namespace miral {
class EqEngine;
}

namespace miral::editor {

class COutputGainSlider : public toolkit::CSlider {
public:
    /// A slider as CSlider makes it; the match is computed from `engine`'s values and rate.
    COutputGainSlider(const toolkit::CBox& box, toolkit::CValueListener* valueListener,
                      int32_t controlTag, int32_t minPosition, int32_t maxPosition,
                      toolkit::CImage* handleImage, toolkit::CImage* track,
                      toolkit::CPos trackOffset, int32_t sliderStyle, const EqEngine& eqEngine);

    void mouse(toolkit::CDrawPort& port, toolkit::CPos where) override;

protected:
    ~COutputGainSlider() override;

private:
    const EqEngine& engine;
};

} // namespace miral::editor
