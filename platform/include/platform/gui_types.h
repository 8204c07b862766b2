#pragma once

// Plain value types shared by the GUI platform services: points and rectangles in pixels,
// colours, the bits of the live mouse and modifier state, and key presses.

#include <cstdint>

namespace miral::platform {

struct Point {
    int32_t x = 0;
    int32_t y = 0;
};

/// A pixel rectangle; right and bottom lie just outside it.
struct Rect {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;

    int32_t width() const { return right - left; }
    int32_t height() const { return bottom - top; }
};

struct Rgb {
    uint8_t red = 0;
    uint8_t green = 0;
    uint8_t blue = 0;

    friend bool operator==(const Rgb&, const Rgb&) = default;
};

/// Bits of the mouse and modifier state (Window::mouseButtons).
enum MouseButton : int32_t {
    kButtonLeft = 1,
    kButtonMiddle = 2,
    kButtonRight = 4,
    kModifierShift = 8,
    kModifierControl = 16,
    kModifierAlt = 32,
};

/// The keys besides plain characters that a window with the keyboard focus reports.
enum class Key : int32_t {
    kNone, ///< a plain character
    kBackspace,
    kDelete,
    kReturn, ///< Return or the keypad's Enter
    kEscape,
    kLeft,
    kRight,
    kHome,
    kEnd,
};

/// A key that went down: a named key, or a printable ASCII character (32 to 126).
struct KeyStroke {
    Key key = Key::kNone;
    char character = 0;    ///< with Key::kNone
    int32_t modifiers = 0; ///< kModifier bits held
};

} // namespace miral::platform
