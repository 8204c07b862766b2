#pragma once

// A top-level window that stands in for a host's window on the real window system, for tests
// and for showing an editor outside a host: an editor opens its frame inside handle(). It can
// read pixels back from the screen and press the real pointer's buttons and the Alt key.

#include "platform/gui_types.h"

#include <memory>

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
    /// Presses (or releases) the Alt key, as for an Alt-click.
    void setAltKey(bool down);

private:
    std::unique_ptr<Impl> impl_;
};

} // namespace miral::platform
