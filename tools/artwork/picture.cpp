#include "picture.h"

namespace miral::artwork {

Picture Picture::crop(const toolkit::CBox& box) const {
    Picture part{box.width(), box.height(), {}};
    part.pixels.reserve(size_t(part.width) * size_t(part.height));
    for (int32_t y = box.top; y < box.bottom; ++y)
        for (int32_t x = box.left; x < box.right; ++x)
            part.pixels.push_back(at(x, y));
    return part;
}

void Picture::paste(const Picture& part, int32_t left, int32_t top) {
    for (int32_t y = 0; y < part.height; ++y)
        for (int32_t x = 0; x < part.width; ++x)
            pixels[size_t(top + y) * size_t(width) + size_t(left + x)] = part.at(x, y);
}

Picture Picture::stacked(const Picture& upper, const Picture& lower) {
    Picture both{upper.width, upper.height + lower.height, upper.pixels};
    both.pixels.insert(both.pixels.end(), lower.pixels.begin(), lower.pixels.end());
    return both;
}

} // namespace miral::artwork
