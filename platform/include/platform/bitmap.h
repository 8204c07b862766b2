#pragma once

// A bitmap in the platform's own format: the source of block transfers and the target of an
// off-screen drawing context. Loaded from the library's resources by identifier, or blank.

#include <cstdint>
#include <memory>

namespace miral::platform {

class Bitmap {
public:
    struct Impl;

    /// The bitmap resource of the library with this identifier; null when there is none or it
    /// cannot be decoded.
    static std::unique_ptr<Bitmap> fromResource(int32_t resourceId);
    /// A black bitmap of the given size (at least 1 x 1).
    static std::unique_ptr<Bitmap> blank(int32_t width, int32_t height);

    explicit Bitmap(std::unique_ptr<Impl> impl);
    ~Bitmap();
    Bitmap(const Bitmap&) = delete;
    Bitmap& operator=(const Bitmap&) = delete;

    int32_t width() const;
    int32_t height() const;

    Impl& impl() const { return *impl_; }

private:
    std::unique_ptr<Impl> impl_;
};

} // namespace miral::platform
