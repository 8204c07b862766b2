#include "canvas.h"

#include <cstring>

namespace miral::artwork {

Canvas::Canvas(int32_t width, int32_t height, int32_t scale)
    : scale_(scale),
      surface(cairo_image_surface_create(CAIRO_FORMAT_RGB24, width * scale, height * scale)),
      context(cairo_create(surface)) {
    if (scale != 1)
        cairo_scale(context, scale, scale);
    cairo_font_options_t* options = cairo_font_options_create();
    cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
    cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_NONE);
    cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
    cairo_set_font_options(context, options);
    cairo_font_options_destroy(options);
}

Canvas::Canvas(const Picture& start)
    : Canvas(start.width / start.scale, start.height / start.scale, start.scale) {
    cairo_surface_flush(surface);
    unsigned char* data = cairo_image_surface_get_data(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    for (int32_t y = 0; y < start.height; ++y)
        std::memcpy(data + size_t(y) * size_t(stride),
                    &start.pixels[size_t(y) * size_t(start.width)],
                    size_t(start.width) * sizeof(uint32_t));
    cairo_surface_mark_dirty(surface);
}

Canvas::~Canvas() {
    cairo_destroy(context);
    cairo_surface_destroy(surface);
}

Picture Canvas::picture() const {
    cairo_surface_flush(surface);
    Picture result{cairo_image_surface_get_width(surface),
                   cairo_image_surface_get_height(surface),
                   {},
                   scale_};
    const unsigned char* data = cairo_image_surface_get_data(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    result.pixels.resize(size_t(result.width) * size_t(result.height));
    for (int32_t y = 0; y < result.height; ++y)
        std::memcpy(&result.pixels[size_t(y) * size_t(result.width)],
                    data + size_t(y) * size_t(stride), size_t(result.width) * sizeof(uint32_t));
    for (uint32_t& pixel : result.pixels)
        pixel &= 0x00FFFFFFu;
    return result;
}

} // namespace miral::artwork
