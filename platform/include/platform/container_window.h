#pragma once

// Linux: a plain X11 window inside a host's window that holds an editor's window. A host that
// embeds a user interface by its window id keeps that id for good, so the editor, which opens
// a new window of its own whenever its scale changes, opens in this one, which stays and takes
// the new size.

#include <cstdint>
#include <memory>

namespace miral::platform {

class ContainerWindow {
public:
    virtual ~ContainerWindow() = default;
    /// The X11 window id, as a handle to open the editor in and to give the host.
    virtual void* handle() const = 0;
    /// Gives the window a new size in screen pixels.
    virtual void resize(int32_t width, int32_t height) = 0;
};

/// A visible window of width x height screen pixels at (0, 0) in the X11 window
/// `parentWindow`; null when it cannot be created.
std::unique_ptr<ContainerWindow> openContainerWindow(void* parentWindow, int32_t width,
                                                     int32_t height);

} // namespace miral::platform
