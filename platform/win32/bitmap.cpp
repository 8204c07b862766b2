// Bitmaps as device-dependent GDI bitmaps: loaded from the library's bitmap resources with
// LoadBitmap (with the resource drawn at twice the size, when the library has one) the first
// time they are drawn, or made compatible with the screen. Each bitmap has its own: a GDI
// bitmap can be selected into one device context at a time, and editors draw on threads of
// their own.
#include "platform/display_scale.h"
#include "win32/gdi_internals.h"

#include <algorithm>

namespace miral::platform {

HMODULE libraryModule() {
    HMODULE module = nullptr;
    GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                           GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCSTR>(&libraryModule), &module);
    return module;
}

namespace {
/// The bitmap with its size in pixels; an empty set (and the handle deleted) when it has none.
PixelSet pixelSet(HBITMAP handle, double scale) {
    PixelSet set;
    BITMAP info{};
    if (handle == nullptr || GetObject(handle, sizeof(info), &info) == 0) {
        if (handle != nullptr)
            DeleteObject(handle);
        return set;
    }
    set.bitmap = win32::GdiObject<HBITMAP>(handle);
    set.pixelWidth = info.bmWidth;
    set.pixelHeight = info.bmHeight;
    set.scale = scale;
    return set;
}

std::unique_ptr<Bitmap> wrap(PixelSet pixels, int32_t width, int32_t height) {
    if (!pixels.bitmap)
        return nullptr;
    auto impl = std::make_unique<Bitmap::Impl>();
    impl->pixels = std::move(pixels);
    impl->width = width;
    impl->height = height;
    return std::make_unique<Bitmap>(std::move(impl));
}

HBITMAP loadResource(int32_t resourceId) {
    return LoadBitmapA(libraryModule(), MAKEINTRESOURCEA(resourceId));
}

/// The size in pixels the bitmap resource's header gives, without loading its pixels; false
/// when there is no such resource or its header is not a bitmap's.
bool resourceSize(int32_t resourceId, int32_t& width, int32_t& height) {
    const HMODULE module = libraryModule();
    HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(resourceId), MAKEINTRESOURCEA(2));
    HGLOBAL loaded = found != nullptr ? LoadResource(module, found) : nullptr;
    const void* data = loaded != nullptr ? LockResource(loaded) : nullptr;
    const DWORD size = found != nullptr ? SizeofResource(module, found) : 0;
    if (data == nullptr || size < sizeof(BITMAPCOREHEADER))
        return false;
    const auto* core = static_cast<const BITMAPCOREHEADER*>(data);
    if (core->bcSize == sizeof(BITMAPCOREHEADER)) {
        width = core->bcWidth;
        height = core->bcHeight;
    } else {
        if (size < sizeof(BITMAPINFOHEADER) || core->bcSize < sizeof(BITMAPINFOHEADER))
            return false;
        const auto* info = static_cast<const BITMAPINFOHEADER*>(data);
        width = info->biWidth;
        height = info->biHeight < 0 ? -info->biHeight : info->biHeight;
    }
    return width > 0 && height > 0;
}

/// A black bitmap of `width` x `height` layout pixels, `scale` pixels each.
PixelSet blackPixels(int32_t width, int32_t height, double scale) {
    const int32_t pixelWidth = scaledLength(width, scale);
    const int32_t pixelHeight = scaledLength(height, scale);
    const win32::WindowDc screen(nullptr);
    PixelSet pixels =
        pixelSet(CreateCompatibleBitmap(screen.get(), pixelWidth, pixelHeight), scale);
    if (pixels.bitmap) {
        const win32::MemoryDc dc(screen.get());
        const win32::Selection selected(dc.get(), pixels.bitmap.get());
        PatBlt(dc.get(), 0, 0, pixelWidth, pixelHeight, BLACKNESS);
    }
    return pixels;
}
} // namespace

std::unique_ptr<Bitmap> Bitmap::fromResource(int32_t resourceId) {
    int32_t width = 0;
    int32_t height = 0;
    if (!resourceSize(resourceId, width, height))
        return nullptr;
    auto impl = std::make_unique<Impl>();
    impl->resourceId = resourceId;
    impl->width = width;
    impl->height = height;
    return std::make_unique<Bitmap>(std::move(impl));
}

PixelSet& Bitmap::Impl::ownPixels() {
    if (!pixels.bitmap && resourceId != 0) {
        pixels = pixelSet(loadResource(resourceId), 1.0);
        // The header was read when the bitmap was made; pixels that will not load draw black.
        if (!pixels.bitmap || pixels.pixelWidth != width || pixels.pixelHeight != height)
            pixels = blackPixels(width, height, 1.0);
    }
    return pixels;
}

PixelSet& Bitmap::Impl::pixelsFor(double contextScale) {
    if (contextScale <= ownPixels().scale)
        return pixels;
    // Loaded on first use: at 100 % it never is, and most editors are never opened larger.
    if (!doubleSizeLooked_ && resourceId != 0) {
        doubleSizeLooked_ = true;
        PixelSet larger = pixelSet(loadResource(resourceId + kDoubleSizeResourceOffset), 2.0);
        // A double-size set of another shape than twice the bitmap's would misplace every pixel.
        if (larger.pixelWidth == 2 * width && larger.pixelHeight == 2 * height)
            doubleSize_ = std::move(larger);
    }
    return doubleSize_.bitmap ? doubleSize_ : pixels;
}

std::unique_ptr<Bitmap> Bitmap::blank(int32_t width, int32_t height, double scale) {
    width = std::max(width, 1);
    height = std::max(height, 1);
    scale = clampScale(scale);
    return wrap(blackPixels(width, height, scale), width, height);
}

Bitmap::Bitmap(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}

Bitmap::~Bitmap() = default;

int32_t Bitmap::width() const {
    return impl_->width;
}

int32_t Bitmap::height() const {
    return impl_->height;
}

double Bitmap::scale() const {
    return impl_->pixels.scale;
}

} // namespace miral::platform
