#include "drawing.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <numbers>
#include <string>
#include <vector>

namespace miral::artwork {
namespace {

void selectFont(cairo_t* cr, const TextStyle& style) {
    cairo_select_font_face(cr, kTypeface, CAIRO_FONT_SLANT_NORMAL,
                           style.bold ? CAIRO_FONT_WEIGHT_BOLD : CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(cr, style.size);
}

/// The text split into UTF-8 characters.
std::vector<std::string> characters(std::string_view text) {
    std::vector<std::string> result;
    for (size_t i = 0; i < text.size();) {
        size_t length = 1;
        while (i + length < text.size() && (uint8_t(text[i + length]) & 0xC0) == 0x80)
            ++length;
        result.emplace_back(text.substr(i, length));
        i += length;
    }
    return result;
}

} // namespace

void setColour(cairo_t* cr, Colour colour, double alpha) {
    cairo_set_source_rgba(cr, colour.red / 255.0, colour.green / 255.0, colour.blue / 255.0, alpha);
}

void pixelLine(cairo_t* cr, int x0, int y0, int x1, int y1, Colour colour) {
    setColour(cr, colour);
    const int left = std::min(x0, x1);
    const int top = std::min(y0, y1);
    cairo_rectangle(cr, left, top, std::abs(x1 - x0) + 1, std::abs(y1 - y0) + 1);
    cairo_fill(cr);
}

void roundedRectangle(cairo_t* cr, double left, double top, double width, double height,
                      double radius) {
    constexpr double kQuarter = std::numbers::pi / 2.0;
    cairo_new_sub_path(cr);
    cairo_arc(cr, left + width - radius, top + radius, radius, -kQuarter, 0.0);
    cairo_arc(cr, left + width - radius, top + height - radius, radius, 0.0, kQuarter);
    cairo_arc(cr, left + radius, top + height - radius, radius, kQuarter, 2.0 * kQuarter);
    cairo_arc(cr, left + radius, top + radius, radius, 2.0 * kQuarter, 3.0 * kQuarter);
    cairo_close_path(cr);
}

double textWidth(cairo_t* cr, std::string_view text, const TextStyle& style) {
    selectFont(cr, style);
    double width = 0.0;
    const auto letters = characters(text);
    for (const std::string& letter : letters) {
        cairo_text_extents_t extents;
        cairo_text_extents(cr, letter.c_str(), &extents);
        width += extents.x_advance;
    }
    if (!letters.empty())
        width += style.letterSpacing * double(letters.size() - 1);
    return width;
}

void drawText(cairo_t* cr, std::string_view text, double x, double baseline, Align align,
              const TextStyle& style) {
    const double width = textWidth(cr, text, style);
    double pen = align == Align::kLeft ? x : align == Align::kCentre ? x - width / 2.0 : x - width;
    selectFont(cr, style);
    setColour(cr, style.colour);
    for (const std::string& letter : characters(text)) {
        cairo_move_to(cr, pen, baseline);
        cairo_show_text(cr, letter.c_str());
        cairo_text_extents_t extents;
        cairo_text_extents(cr, letter.c_str(), &extents);
        pen += extents.x_advance + style.letterSpacing;
    }
}

void drawUpwardText(cairo_t* cr, std::string_view text, double x, double y,
                    const TextStyle& style) {
    cairo_save(cr);
    cairo_translate(cr, x, y);
    cairo_rotate(cr, -std::numbers::pi / 2.0);
    // Cap height is about 0.72 of the font size: centre the capitals on the axis.
    drawText(cr, text, 0.0, style.size * 0.36, Align::kCentre, style);
    cairo_restore(cr);
}

} // namespace miral::artwork
