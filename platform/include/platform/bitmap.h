#pragma once

// A bitmap in the platform's own format: the source of block transfers and the target of an
// off-screen drawing context. Loaded from the library's resources by identifier, or blank.
//
// Sizes are layout pixels. A bitmap may hold more screen pixels than that (a blank bitmap made
// for a scaled window, or a resource that comes with a set drawn at twice the size); drawing
// contexts pick the pixels that suit their own scale.

#include <cstdint>
#include <memory>

namespace miral::platform {

/// The resource of a bitmap drawn at twice the size has the identifier of its full-size
/// bitmap plus this.
inline constexpr int32_t kDoubleSizeResourceOffset = 10000;

class Bitmap {
public:
    struct Impl;

    /// The bitmap resource of the library with this identifier; null when there is none or it
    /// cannot be decoded. Its double-size resource, when there is one, comes with it.
    static std::unique_ptr<Bitmap> fromResource(int32_t resourceId);
    /// A black bitmap of the given layout size (at least 1 x 1) holding round(size x scale)
    /// pixels, for drawing at that scale.
    static std::unique_ptr<Bitmap> blank(int32_t width, int32_t height, double scale = 1.0);

    explicit Bitmap(std::unique_ptr<Impl> impl);
    ~Bitmap();
    Bitmap(const Bitmap&) = delete;
    Bitmap& operator=(const Bitmap&) = delete;

    int32_t width() const;
    int32_t height() const;
    /// Pixels per layout pixel of the bitmap's own pixels (a blank bitmap's scale; 1 for a
    /// resource, whatever double-size set it comes with).
    double scale() const;

    Impl& impl() const { return *impl_; }

private:
    std::unique_ptr<Impl> impl_;
};

} // namespace miral::platform
