#pragma once

// The equaliser's editor inside a front end that is not a VST 2 host (the CLAP and LV2 user
// interfaces, the command's pictures, the DirectShow page): the editor works on an equaliser
// object of its own, whose calls to its host reach the front end's listener as values, gestures,
// resize requests and solo requests (the front end solos its own equaliser). The front end
// shows its own values with showValue.
//
// Threads: everything on the thread of the window the editor opens in.

#include "host/host_callback.h"
#include "plugin/parametric_eq_edit.h"
#include "toolkit/generation.h"

#include <cstdint>
#include <optional>

namespace miral {

struct EmbeddedEditorSettings {
    /// The front end's sample rate; the equaliser keeps its default below the lowest rate it
    /// processes (where it would bypass with a notice) and for a rate that is not finite.
    std::optional<double> sampleRateHz{};
    /// The scale (1 to 3) the editor opens at.
    double scale = 1.0;
    /// Where windows have scales of their own (Windows), the editor takes its window's.
    bool followWindowScale = false;
    toolkit::ToolkitGeneration generation = toolkit::ToolkitGeneration::kOriginal;
};

struct EditorSize {
    int32_t width;
    int32_t height;
};

class EmbeddedEditor {
public:
    /// The editor of an equaliser whose host calls reach `listener` through host::hostCallback.
    /// Not open yet; hasEditor() is false when the editor could not be created.
    EmbeddedEditor(host::EffectListener& listener, const EmbeddedEditorSettings& settings);
    /// The same for a front end whose host callback must give answers of its own: `callback`,
    /// with `user` in the record's user field.
    EmbeddedEditor(audioMasterCallback callback, void* user,
                   const EmbeddedEditorSettings& settings);
    /// Closes the editor and ends the equaliser (effClose).
    ~EmbeddedEditor();
    EmbeddedEditor(const EmbeddedEditor&) = delete;
    EmbeddedEditor& operator=(const EmbeddedEditor&) = delete;

    bool hasEditor() const { return effect_->hasEditor(); }
    /// The equaliser the editor works on, and its record.
    ParametricEqEdit& effect() { return *effect_; }
    AEffect& record() { return *effect_->getAeffect(); }

    /// The editor's size in pixels at its scale; nothing without an editor.
    std::optional<EditorSize> size();
    /// Draws the editor at `factor` (brought into 1 .. 3) from its next opening; false once it
    /// is open and without an editor.
    bool setScale(double factor);
    /// The front end's new scale, open or not: an open editor asks the listener for its new
    /// size and opens again at it. False for a factor that is not a number and without an
    /// editor.
    bool changeScale(double factor);
    /// Opens the editor in `parentWindow` (an X11 window id, a window handle, a headless
    /// screen); false when there is none or the editor's window cannot be opened.
    bool open(void* parentWindow);
    void close();
    bool isOpen() const;
    /// The editor's own window (the platform's handle); null while closed.
    void* nativeWindow() const;
    /// Handles the window's events and redraws what changed.
    void idle();
    /// The front end's normalised value of parameter `index`, for the controls and the response
    /// display; one the equaliser holds already (the front end echoing the editor's own edit)
    /// changes nothing.
    void showValue(int32_t index, float value);

private:
    intptr_t dispatch(int32_t opcode, void* ptr = nullptr);

    ParametricEqEdit* effect_;
};

} // namespace miral
