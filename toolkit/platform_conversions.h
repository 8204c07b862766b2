#pragma once

// Private to the toolkit: its value types as the platform layer's.

#include "platform/gui_types.h"
#include "toolkit/draw_port.h"
#include "toolkit/geometry.h"

namespace miral::toolkit {

// The platform's mouse and modifier bits reach the views unchanged as CButton bits.
constexpr bool sameBit(CButton toolkitBit, platform::MouseButton platformBit) {
    return static_cast<int32_t>(toolkitBit) == static_cast<int32_t>(platformBit);
}
static_assert(sameBit(kLButton, platform::kButtonLeft) &&
              sameBit(kMButton, platform::kButtonMiddle) &&
              sameBit(kRButton, platform::kButtonRight));
static_assert(sameBit(kShift, platform::kModifierShift) &&
              sameBit(kControl, platform::kModifierControl) &&
              sameBit(kAlt, platform::kModifierAlt));

inline platform::Point toPlatform(CPos pos) {
    return {pos.x, pos.y};
}
inline platform::Rect toPlatform(const CBox& box) {
    return {box.left, box.top, box.right, box.bottom};
}
inline platform::Rgb toPlatform(CRgb colour) {
    return {colour.red, colour.green, colour.blue};
}
inline CBox fromPlatform(const platform::Rect& rect) {
    return {rect.left, rect.top, rect.right, rect.bottom};
}
inline CPos fromPlatform(platform::Point point) {
    return {point.x, point.y};
}

} // namespace miral::toolkit
