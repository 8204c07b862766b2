#include "cairo/pending_paint.h"

#include <algorithm>

namespace miral::platform {
namespace {
bool isEmpty(Rect rect) {
    return rect.width() <= 0 || rect.height() <= 0;
}
} // namespace

void PendingPaint::add(Rect rect) {
    if (isEmpty(rect))
        return;
    area_ = isEmpty(area_)
                ? rect
                : Rect{std::min(area_.left, rect.left), std::min(area_.top, rect.top),
                       std::max(area_.right, rect.right), std::max(area_.bottom, rect.bottom)};
}

bool PendingPaint::dispatch(Window& window, WindowEvents& events) {
    if (isEmpty(area_))
        return false;
    const Rect area = area_;
    area_ = {};
    auto context = window.drawContext();
    events.onPaint(*context, area);
    return true;
}

} // namespace miral::platform
