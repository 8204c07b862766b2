#include "about_art.h"

#include "canvas.h"
#include "drawing.h"
#include "editor/editor_layout.h"

#include <cmath>

namespace miral::artwork {

Picture aboutImage(toolkit::ToolkitGeneration generation, int32_t scale) {
    constexpr int kWidth = editor::kAboutImageWidth;
    constexpr int kHeight = editor::kAboutImageHeight;
    Canvas canvas(kWidth, kHeight, scale);
    cairo_t* cr = canvas.cr();
    cairo_rectangle(cr, 0, 0, kWidth, kHeight);
    setColour(cr, kAmber);
    cairo_fill(cr);
    cairo_rectangle(cr, 1, 1, kWidth - 2, kHeight - 2);
    setColour(cr, {26, 28, 32});
    cairo_fill(cr);
    cairo_rectangle(cr, 2.5, 2.5, kWidth - 5, kHeight - 5);
    setColour(cr, kRule);
    cairo_set_line_width(cr, 1.0);
    cairo_stroke(cr);

    drawText(cr, "MIRAL", 12.0, 31.0, Align::kLeft, {21.0, 3.5, true, kAmber});
    // A small response curve under the name: a gentle rise, a peak and a high shelf.
    cairo_move_to(cr, 12.0, 38.0);
    for (int x = 0; x <= 90; ++x) {
        const double peak = 3.0 * std::exp(-std::pow((x - 40) / 9.0, 2.0));
        const double shelf = 2.0 / (1.0 + std::exp(-(x - 72) / 4.0));
        cairo_line_to(cr, 12.0 + x, 38.5 - peak - shelf);
    }
    setColour(cr, kLettering);
    cairo_stroke(cr);

    const TextStyle heading{8.0, 0.8, true, kLetteringBright};
    const TextStyle detail{7.0, 0.6, false, kLettering};
    // The DirectShow filter's library (the later toolkit generation) names what it is.
    if (generation == toolkit::ToolkitGeneration::kLater) {
        drawText(cr, "SIX-BAND EQ", 118.0, 17.0, Align::kLeft, heading);
        drawText(cr, "DIRECTSHOW", 118.0, 27.0, Align::kLeft, heading);
    } else {
        drawText(cr, "SIX-BAND", 118.0, 17.0, Align::kLeft, heading);
        drawText(cr, "PARAMETRIC EQ", 118.0, 27.0, Align::kLeft, heading);
    }
    drawText(cr, "TOLMEK Soft  \u00b7  1.0", 118.0, 38.0, Align::kLeft, detail);
    return canvas.picture();
}

} // namespace miral::artwork
