#pragma once

// The editor's window: one child window inside the host's window, a background image and a
// flat list of views. The frame draws the views in list order (a modal view last), gives a
// click or double-click to the last-added view under it (or only to the modal view, while one
// is set), routes keys (the host's, and its window's own while it holds the keyboard focus) and
// the wheel, and at every idle redraws in one pass the views that became dirty.
//
// Threads: everything runs on the thread of the host's window. Nothing is drawn before the
// window's first paint.

#include "platform/window.h"
#include "toolkit/generation.h"
#include "toolkit/view.h"

#include <memory>
#include <vector>

namespace miral::toolkit {

class CImage;

class CFrame : public CView, private platform::WindowEvents {
public:
    /// Opens the frame's child window of the size's width and height in `parentWindow` (an X11
    /// window id, or a headless screen's handle). isOpen() is false when that failed. The
    /// generation decides the window's class name and how the controls report their edits.
    /// At `scale` (1 to 3) the window takes round(size x scale) screen pixels; views keep
    /// their layout coordinates and the window scales what they draw.
    CFrame(const CBox& box, void* parentWindow, CFrameEditor* owner,
           ToolkitGeneration toolkitGeneration = ToolkitGeneration::kOriginal, double scale = 1.0);
    /// Removes and forgets every view, releases the background and closes the window.
    ~CFrame() override;

    bool isOpen() const { return open; }
    CFrameEditor* getEditor() const { return editor; }
    ToolkitGeneration getGeneration() const { return generation; }
    platform::Window* getWindow() const { return window.get(); }
    /// Screen pixels per layout pixel.
    double getScale() const { return scale; }

    /// Replaces the background image; the frame keeps a reference.
    void setBackground(CImage* image);
    CImage* getBackground() const { return background.get(); }

    /// Appends a view: the frame takes over the caller's reference. False (the view stays the
    /// caller's) when the list cannot grow.
    bool addView(CView* view);
    /// Removes the view (true when it was a child), forgetting it with withForget.
    bool removeView(CView* view, bool withForget = true);
    void removeAll(bool withForget = true);
    bool isChild(CView* view) const;
    int32_t getNbViews() const { return static_cast<int32_t>(views.size()); }
    /// The view at index, or null outside 0 .. count - 1.
    CView* getView(int32_t index) const;

    /// Sets the view that takes all mouse input (null clears it). False when another modal
    /// view is already set.
    bool setModalView(CView* view);
    CView* getModalView() const { return modalView; }
    /// The view that tracks the mouse or has the keyboard; the previous one loses focus.
    void setFocusView(CView* view);
    CView* getFocusView() const { return focusView; }

    void draw(CDrawPort& port) override;
    void drawRect(CDrawPort& port, const CBox& box) override;
    void update(CDrawPort& port) override;
    void mouse(CDrawPort& port, CPos where) override;
    void doubleClick(CDrawPort& port, CPos where, int32_t modifiers) override;
    int32_t onKeyDown(const CKeyCode& key) override;
    int32_t onKeyUp(const CKeyCode& key) override;
    /// Gives the wheel to the modal view, or to the last-added view under the pointer (the
    /// pointer is read live; `where` is not used).
    bool onWheel(CDrawPort& port, CPos where, float distance) override;
    /// The wheel as the editor forwards it, on a port of the frame's window.
    bool onWheel(float distance);

    /// Handles the window's pending events, then redraws the dirty views (nothing before the
    /// first paint).
    void idle();
    /// Draws the view (null: the whole frame) now.
    void redraw(CView* view = nullptr);
    bool isFirstDrawPending() const { return firstDrawPending; }

    /// The frame's window takes the keyboard focus, so that keys reach the focus view without
    /// the host passing them on; false where the window system refuses (see platform::Window).
    bool takeKeyboardFocus();
    /// Hands the keyboard focus back to whichever window had it before.
    void releaseKeyboardFocus();

    /// Runs the editor's paced idle (nothing without an editor).
    void doIdleStuff();
    int32_t getKnobMode() const;
    void beginEdit(int32_t tag);
    void endEdit(int32_t tag);

private:
    void onPaint(platform::DrawContext& context, platform::Rect damaged) override;
    void onButtonDown(platform::DrawContext& context, platform::Point position) override;
    void onDoubleClick(platform::DrawContext& context, platform::Point position,
                       int32_t modifiers) override;
    void onKey(const platform::KeyStroke& key) override;
    void onFocusLost() override;
    void onDestroyed() override;
    /// The view that a press at `where` goes to: the modal view, while one is set, if the
    /// press is inside it; otherwise the last-added view under it that takes the mouse.
    CView* pressedView(CPos where) const;
    bool anythingDirty() const;
    template <typename KeyHandler> int32_t routeKey(KeyHandler handle);

    CFrameEditor* editor;
    ToolkitGeneration generation;
    double scale;
    CKept<CImage> background;
    std::vector<CView*> views;
    CView* modalView = nullptr;
    CView* focusView = nullptr;
    bool firstDrawPending = true;
    bool open = true;
    std::unique_ptr<platform::Window> window;
};

} // namespace miral::toolkit
