// Drawing with GDI: a pen, brush or font is created for each call, selected for it and
// deleted after it; the context's own state (background mode, selections) is put back when
// it ends.
#include "win32/gdi_internals.h"
#include "win32/msimg32.h"
#include "win32/transparent_blit.h"

#include <algorithm>
#include <atomic>
#include <optional>
#include <string>
#include <vector>

namespace miral::platform {

struct DrawContext::Impl {
    HDC dc;
    int savedState;
    std::unique_ptr<DcOwner> owner;
    std::shared_ptr<const win32::Msimg32> msimg32;
};

namespace {

using win32::GdiObject;
using win32::MemoryDc;
using win32::Selection;

std::atomic<bool> systemTransparentBltAllowed{true};

std::vector<POINT> toPoints(std::span<const Point> points) {
    std::vector<POINT> converted;
    converted.reserve(points.size());
    for (const Point& point : points)
        converted.push_back({point.x, point.y});
    return converted;
}

/// The source and destination of a block transfer, cut to the part that lies in the source.
struct Transfer {
    Rect destination;
    Point source;

    bool empty() const { return destination.width() <= 0 || destination.height() <= 0; }
};

Transfer clipToSource(Rect destination, Point offset, const Bitmap::Impl& source) {
    if (offset.x < 0) {
        destination.left -= offset.x;
        offset.x = 0;
    }
    if (offset.y < 0) {
        destination.top -= offset.y;
        offset.y = 0;
    }
    destination.right = std::min(destination.right, destination.left + source.width - offset.x);
    destination.bottom = std::min(destination.bottom, destination.top + source.height - offset.y);
    return {destination, offset};
}

/// A device context holding the source bitmap for reading: the DC it is already selected
/// into, or a memory DC of its own.
class SourceDc {
public:
    SourceDc(HDC compatibleWith, const Bitmap::Impl& source) {
        if (source.selectedIn != nullptr) {
            dc_ = source.selectedIn;
            return;
        }
        memory_.emplace(compatibleWith);
        selection_.emplace(memory_->get(), source.bitmap.get());
        dc_ = memory_->get();
    }
    HDC get() const { return dc_; }

private:
    std::optional<MemoryDc> memory_;
    std::optional<Selection> selection_;
    HDC dc_ = nullptr;
};

/// Builds the 1-bit mask of the source's pixels of colour `key` (1 where transparent) and
/// keeps it with the bitmap until the bitmap is drawn into or another key is asked for.
HBITMAP cachedMask(HDC compatibleWith, Bitmap::Impl& source, Rgb key) {
    if (source.mask && source.maskKey == key && source.maskGeneration == source.generation)
        return source.mask.get();
    source.mask = GdiObject<HBITMAP>(CreateBitmap(source.width, source.height, 1, 1, nullptr));
    if (!source.mask)
        return nullptr;
    source.maskKey = key;
    source.maskGeneration = source.generation;
    const SourceDc from(compatibleWith, source);
    const MemoryDc maskDc(compatibleWith);
    const Selection selected(maskDc.get(), source.mask.get());
    const COLORREF previousBackground = SetBkColor(from.get(), toColorRef(key));
    BitBlt(maskDc.get(), 0, 0, source.width, source.height, from.get(), 0, 0, SRCCOPY);
    SetBkColor(from.get(), previousBackground);
    return source.mask.get();
}

/// Combines source and destination through the mask on a copy of the destination and copies
/// the result back in one transfer: exclusive-or the image, and the mask, exclusive-or again.
void maskedBlit(HDC dc, const Transfer& transfer, HDC source, HBITMAP mask) {
    const int width = transfer.destination.width();
    const int height = transfer.destination.height();
    const int x = transfer.destination.left;
    const int y = transfer.destination.top;
    const GdiObject<HBITMAP> scratch(CreateCompatibleBitmap(dc, width, height));
    const MemoryDc scratchDc(dc);
    const MemoryDc maskDc(dc);
    if (!scratch || scratchDc.get() == nullptr || maskDc.get() == nullptr)
        return;
    const Selection scratchSelected(scratchDc.get(), scratch.get());
    const Selection maskSelected(maskDc.get(), mask);
    // A monochrome source becomes black for 0 and white for 1 on a colour target.
    SetTextColor(scratchDc.get(), RGB(0, 0, 0));
    SetBkColor(scratchDc.get(), RGB(255, 255, 255));
    BitBlt(scratchDc.get(), 0, 0, width, height, dc, x, y, SRCCOPY);
    BitBlt(scratchDc.get(), 0, 0, width, height, source, transfer.source.x, transfer.source.y,
           SRCINVERT);
    BitBlt(scratchDc.get(), 0, 0, width, height, maskDc.get(), transfer.source.x, transfer.source.y,
           SRCAND);
    BitBlt(scratchDc.get(), 0, 0, width, height, source, transfer.source.x, transfer.source.y,
           SRCINVERT);
    BitBlt(dc, x, y, width, height, scratchDc.get(), 0, 0, SRCCOPY);
}

class BitmapTarget final : public DcOwner {
public:
    explicit BitmapTarget(Bitmap::Impl& bitmap)
        : bitmap_(bitmap), dc_(nullptr), selection_(dc_.get(), bitmap.bitmap.get()) {
        bitmap_.selectedIn = dc_.get();
        ++bitmap_.generation;
    }
    ~BitmapTarget() override {
        bitmap_.selectedIn = nullptr;
        ++bitmap_.generation;
    }
    HDC dc() const { return dc_.get(); }

private:
    Bitmap::Impl& bitmap_;
    MemoryDc dc_;
    Selection selection_;
};

} // namespace

void allowSystemTransparentBlt(bool allowed) {
    systemTransparentBltAllowed = allowed;
}

std::unique_ptr<DrawContext> contextOnDc(HDC dc, std::unique_ptr<DcOwner> owner) {
    const int saved = SaveDC(dc);
    SetBkMode(dc, TRANSPARENT);
    return std::make_unique<DrawContext>(std::make_unique<DrawContext::Impl>(
        DrawContext::Impl{dc, saved, std::move(owner), win32::Msimg32::acquire()}));
}

std::unique_ptr<DrawContext> DrawContext::onBitmap(Bitmap& target) {
    auto owner = std::make_unique<BitmapTarget>(target.impl());
    const HDC dc = owner->dc();
    return contextOnDc(dc, std::move(owner));
}

// Bitmaps hold one pixel per layout pixel here.
std::unique_ptr<DrawContext> DrawContext::inBitmapPixels(Bitmap& target) {
    return onBitmap(target);
}

DrawContext::DrawContext(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}

DrawContext::~DrawContext() {
    GdiFlush();
    RestoreDC(impl_->dc, impl_->savedState);
}

void DrawContext::line(Point from, Point to, Rgb colour, int32_t width) {
    if (width < 1)
        return;
    const GdiObject<HPEN> pen(CreatePen(PS_SOLID, width, toColorRef(colour)));
    const Selection selected(impl_->dc, pen.get());
    MoveToEx(impl_->dc, from.x, from.y, nullptr);
    LineTo(impl_->dc, to.x, to.y);
}

void DrawContext::polyline(std::span<const Point> points, Rgb colour, int32_t width) {
    if (width < 1 || points.size() < 2)
        return;
    const std::vector<POINT> path = toPoints(points);
    const GdiObject<HPEN> pen(CreatePen(PS_SOLID, width, toColorRef(colour)));
    const Selection selected(impl_->dc, pen.get());
    Polyline(impl_->dc, path.data(), static_cast<int>(path.size()));
}

void DrawContext::fillPolygon(std::span<const Point> points, Rgb colour) {
    if (points.size() < 3)
        return;
    const std::vector<POINT> outline = toPoints(points);
    const GdiObject<HBRUSH> brush(CreateSolidBrush(toColorRef(colour)));
    const Selection brushSelected(impl_->dc, brush.get());
    const Selection noOutline(impl_->dc, GetStockObject(NULL_PEN));
    SetPolyFillMode(impl_->dc, ALTERNATE);
    Polygon(impl_->dc, outline.data(), static_cast<int>(outline.size()));
}

void DrawContext::fillRect(Rect rect, Rgb colour) {
    if (rect.width() <= 0 || rect.height() <= 0)
        return;
    const GdiObject<HBRUSH> brush(CreateSolidBrush(toColorRef(colour)));
    const RECT area{rect.left, rect.top, rect.right, rect.bottom};
    FillRect(impl_->dc, &area, brush.get());
}

void DrawContext::drawText(std::string_view text, Rect box, const Font& font, Rgb colour,
                           TextAlign align, bool opaque) {
    if (text.empty() || box.width() <= 0 || box.height() <= 0)
        return;
    const bool decorative = font.family == FontFamily::kDecorative;
    const GdiObject<HFONT> handle(CreateFontA(
        -font.pixelHeight, 0, 0, 0, font.bold ? FW_BOLD : FW_NORMAL, font.italic, font.underline,
        FALSE, decorative ? SYMBOL_CHARSET : ANSI_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
        DEFAULT_QUALITY, VARIABLE_PITCH | (decorative ? FF_DECORATIVE : FF_SWISS), font.face));
    const Selection selected(impl_->dc, handle.get());
    SetTextColor(impl_->dc, toColorRef(colour));
    if (opaque) {
        SetBkMode(impl_->dc, OPAQUE);
        SetBkColor(impl_->dc, RGB(255, 255, 255));
    }
    UINT format = DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX;
    format |= align == TextAlign::kLeft    ? DT_LEFT
              : align == TextAlign::kRight ? DT_RIGHT
                                           : DT_CENTER;
    RECT area{box.left, box.top, box.right, box.bottom};
    const std::string zeroTerminated(text);
    DrawTextA(impl_->dc, zeroTerminated.c_str(), -1, &area, format);
    SetBkMode(impl_->dc, TRANSPARENT);
}

void DrawContext::blit(const Bitmap& source, Rect destination, Point sourceOffset) {
    const Transfer transfer = clipToSource(destination, sourceOffset, source.impl());
    if (transfer.empty())
        return;
    const SourceDc from(impl_->dc, source.impl());
    BitBlt(impl_->dc, transfer.destination.left, transfer.destination.top,
           transfer.destination.width(), transfer.destination.height(), from.get(),
           transfer.source.x, transfer.source.y, SRCCOPY);
}

void DrawContext::blitTransparent(const Bitmap& source, Rect destination, Point sourceOffset,
                                  Rgb transparent) {
    Bitmap::Impl& pixels = source.impl();
    const Transfer transfer = clipToSource(destination, sourceOffset, pixels);
    if (transfer.empty())
        return;
    const bool maskCached =
        pixels.mask && pixels.maskKey == transparent && pixels.maskGeneration == pixels.generation;
    const auto transparentBlt = impl_->msimg32->transparentBlt();
    if (!maskCached && transparentBlt != nullptr && systemTransparentBltAllowed) {
        const SourceDc from(impl_->dc, pixels);
        const int width = transfer.destination.width();
        const int height = transfer.destination.height();
        transparentBlt(impl_->dc, transfer.destination.left, transfer.destination.top, width,
                       height, from.get(), transfer.source.x, transfer.source.y, width, height,
                       toColorRef(transparent));
        return;
    }
    const HBITMAP mask = cachedMask(impl_->dc, pixels, transparent);
    if (mask == nullptr)
        return;
    const SourceDc from(impl_->dc, pixels);
    maskedBlit(impl_->dc, transfer, from.get(), mask);
}

} // namespace miral::platform
