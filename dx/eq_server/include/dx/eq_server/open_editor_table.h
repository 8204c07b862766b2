#pragma once

// The process-wide table of open editors, shared by the pages of all filters: how many are
// open, and up to 100 slots whose windows receive an idle message from EditorIdleThread every
// 100 ms. The idle thread only posts: the editors are idled by the threads that own their
// windows, so an idle never runs while or after its editor is being closed, and closing never
// waits for a thread that waits for the window's thread.

#include "dx/framework/windows_api.h"

namespace miral::dx {

class OpenEditorTable {
public:
    static constexpr int kSlots = 100;
    /// Posted to a slot's window on each tick; wParam is the slot.
    static constexpr UINT kIdleMessage = WM_APP + 0x100;

    /// An editor was opened in `window`: counts it and gives it the first free slot, or -1
    /// when all are taken. The first open editor starts the idle thread.
    static int open(HWND window) noexcept;
    /// The editor holding `slot` (or -1) is closing: frees the slot and uncounts it. The last
    /// one stops the idle thread.
    static void close(int slot) noexcept;
    /// The window of `slot` took its idle message; the next tick may post another.
    static void idleTaken(int slot) noexcept;

    /// The number of open editors.
    static int count() noexcept;
    /// Whether the idle thread runs.
    static bool idling() noexcept;
};

} // namespace miral::dx
