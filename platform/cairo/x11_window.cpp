// The frame's child window on X11. The window has its own Display connection; its events
// (exposure, button presses, destruction) are handled when the owner processes events, which
// the editor does when the host idles it. Everything is drawn into a backing image and copied
// to the window when a drawing context finishes, so the window shows exactly the pixels the
// headless screen would.
#include "cairo/cairo_internals.h"
#include "cairo/live_windows.h"
#include "cairo/pending_paint.h"
#include "cairo/x11_connection.h"
#include "cairo/x11_error_trap.h"
#include "cairo/x11_handles.h"
#include "platform/display_scale.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <cairo-xlib.h>

#include <algorithm>
#include <cstdint>
#include <optional>

namespace miral::platform {
namespace {

int32_t buttonsFromState(unsigned int state) {
    int32_t buttons = 0;
    if (state & Button1Mask)
        buttons |= kButtonLeft;
    if (state & Button2Mask)
        buttons |= kButtonMiddle;
    if (state & Button3Mask)
        buttons |= kButtonRight;
    if (state & ShiftMask)
        buttons |= kModifierShift;
    if (state & ControlMask)
        buttons |= kModifierControl;
    if (state & Mod1Mask)
        buttons |= kModifierAlt;
    return buttons;
}

int32_t buttonBit(unsigned int button) {
    switch (button) {
    case Button1:
        return kButtonLeft;
    case Button2:
        return kButtonMiddle;
    case Button3:
        return kButtonRight;
    default:
        return 0; // wheel and extra buttons are not clicks
    }
}

class X11Window final : public Window {
public:
    /// A window of width x height screen pixels showing layout pixels at `scale`.
    X11Window(X11Display display, ::Window window, int32_t width, int32_t height,
              WindowEvents& events, double scale)
        : display_(std::move(display)), window_(window), events_(events), scale_(scale),
          backing_(newImageSurface(width, height)) {
        XWindowAttributes attributes;
        XGetWindowAttributes(display_.get(), window_, &attributes);
        onScreen_.reset(
            cairo_xlib_surface_create(display_.get(), window_, attributes.visual, width, height));
        addLiveWindow(this);
    }

    ~X11Window() override {
        removeLiveWindow(this);
        onScreen_.reset();
        if (!destroyed_) {
            X11ErrorTrap trap(display_.get()); // the host may have destroyed its window already
            XDestroyWindow(display_.get(), window_);
        }
    }

    std::unique_ptr<DrawContext> drawContext() override {
        return contextOnSurface(
            backing_.get(), [this] { show(); }, scale_);
    }

    void processEvents() override {
        // While a button press is being handled (a control tracking the mouse idles the
        // editor), only exposures are taken; further presses wait for the next call.
        if (handlingPress_) {
            collectExposures();
        } else {
            while (!destroyed_ && XPending(display_.get()) > 0) {
                XEvent event;
                XNextEvent(display_.get(), &event);
                handle(event);
            }
        }
        dispatchPaint();
    }

    bool dispatchPaint() override {
        collectExposures();
        return !destroyed_ && pendingPaint_.dispatch(*this, events_);
    }

    Point pointerPosition() override {
        Point position;
        queryPointer(&position);
        return position;
    }

    int32_t mouseButtons() override {
        // Events are handled late (at the host's idle): the first question about the buttons
        // while a press is handled answers the state the press carried, so a quick click that
        // is already over still counts.
        if (pressState_) {
            const int32_t buttons = *pressState_;
            pressState_.reset();
            return buttons;
        }
        return queryPointer(nullptr);
    }

    void* nativeHandle() const override {
        return reinterpret_cast<void*>(static_cast<uintptr_t>(window_));
    }

private:
    int32_t queryPointer(Point* position) {
        if (destroyed_)
            return 0;
        ::Window root;
        ::Window child;
        int rootX;
        int rootY;
        int x = 0;
        int y = 0;
        unsigned int state = 0;
        XQueryPointer(display_.get(), window_, &root, &child, &rootX, &rootY, &x, &y, &state);
        if (position != nullptr)
            *position = toLayout(Point{x, y}, scale_);
        return buttonsFromState(state);
    }

    void collectExposures() {
        XEvent event;
        while (!destroyed_ && XCheckTypedWindowEvent(display_.get(), window_, Expose, &event))
            handle(event);
    }

    void handle(const XEvent& event) {
        switch (event.type) {
        case Expose:
            pendingPaint_.add(toLayout(Rect{event.xexpose.x, event.xexpose.y,
                                            event.xexpose.x + event.xexpose.width,
                                            event.xexpose.y + event.xexpose.height},
                                       scale_));
            break;
        case ButtonPress:
            if (const int32_t button = buttonBit(event.xbutton.button)) {
                dispatchPaint();
                handlingPress_ = true;
                pressState_ = buttonsFromState(event.xbutton.state) | button;
                auto context = drawContext();
                events_.onButtonDown(*context,
                                     toLayout(Point{event.xbutton.x, event.xbutton.y}, scale_));
                context.reset();
                pressState_.reset();
                handlingPress_ = false;
            }
            break;
        case DestroyNotify:
            if (event.xdestroywindow.window == window_) {
                destroyed_ = true;
                events_.onDestroyed();
            }
            break;
        default:
            break;
        }
    }

    void show() {
        if (destroyed_)
            return;
        {
            const CairoContext cairo(cairo_create(onScreen_.get()));
            cairo_set_source_surface(cairo.get(), backing_.get(), 0, 0);
            cairo_set_operator(cairo.get(), CAIRO_OPERATOR_SOURCE);
            cairo_paint(cairo.get());
        }
        cairo_surface_flush(onScreen_.get());
        XSync(display_.get(), False);
    }

    X11Display display_; // closed last: the surfaces below draw through it
    ::Window window_;
    WindowEvents& events_;
    double scale_;
    CairoSurface backing_;
    CairoSurface onScreen_;
    PendingPaint pendingPaint_;
    bool destroyed_ = false;
    bool handlingPress_ = false;
    std::optional<int32_t> pressState_;
};

} // namespace

std::unique_ptr<Window> openX11ChildWindow(void* parentWindow, int32_t layoutWidth,
                                           int32_t layoutHeight, WindowEvents& events,
                                           double scale) {
    const auto parent = static_cast<::Window>(reinterpret_cast<uintptr_t>(parentWindow));
    if (parent == 0 || layoutWidth <= 0 || layoutHeight <= 0)
        return nullptr;
    const int32_t width = scaledLength(layoutWidth, scale);
    const int32_t height = scaledLength(layoutHeight, scale);
    X11Display display = openX11Display();
    if (display == nullptr)
        return nullptr;
    ::Window window = 0;
    {
        X11ErrorTrap trap(display.get());
        XSetWindowAttributes attributes{};
        attributes.event_mask = ExposureMask | ButtonPressMask | StructureNotifyMask;
        attributes.background_pixmap = None;
        window = XCreateWindow(display.get(), parent, 0, 0, static_cast<unsigned>(width),
                               static_cast<unsigned>(height), 0, CopyFromParent, InputOutput,
                               CopyFromParent, CWEventMask | CWBackPixmap, &attributes);
        XStoreName(display.get(), window, "Window");
        XMapWindow(display.get(), window);
        if (trap.failed())
            return nullptr;
    }
    return std::make_unique<X11Window>(std::move(display), window, width, height, events, scale);
}

} // namespace miral::platform
