#pragma once

// Reduces a picture to at most 256 colours for an 8-bit BMP, deterministically. A picture with
// few colours keeps them all; otherwise its most frequent colours are kept exactly (so flat
// areas match between bitmaps cut from the same panel) and the rest is reduced by median cut.

#include "picture.h"

#include <cstdint>
#include <vector>

namespace miral::artwork {

struct IndexedPicture {
    int32_t width = 0;
    int32_t height = 0;
    std::vector<uint32_t> palette; ///< 0x00RRGGBB, at most 256 entries
    std::vector<uint8_t> indices;  ///< one per pixel, rows from the top
};

/// The picture in at most 256 colours. Pixels inside `hidden` boxes (covered by controls at
/// run time) do not count when the colours are chosen.
IndexedPicture reduceColours(const Picture& picture, const std::vector<toolkit::CBox>& hidden = {});

} // namespace miral::artwork
