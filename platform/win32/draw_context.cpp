// Drawing with GDI: a pen, brush or font is created for each call, selected for it and
// deleted after it; the context's own state (background mode, selections) is put back when
// it ends. Callers give layout pixels; a context of a scale above 1 maps them to its device's
// pixels itself, so that at 1 every call is the plain GDI call it always was.
#include "platform/display_scale.h"
#include "win32/gdi_internals.h"
#include "win32/msimg32.h"
#include "win32/transparent_blit.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <optional>
#include <string>
#include <vector>

namespace miral::platform {

struct DrawContext::Impl {
    HDC dc;
    int savedState;
    std::unique_ptr<DcOwner> owner;
    std::shared_ptr<const win32::Msimg32> msimg32;
    double scale; ///< device pixels per layout pixel
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

int32_t toDevice(int32_t length, double scale) {
    return scaledLength(length, scale);
}

Rect toDevice(Rect rect, double scale) {
    return {toDevice(rect.left, scale), toDevice(rect.top, scale), toDevice(rect.right, scale),
            toDevice(rect.bottom, scale)};
}

/// The corners of layout pixels, for outlines of filled shapes.
std::vector<POINT> cornersOnDevice(std::span<const Point> points, double scale) {
    std::vector<POINT> converted;
    converted.reserve(points.size());
    for (const Point& point : points)
        converted.push_back({toDevice(point.x, scale), toDevice(point.y, scale)});
    return converted;
}

/// The centres of layout pixels, for the paths of lines.
std::vector<POINT> centresOnDevice(std::span<const Point> points, double scale) {
    std::vector<POINT> converted;
    converted.reserve(points.size());
    for (const Point& point : points)
        converted.push_back({static_cast<LONG>(std::floor((point.x + 0.5) * scale)),
                             static_cast<LONG>(std::floor((point.y + 0.5) * scale))});
    return converted;
}

/// A pen's width on the device: round(width x scale), at least one pixel.
int lineWidthOnDevice(int32_t width, double scale) {
    return std::max(1, toDevice(width, scale));
}

void fillDeviceRect(HDC dc, Rect rect, Rgb colour) {
    const GdiObject<HBRUSH> brush(CreateSolidBrush(toColorRef(colour)));
    const RECT area{rect.left, rect.top, rect.right, rect.bottom};
    FillRect(dc, &area, brush.get());
}

// At scales above 1, horizontal and vertical lines cover the layout pixels from the first point
// up to, but not including, the last one, round(width x scale) device pixels thick, as the
// pixels of a full-size pen of that width are.
bool fillStraightLine(HDC dc, Point from, Point to, Rgb colour, int32_t width, double scale) {
    const int32_t before = (width - 1) / 2;
    const int32_t thickness = lineWidthOnDevice(width, scale);
    if (from.y == to.y && from.x != to.x) {
        const int32_t left = from.x < to.x ? from.x : to.x + 1;
        const int32_t right = from.x < to.x ? to.x : from.x + 1;
        const int32_t top = toDevice(from.y - before, scale);
        fillDeviceRect(dc, {toDevice(left, scale), top, toDevice(right, scale), top + thickness},
                       colour);
        return true;
    }
    if (from.x == to.x && from.y != to.y) {
        const int32_t top = from.y < to.y ? from.y : to.y + 1;
        const int32_t bottom = from.y < to.y ? to.y : from.y + 1;
        const int32_t left = toDevice(from.x - before, scale);
        fillDeviceRect(dc, {left, toDevice(top, scale), left + thickness, toDevice(bottom, scale)},
                       colour);
        return true;
    }
    return false;
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

/// The device pixels of a block transfer: where it lands and the source pixels it reads.
struct DeviceTransfer {
    Rect destination;
    Rect source;

    bool sameSize() const {
        return destination.width() == source.width() && destination.height() == source.height();
    }
    bool empty() const {
        return destination.width() <= 0 || destination.height() <= 0 || source.width() <= 0 ||
               source.height() <= 0;
    }
};

/// The transfer in the device pixels of a context of `scale` and the pixels of `source`. Pixels
/// of the same size as the device's are copied one for one, and the copy stays inside them.
DeviceTransfer onDevice(const Transfer& transfer, const PixelSet& source, double scale) {
    const Rect& layout = transfer.destination;
    DeviceTransfer device{toDevice(layout, scale), toDevice({transfer.source.x, transfer.source.y,
                                                             transfer.source.x + layout.width(),
                                                             transfer.source.y + layout.height()},
                                                            source.scale)};
    if (source.scale == scale) {
        const int32_t width =
            std::min(device.destination.width(), source.pixelWidth - device.source.left);
        const int32_t height =
            std::min(device.destination.height(), source.pixelHeight - device.source.top);
        device.destination.right = device.destination.left + width;
        device.destination.bottom = device.destination.top + height;
        device.source.right = device.source.left + width;
        device.source.bottom = device.source.top + height;
    }
    return device;
}

/// A device context holding a bitmap's pixels for reading: the DC they are already selected
/// into, or a memory DC of their own.
class SourceDc {
public:
    SourceDc(HDC compatibleWith, const Bitmap::Impl& bitmap, const PixelSet& pixels) {
        if (&pixels == &bitmap.pixels && bitmap.selectedIn != nullptr) {
            dc_ = bitmap.selectedIn;
            return;
        }
        memory_.emplace(compatibleWith);
        selection_.emplace(memory_->get(), pixels.bitmap.get());
        dc_ = memory_->get();
    }
    HDC get() const { return dc_; }

private:
    std::optional<MemoryDc> memory_;
    std::optional<Selection> selection_;
    HDC dc_ = nullptr;
};

bool maskIsCached(const Bitmap::Impl& bitmap, const PixelSet& pixels, Rgb key) {
    return pixels.mask && pixels.maskKey == key && pixels.maskGeneration == bitmap.generation;
}

/// Builds the 1-bit mask of the pixels of colour `key` (1 where transparent) and keeps it with
/// them until the bitmap is drawn into or another key is asked for.
HBITMAP cachedMask(HDC compatibleWith, const Bitmap::Impl& bitmap, PixelSet& pixels, Rgb key) {
    if (maskIsCached(bitmap, pixels, key))
        return pixels.mask.get();
    pixels.mask =
        GdiObject<HBITMAP>(CreateBitmap(pixels.pixelWidth, pixels.pixelHeight, 1, 1, nullptr));
    if (!pixels.mask)
        return nullptr;
    pixels.maskKey = key;
    pixels.maskGeneration = bitmap.generation;
    const SourceDc from(compatibleWith, bitmap, pixels);
    const MemoryDc maskDc(compatibleWith);
    const Selection selected(maskDc.get(), pixels.mask.get());
    const COLORREF previousBackground = SetBkColor(from.get(), toColorRef(key));
    BitBlt(maskDc.get(), 0, 0, pixels.pixelWidth, pixels.pixelHeight, from.get(), 0, 0, SRCCOPY);
    SetBkColor(from.get(), previousBackground);
    return pixels.mask.get();
}

/// Copies the transfer's source pixels onto `target` at (x, y) with the raster operation,
/// stretched (in the target's stretch mode) when the sizes differ.
void copyPixels(HDC target, int x, int y, const DeviceTransfer& transfer, HDC source,
                DWORD operation) {
    const Rect& from = transfer.source;
    const int width = transfer.destination.width();
    const int height = transfer.destination.height();
    if (transfer.sameSize())
        BitBlt(target, x, y, width, height, source, from.left, from.top, operation);
    else
        StretchBlt(target, x, y, width, height, source, from.left, from.top, from.width(),
                   from.height(), operation);
}

/// Combines source and destination through the mask on a copy of the destination and copies
/// the result back in one transfer: exclusive-or the image, and the mask, exclusive-or again.
/// Stretched pixels are picked, not blended, so that image and mask stay in step.
void maskedBlit(HDC dc, const DeviceTransfer& transfer, HDC source, HBITMAP mask) {
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
    SetStretchBltMode(scratchDc.get(), COLORONCOLOR);
    BitBlt(scratchDc.get(), 0, 0, width, height, dc, x, y, SRCCOPY);
    copyPixels(scratchDc.get(), 0, 0, transfer, source, SRCINVERT);
    copyPixels(scratchDc.get(), 0, 0, transfer, maskDc.get(), SRCAND);
    copyPixels(scratchDc.get(), 0, 0, transfer, source, SRCINVERT);
    BitBlt(dc, x, y, width, height, scratchDc.get(), 0, 0, SRCCOPY);
}

class BitmapTarget final : public DcOwner {
public:
    explicit BitmapTarget(Bitmap::Impl& bitmap)
        : bitmap_(bitmap), dc_(nullptr), selection_(dc_.get(), bitmap.ownPixels().bitmap.get()) {
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

std::unique_ptr<DrawContext> contextOnDc(HDC dc, std::unique_ptr<DcOwner> owner, double scale) {
    const int saved = SaveDC(dc);
    SetBkMode(dc, TRANSPARENT);
    return std::make_unique<DrawContext>(std::make_unique<DrawContext::Impl>(
        DrawContext::Impl{dc, saved, std::move(owner), win32::Msimg32::acquire(), scale}));
}

std::unique_ptr<DrawContext> DrawContext::onBitmap(Bitmap& target) {
    auto owner = std::make_unique<BitmapTarget>(target.impl());
    const HDC dc = owner->dc();
    return contextOnDc(dc, std::move(owner), target.impl().pixels.scale);
}

std::unique_ptr<DrawContext> DrawContext::inBitmapPixels(Bitmap& target) {
    auto owner = std::make_unique<BitmapTarget>(target.impl());
    const HDC dc = owner->dc();
    return contextOnDc(dc, std::move(owner), 1.0);
}

DrawContext::DrawContext(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}

DrawContext::~DrawContext() {
    GdiFlush();
    RestoreDC(impl_->dc, impl_->savedState);
}

void DrawContext::line(Point from, Point to, Rgb colour, int32_t width) {
    if (width < 1)
        return;
    const double scale = impl_->scale;
    if (scale != 1.0) {
        if (fillStraightLine(impl_->dc, from, to, colour, width, scale))
            return;
        const Point ends[] = {from, to};
        const std::vector<POINT> path = centresOnDevice(ends, scale);
        from = {path[0].x, path[0].y};
        to = {path[1].x, path[1].y};
        width = lineWidthOnDevice(width, scale);
    }
    const GdiObject<HPEN> pen(CreatePen(PS_SOLID, width, toColorRef(colour)));
    const Selection selected(impl_->dc, pen.get());
    MoveToEx(impl_->dc, from.x, from.y, nullptr);
    LineTo(impl_->dc, to.x, to.y);
}

void DrawContext::polyline(std::span<const Point> points, Rgb colour, int32_t width) {
    if (width < 1 || points.size() < 2)
        return;
    const double scale = impl_->scale;
    const std::vector<POINT> path =
        scale == 1.0 ? toPoints(points) : centresOnDevice(points, scale);
    const GdiObject<HPEN> pen(CreatePen(
        PS_SOLID, scale == 1.0 ? width : lineWidthOnDevice(width, scale), toColorRef(colour)));
    const Selection selected(impl_->dc, pen.get());
    Polyline(impl_->dc, path.data(), static_cast<int>(path.size()));
}

void DrawContext::fillPolygon(std::span<const Point> points, Rgb colour) {
    if (points.size() < 3)
        return;
    const std::vector<POINT> outline = cornersOnDevice(points, impl_->scale);
    const GdiObject<HBRUSH> brush(CreateSolidBrush(toColorRef(colour)));
    const Selection brushSelected(impl_->dc, brush.get());
    const Selection noOutline(impl_->dc, GetStockObject(NULL_PEN));
    SetPolyFillMode(impl_->dc, ALTERNATE);
    Polygon(impl_->dc, outline.data(), static_cast<int>(outline.size()));
}

void DrawContext::fillRect(Rect rect, Rgb colour) {
    if (rect.width() <= 0 || rect.height() <= 0)
        return;
    fillDeviceRect(impl_->dc, toDevice(rect, impl_->scale), colour);
}

void DrawContext::drawText(std::string_view text, Rect box, const Font& font, Rgb colour,
                           TextAlign align, bool opaque) {
    if (text.empty() || box.width() <= 0 || box.height() <= 0)
        return;
    const double scale = impl_->scale;
    const bool decorative = font.family == FontFamily::kDecorative;
    const GdiObject<HFONT> handle(
        CreateFontA(-toDevice(font.pixelHeight, scale), 0, 0, 0, font.bold ? FW_BOLD : FW_NORMAL,
                    font.italic, font.underline, FALSE, decorative ? SYMBOL_CHARSET : ANSI_CHARSET,
                    OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                    VARIABLE_PITCH | (decorative ? FF_DECORATIVE : FF_SWISS), font.face));
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
    const Rect onDevice = toDevice(box, scale);
    RECT area{onDevice.left, onDevice.top, onDevice.right, onDevice.bottom};
    const std::string zeroTerminated(text);
    DrawTextA(impl_->dc, zeroTerminated.c_str(), -1, &area, format);
    SetBkMode(impl_->dc, TRANSPARENT);
}

void DrawContext::blit(const Bitmap& source, Rect destination, Point sourceOffset) {
    Bitmap::Impl& bitmap = source.impl();
    const Transfer transfer = clipToSource(destination, sourceOffset, bitmap);
    if (transfer.empty())
        return;
    const PixelSet& pixels = bitmap.pixelsFor(impl_->scale);
    const DeviceTransfer device = onDevice(transfer, pixels, impl_->scale);
    if (device.empty())
        return;
    const SourceDc from(impl_->dc, bitmap, pixels);
    if (!device.sameSize()) {
        // Artwork between the sizes it was drawn at is filtered, not picked pixel by pixel.
        SetStretchBltMode(impl_->dc, HALFTONE);
        SetBrushOrgEx(impl_->dc, 0, 0, nullptr);
    }
    copyPixels(impl_->dc, device.destination.left, device.destination.top, device, from.get(),
               SRCCOPY);
}

void DrawContext::blitTransparent(const Bitmap& source, Rect destination, Point sourceOffset,
                                  Rgb transparent) {
    Bitmap::Impl& bitmap = source.impl();
    const Transfer transfer = clipToSource(destination, sourceOffset, bitmap);
    if (transfer.empty())
        return;
    PixelSet& pixels = bitmap.pixelsFor(impl_->scale);
    const DeviceTransfer device = onDevice(transfer, pixels, impl_->scale);
    if (device.empty())
        return;
    const auto transparentBlt = impl_->msimg32->transparentBlt();
    if (!maskIsCached(bitmap, pixels, transparent) && transparentBlt != nullptr &&
        systemTransparentBltAllowed) {
        const SourceDc from(impl_->dc, bitmap, pixels);
        const Rect& to = device.destination;
        const Rect& read = device.source;
        transparentBlt(impl_->dc, to.left, to.top, to.width(), to.height(), from.get(), read.left,
                       read.top, read.width(), read.height(), toColorRef(transparent));
        return;
    }
    const HBITMAP mask = cachedMask(impl_->dc, bitmap, pixels, transparent);
    if (mask == nullptr)
        return;
    const SourceDc from(impl_->dc, bitmap, pixels);
    maskedBlit(impl_->dc, device, from.get(), mask);
}

} // namespace miral::platform
