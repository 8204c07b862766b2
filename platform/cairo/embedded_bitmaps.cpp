// The table of bitmap resources compiled into the library.
#include "cairo/embedded_bitmaps_table.h"

#include "cairo/shared_pixels.h"

#include "platform/embedded_bitmaps.h"

#include <map>

namespace miral::platform {
namespace {
std::map<int32_t, std::span<const std::byte>>& table() {
    static std::map<int32_t, std::span<const std::byte>> resources;
    return resources;
}
} // namespace

void registerBitmapResource(int32_t id, std::span<const std::byte> bmp) {
    forgetResourcePixels(id);
    table()[id] = bmp;
}

void unregisterBitmapResource(int32_t id) {
    forgetResourcePixels(id);
    table().erase(id);
}

std::optional<std::span<const std::byte>> findBitmapResource(int32_t id) {
    auto found = table().find(id);
    if (found == table().end())
        return std::nullopt;
    return found->second;
}

} // namespace miral::platform
