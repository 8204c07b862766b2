#include "dx/eq_server/open_editor_table.h"

#include "dx/eq_server/editor_idle_thread.h"

#include <array>
#include <atomic>
#include <mutex>
#include <new>

namespace miral::dx {
namespace {

struct Slot {
    std::atomic<HWND> window{nullptr};
    /// An idle message is on its way: a busy window is not flooded with more.
    std::atomic<bool> posted{false};
};

std::mutex tableLock; // open, close and the idle ticks, which come from several threads
int openCount = 0;
std::array<Slot, OpenEditorTable::kSlots> slots;
// Created by the first open editor and deleted by the last close; never left for the
// library's unloading, which must not wait for threads.
EditorIdleThread* idleThread = nullptr;

bool validSlot(int slot) {
    return slot >= 0 && slot < OpenEditorTable::kSlots;
}

// Runs with the table locked, so that a slot cannot be closed and given to another window
// between reading its window and marking it posted: the message would go to the old window,
// which ignores it, and the slot's new editor would wait for it for good. A tick that finds
// the table busy is skipped; closing holds the lock while it stops this thread.
void postIdleMessages() {
    const std::unique_lock lock(tableLock, std::try_to_lock);
    if (!lock.owns_lock())
        return;
    for (size_t i = 0; i < slots.size(); ++i) {
        const HWND window = slots[i].window.load();
        // Marked before posting: the window's thread may take the message at once.
        if (window == nullptr || slots[i].posted.exchange(true))
            continue;
        if (!PostMessageW(window, OpenEditorTable::kIdleMessage, i, 0))
            slots[i].posted = false;
    }
}

} // namespace

int OpenEditorTable::open(HWND window) noexcept {
    const std::lock_guard lock(tableLock);
    if (++openCount == 1)
        idleThread = new (std::nothrow) EditorIdleThread(postIdleMessages);
    for (int i = 0; i < kSlots; ++i) {
        if (slots[size_t(i)].window.load() != nullptr)
            continue;
        slots[size_t(i)].posted = false;
        slots[size_t(i)].window = window;
        return i;
    }
    return -1;
}

void OpenEditorTable::close(int slot) noexcept {
    const std::lock_guard lock(tableLock);
    if (validSlot(slot))
        slots[size_t(slot)].window = nullptr;
    if (--openCount == 0) {
        delete idleThread;
        idleThread = nullptr;
    }
}

void OpenEditorTable::idleTaken(int slot) noexcept {
    if (validSlot(slot))
        slots[size_t(slot)].posted = false;
}

int OpenEditorTable::count() noexcept {
    const std::lock_guard lock(tableLock);
    return openCount;
}

bool OpenEditorTable::idling() noexcept {
    const std::lock_guard lock(tableLock);
    return idleThread != nullptr && idleThread->running();
}

} // namespace miral::dx
