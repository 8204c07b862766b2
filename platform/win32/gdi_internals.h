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

/// A bitmap's pixels of one size, with the 1-bit mask of one colour cached for them.
struct PixelSet {
    win32::GdiObject<HBITMAP> bitmap;
    int32_t pixelWidth = 0;
    int32_t pixelHeight = 0;
    double scale = 1.0; ///< pixels per layout pixel
    /// Cached 1-bit mask of the pixels of maskKey (1 where transparent), valid for the
    /// bitmap's generation maskGeneration.
    win32::GdiObject<HBITMAP> mask;
    Rgb maskKey;
    uint64_t maskGeneration = 0;
};

struct Bitmap::Impl {
    /// The pixels contexts draw into: one per layout pixel, or more for a scaled blank bitmap.
    /// A resource's are loaded the first time they are drawn from or into (see ownPixels).
    PixelSet pixels;
    /// The resource the bitmap was loaded from; 0 for none.
    int32_t resourceId = 0;
    int32_t width = 0; ///< layout pixels
    int32_t height = 0;
    /// The memory DC `pixels` is selected into while a context draws into it, else null: a
    /// bitmap can be selected into one DC only, so blits from it read that DC.
    HDC selectedIn = nullptr;
    /// Bumped whenever a context drawing into the bitmap finishes; a cached mask is valid for
    /// one generation.
    uint64_t generation = 0;

    /// The set that suits a context drawing at `contextScale`: the double-size set when the
    /// context draws larger than `pixels` and there is one, loaded the first time it is asked
    /// for.
    PixelSet& pixelsFor(double contextScale);
    /// `pixels`, loaded from the resource first where they are not yet: a plug-in instance
    /// whose editor is never drawn holds no GDI bitmap.
    PixelSet& ownPixels();

private:
    /// The resource's set drawn at twice the size, if it has one; never drawn into.
    PixelSet doubleSize_;
    bool doubleSizeLooked_ = false;
};

/// Whatever a context must release after drawing: a window DC, a memory DC with its selection.
struct DcOwner {
    virtual ~DcOwner() = default;
};

/// A context drawing on `dc` in layout pixels, `scale` device pixels each; `owner` is released
/// once the context is destroyed.
std::unique_ptr<DrawContext> contextOnDc(HDC dc, std::unique_ptr<DcOwner> owner,
                                         double scale = 1.0);

/// The module (DLL or program) this code is linked into: the owner of its resources and of the
/// frame's window class.
HMODULE libraryModule();

inline COLORREF toColorRef(Rgb colour) {
    return RGB(colour.red, colour.green, colour.blue);
}

} // namespace miral::platform
