#pragma once

// Private to the toolkit: its value types as the platform layer's.

#include "platform/gui_types.h"
#include "toolkit/geometry.h"

namespace miral::toolkit {

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
