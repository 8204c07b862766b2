#pragma once

// A picture in memory: 0x00RRGGBB pixels, rows from the top, `scale` pixels to a pixel of the
// editor's layout (2 for the double-size set).

#include "toolkit/geometry.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace miral::artwork {

struct Picture {
    int32_t width = 0;
    int32_t height = 0;
    std::vector<uint32_t> pixels;
    int32_t scale = 1;

    uint32_t at(int32_t x, int32_t y) const {
        return pixels[size_t(y) * size_t(width) + size_t(x)];
    }
    /// The pixels of `box` (layout pixels, inside the picture) as a picture of its own.
    Picture crop(const toolkit::CBox& box) const;
    /// Copies `part` into this picture with its top-left corner at layout pixel (left, top).
    void paste(const Picture& part, int32_t left, int32_t top);
    /// `upper` above `lower`, both of this width.
    static Picture stacked(const Picture& upper, const Picture& lower);
    /// Every pixel as factor x factor pixels: pixel art at a larger scale.
    Picture magnified(int32_t factor) const;
};

} // namespace miral::artwork
