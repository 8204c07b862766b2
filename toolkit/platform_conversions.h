#pragma once

// Private to the toolkit: its value types as the platform layer's.

#include "platform/gui_types.h"
#include "toolkit/draw_port.h"
#include "toolkit/geometry.h"
#include "toolkit/key_code.h"

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

/// A key of the frame's window as the host would pass it: named keys as virtual keys, the
/// characters Return, Escape, Backspace and Delete stand for with them.
inline CKeyCode toToolkit(const platform::KeyStroke& stroke) {
    CKeyCode key;
    switch (stroke.key) {
    case platform::Key::kNone:
        key.character = static_cast<unsigned char>(stroke.character);
        break;
    case platform::Key::kBackspace:
        key = {'\b', kVirtKeyBack};
        break;
    case platform::Key::kDelete:
        key = {0x7f, kVirtKeyDelete};
        break;
    case platform::Key::kReturn:
        key = {'\r', kVirtKeyReturn};
        break;
    case platform::Key::kEscape:
        key = {0x1b, kVirtKeyEscape};
        break;
    case platform::Key::kLeft:
        key.virt = kVirtKeyLeft;
        break;
    case platform::Key::kRight:
        key.virt = kVirtKeyRight;
        break;
    case platform::Key::kHome:
        key.virt = kVirtKeyHome;
        break;
    case platform::Key::kEnd:
        key.virt = kVirtKeyEnd;
        break;
    }
    if (stroke.modifiers & platform::kModifierShift)
        key.modifier |= kKeyModifierShift;
    if (stroke.modifiers & platform::kModifierAlt)
        key.modifier |= kKeyModifierAlternate;
    if (stroke.modifiers & platform::kModifierControl)
        key.modifier |= kKeyModifierCommand;
    return key;
}

} // namespace miral::toolkit
