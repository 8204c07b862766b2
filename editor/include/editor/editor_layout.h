#pragma once

// Where everything of the equaliser's editor sits: the frame, every control's rectangle, tag
// and bitmap resource. The editor builds its controls from these tables and the artwork
// generator paints the panel around the same rectangles, so the two always agree.

#include "editor/artwork_ids.h"
#include "engine/params.h"
#include "toolkit/generation.h"
#include "toolkit/geometry.h"

#include <array>
#include <cstddef>
#include <cstdint>

namespace miral::editor {

using toolkit::CBox;
using toolkit::CPos;

inline constexpr CBox kFrameBox{0, 0, 420, 290};

/// Sizes of the bitmaps that are not the size of a control's rectangle.
inline constexpr int32_t kKnobHandleSize = 4;
inline constexpr int32_t kSliderHandleWidth = 10;
inline constexpr int32_t kSliderHandleHeight = 5;
inline constexpr int32_t kAboutImageWidth = 211;
inline constexpr int32_t kAboutImageHeight = 46;

struct KnobPlace {
    int32_t tag;
    CBox box;
    int32_t faceId;
};

inline constexpr int32_t kKnobSize = 34;
/// The left edge of each band's column of knobs.
inline constexpr std::array<int32_t, kNumBands> kKnobColumnLefts{38, 102, 166, 230, 295, 360};
/// The top edge of each row of knobs: gains, frequencies, widths.
inline constexpr std::array<int32_t, 3> kKnobRowTops{51, 109, 166};
/// The width knob of band 2 sits one pixel left of its column.
inline constexpr int32_t kBand2WidthKnobShift = -1;

/// Bands 1 and 6 are shelves and have no width.
constexpr bool hasWidthKnob(int32_t band) {
    return band > 0 && band < kNumBands - 1;
}

/// A parameter the editor has a control for: every one but the shelves' Q.
constexpr bool hasControl(int32_t index) {
    return isValidParamIndex(index) &&
           !(isBandParam(index) && kindOfParam(index) == BandParamKind::Q &&
             !hasWidthKnob(bandOfParam(index)));
}

/// The knobs in creation order: gains of bands 1 to 6, frequencies of bands 1 to 6, widths
/// (Q) of bands 2 to 5; their faces are consecutive bitmaps in the same order.
inline constexpr auto kKnobs = [] {
    std::array<KnobPlace, 2 * kNumBands + kNumBands - 2> knobs{};
    std::size_t next = 0;
    for (const BandParamKind kind :
         {BandParamKind::Gain, BandParamKind::Frequency, BandParamKind::Q}) {
        const int32_t top = kKnobRowTops[static_cast<std::size_t>(kind)];
        for (int32_t band = 0; band < kNumBands; ++band) {
            if (kind == BandParamKind::Q && !hasWidthKnob(band))
                continue;
            int32_t left = kKnobColumnLefts[static_cast<std::size_t>(band)];
            if (kind == BandParamKind::Q && band == 1)
                left += kBand2WidthKnobShift;
            knobs[next] = {bandParamIndex(band, kind),
                           {left, top, left + kKnobSize, top + kKnobSize},
                           kFirstKnobFaceId + static_cast<int32_t>(next)};
            ++next;
        }
    }
    return knobs;
}();
static_assert(static_cast<int32_t>(kKnobs.size()) == kKnobFaceCount,
              "one face bitmap for each knob");

struct SwitchPlace {
    int32_t tag;
    CBox box;
    int32_t stripId;
};

inline constexpr CBox kFirstSwitchBox{22, 19, 86, 40};
/// The sixth band's switch sits 2 pixels apart from the fifth's; the others touch.
inline constexpr int32_t kSixthSwitchGap = 2;

/// The band switches of bands 1 to 6, with consecutive strip bitmaps.
inline constexpr auto kSwitches = [] {
    std::array<SwitchPlace, kNumBands> switches{};
    for (int32_t band = 0; band < kNumBands; ++band) {
        const int32_t shift =
            band * kFirstSwitchBox.width() + (band == kNumBands - 1 ? kSixthSwitchGap : 0);
        switches[static_cast<std::size_t>(band)] = {bandParamIndex(band, BandParamKind::OnOff),
                                                    kFirstSwitchBox.movedBy(shift, 0),
                                                    kFirstSwitchStripId + band};
    }
    return switches;
}();
static_assert(static_cast<int32_t>(kSwitches.size()) == kSwitchStripCount,
              "one strip bitmap for each switch");

struct SliderPlace {
    int32_t tag;
    CBox box;
    int32_t trackId;
};

/// Both sliders are vertical, their value growing upward; the handle travels from the top of
/// the track to kSliderLowestHandleTop and is drawn one pixel in from the track's left edge.
inline constexpr SliderPlace kRangeSlider{
    toIndex(ParamId::GainRange), {375, 221, 387, 268}, kRangeTrackId};
inline constexpr SliderPlace kOutputSlider{
    toIndex(ParamId::OutputGain), {388, 221, 400, 268}, kOutputTrackId};
inline constexpr int32_t kSliderLowestHandleTop = 262;
inline constexpr CPos kSliderHandleOffset{1, 0};

inline constexpr int32_t kDisplayTag = 27;
inline constexpr CBox kDisplayBox{32, 221, 375, 268};
/// The field a value is typed into lies over the display's readout, at its bottom right.
inline constexpr CBox kValueFieldBox{291, 253, 373, 267};

/// The about click area lies over the logo; a click shows the about image over the frame.
/// Each toolkit generation has its own image, and the area's tag is one less than its id.
constexpr int32_t aboutImageId(toolkit::ToolkitGeneration generation) {
    return generation == toolkit::ToolkitGeneration::kLater ? kLaterAboutImageId : kAboutImageId;
}
constexpr int32_t aboutTag(toolkit::ToolkitGeneration generation) {
    return aboutImageId(generation) - 1;
}
inline constexpr CBox kAboutBox{177, 5, 254, 16};

} // namespace miral::editor
