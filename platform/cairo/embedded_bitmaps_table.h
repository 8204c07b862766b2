#pragma once

// Private to the Cairo backend: lookup in the table of compiled-in bitmap resources.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace miral::platform {

/// The BMP bytes registered as resource `id`, if any.
std::optional<std::span<const std::byte>> findBitmapResource(int32_t id);

} // namespace miral::platform
