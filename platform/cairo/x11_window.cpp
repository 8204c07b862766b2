// The frame's child window on X11. The window has its own Display connection; its events
// (exposure, button presses, destruction; keys and focus changes while it holds the keyboard
// focus it took) are handled when the owner processes events, which the editor does when the
// host idles it. Double-clicks are told by the presses' server times. Everything is drawn into a
// backing image and copied to the window when a drawing context finishes, so the window shows
// exactly the pixels the headless screen would.
#include "cairo/cairo_internals.h"
#include "cairo/live_windows.h"
#include "cairo/pending_paint.h"
#include "cairo/x11_connection.h"
#include "cairo/x11_error_trap.h"
#include "cairo/x11_handles.h"
#include "platform/display_scale.h"
#include "platform/double_click.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>
#include <cairo-xlib.h>

#include <algorithm>
#include <cstdint>
#include <optional>

namespace miral::platform {
namespace {

/// The events every frame window takes; keys and focus changes only while it holds the focus.
constexpr long kWindowEvents = ExposureMask | ButtonPressMask | StructureNotifyMask;
constexpr long kFocusedWindowEvents = kWindowEvents | KeyPressMask | FocusChangeMask;

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

/// The key of a key press event: a named key, a printable character, or nothing.
std::optional<KeyStroke> keyOf(XKeyEvent& event) {
    char text[8] = {};
    KeySym symbol = NoSymbol;
    const int length = XLookupString(&event, text, sizeof text, &symbol, nullptr);
    const int32_t modifiers =
        buttonsFromState(event.state) & ~(kButtonLeft | kButtonMiddle | kButtonRight);
    switch (symbol) {
    case XK_BackSpace:
        return KeyStroke{Key::kBackspace, 0, modifiers};
    case XK_Delete:
    case XK_KP_Delete:
        return KeyStroke{Key::kDelete, 0, modifiers};
    case XK_Return:
    case XK_KP_Enter:
        return KeyStroke{Key::kReturn, 0, modifiers};
    case XK_Escape:
        return KeyStroke{Key::kEscape, 0, modifiers};
    case XK_Left:
    case XK_KP_Left:
        return KeyStroke{Key::kLeft, 0, modifiers};
    case XK_Right:
    case XK_KP_Right:
        return KeyStroke{Key::kRight, 0, modifiers};
    case XK_Home:
    case XK_KP_Home:
        return KeyStroke{Key::kHome, 0, modifiers};
    case XK_End:
    case XK_KP_End:
        return KeyStroke{Key::kEnd, 0, modifiers};
    default:
        break;
    }
    if (length == 1 && text[0] >= ' ' && text[0] <= '~')
        return KeyStroke{Key::kNone, text[0], modifiers};
    return std::nullopt;
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
        releaseKeyboardFocus();
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

    bool takeKeyboardFocus() override {
        if (destroyed_)
            return false;
        if (focused_)
            return true;
        X11ErrorTrap trap(display_.get()); // a window that is not viewable cannot take it
        XGetInputFocus(display_.get(), &previousFocus_, &previousRevert_);
        XSelectInput(display_.get(), window_, kFocusedWindowEvents);
        XSetInputFocus(display_.get(), window_, RevertToParent, CurrentTime);
        focused_ = !trap.failed();
        if (!focused_)
            XSelectInput(display_.get(), window_, kWindowEvents);
        return focused_;
    }

    void releaseKeyboardFocus() override {
        if (!focused_)
            return;
        focused_ = false;
        if (destroyed_)
            return;
        X11ErrorTrap trap(display_.get()); // the window that had the focus may be gone
        XSelectInput(display_.get(), window_, kWindowEvents);
        ::Window holder = None;
        int revert = 0;
        XGetInputFocus(display_.get(), &holder, &revert);
        if (holder == window_ && previousFocus_ != window_)
            XSetInputFocus(display_.get(), previousFocus_, previousRevert_, CurrentTime);
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
                const Point screen{event.xbutton.x, event.xbutton.y};
                bool second = false;
                if (button == kButtonLeft)
                    second = doubleClicks_.isSecondPress(static_cast<uint32_t>(event.xbutton.time),
                                                         screen);
                else
                    doubleClicks_.otherPress();
                dispatchPaint();
                handlingPress_ = true;
                pressState_ = buttonsFromState(event.xbutton.state) | button;
                auto context = drawContext();
                if (second)
                    events_.onDoubleClick(*context, toLayout(screen, scale_),
                                          buttonsFromState(event.xbutton.state));
                else
                    events_.onButtonDown(*context, toLayout(screen, scale_));
                context.reset();
                pressState_.reset();
                handlingPress_ = false;
            }
            break;
        case KeyPress:
            if (focused_) {
                XKeyEvent press = event.xkey; // XLookupString takes it writable
                if (const std::optional<KeyStroke> key = keyOf(press))
                    events_.onKey(*key);
            }
            break;
        case FocusOut:
            // Focus moving into a child, a pointer's focus or a keyboard grab is no loss.
            if (focused_ && event.xfocus.window == window_ && event.xfocus.mode == NotifyNormal &&
                event.xfocus.detail != NotifyInferior && event.xfocus.detail != NotifyPointer) {
                focused_ = false;
                XSelectInput(display_.get(), window_, kWindowEvents);
                events_.onFocusLost();
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
    DoubleClickRule doubleClicks_;
    bool focused_ = false;
    ::Window previousFocus_ = None;
    int previousRevert_ = RevertToParent;
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
        attributes.event_mask = kWindowEvents;
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
