#pragma once

// The plug-in's editor inside a host's window, as the VST 2 build shows it: the editor works on
// an equaliser object of its own; the instance's values reach that object at each idle (so the
// controls and the response display follow automation), and the object's calls to its host
// become gestures, value changes and solo requests for the listener.
//
// Threads: everything on the host's main (user-interface) thread.

#include "host/host_callback.h"
#include "param_facts.h"
#include "plugin/embedded_editor.h"

#include <cstdint>

namespace miral::clap {

class EditorHost final : private host::EffectListener {
public:
    /// Receives the editor's edits.
    class Listener {
    public:
        virtual void editorGesture(uint32_t id, bool begins) = 0;
        /// The editor set the engine's normalised value; returns the physical value taken.
        virtual double editorValue(uint32_t id, float normalised) = 0;
        /// The editor solos band 0..5, or ends the solo (-1): a listening aid, not an edit.
        virtual void editorSolo(int32_t band) = 0;

    protected:
        ~Listener() = default;
    };

    /// The editor for `listener`, designed for `sampleRateHz` when that is 44100 Hz or more.
    /// Not open yet.
    EditorHost(Listener& listener, double sampleRateHz);
    ~EditorHost();
    EditorHost(const EditorHost&) = delete;
    EditorHost& operator=(const EditorHost&) = delete;

    /// Width and height of the editor in pixels, at its scale.
    bool size(uint32_t* width, uint32_t* height);
    /// Draws the editor at `factor` (1 to 3) from its next opening; false once it is open.
    bool setScale(double factor);
    /// Opens the editor in `parentWindow` (an X11 window id or a window handle); false when its
    /// window cannot be opened.
    bool open(void* parentWindow);
    bool isOpen() const;
    /// Shows the instance's physical `values` where they changed since the editor last saw
    /// them, then handles the window's events and redraws what changed.
    void idle(const ParamValues& values);

private:
    void automated(int32_t index, float value) override;
    void gesture(int32_t index, bool begins) override;
    void soloRequested(int32_t band) override;

    Listener& listener_;
    EmbeddedEditor editor_;
    /// The physical values the editor shows (its own edits included); NaN: not shown yet.
    ParamValues shown_;
};

} // namespace miral::clap
