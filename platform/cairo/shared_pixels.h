#pragma once

// Private to the Cairo backend: the pixels of the bitmap resources, decoded once per process
// and shared by every bitmap loaded from the same resource. Shared pixels are only read; a
// bitmap that is drawn into takes a copy of its own first.

#include "cairo/cairo_handles.h"

#include <cstdint>

namespace miral::platform {

/// A new reference to the decoded pixels of resource `id` (decoded on the first call from any
/// thread); null when there is no such resource or it cannot be decoded.
CairoSurface sharedResourcePixels(int32_t id);

/// Drops the pixels decoded for `id`, whose bytes are being replaced or removed; bitmaps that
/// hold them keep them.
void forgetResourcePixels(int32_t id);

} // namespace miral::platform
