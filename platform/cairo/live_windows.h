#pragma once

// Private to the Cairo backend: the windows alive in the process, so that a pending paint of
// any of them can be dispatched, and the headless screens that may serve as parents.

#include "platform/headless_screen.h"
#include "platform/window.h"

namespace miral::platform {

void addLiveWindow(Window* window);
void removeLiveWindow(Window* window);

void addHeadlessScreen(HeadlessScreen* screen);
void removeHeadlessScreen(HeadlessScreen* screen);
/// The live headless screen whose handle is `parentWindow`, or null.
HeadlessScreen* findHeadlessScreen(void* parentWindow);

/// Opens an X11 child window of width x height layout pixels at `scale`; null when there is
/// no display or no such parent.
std::unique_ptr<Window> openX11ChildWindow(void* parentWindow, int32_t width, int32_t height,
                                           WindowEvents& events, double scale);
/// Opens the child window of a headless screen (width x height layout pixels at `scale`);
/// null when the screen already has one.
std::unique_ptr<Window> openHeadlessChildWindow(HeadlessScreen& screen, int32_t width,
                                                int32_t height, WindowEvents& events, double scale);

} // namespace miral::platform
