#include "platform/double_click.h"

#include <cstdlib>

namespace miral::platform {

bool DoubleClickRule::isSecondPress(uint32_t timeMs, Point position) {
    const bool second = hasFirst_ && timeMs - firstTimeMs_ <= kDoubleClickMs &&
                        std::abs(position.x - first_.x) <= kDoubleClickSlopPixels &&
                        std::abs(position.y - first_.y) <= kDoubleClickSlopPixels;
    hasFirst_ = !second;
    firstTimeMs_ = timeMs;
    first_ = position;
    return second;
}

} // namespace miral::platform
