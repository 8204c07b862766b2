#pragma once

// The toolkit's value types: rectangles and points in frame pixels, and colours.

#include <cstdint>

namespace miral::toolkit {

struct CPos {
    int32_t x = 0;
    int32_t y = 0;

    friend bool operator==(const CPos&, const CPos&) = default;
};

/// A rectangle; width = right - left, height = bottom - top.
struct CBox {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;

    constexpr int32_t width() const { return right - left; }
    constexpr int32_t height() const { return bottom - top; }
    constexpr CPos topLeft() const { return {left, top}; }
    /// The same rectangle moved by (dx, dy).
    constexpr CBox movedBy(int32_t dx, int32_t dy) const {
        return {left + dx, top + dy, right + dx, bottom + dy};
    }
    /// True when the two rectangles share at least one pixel.
    constexpr bool overlaps(const CBox& other) const {
        return left < other.right && other.left < right && top < other.bottom && other.top < bottom;
    }
    /// True when the point is one of the rectangle's pixels (right and bottom edges excluded).
    constexpr bool contains(CPos point) const {
        return point.x >= left && point.x < right && point.y >= top && point.y < bottom;
    }

    friend bool operator==(const CBox&, const CBox&) = default;
};

/// A colour. The original toolkit generation keeps the spare byte 0; the later one reads it
/// as alpha, 255 for opaque (opaqueSpare). Drawing ignores it in both.
struct CRgb {
    uint8_t red = 0;
    uint8_t green = 0;
    uint8_t blue = 0;
    uint8_t spare = 0;

    friend bool operator==(const CRgb&, const CRgb&) = default;
};

inline constexpr CRgb kBlackCRgb{0, 0, 0, 0};
inline constexpr CRgb kWhiteCRgb{255, 255, 255, 0};
inline constexpr CRgb kGreyCRgb{127, 127, 127, 0};
inline constexpr CRgb kRedCRgb{255, 0, 0, 0};
inline constexpr CRgb kGreenCRgb{0, 255, 0, 0};
inline constexpr CRgb kBlueCRgb{0, 0, 255, 0};
inline constexpr CRgb kYellowCRgb{255, 255, 0, 0};
inline constexpr CRgb kMagentaCRgb{255, 0, 255, 0};
inline constexpr CRgb kCyanCRgb{0, 255, 255, 0};
/// The colour an image leaves out when drawn transparently, unless told otherwise.
inline constexpr CRgb kDefaultTransparentCRgb = kWhiteCRgb;

} // namespace miral::toolkit
