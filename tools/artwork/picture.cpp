#include "picture.h"

namespace miral::artwork {

Picture Picture::crop(const toolkit::CBox& box) const {
    Picture part{box.width() * scale, box.height() * scale, {}, scale};
    part.pixels.reserve(size_t(part.width) * size_t(part.height));
    for (int32_t y = box.top * scale; y < box.bottom * scale; ++y)
        for (int32_t x = box.left * scale; x < box.right * scale; ++x)
            part.pixels.push_back(at(x, y));
    return part;
}

void Picture::paste(const Picture& part, int32_t left, int32_t top) {
    left *= scale;
    top *= scale;
    for (int32_t y = 0; y < part.height; ++y)
        for (int32_t x = 0; x < part.width; ++x)
            pixels[size_t(top + y) * size_t(width) + size_t(left + x)] = part.at(x, y);
}

Picture Picture::stacked(const Picture& upper, const Picture& lower) {
    Picture both{upper.width, upper.height + lower.height, upper.pixels, upper.scale};
    both.pixels.insert(both.pixels.end(), lower.pixels.begin(), lower.pixels.end());
    return both;
}

Picture Picture::magnified(int32_t factor) const {
    Picture larger{width * factor, height * factor, {}, scale * factor};
    larger.pixels.reserve(size_t(larger.width) * size_t(larger.height));
    for (int32_t y = 0; y < larger.height; ++y)
        for (int32_t x = 0; x < larger.width; ++x)
            larger.pixels.push_back(at(x / factor, y / factor));
    return larger;
}

} // namespace miral::artwork
