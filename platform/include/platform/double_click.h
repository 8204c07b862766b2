#pragma once

// Tells the second press of a double-click from other presses of the left button, for window
// systems that report only presses with their times (X11). Win32 tells double-clicks itself, by
// the user's own settings.

#include "platform/gui_types.h"

#include <cstdint>

namespace miral::platform {

/// Two presses this close in time make a double-click (GTK's and Qt's default).
inline constexpr uint32_t kDoubleClickMs = 400;
/// ... when the second lies at most this many screen pixels from the first, either way.
inline constexpr int32_t kDoubleClickSlopPixels = 4;

class DoubleClickRule {
public:
    /// A press of the left button at `timeMs` (a wrapping millisecond time of the window
    /// system) and `position` (screen pixels): true when it is the second press of a
    /// double-click. A third press starts counting again.
    bool isSecondPress(uint32_t timeMs, Point position);
    /// Another button went down: the next left press is a first one.
    void otherPress() { hasFirst_ = false; }

private:
    bool hasFirst_ = false;
    uint32_t firstTimeMs_ = 0;
    Point first_;
};

} // namespace miral::platform
