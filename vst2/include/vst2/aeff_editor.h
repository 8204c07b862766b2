#pragma once

// The editor's side of the editor opcodes: a host reaches the editor through its effect's
// dispatcher. The base editor has no window of its own; it remembers the parent window, defers
// refreshes to the next idle call and gives neutral answers (0, -1, false) to everything else.
// A concrete editor overrides what it shows.
//
// Threads: every operation runs on the thread of the window that hosts the editor, except
// postUpdate(), which any thread may call.

#include "vst2/vst2_interface.h"

#include <atomic>
#include <cstdint>

class AudioEffect;

class AEffEditor {
public:
    /// Registers the editor with the effect (when there is one), which owns it from then on.
    explicit AEffEditor(AudioEffect* owner);
    virtual ~AEffEditor();

    AEffEditor(const AEffEditor&) = delete;
    AEffEditor& operator=(const AEffEditor&) = delete;

    /// Stores a pointer to the editor's rectangle in *rect and returns 1; here null and 0.
    virtual intptr_t getRect(ERect** rect);
    /// Opens the editor inside the parent window; remembers the window, returns 0.
    virtual intptr_t open(void* parentWindow);
    virtual void close();
    /// Runs a pending refresh: clears the mark and calls update().
    virtual void idle();
    /// Refreshes what the editor shows; nothing here.
    virtual void update();
    /// Marks a refresh for the next idle() call.
    virtual void postUpdate();
    /// Key handling: 1 when used, -1 when not (always -1 here).
    virtual intptr_t onKeyDown(VstKeyCode& key);
    virtual intptr_t onKeyUp(VstKeyCode& key);
    /// Chooses the mouse behaviour of knobs; 1 when accepted, 0 here.
    virtual intptr_t setKnobMode(int32_t value);
    /// Mouse wheel turned by distance notches; true when used, false here.
    virtual bool onWheel(float distance);

    AudioEffect* getEffect() const { return effect; }

protected:
    AudioEffect* effect;             ///< the owning effect; never owned by the editor
    void* systemWindow;              ///< the parent window given to open(); null until then
    std::atomic<int32_t> updateFlag; ///< non-zero: a refresh is pending for the next idle()
};
