#pragma once

// The Output Gain slider. Beside what every slider does, an Alt-click sets the Output Gain at
// which the current settings are as loud as the dry signal (K-weighted pink noise, limited to
// the parameter's ±6 dB): one edit, begun, set and ended, so that a host records and undoes it
// as one step. The response display then says the gain applied ("match -3.1dB"), and "limit"
// after it where the range was not enough: its usual readout of Output Gain follows another law.
// A level-matched comparison tells whether a setting sounds better or only louder.

#include "toolkit/slider.h"

namespace miral {
class EqEngine;
}

namespace miral::editor {

class CResponseDisplay;

class COutputGainSlider : public toolkit::CSlider {
public:
    /// A slider as CSlider makes it; the match is computed from `engine`'s values and rate and
    /// shown on `display` (which may be null).
    COutputGainSlider(const toolkit::CBox& box, toolkit::CValueListener* valueListener,
                      int32_t controlTag, int32_t minPosition, int32_t maxPosition,
                      toolkit::CImage* handleImage, toolkit::CImage* track,
                      toolkit::CPos trackOffset, int32_t sliderStyle, const EqEngine& eqEngine,
                      CResponseDisplay* responseDisplay);

    void mouse(toolkit::CDrawPort& port, toolkit::CPos where) override;

protected:
    ~COutputGainSlider() override;

private:
    const EqEngine& engine;
    CResponseDisplay* display;
};

} // namespace miral::editor
