#pragma once

// The editor's display scale: how many screen pixels one pixel of the editor's layout takes
// (1 at 100 %, 2 at 200 %). The layout keeps its own coordinates; windows and bitmaps apply the
// scale when they draw and divide pointer positions by it.

#include "platform/gui_types.h"

#include <cstdint>
#include <optional>
#include <string_view>

namespace miral::platform {

inline constexpr double kSmallestScale = 1.0;
inline constexpr double kLargestScale = 3.0;

/// The scale brought into kSmallestScale .. kLargestScale; not-a-number gives 1.
double clampScale(double scale);

/// The screen pixels of `length` layout pixels: round(length x scale).
int32_t scaledLength(int32_t length, double scale);

/// The first screen pixel of layout edge `position`: the first whose centre lies at or after
/// it. Drawing without anti-aliasing gives each screen pixel to the layout pixel that holds its
/// centre, so a layout edge inside a screen pixel (at scales such as 1.5) passes the pixel on.
int32_t firstScreenPixel(int32_t position, double scale);

/// The layout pixel under screen pixel `point`: the one drawn on it, which holds its centre.
Point toLayout(Point point, double scale);
/// The layout pixels that cover the screen pixels of `rect`.
Rect toLayout(Rect rect, double scale);

/// The scale an X resource database (the text of the RESOURCE_MANAGER property) asks for
/// through Xft.dpi, 96 dots per inch being 1; none when it has no usable Xft.dpi.
std::optional<double> scaleFromXftDpi(std::string_view resources);

/// The scale in the text of the GDK_SCALE environment variable; none when it is not a number
/// above zero.
std::optional<double> scaleFromGdkScale(const char* text);

/// The scale of a screen of `dotsPerInch`, 96 being 1; none when it is not above zero.
std::optional<double> scaleFromDpi(int32_t dotsPerInch);

/// The desktop's scale: the X server's Xft.dpi, else GDK_SCALE, else 1 (Linux); the system's
/// DPI (Windows). Clamped to kSmallestScale .. kLargestScale.
double desktopScale();

/// Whether an editor's scale follows the window it opens in and the host's own content-scale
/// call: on Windows, where every window has its DPI and hosts announce the scale they draw
/// at. Elsewhere the desktop's scale, or the one the host's plug-in interface passes, holds.
#if defined(_WIN32)
inline constexpr bool kScaleFollowsWindow = true;
#else
inline constexpr bool kScaleFollowsWindow = false;
#endif

/// The scale of the screen under a window: its DPI where the system keeps one per window,
/// else the desktop's scale. Clamped to kSmallestScale .. kLargestScale.
double windowScale(void* window);

} // namespace miral::platform
