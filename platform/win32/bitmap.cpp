// Bitmaps as device-dependent GDI bitmaps: loaded from the library's bitmap resources with
// LoadBitmap, or made compatible with the screen.
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
std::unique_ptr<Bitmap> wrap(HBITMAP handle) {
    BITMAP info{};
    if (handle == nullptr || GetObject(handle, sizeof(info), &info) == 0) {
        if (handle != nullptr)
            DeleteObject(handle);
        return nullptr;
    }
    auto impl = std::make_unique<Bitmap::Impl>();
    impl->bitmap = win32::GdiObject<HBITMAP>(handle);
    impl->width = info.bmWidth;
    impl->height = info.bmHeight;
    return std::make_unique<Bitmap>(std::move(impl));
}
} // namespace

std::unique_ptr<Bitmap> Bitmap::fromResource(int32_t resourceId) {
    return wrap(LoadBitmapA(libraryModule(), MAKEINTRESOURCEA(resourceId)));
}

std::unique_ptr<Bitmap> Bitmap::blank(int32_t width, int32_t height, double) {
    width = std::max(width, 1);
    height = std::max(height, 1);
    const win32::WindowDc screen(nullptr);
    std::unique_ptr<Bitmap> bitmap = wrap(CreateCompatibleBitmap(screen.get(), width, height));
    if (bitmap) {
        const win32::MemoryDc dc(screen.get());
        const win32::Selection selected(dc.get(), bitmap->impl().bitmap.get());
        PatBlt(dc.get(), 0, 0, width, height, BLACKNESS);
    }
    return bitmap;
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
    return 1.0;
}

} // namespace miral::platform
