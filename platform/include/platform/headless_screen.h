#pragma once

// A screen without a window system, standing in for the host's window: the child window
// opened in it draws into an image held in memory, and its pointer, mouse buttons and modifier
// keys follow what the test (or the command line) sets.
//
// Pointer script: steps queued with queue() are consumed one per read of the pointer position
// (the read answers the new step's position; button reads answer the current step's buttons).
// When the script runs out, a position read releases every button, so a drag always ends.
//
// Keys: the child window takes the screen's keyboard focus as it would a window system's; keys
// typed reach it only while it holds it.
//
// Positions given to the screen are screen pixels; a child window opened at a scale turns them
// into its layout pixels.

#include "platform/gui_types.h"

#include <deque>
#include <memory>

namespace miral::platform {

class HeadlessWindow;
class Window;
class WindowEvents;

class HeadlessScreen {
public:
    struct Step {
        Point position;
        int32_t buttons = 0; ///< MouseButton bits held at this step
    };

    /// A black screen of width x height pixels.
    HeadlessScreen(int32_t width, int32_t height);
    ~HeadlessScreen();
    HeadlessScreen(const HeadlessScreen&) = delete;
    HeadlessScreen& operator=(const HeadlessScreen&) = delete;

    /// The handle to pass as parent window to openChildWindow (or to an editor's open).
    void* handle() { return this; }

    /// Sets the pointer state now, without an event.
    void setPointer(Point position, int32_t buttons = 0);
    /// Appends a step to the pointer script.
    void queue(Step step);
    /// Sets the pointer state and delivers a button press to the child window; returns when
    /// the child has handled it (after any drag it started).
    void press(Point position, int32_t buttons = kButtonLeft);
    /// The same for the left button's second press of a double-click (after press()), with
    /// the kModifier bits of `buttons` held.
    void doubleClick(Point position, int32_t buttons = kButtonLeft);
    /// Types a key: true when it reached the child window, which holds the keyboard focus.
    bool type(const KeyStroke& key);
    /// Whether the child window holds the keyboard focus.
    bool childHasKeyboardFocus() const { return childFocused_; }
    /// The user moves the keyboard focus to another window: the child loses it.
    void focusElsewhere();
    /// Marks the rectangle for painting at the next event processing.
    void damage(Rect rect);

    int32_t width() const { return width_; }
    int32_t height() const { return height_; }
    /// The colour of one pixel of the picture; black outside the screen.
    Rgb pixel(int32_t x, int32_t y) const;
    /// Writes the picture as a PNG file; false when it cannot be written.
    bool savePng(const char* path) const;

private:
    friend class HeadlessWindow;
    friend std::unique_ptr<Window> openHeadlessChildWindow(HeadlessScreen&, int32_t, int32_t,
                                                           WindowEvents&, double);
    struct Surface;

    /// Moves the script one step on and answers the pointer position.
    Point advancePointer();

    int32_t width_;
    int32_t height_;
    std::unique_ptr<Surface> surface_;
    HeadlessWindow* child_ = nullptr;
    bool childFocused_ = false;
    Step current_;
    std::deque<Step> script_;
};

} // namespace miral::platform
