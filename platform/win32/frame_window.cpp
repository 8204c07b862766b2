// The frame's child window: a window class "Plugin%08x" or "Plugin%x" (named after the module
// handle, registered while any frame window of that class exists), paint and button-down
// messages handed to the window's owner (a double-click as the system tells it), keys while the
// window holds the focus it took, and the live pointer and button state. At a scale
// above 1 the window takes round(size x scale) pixels; its owner sees layout pixels.
#include "platform/display_scale.h"
#include "platform/window.h"
#include "win32/gdi_internals.h"
#include "win32/msimg32.h"

#include <atomic>
#include <cstdio>
#include <mutex>

namespace miral::platform {
namespace {

LRESULT CALLBACK frameWindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

/// The process's registration of one of the two frame window classes.
class FrameWindowClass {
public:
    /// The class of the frames of a toolkit generation, named after the module handle:
    /// "Plugin%08x" for the original one, "Plugin%x" for the later one. The two are registered
    /// independently.
    static FrameWindowClass& of(FrameGeneration generation) {
        static FrameWindowClass zeroPadded("Plugin%08x");
        static FrameWindowClass unpadded("Plugin%x");
        return generation == FrameGeneration::kLater ? unpadded : zeroPadded;
    }

    /// Registers the class for the first user.
    void acquire() {
        const std::lock_guard<std::mutex> registration(mutex_);
        if (users_++ > 0)
            return;
        buttonsSwapped_ = GetSystemMetrics(SM_SWAPBUTTON) != 0;
        WNDCLASSA windowClass{};
        windowClass.style = CS_GLOBALCLASS | CS_DBLCLKS;
        windowClass.lpfnWndProc = frameWindowProcedure;
        windowClass.hInstance = libraryModule();
        windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
        windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        windowClass.lpszClassName = name_;
        RegisterClassA(&windowClass);
    }
    /// Unregisters the class after the last user.
    void release() {
        const std::lock_guard<std::mutex> registration(mutex_);
        if (--users_ == 0)
            UnregisterClassA(name_, libraryModule());
    }
    const char* name() const { return name_; }
    /// Whether the system swapped the mouse buttons when a class was last registered.
    static bool buttonsSwapped() { return buttonsSwapped_; }

private:
    explicit FrameWindowClass(const char* format) {
        std::snprintf(name_, sizeof(name_), format,
                      static_cast<unsigned>(reinterpret_cast<uintptr_t>(libraryModule())));
    }

    static inline std::mutex mutex_; // frames may open and close on several threads
    static inline std::atomic<bool> buttonsSwapped_ = false;
    char name_[32]{};
    int users_ = 0;
};

bool isDown(int virtualKey) {
    return (GetAsyncKeyState(virtualKey) & 0x8000) != 0;
}

/// The kModifier bits of a mouse message's wParam, Alt read from the keyboard state.
int32_t modifiersOf(WPARAM wParam) {
    int32_t modifiers = 0;
    if (wParam & MK_SHIFT)
        modifiers |= kModifierShift;
    if (wParam & MK_CONTROL)
        modifiers |= kModifierControl;
    if (GetKeyState(VK_MENU) < 0)
        modifiers |= kModifierAlt;
    return modifiers;
}

/// The kModifier bits held, from the keyboard state of the message being handled.
int32_t heldModifiers() {
    int32_t modifiers = 0;
    if (GetKeyState(VK_SHIFT) < 0)
        modifiers |= kModifierShift;
    if (GetKeyState(VK_CONTROL) < 0)
        modifiers |= kModifierControl;
    if (GetKeyState(VK_MENU) < 0)
        modifiers |= kModifierAlt;
    return modifiers;
}

/// The named key of a virtual-key code; Key::kNone for the others, which come as characters.
Key namedKey(WPARAM virtualKey) {
    switch (virtualKey) {
    case VK_BACK:
        return Key::kBackspace;
    case VK_DELETE:
        return Key::kDelete;
    case VK_RETURN:
        return Key::kReturn;
    case VK_ESCAPE:
        return Key::kEscape;
    case VK_LEFT:
        return Key::kLeft;
    case VK_RIGHT:
        return Key::kRight;
    case VK_HOME:
        return Key::kHome;
    case VK_END:
        return Key::kEnd;
    default:
        return Key::kNone;
    }
}

class WindowDcOwner final : public DcOwner {
public:
    explicit WindowDcOwner(HWND window) : dc_(window) {}
    HDC dc() const { return dc_.get(); }

private:
    win32::WindowDc dc_;
};

class FrameWindow final : public Window {
public:
    /// A window of width x height layout pixels shown at `scale`.
    FrameWindow(HWND parent, int32_t width, int32_t height, WindowEvents& events,
                FrameWindowClass& windowClass, double scale)
        : events_(events), class_(windowClass), scale_(scale) {
        class_.acquire();
        window_ = CreateWindowExA(0, class_.name(), "Window", WS_CHILD | WS_VISIBLE, 0, 0,
                                  scaledLength(width, scale_), scaledLength(height, scale_), parent,
                                  nullptr, libraryModule(), nullptr);
        if (window_ != nullptr)
            SetWindowLongPtrA(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }

    ~FrameWindow() override {
        releaseKeyboardFocus();
        if (window_ != nullptr) {
            SetWindowLongPtrA(window_, GWLP_USERDATA, 0);
            DestroyWindow(window_);
        }
        class_.release();
    }

    bool created() const { return window_ != nullptr; }

    std::unique_ptr<DrawContext> drawContext() override {
        auto owner = std::make_unique<WindowDcOwner>(window_);
        const HDC dc = owner->dc();
        return contextOnDc(dc, std::move(owner), scale_);
    }

    // The host's message loop delivers the window's messages to the window procedure.
    void processEvents() override {}

    bool dispatchPaint() override {
        MSG message;
        if (window_ == nullptr || !PeekMessageA(&message, window_, WM_PAINT, WM_PAINT, PM_REMOVE))
            return false;
        DispatchMessageA(&message);
        return true;
    }

    Point pointerPosition() override {
        POINT position{};
        GetCursorPos(&position);
        if (window_ != nullptr)
            ScreenToClient(window_, &position);
        return toLayout(Point{position.x, position.y}, scale_);
    }

    int32_t mouseButtons() override {
        // The key state names the physical buttons; with swapped buttons the physical right
        // one is the logical left one.
        const bool swapped = FrameWindowClass::buttonsSwapped();
        int32_t buttons = 0;
        if (isDown(swapped ? VK_RBUTTON : VK_LBUTTON))
            buttons |= kButtonLeft;
        if (isDown(VK_MBUTTON))
            buttons |= kButtonMiddle;
        if (isDown(swapped ? VK_LBUTTON : VK_RBUTTON))
            buttons |= kButtonRight;
        if (isDown(VK_SHIFT))
            buttons |= kModifierShift;
        if (isDown(VK_CONTROL))
            buttons |= kModifierControl;
        // Alt only chooses what a click does (it is no drag modifier): as the click saw it, from
        // the key state of the input being handled, so that an Alt released before the click
        // is taken still counts.
        if (GetKeyState(VK_MENU) < 0)
            buttons |= kModifierAlt;
        return buttons;
    }

    bool takeKeyboardFocus() override {
        if (window_ == nullptr)
            return false;
        if (!focused_) {
            const HWND previous = SetFocus(window_);
            if (GetFocus() != window_)
                return false;
            previousFocus_ = previous;
            focused_ = true;
        }
        return true;
    }

    void releaseKeyboardFocus() override {
        if (!focused_)
            return;
        focused_ = false; // before SetFocus, whose WM_KILLFOCUS is no loss to report
        if (window_ != nullptr && GetFocus() == window_)
            SetFocus(previousFocus_ != nullptr && IsWindow(previousFocus_) ? previousFocus_
                                                                           : GetParent(window_));
        previousFocus_ = nullptr;
    }

    LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam) {
        switch (message) {
        case WM_PAINT:
            if (GetUpdateRect(window_, nullptr, FALSE)) {
                const win32::PaintSession paint(window_);
                const RECT& area = paint.area();
                auto context = contextOnDc(paint.dc(), nullptr, scale_);
                events_.onPaint(
                    *context, toLayout(Rect{area.left, area.top, area.right, area.bottom}, scale_));
                return 0;
            }
            break;
        case WM_LBUTTONDOWN:
        case WM_MBUTTONDOWN:
        case WM_RBUTTONDOWN: {
            auto context = drawContext();
            const Point position{static_cast<int16_t>(LOWORD(lParam)),
                                 static_cast<int16_t>(HIWORD(lParam))};
            events_.onButtonDown(*context, toLayout(position, scale_));
            return 0;
        }
        case WM_LBUTTONDBLCLK:
        case WM_MBUTTONDBLCLK:
        case WM_RBUTTONDBLCLK: {
            // The class takes double-clicks: the second press of the middle and right buttons
            // is an ordinary press.
            auto context = drawContext();
            const Point position = toLayout(
                Point{static_cast<int16_t>(LOWORD(lParam)), static_cast<int16_t>(HIWORD(lParam))},
                scale_);
            if (message == WM_LBUTTONDBLCLK)
                events_.onDoubleClick(*context, position, modifiersOf(wParam));
            else
                events_.onButtonDown(*context, position);
            return 0;
        }
        case WM_GETDLGCODE:
            // In a dialog (a property page), Return, Escape and Tab reach the window while it
            // holds the focus it took, instead of the dialog's buttons.
            if (focused_)
                return DLGC_WANTALLKEYS | DLGC_WANTCHARS | DLGC_WANTARROWS;
            break;
        case WM_KEYDOWN:
            if (focused_) {
                if (const Key key = namedKey(wParam); key != Key::kNone)
                    events_.onKey(KeyStroke{key, 0, heldModifiers()});
                return 0;
            }
            break;
        case WM_CHAR:
            if (focused_) {
                // Return, Escape and Backspace came as named keys with their WM_KEYDOWN.
                if (wParam >= ' ' && wParam <= '~')
                    events_.onKey(
                        KeyStroke{Key::kNone, static_cast<char>(wParam), heldModifiers()});
                return 0;
            }
            break;
        case WM_KILLFOCUS:
            if (focused_) {
                focused_ = false;
                previousFocus_ = nullptr;
                events_.onFocusLost();
            }
            break;
        case WM_DESTROY:
            // Destroyed with the host's window: the owner must not use it any more.
            SetWindowLongPtrA(window_, GWLP_USERDATA, 0);
            window_ = nullptr;
            events_.onDestroyed();
            return 0;
        default:
            break;
        }
        return DefWindowProcA(window_, message, wParam, lParam);
    }

private:
    WindowEvents& events_;
    FrameWindowClass& class_;
    double scale_;
    HWND window_ = nullptr;
    /// While the window holds the keyboard focus it took: the window that had it before.
    bool focused_ = false;
    HWND previousFocus_ = nullptr;
    /// Loaded while the window exists, so that drawing on it does not load it every time.
    std::shared_ptr<const win32::Msimg32> msimg32_ = win32::Msimg32::acquire();
};

LRESULT CALLBACK frameWindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* owner = reinterpret_cast<FrameWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (owner == nullptr)
        return DefWindowProcA(window, message, wParam, lParam);
    return owner->handle(message, wParam, lParam);
}

} // namespace

std::unique_ptr<Window> openChildWindow(void* parentWindow, int32_t width, int32_t height,
                                        WindowEvents& events, FrameGeneration generation,
                                        double scale) {
    const auto parent = static_cast<HWND>(parentWindow);
    if (parent == nullptr || !IsWindow(parent) || width <= 0 || height <= 0)
        return nullptr;
    auto window = std::make_unique<FrameWindow>(
        parent, width, height, events, FrameWindowClass::of(generation), clampScale(scale));
    if (!window->created())
        return nullptr;
    return window;
}

void dispatchPendingPaint() {
    MSG message;
    if (PeekMessageA(&message, nullptr, WM_PAINT, WM_PAINT, PM_REMOVE))
        DispatchMessageA(&message);
}

} // namespace miral::platform
