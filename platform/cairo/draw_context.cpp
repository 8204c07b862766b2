// Drawing with Cairo on image surfaces, without anti-aliasing for shapes so that lines and
// fills cover whole pixels the way the toolkit's geometry expects.
#include "cairo/cairo_internals.h"
#include "platform/display_scale.h"

#include <algorithm>
#include <cmath>
#include <string>

namespace miral::platform {
namespace {

void useColour(cairo_t* cairo, Rgb colour) {
    cairo_set_source_rgb(cairo, colour.red / 255.0, colour.green / 255.0, colour.blue / 255.0);
}

// Horizontal and vertical lines cover exactly the pixels from the first point up to, but not
// including, the last one, `width` pixels thick.
bool fillStraightLine(DrawContext& context, Point from, Point to, Rgb colour, int32_t width) {
    const int32_t before = (width - 1) / 2;
    if (from.y == to.y && from.x != to.x) {
        const int32_t left = from.x < to.x ? from.x : to.x + 1;
        const int32_t right = from.x < to.x ? to.x : from.x + 1;
        context.fillRect({left, from.y - before, right, from.y - before + width}, colour);
        return true;
    }
    if (from.x == to.x && from.y != to.y) {
        const int32_t top = from.y < to.y ? from.y : to.y + 1;
        const int32_t bottom = from.y < to.y ? to.y : from.y + 1;
        context.fillRect({from.x - before, top, from.x - before + width, bottom}, colour);
        return true;
    }
    return false;
}

} // namespace

std::unique_ptr<DrawContext> contextOnSurface(cairo_surface_t* surface,
                                              std::function<void()> finished, double scale) {
    CairoContext cairo(cairo_create(surface));
    if (scale != 1.0)
        cairo_scale(cairo.get(), scale, scale);
    cairo_set_antialias(cairo.get(), CAIRO_ANTIALIAS_NONE);
    cairo_set_line_cap(cairo.get(), CAIRO_LINE_CAP_BUTT);
    const CairoFontOptions options(cairo_font_options_create());
    cairo_font_options_set_antialias(options.get(), CAIRO_ANTIALIAS_GRAY);
    cairo_font_options_set_hint_metrics(options.get(), CAIRO_HINT_METRICS_ON);
    cairo_set_font_options(cairo.get(), options.get());
    return std::make_unique<DrawContext>(std::make_unique<DrawContext::Impl>(
        DrawContext::Impl{std::move(cairo), std::move(finished), scale}));
}

std::unique_ptr<DrawContext> DrawContext::onBitmap(Bitmap& target) {
    Bitmap::Impl& bitmap = target.impl();
    ++bitmap.generation;
    return contextOnSurface(
        bitmap.writablePixels(), [&bitmap] { ++bitmap.generation; }, bitmap.scale);
}

std::unique_ptr<DrawContext> DrawContext::inBitmapPixels(Bitmap& target) {
    Bitmap::Impl& bitmap = target.impl();
    ++bitmap.generation;
    return contextOnSurface(bitmap.writablePixels(), [&bitmap] { ++bitmap.generation; });
}

DrawContext::DrawContext(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}

DrawContext::~DrawContext() {
    cairo_surface_flush(cairo_get_target(impl_->cairo.get()));
    impl_->cairo.reset();
    if (impl_->finished)
        impl_->finished();
}

void DrawContext::line(Point from, Point to, Rgb colour, int32_t width) {
    if (width < 1 || fillStraightLine(*this, from, to, colour, width))
        return;
    cairo_t* cairo = impl_->cairo.get();
    // Centred where a straight line of this width lies: its first (width - 1) / 2 pixels
    // above or left of the point, so that thick curves join their straight parts.
    const double centre = width / 2.0 - (width - 1) / 2;
    useColour(cairo, colour);
    cairo_set_line_width(cairo, width);
    cairo_move_to(cairo, from.x + centre, from.y + centre);
    cairo_line_to(cairo, to.x + centre, to.y + centre);
    cairo_stroke(cairo);
}

void DrawContext::polyline(std::span<const Point> points, Rgb colour, int32_t width) {
    // Lines wider than a pixel also cover the square of their first point, as straight lines
    // do: separate diagonal strokes would leave gaps between them where the path turns.
    const int32_t before = (width - 1) / 2;
    for (size_t i = 1; i < points.size(); ++i) {
        line(points[i - 1], points[i], colour, width);
        if (width > 1) {
            const Point corner{points[i - 1].x - before, points[i - 1].y - before};
            fillRect({corner.x, corner.y, corner.x + width, corner.y + width}, colour);
        }
    }
}

void DrawContext::fillPolygon(std::span<const Point> points, Rgb colour) {
    if (points.size() < 3)
        return;
    cairo_t* cairo = impl_->cairo.get();
    useColour(cairo, colour);
    cairo_move_to(cairo, points[0].x, points[0].y);
    for (const Point& point : points.subspan(1))
        cairo_line_to(cairo, point.x, point.y);
    cairo_close_path(cairo);
    cairo_set_fill_rule(cairo, CAIRO_FILL_RULE_EVEN_ODD);
    cairo_fill(cairo);
}

void DrawContext::fillRect(Rect rect, Rgb colour) {
    if (rect.width() <= 0 || rect.height() <= 0)
        return;
    cairo_t* cairo = impl_->cairo.get();
    useColour(cairo, colour);
    cairo_rectangle(cairo, rect.left, rect.top, rect.width(), rect.height());
    cairo_fill(cairo);
}

void DrawContext::drawText(std::string_view text, Rect box, const Font& font, Rgb colour,
                           TextAlign align, bool opaque) {
    if (text.empty() || box.width() <= 0 || box.height() <= 0)
        return;
    cairo_t* cairo = impl_->cairo.get();
    const std::string zeroTerminated(text);
    cairo_save(cairo);
    cairo_rectangle(cairo, box.left, box.top, box.width(), box.height());
    cairo_clip(cairo);
    cairo_select_font_face(cairo, font.face,
                           font.italic ? CAIRO_FONT_SLANT_ITALIC : CAIRO_FONT_SLANT_NORMAL,
                           font.bold ? CAIRO_FONT_WEIGHT_BOLD : CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(cairo, font.pixelHeight);
    cairo_font_extents_t fontExtents;
    cairo_font_extents(cairo, &fontExtents);
    cairo_text_extents_t textExtents;
    cairo_text_extents(cairo, zeroTerminated.c_str(), &textExtents);

    const double advance = textExtents.x_advance;
    const double cellHeight = fontExtents.ascent + fontExtents.descent;
    double x = box.left;
    if (align == TextAlign::kCentre)
        x = box.left + (box.width() - advance) / 2;
    else if (align == TextAlign::kRight)
        x = box.right - advance;
    x = static_cast<int32_t>(x);
    const double top = static_cast<int32_t>(box.top + (box.height() - cellHeight) / 2);
    const double baseline = static_cast<int32_t>(top + fontExtents.ascent + 0.5);

    if (opaque) {
        cairo_set_source_rgb(cairo, 1, 1, 1);
        cairo_rectangle(cairo, x, top, advance, cellHeight);
        cairo_fill(cairo);
    }
    useColour(cairo, colour);
    cairo_move_to(cairo, x, baseline);
    cairo_show_text(cairo, zeroTerminated.c_str());
    if (font.underline) {
        const int32_t thickness = std::max(1, font.pixelHeight / 12);
        cairo_rectangle(cairo, x, baseline + 1, advance, thickness);
        cairo_fill(cairo);
    }
    cairo_restore(cairo);
}

namespace {
// Pixels whose size matches the context's are copied one for one, the source's first pixel on
// the first target pixel the destination covers (at scales such as 1.5 a layout edge can fall
// in the middle of a pixel). Others are resampled with a filter that keeps edges and text clean,
// from the shown part of the source alone with its edge pixels repeated outward: the filter
// then blends in neither the neighbouring pictures of a strip nor transparency, which would
// change the edge pixels at every redraw.
void paintFrom(DrawContext::Impl& context, ScaledSurface source, Rect destination,
               Point sourceOffset) {
    const bool sameScale = source.scale == context.scale;
    if (!sameScale) {
        // Pixels outside the source are left as they are.
        const auto layoutWide = static_cast<int32_t>(
            std::lround(cairo_image_surface_get_width(source.surface) / source.scale));
        const auto layoutHigh = static_cast<int32_t>(
            std::lround(cairo_image_surface_get_height(source.surface) / source.scale));
        destination.left += std::max(0, -sourceOffset.x);
        destination.top += std::max(0, -sourceOffset.y);
        sourceOffset = {std::max(0, sourceOffset.x), std::max(0, sourceOffset.y)};
        destination.right =
            std::min(destination.right, destination.left + layoutWide - sourceOffset.x);
        destination.bottom =
            std::min(destination.bottom, destination.top + layoutHigh - sourceOffset.y);
    }
    if (destination.width() <= 0 || destination.height() <= 0)
        return;
    cairo_t* cairo = context.cairo.get();
    cairo_save(cairo);
    cairo_rectangle(cairo, destination.left, destination.top, destination.width(),
                    destination.height());
    cairo_clip(cairo);
    cairo_surface_flush(source.surface);
    cairo_matrix_t layoutToSource;
    CairoSurface shownPart;
    if (sameScale) {
        cairo_set_source_surface(cairo, source.surface, 0, 0);
        const double originX = firstScreenPixel(destination.left, source.scale) -
                               firstScreenPixel(sourceOffset.x, source.scale);
        const double originY = firstScreenPixel(destination.top, source.scale) -
                               firstScreenPixel(sourceOffset.y, source.scale);
        cairo_matrix_init(&layoutToSource, source.scale, 0, 0, source.scale, -originX, -originY);
    } else {
        shownPart.reset(cairo_surface_create_for_rectangle(
            source.surface, std::round(sourceOffset.x * source.scale),
            std::round(sourceOffset.y * source.scale),
            std::round(destination.width() * source.scale),
            std::round(destination.height() * source.scale)));
        cairo_set_source_surface(cairo, shownPart.get(), 0, 0);
        cairo_pattern_set_extend(cairo_get_source(cairo), CAIRO_EXTEND_PAD);
        cairo_matrix_init_scale(&layoutToSource, source.scale, source.scale);
        cairo_matrix_translate(&layoutToSource, -destination.left, -destination.top);
    }
    cairo_pattern_set_matrix(cairo_get_source(cairo), &layoutToSource);
    cairo_pattern_set_filter(cairo_get_source(cairo),
                             sameScale ? CAIRO_FILTER_NEAREST : CAIRO_FILTER_GOOD);
    cairo_paint(cairo);
    cairo_restore(cairo);
}
} // namespace

void DrawContext::blit(const Bitmap& source, Rect destination, Point sourceOffset) {
    paintFrom(*impl_, source.impl().pixelsFor(impl_->scale, nullptr), destination, sourceOffset);
}

void DrawContext::blitTransparent(const Bitmap& source, Rect destination, Point sourceOffset,
                                  Rgb transparent) {
    paintFrom(*impl_, source.impl().pixelsFor(impl_->scale, &transparent), destination,
              sourceOffset);
}

} // namespace miral::platform
