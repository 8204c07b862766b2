#pragma once

// Small drawing helpers over Cairo for the artwork: colours, lines on pixel centres, rounded
// rectangles and letter-spaced text.

#include "look.h"

#include <cairo.h>
#include <string_view>

namespace miral::artwork {

enum class Align { kLeft, kCentre, kRight };

struct TextStyle {
    double size = 7.0;        ///< font size in pixels
    double letterSpacing = 0; ///< extra pixels between letters
    bool bold = true;
    Colour colour = kLettering;
};

void setColour(cairo_t* cr, Colour colour, double alpha = 1.0);
/// A one-pixel line from pixel (x0, y0) to pixel (x1, y1), both included, horizontal or
/// vertical.
void pixelLine(cairo_t* cr, int x0, int y0, int x1, int y1, Colour colour);
void roundedRectangle(cairo_t* cr, double left, double top, double width, double height,
                      double radius);
/// Text on a baseline; x is its left end, centre or right end.
void drawText(cairo_t* cr, std::string_view text, double x, double baseline, Align align,
              const TextStyle& style);
/// The width drawText gives the text.
double textWidth(cairo_t* cr, std::string_view text, const TextStyle& style);
/// Text turned a quarter anticlockwise (reading upward), centred on (x, y).
void drawUpwardText(cairo_t* cr, std::string_view text, double x, double y, const TextStyle& style);

} // namespace miral::artwork
