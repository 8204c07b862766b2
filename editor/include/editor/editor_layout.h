#pragma once

// Where everything of the equaliser's editor sits: the frame, every control's rectangle, tag
// and bitmap resource. The editor builds its controls from these tables and the artwork
// generator paints the panel around the same rectangles, so the two always agree.

#include "toolkit/geometry.h"

#include <array>
#include <cstdint>

namespace miral::editor {

using toolkit::CBox;
using toolkit::CPos;

/// Bitmap resources of the editor.
inline constexpr int32_t kBackgroundId = 128;       ///< the panel, 420 x 290, 8 bit
inline constexpr int32_t kKnobHandleId = 129;       ///< 4 x 4 dot; white is transparent
inline constexpr int32_t kFirstKnobFaceId = 130;    ///< 130 .. 145, 34 x 34
inline constexpr int32_t kFirstSwitchStripId = 146; ///< 146 .. 151, 64 x 42: off above, on below
inline constexpr int32_t kOutputTrackId = 152;      ///< 12 x 47
inline constexpr int32_t kSliderHandleId = 153;     ///< 10 x 5
inline constexpr int32_t kRangeTrackId = 154;       ///< 12 x 47
inline constexpr int32_t kDisplayScreenId = 155;    ///< 343 x 47, 24 bit
inline constexpr int32_t kAboutImageId = 157;       ///< 211 x 46

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

/// The knobs in creation order: gains of bands 1 to 6, frequencies of bands 1 to 6, widths
/// (Q) of bands 2 to 5. Bands 1 and 6 are shelves and have no width.
inline constexpr std::array<KnobPlace, 16> kKnobs{{
    {0, {38, 51, 72, 85}, 130},
    {4, {102, 51, 136, 85}, 131},
    {8, {166, 51, 200, 85}, 132},
    {12, {230, 51, 264, 85}, 133},
    {16, {295, 51, 329, 85}, 134},
    {20, {360, 51, 394, 85}, 135},
    {1, {38, 109, 72, 143}, 136},
    {5, {102, 109, 136, 143}, 137},
    {9, {166, 109, 200, 143}, 138},
    {13, {230, 109, 264, 143}, 139},
    {17, {295, 109, 329, 143}, 140},
    {21, {360, 109, 394, 143}, 141},
    {6, {101, 166, 135, 200}, 142},
    {10, {166, 166, 200, 200}, 143},
    {14, {230, 166, 264, 200}, 144},
    {18, {295, 166, 329, 200}, 145},
}};

struct SwitchPlace {
    int32_t tag;
    CBox box;
    int32_t stripId;
};

/// The band switches of bands 1 to 6; the sixth sits 2 pixels apart from the fifth.
inline constexpr std::array<SwitchPlace, 6> kSwitches{{
    {3, {22, 19, 86, 40}, 146},
    {7, {86, 19, 150, 40}, 147},
    {11, {150, 19, 214, 40}, 148},
    {15, {214, 19, 278, 40}, 149},
    {19, {278, 19, 342, 40}, 150},
    {23, {344, 19, 408, 40}, 151},
}};

struct SliderPlace {
    int32_t tag;
    CBox box;
    int32_t trackId;
};

/// Both sliders are vertical, their value growing upward; the handle travels from the top of
/// the track to kSliderLowestHandleTop and is drawn one pixel in from the track's left edge.
inline constexpr SliderPlace kRangeSlider{24, {375, 221, 387, 268}, kRangeTrackId};
inline constexpr SliderPlace kOutputSlider{25, {388, 221, 400, 268}, kOutputTrackId};
inline constexpr int32_t kSliderLowestHandleTop = 262;
inline constexpr CPos kSliderHandleOffset{1, 0};

inline constexpr int32_t kDisplayTag = 27;
inline constexpr CBox kDisplayBox{32, 221, 375, 268};

/// The about click area lies over the logo; a click shows the about image over the frame.
inline constexpr int32_t kAboutTag = 156;
inline constexpr CBox kAboutBox{177, 5, 254, 16};

} // namespace miral::editor
