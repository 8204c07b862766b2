#pragma once

// The child window of an editor frame inside the host's window. The window tells its owner
// when it must be painted, when a mouse button goes down on it (the left button's second press
// of a double-click apart), when it is destroyed from outside, and, while it holds the keyboard
// focus it took, of keys and of losing that focus; it answers the live pointer position and
// mouse/modifier state.
//
// Threads: a window is created, used and destroyed on the thread of the host's window; events
// are delivered from processEvents() and dispatchPendingPaint() on that thread only.

#include "platform/draw_context.h"
#include "platform/gui_types.h"

#include <memory>

namespace miral::platform {

/// Receives a window's events.
class WindowEvents {
public:
    /// The rectangle `damaged` must be drawn again, through `context`.
    virtual void onPaint(DrawContext& context, Rect damaged) = 0;
    /// The left, middle or right button went down at `position` (window pixels).
    virtual void onButtonDown(DrawContext& context, Point position) = 0;
    /// The window was destroyed from outside (its parent went away).
    virtual void onDestroyed() = 0;
    /// The left button went down at `position` as the second press of a double-click, with
    /// the kModifier bits `modifiers` held; here an ordinary press.
    virtual void onDoubleClick(DrawContext& context, Point position, int32_t /*modifiers*/) {
        onButtonDown(context, position);
    }
    /// A key went down while the window held the keyboard focus it took.
    virtual void onKey(const KeyStroke& /*key*/) {}
    /// The window lost the keyboard focus it took (the user went to another window).
    virtual void onFocusLost() {}

protected:
    ~WindowEvents() = default;
};

class Window {
public:
    virtual ~Window() = default;

    /// A context that draws on the window; what it draws is visible once it is destroyed.
    virtual std::unique_ptr<DrawContext> drawContext() = 0;
    /// Handles the events that arrived since the last call (paint and button presses).
    virtual void processEvents() = 0;
    /// Paints a pending damaged area, if any; true when something was painted.
    virtual bool dispatchPaint() = 0;
    /// The pointer position relative to the window's top-left corner.
    virtual Point pointerPosition() = 0;
    /// The mouse buttons and modifier keys held now (MouseButton bits).
    virtual int32_t mouseButtons() = 0;
    /// The X11 window id of the window, for hosts that embed it by that id; null for windows
    /// that have none (headless, Win32).
    virtual void* nativeHandle() const { return nullptr; }
    /// Takes the keyboard focus from whichever window has it, so that keys reach onKey, and
    /// remembers that window; false where the window system refuses (and here).
    virtual bool takeKeyboardFocus() { return false; }
    /// Hands the keyboard focus back to the window that had it before takeKeyboardFocus, if
    /// this window still holds it; no more keys reach onKey. Nothing when it was not taken.
    virtual void releaseKeyboardFocus() {}
};

/// The toolkit generation a frame window serves. Windows of both behave alike; a backend may
/// tell them apart to its window system.
enum class FrameGeneration { kOriginal, kLater };

/// Opens a visible child window at (0, 0) in the parent window: an X11 window id on Linux, a
/// window handle on Windows, or the handle of a HeadlessScreen. Null when the window cannot be
/// created. width x height are layout pixels: the window takes round(size x scale) screen
/// pixels, its drawing contexts scale what they draw, and positions it reports (pointer,
/// presses, damaged areas) are layout pixels.
std::unique_ptr<Window> openChildWindow(void* parentWindow, int32_t width, int32_t height,
                                        WindowEvents& events,
                                        FrameGeneration generation = FrameGeneration::kOriginal,
                                        double scale = 1.0);

/// Paints one pending damaged area of any window of the process, if there is one.
void dispatchPendingPaint();

} // namespace miral::platform
