#pragma once

// A Cairo drawing surface of a given size, opaque, with the text settings every picture of the
// artwork shares (greyscale anti-aliasing, no hinting), so that the output depends on nothing
// but the program, Cairo and the font files.

#include "picture.h"

#include <cairo.h>

namespace miral::artwork {

class Canvas {
public:
    /// A canvas of width x height layout pixels filled with black, drawn at `scale` pixels
    /// to a layout pixel (coordinates stay layout pixels).
    Canvas(int32_t width, int32_t height, int32_t scale = 1);
    /// A canvas that starts with the picture, at the picture's scale.
    explicit Canvas(const Picture& start);
    ~Canvas();
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    cairo_t* cr() const { return context; }
    /// What has been drawn so far.
    Picture picture() const;

private:
    int32_t scale_;
    cairo_surface_t* surface;
    cairo_t* context;
};

} // namespace miral::artwork
