#pragma once

// The editor base of a toolkit editor: reports the editor's rectangle, forwards idle time,
// keys, the wheel and redraws to the toolkit frame, defers refreshes to the next idle, and
// paces the idle work that controls ask for while the user drags them (doIdleStuff).
//
// The concrete editor sets its layout size in its constructor and creates the frame in open() and
// deletes it in close(); outside that period `frame` is null and the forwarding operations give
// their neutral answers.
//
// Threads: everything runs on the thread of the host's window. knobMode is process-wide.

#include "platform/ui_thread_session.h"
#include "toolkit/frame_editor.h"
#include "vst2/aeff_editor.h"

#include <cstdint>

namespace miral::toolkit {
class CFrame;
}

class AEffGUIEditor : public AEffEditor, public miral::toolkit::CFrameEditor {
public:
    /// Registers with the effect (when there is one); the next idle may run at once.
    explicit AEffGUIEditor(AudioEffect* owner);
    ~AEffGUIEditor() override;

    /// Stores a pointer to the editor's rectangle and returns 1, open or not.
    intptr_t getRect(ERect** rect) override;
    /// Requests a refresh and remembers the parent window; takes the window's scale when
    /// following it (see followWindowScale). Returns 0.
    intptr_t open(void* parentWindow) override;
    /// The pending refresh, then the frame's idle; nothing while the host is being idled from
    /// doIdleStuff.
    void idle() override;
    /// The frame's key handling and its answer; -1 without a frame.
    intptr_t onKeyDown(VstKeyCode& key) override;
    intptr_t onKeyUp(VstKeyCode& key) override;
    /// Sets the process-wide knob mode; returns 1.
    intptr_t setKnobMode(int32_t value) override;
    /// The frame's wheel handling; false without a frame.
    bool onWheel(float distance) override;

    /// A parameter changed: only requests a refresh for the next idle.
    virtual void setParameter(int32_t index, float value);
    /// Draws the whole frame now (the area is not used).
    virtual void draw(ERect* area);

    /// Paced idle: runs idle(), one pending paint and the host's idle at most about every 50
    /// to 100 ms; a call that comes too early sleeps 4 ms and returns.
    void doIdleStuff() override;
    int32_t getKnobMode() const override { return knobMode; }
    /// Report the start and end of a gesture on the parameter `tag` to the host.
    void beginEdit(int32_t tag) override;
    void endEdit(int32_t tag) override;

    miral::toolkit::CFrame* getFrame() const { return frame; }
    /// True while the editor's window is open.
    bool isOpen() const;
    /// The editor's own window (the platform's handle); null while closed.
    void* nativeWindow() const;

    /// Sets the scale (brought into 1 .. 3) the next open draws at; the rectangle getRect
    /// reports becomes round(layout size x scale) at once.
    void setScale(double factor);
    double getScale() const { return scale; }
    /// From now on every open takes the scale of the window it opens in (where windows have
    /// one of their own, see platform::kScaleFollowsWindow), until the host sets the scale with
    /// setContentScale. When that changes the editor's size, the host is asked to resize.
    void followWindowScale() { scaleFollowsWindow = true; }
    /// The host's scale for the editor, brought into 1 .. 3; it holds from now on. An open
    /// editor asks the host to resize its window to the new size and opens again in it, drawn
    /// at the new scale. False, and nothing changed, for a factor that is not a number.
    bool setContentScale(double factor);

    /// How knobs follow the mouse, for every editor of the process: 2 linear, else circular.
    static int32_t knobMode;

protected:
    /// The editor's size in layout pixels; `rect` is that size at the scale.
    void setLayoutSize(int16_t width, int16_t height);

    ERect rect{};
    miral::toolkit::CFrame* frame = nullptr;

private:
    void updateRect();
    /// Asks the host to give the editor's window the size of `rect`.
    void askHostToResize();

    int16_t layoutWidth = 0;
    int16_t layoutHeight = 0;
    double scale = 1.0;
    bool scaleFollowsWindow = false;
    bool hostSetScale = false;
    miral::platform::UiThreadSession uiThread;
    uint32_t nextIdleTime;
    bool inIdle = false;
};
