// The stand-in host window on X11, with its own Display connection. Pointer buttons are
// pressed through the XTEST extension, as if the user had pressed them.
#include "test_support/host_window.h"

#include "cairo/x11_connection.h"

#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

#include <cstdint>

namespace miral::platform {

struct HostWindow::Impl {
    Display* display;
    ::Window window;
};

std::unique_ptr<HostWindow> HostWindow::open(int32_t width, int32_t height) {
    Display* display = openX11Display().release();
    if (display == nullptr)
        return nullptr;
    const int screen = DefaultScreen(display);
    ::Window window = XCreateSimpleWindow(
        display, RootWindow(display, screen), 0, 0, static_cast<unsigned>(width),
        static_cast<unsigned>(height), 0, BlackPixel(display, screen), BlackPixel(display, screen));
    XSelectInput(display, window, StructureNotifyMask);
    XMapWindow(display, window);
    for (XEvent event;;) { // wait until the window is on the screen
        XNextEvent(display, &event);
        if (event.type == MapNotify && event.xmap.window == window)
            break;
    }
    return std::make_unique<HostWindow>(std::make_unique<Impl>(Impl{display, window}));
}

HostWindow::HostWindow(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}

HostWindow::~HostWindow() {
    XDestroyWindow(impl_->display, impl_->window);
    XCloseDisplay(impl_->display);
}

void* HostWindow::handle() const {
    return reinterpret_cast<void*>(static_cast<uintptr_t>(impl_->window));
}

Rgb HostWindow::pixel(int32_t x, int32_t y) {
    XSync(impl_->display, False);
    XImage* image = XGetImage(impl_->display, impl_->window, x, y, 1, 1, AllPlanes, ZPixmap);
    if (image == nullptr)
        return {};
    const unsigned long value = XGetPixel(image, 0, 0);
    const auto channel = [value](unsigned long mask) {
        int shift = 0;
        while (mask != 0 && (mask & 1) == 0) {
            mask >>= 1;
            ++shift;
        }
        return static_cast<uint8_t>((value >> shift) & mask);
    };
    const Rgb colour{channel(image->red_mask), channel(image->green_mask),
                     channel(image->blue_mask)};
    XDestroyImage(image);
    return colour;
}

void HostWindow::setLeftButton(Point position, bool down) {
    int rootX = 0;
    int rootY = 0;
    ::Window child;
    XTranslateCoordinates(impl_->display, impl_->window, DefaultRootWindow(impl_->display),
                          position.x, position.y, &rootX, &rootY, &child);
    XTestFakeMotionEvent(impl_->display, DefaultScreen(impl_->display), rootX, rootY, 0);
    XTestFakeButtonEvent(impl_->display, Button1, down ? True : False, 0);
    XSync(impl_->display, False);
}

void HostWindow::click(Point position) {
    setLeftButton(position, true);
    setLeftButton(position, false);
}

void HostWindow::doubleClick(Point position) {
    click(position);
    click(position);
}

void HostWindow::type(std::string_view text) {
    Display* display = impl_->display;
    const KeyCode shift = XKeysymToKeycode(display, XK_Shift_L);
    for (const char character : text) {
        KeySym symbol = static_cast<unsigned char>(character); // Latin-1 keysyms are the codes
        if (character == '\r')
            symbol = XK_Return;
        else if (character == '\x1b')
            symbol = XK_Escape;
        else if (character == '\b')
            symbol = XK_BackSpace;
        const KeyCode code = XKeysymToKeycode(display, symbol);
        if (code == 0)
            continue;
        const bool shifted = XkbKeycodeToKeysym(display, code, 0, 0) != symbol;
        if (shifted)
            XTestFakeKeyEvent(display, shift, True, 0);
        XTestFakeKeyEvent(display, code, True, 0);
        XTestFakeKeyEvent(display, code, False, 0);
        if (shifted)
            XTestFakeKeyEvent(display, shift, False, 0);
    }
    XSync(display, False);
}

void HostWindow::setAlt(bool down) {
    XTestFakeKeyEvent(impl_->display, XKeysymToKeycode(impl_->display, XK_Alt_L),
                      down ? True : False, 0);
    XSync(impl_->display, False);
}

} // namespace miral::platform
