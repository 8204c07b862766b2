#include "screen_art.h"

#include "canvas.h"
#include "drawing.h"
#include "editor/editor_layout.h"
#include "editor/response_screen.h"

namespace miral::artwork {

Picture displayScreen(int32_t scale) {
    const int width = editor::kDisplayBox.width();
    const int height = editor::kDisplayBox.height();
    Canvas canvas(width, height, scale);
    cairo_t* cr = canvas.cr();
    const auto colour = [](toolkit::CRgb rgb) { return Colour{rgb.red, rgb.green, rgb.blue}; };
    cairo_rectangle(cr, 0, 0, width, height);
    setColour(cr, colour(editor::kScreenColour));
    cairo_fill(cr);
    for (const editor::ScreenLine& line : editor::screenLines(width, height))
        pixelLine(cr, line.pixels.left, line.pixels.top, line.pixels.right - 1,
                  line.pixels.bottom - 1, colour(line.colour));
    return canvas.picture();
}

} // namespace miral::artwork
