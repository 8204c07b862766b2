#include "dx/eq_server/editor_idle_thread.h"

namespace miral::dx {

EditorIdleThread::EditorIdleThread(Tick tick) noexcept
    : tick_(tick), ready_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {
    if (ready_ == nullptr)
        return;
    thread_ = CreateThread(nullptr, 0, run, this, 0, &threadId_);
    // Wait until the thread has its message queue, so that the quit message can reach it.
    if (thread_ != nullptr)
        WaitForSingleObject(ready_, INFINITE);
}

EditorIdleThread::~EditorIdleThread() {
    if (thread_ != nullptr) {
        PostThreadMessageW(threadId_, WM_QUIT, 0, 0);
        WaitForSingleObject(thread_, INFINITE);
        CloseHandle(thread_);
    }
    if (ready_ != nullptr)
        CloseHandle(ready_);
}

DWORD WINAPI EditorIdleThread::run(void* self) {
    auto* idle = static_cast<EditorIdleThread*>(self);
    // A thread timer without a procedure: its ticks arrive as WM_TIMER messages of the thread.
    const UINT_PTR timer = SetTimer(nullptr, 0, kPeriodMs, nullptr);
    MSG message;
    PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE); // creates the message queue
    SetEvent(idle->ready_);
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (message.message == WM_TIMER && message.hwnd == nullptr && message.wParam == timer)
            idle->tick_();
        else
            DispatchMessageW(&message);
    }
    KillTimer(nullptr, timer);
    return 0;
}

} // namespace miral::dx
