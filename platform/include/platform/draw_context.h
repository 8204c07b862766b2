#pragma once

// A drawing context bound to one target (a window or a bitmap): lines, polygons, rectangles,
// text and block transfers. Coordinates are pixels of the target. The context holds no pen,
// brush or font state of its own; every call says what it draws with.

#include "platform/bitmap.h"
#include "platform/gui_types.h"

#include <memory>
#include <span>
#include <string_view>

namespace miral::platform {

enum class FontFamily { kSwiss, kDecorative };

struct Font {
    const char* face = "Arial";
    int32_t pixelHeight = 12; ///< character height
    bool bold = false;
    bool italic = false;
    bool underline = false;
    FontFamily family = FontFamily::kSwiss;
};

enum class TextAlign { kLeft, kCentre, kRight };

class DrawContext {
public:
    struct Impl;

    /// A context that draws into the bitmap; the bitmap must outlive it.
    static std::unique_ptr<DrawContext> onBitmap(Bitmap& target);
    /// A context that draws into the bitmap in the bitmap's own pixels rather than in layout
    /// pixels, for pictures finer than the layout: coordinates, line widths and font heights
    /// are pixels of the bitmap, and blits place one bitmap pixel per pixel. For a bitmap of
    /// one pixel per layout pixel it is the same as onBitmap.
    static std::unique_ptr<DrawContext> inBitmapPixels(Bitmap& target);

    explicit DrawContext(std::unique_ptr<Impl> impl);
    /// Finishes drawing: what was drawn on a window reaches the screen now.
    ~DrawContext();
    DrawContext(const DrawContext&) = delete;
    DrawContext& operator=(const DrawContext&) = delete;

    /// A straight line of the given width from one point to the other.
    void line(Point from, Point to, Rgb colour, int32_t width);
    /// Connected lines through the points; lines wider than one pixel join without gaps.
    void polyline(std::span<const Point> points, Rgb colour, int32_t width);
    /// Fills the polygon through the points, without an outline.
    void fillPolygon(std::span<const Point> points, Rgb colour);
    /// Fills the pixels of the rectangle.
    void fillRect(Rect rect, Rgb colour);
    /// One line of text, vertically centred in the box and clipped to it. With opaque, the
    /// text's background is filled white first.
    void drawText(std::string_view text, Rect box, const Font& font, Rgb colour, TextAlign align,
                  bool opaque);
    /// Copies destination's width x height pixels from the source, starting at sourceOffset.
    /// Pixels outside the source are left as they are.
    void blit(const Bitmap& source, Rect destination, Point sourceOffset);
    /// The same, leaving out the source pixels of the transparent colour.
    void blitTransparent(const Bitmap& source, Rect destination, Point sourceOffset,
                         Rgb transparent);

    Impl& impl() { return *impl_; }

private:
    std::unique_ptr<Impl> impl_;
};

} // namespace miral::platform
