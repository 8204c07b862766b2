#include "platform/container_window.h"

#include "cairo/x11_error_trap.h"
#include "cairo/x11_handles.h"

namespace miral::platform {
namespace {

class X11ContainerWindow final : public ContainerWindow {
public:
    X11ContainerWindow(X11Display display, ::Window window)
        : display_(std::move(display)), window_(window) {}

    ~X11ContainerWindow() override {
        // The host may have destroyed it with its own window already.
        X11ErrorTrap trap(display_.get());
        XDestroyWindow(display_.get(), window_);
    }

    void* handle() const override {
        return reinterpret_cast<void*>(static_cast<uintptr_t>(window_));
    }

    void resize(int32_t width, int32_t height) override {
        if (width <= 0 || height <= 0)
            return;
        X11ErrorTrap trap(display_.get());
        XResizeWindow(display_.get(), window_, static_cast<unsigned>(width),
                      static_cast<unsigned>(height));
    }

private:
    X11Display display_;
    ::Window window_;
};

} // namespace

std::unique_ptr<ContainerWindow> openContainerWindow(void* parentWindow, int32_t width,
                                                     int32_t height) {
    const auto parent = static_cast<::Window>(reinterpret_cast<uintptr_t>(parentWindow));
    if (parent == 0 || width <= 0 || height <= 0)
        return nullptr;
    X11Display display(XOpenDisplay(nullptr));
    if (display == nullptr)
        return nullptr;
    ::Window window = 0;
    {
        X11ErrorTrap trap(display.get());
        window = XCreateSimpleWindow(display.get(), parent, 0, 0, static_cast<unsigned>(width),
                                     static_cast<unsigned>(height), 0, 0, 0);
        XMapWindow(display.get(), window);
        if (trap.failed())
            return nullptr;
    }
    return std::make_unique<X11ContainerWindow>(std::move(display), window);
}

} // namespace miral::platform
