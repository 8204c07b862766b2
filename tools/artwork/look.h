#pragma once

// The colours and type of MIRAL's panel: a dark slate front with light engraved lettering,
// amber for the logo and the lit band switches. The response screen's colours are the
// display's (editor/response_screen.h).

#include <cstdint>

namespace miral::artwork {

struct Colour {
    uint8_t red, green, blue;
};

inline constexpr const char* kTypeface = "Liberation Sans";

inline constexpr Colour kPanel{44, 48, 54};
inline constexpr Colour kPanelEdgeLight{66, 71, 78};
inline constexpr Colour kPanelEdgeDark{26, 28, 32};
inline constexpr Colour kSection{55, 60, 67};
inline constexpr Colour kSectionEdgeLight{70, 76, 84};
inline constexpr Colour kSectionEdgeDark{34, 37, 42};
inline constexpr Colour kLettering{152, 160, 168};
inline constexpr Colour kLetteringBright{214, 219, 224};
inline constexpr Colour kRule{80, 86, 94};
inline constexpr Colour kTickMinor{112, 119, 127};
inline constexpr Colour kTickMajor{176, 182, 189};
inline constexpr Colour kAmber{238, 166, 60};
inline constexpr Colour kAmberBright{255, 206, 120};
inline constexpr Colour kAmberDark{74, 58, 36};
inline constexpr Colour kBezel{21, 23, 26};
inline constexpr Colour kBezelHighlight{72, 78, 86};

} // namespace miral::artwork
