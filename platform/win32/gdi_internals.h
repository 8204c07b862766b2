#pragma once

// Private to the Windows backend: what a Bitmap and a DrawContext are here. A bitmap is a
// device-dependent GDI bitmap; a drawing context is a device context (a window's, a paint
// session's or a memory DC holding a bitmap) plus whatever must be released with it.

#include "platform/bitmap.h"
#include "platform/draw_context.h"
#include "win32/gdi_objects.h"

#include <cstdint>
#include <memory>

namespace miral::platform {

struct Bitmap::Impl {
    win32::GdiObject<HBITMAP> bitmap;
    int32_t width = 0;
    int32_t height = 0;
    /// The memory DC the bitmap is selected into while a context draws into it, else null: a
    /// bitmap can be selected into one DC only, so blits from it read that DC.
    HDC selectedIn = nullptr;
    /// Bumped whenever a context drawing into the bitmap finishes; a cached mask is valid for
    /// one generation.
    uint64_t generation = 0;
    /// Cached 1-bit mask of the pixels of maskKey (1 where transparent).
    win32::GdiObject<HBITMAP> mask;
    Rgb maskKey;
    uint64_t maskGeneration = 0;
};

/// Whatever a context must release after drawing: a window DC, a memory DC with its selection.
struct DcOwner {
    virtual ~DcOwner() = default;
};

/// A context drawing on `dc`; `owner` is released once the context is destroyed.
std::unique_ptr<DrawContext> contextOnDc(HDC dc, std::unique_ptr<DcOwner> owner);

/// The module (DLL or program) this code is linked into: the owner of its resources and of the
/// frame's window class.
HMODULE libraryModule();

inline COLORREF toColorRef(Rgb colour) {
    return RGB(colour.red, colour.green, colour.blue);
}

} // namespace miral::platform
