#pragma once

// Windows: what the tests ask of the window system beyond the platform interface: class
// names and children of windows, the system's mouse-button swap, message boxes to dismiss,
// and running the thread's message loop.

#include "platform/gui_types.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace miral::platform::win32 {

/// The window class name of the window.
std::string windowClassName(void* window);
/// The first child window of the window, or null.
void* firstChildWindow(void* parent);
/// Whether the handle names an existing window.
bool windowExists(void* window);
/// The module handle of the process's program.
void* programModule();

/// Sets whether the system exchanges the left and right mouse buttons; returns the previous
/// setting.
bool swapMouseButtons(bool swapped);

/// Moves the pointer to (x, y) of the window; no message is dispatched.
void movePointer(void* window, Point position);
/// Releases the left mouse button, as the user does; no message is dispatched.
void releaseLeftButton();
/// The size of the window's client area.
Point clientSize(void* window);

/// The pixels of the window's top-left width x height, child windows included, rows from the
/// top, as the window system shows them now.
std::vector<Rgb> capturePixels(void* window, int32_t width, int32_t height);

/// Dispatches the messages waiting for the calling thread.
void dispatchPendingMessages();

/// Waits up to `timeoutMs` for a top-level message box of another thread with this caption,
/// presses its OK button and answers its text; nothing when none appeared.
std::optional<std::string> dismissMessageBox(const char* caption, uint32_t timeoutMs);

} // namespace miral::platform::win32
