#pragma once

// A rectangle of the frame that draws itself and may take mouse, key and wheel input. Views
// are shared by reference count and are owned by the frame they are added to. Nothing is drawn when
// a view changes: it becomes dirty, and the frame redraws dirty views at its next idle.

#include "toolkit/geometry.h"
#include "toolkit/key_code.h"
#include "toolkit/reference.h"

#include <cstdint>

namespace miral::toolkit {

class CDrawPort;
class CFrame;
class CFrameEditor;

class CView : public CReferenceCounted {
public:
    explicit CView(const CBox& box);

    /// Draws the view; here only marks it clean.
    virtual void draw(CDrawPort& port);
    /// Draws the part inside `box`; here the whole view.
    virtual void drawRect(CDrawPort& port, const CBox& box);
    /// True when `box` overlaps the view.
    virtual bool checkUpdate(const CBox& box) const;
    /// A mouse button went down at `where` (frame pixels); nothing here.
    virtual void mouse(CDrawPort& port, CPos where);
    /// The left button went down at `where` as the second press of a double-click, with the
    /// CButton modifier bits `modifiers` held; here the same as mouse().
    virtual void doubleClick(CDrawPort& port, CPos where, int32_t modifiers);
    /// Draws the view if it is dirty.
    virtual void update(CDrawPort& port);
    /// A key: the result of handling it, or -1 when the view does not take it.
    virtual int32_t onKeyDown(const CKeyCode& key);
    virtual int32_t onKeyUp(const CKeyCode& key);
    /// The wheel turned by `distance` notches with the pointer at `where`; true when used.
    virtual bool onWheel(CDrawPort& port, CPos where, float distance);
    virtual void loseFocus(CDrawPort* port);
    virtual void takeFocus(CDrawPort* port);
    /// The frame's window lost the keyboard focus it had taken while this view had the
    /// frame's focus; nothing here.
    virtual void keyboardFocusLost();

    virtual bool isDirty() const { return dirty; }
    virtual void setDirty(bool value = true) { dirty = value; }
    virtual void setMouseEnabled(bool enabled) { mouseEnabled = enabled; }
    virtual bool getMouseEnabled() const { return mouseEnabled; }
    /// True when `where` lies in the view, all four edges included.
    virtual bool hitTest(CPos where) const;
    virtual void setTransparency(bool value) { transparency = value; }
    virtual bool getTransparency() const { return transparency; }
    /// Moves or resizes the view and marks it dirty.
    virtual void setViewSize(const CBox& box);
    virtual CBox getViewSize() const { return size; }
    virtual void setFrame(CFrame* owner) { frame = owner; }
    CFrame* getFrame() const { return frame; }
    /// The editor of the frame, or null.
    CFrameEditor* getEditor() const;
    /// Told when the view joins (attached) or leaves (removed) the frame; true when accepted.
    virtual bool attached(CView* parent);
    virtual bool removed(CView* parent);

protected:
    ~CView() override = default;

    CBox size;
    CFrame* frame = nullptr;
    bool dirty = false;
    bool mouseEnabled = true;
    bool transparency = false;
};

} // namespace miral::toolkit
