#pragma once

// A key press as the host reports it: the character, a virtual-key code and modifier bits.

#include <cstdint>

namespace miral::toolkit {

struct CKeyCode {
    int32_t character = 0;
    uint8_t virt = 0;     ///< virtual key, see below; 0 for plain characters
    uint8_t modifier = 0; ///< modifier bits, see below
};

inline constexpr uint8_t kVirtKeyBack = 1;
inline constexpr uint8_t kVirtKeyReturn = 4;
inline constexpr uint8_t kVirtKeyEscape = 6;
inline constexpr uint8_t kVirtKeyEnd = 9;
inline constexpr uint8_t kVirtKeyHome = 10;
inline constexpr uint8_t kVirtKeyLeft = 11;
inline constexpr uint8_t kVirtKeyUp = 12;
inline constexpr uint8_t kVirtKeyRight = 13;
inline constexpr uint8_t kVirtKeyDown = 14;
inline constexpr uint8_t kVirtKeyEnter = 19; ///< the keypad's
inline constexpr uint8_t kVirtKeyDelete = 22;

inline constexpr uint8_t kKeyModifierShift = 1;
inline constexpr uint8_t kKeyModifierAlternate = 2;
inline constexpr uint8_t kKeyModifierCommand = 4; ///< Control

} // namespace miral::toolkit
