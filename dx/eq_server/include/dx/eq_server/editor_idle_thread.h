#pragma once

// The thread that paces the open editors: a thread timer of 100 ms whose every tick calls a
// function, and a message loop that runs until the thread is stopped. The tick function must
// not wait for other threads: stopping waits for the thread to end.

#include "dx/framework/windows_api.h"

namespace miral::dx {

class EditorIdleThread {
public:
    using Tick = void (*)();
    static constexpr UINT kPeriodMs = 100;

    /// Starts the thread; it is running, with its timer set, when the constructor returns.
    /// running() is false when the system could not start it.
    explicit EditorIdleThread(Tick tick) noexcept;
    /// Stops the timer and the loop and waits for the thread to end.
    ~EditorIdleThread();
    EditorIdleThread(const EditorIdleThread&) = delete;
    EditorIdleThread& operator=(const EditorIdleThread&) = delete;

    bool running() const noexcept { return thread_ != nullptr; }

private:
    static DWORD WINAPI run(void* self);

    Tick tick_;
    HANDLE ready_;
    HANDLE thread_ = nullptr;
    DWORD threadId_ = 0;
};

} // namespace miral::dx
