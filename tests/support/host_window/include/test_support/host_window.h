#pragma once

// A top-level window that stands in for a host's window on the real window system, for tests
// and for showing an editor outside a host: an editor opens its frame inside handle(). It can
// read pixels back from the screen, press the real pointer's buttons and the Alt key, and type
// on the real keyboard.

#include "platform/gui_types.h"

#include <memory>
#include <string_view>

namespace miral::platform {

class HostWindow {
public:
    struct Impl;

    /// A mapped window of width x height; null when there is no window system to show it on.
    static std::unique_ptr<HostWindow> open(int32_t width, int32_t height);

    explicit HostWindow(std::unique_ptr<Impl> impl);
    ~HostWindow();
    HostWindow(const HostWindow&) = delete;
    HostWindow& operator=(const HostWindow&) = delete;

    /// The window as a parent handle for an editor.
    void* handle() const;
    /// The colour shown at (x, y) of the window, child windows included, as the window system
    /// has it now.
    Rgb pixel(int32_t x, int32_t y);
    /// Moves the pointer to (x, y) of the window and presses (or releases) the left button.
    void setLeftButton(Point position, bool down);
    /// Clicks the left button at (x, y) of the window: pressed, held a moment and let go, also
    /// when the press tracks the pointer until then inside the window's own handling.
    void click(Point position);
    /// Double-clicks the left button at (x, y) of the window.
    void doubleClick(Point position);
    /// Types `text` on the keyboard, to whichever window has the keyboard focus: printable
    /// ASCII characters, '\r' for Return, '\x1b' for Escape, '\b' for Backspace.
    void type(std::string_view text);
    /// Presses (or releases) the keyboard's Alt key, as for an Alt-click.
    void setAlt(bool down);

private:
    std::unique_ptr<Impl> impl_;
};

} // namespace miral::platform
