#include "dx/editor_idle_thread.h"

namespace miral::dx {
namespace {
// The timer procedure has no context argument; the thread's tick function is kept per thread.
thread_local EditorIdleThread::Tick threadTick = nullptr;
} // namespace

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
    threadTick = idle->tick_;
    const UINT_PTR timer = SetTimer(nullptr, 0, kPeriodMs, onTimer);
    MSG message;
    PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE); // creates the message queue
    SetEvent(idle->ready_);
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    KillTimer(nullptr, timer);
    return 0;
}

void CALLBACK EditorIdleThread::onTimer(HWND, UINT, UINT_PTR, DWORD) { threadTick(); }

} // namespace miral::dx
