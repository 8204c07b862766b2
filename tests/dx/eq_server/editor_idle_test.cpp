// The process-wide table of open editors and its idle thread, in-process: the thread runs from
// the first open editor to the last, each slot's window gets an idle message ten times a
// second and never more than one at a time, and the 100 slots run out and are reused.
#include "dx/eq_server/open_editor_table.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <vector>

namespace miral::dx {
namespace {

/// A message-only window that counts the idle messages it takes.
class IdleTarget {
public:
    IdleTarget() {
        static const ATOM windowClass = [] {
            WNDCLASSW description{};
            description.lpfnWndProc = procedure;
            description.hInstance = GetModuleHandleW(nullptr);
            description.lpszClassName = L"MiralIdleTarget";
            return RegisterClassW(&description);
        }();
        window_ =
            CreateWindowExW(0, reinterpret_cast<LPCWSTR>(uintptr_t(windowClass)), L"", 0, 0, 0, 0,
                            0, HWND_MESSAGE, nullptr, GetModuleHandleW(nullptr), nullptr);
        SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }
    ~IdleTarget() { DestroyWindow(window_); }
    IdleTarget(const IdleTarget&) = delete;
    IdleTarget& operator=(const IdleTarget&) = delete;

    HWND window() const { return window_; }
    int idles() const { return idles_; }

private:
    static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == OpenEditorTable::kIdleMessage) {
            reinterpret_cast<IdleTarget*>(GetWindowLongPtrW(window, GWLP_USERDATA))->idles_ += 1;
            OpenEditorTable::idleTaken(int(wParam));
            return 0;
        }
        return DefWindowProcW(window, message, wParam, lParam);
    }

    HWND window_;
    int idles_ = 0;
};

void dispatchMessages() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
        DispatchMessageW(&message);
}

void pumpFor(DWORD milliseconds) {
    const DWORD start = GetTickCount();
    for (DWORD elapsed = 0; elapsed < milliseconds; elapsed = GetTickCount() - start) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, milliseconds - elapsed, QS_ALLINPUT);
        dispatchMessages();
    }
}

TEST(OpenEditorTable, IdleThreadRunsFromTheFirstOpenEditorToTheLast) {
    IdleTarget first, second;
    ASSERT_FALSE(OpenEditorTable::idling());
    EXPECT_EQ(OpenEditorTable::open(first.window()), 0);
    EXPECT_TRUE(OpenEditorTable::idling());
    EXPECT_EQ(OpenEditorTable::open(second.window()), 1);
    EXPECT_EQ(OpenEditorTable::count(), 2);
    pumpFor(1000);
    std::printf("idle messages in one second: %d and %d\n", first.idles(), second.idles());
    EXPECT_GE(first.idles(), 8);
    EXPECT_LE(first.idles(), 11);
    EXPECT_GE(second.idles(), 8);

    OpenEditorTable::close(0);
    EXPECT_TRUE(OpenEditorTable::idling());
    OpenEditorTable::close(1);
    EXPECT_FALSE(OpenEditorTable::idling());
    EXPECT_EQ(OpenEditorTable::count(), 0);
    pumpFor(150);
    const int afterClose = second.idles();
    pumpFor(250);
    EXPECT_EQ(second.idles(), afterClose) << "no thread, no ticks";

    EXPECT_EQ(OpenEditorTable::open(second.window()), 0) << "the next editor starts anew";
    EXPECT_TRUE(OpenEditorTable::idling());
    pumpFor(250);
    EXPECT_GT(second.idles(), afterClose);
    OpenEditorTable::close(0);
    EXPECT_FALSE(OpenEditorTable::idling());
}

// A window whose thread is busy is not flooded: the ticks meanwhile leave one message.
TEST(OpenEditorTable, BusyWindowFindsOneIdleMessageWaiting) {
    IdleTarget target;
    const int slot = OpenEditorTable::open(target.window());
    Sleep(650);
    dispatchMessages();
    EXPECT_EQ(target.idles(), 1);
    pumpFor(300);
    EXPECT_GE(target.idles(), 3);
    OpenEditorTable::close(slot);
}

TEST(OpenEditorTable, HundredSlotsRunOutAndFreedOnesAreTakenAgain) {
    std::vector<IdleTarget> targets(101);
    for (int i = 0; i < 100; ++i)
        ASSERT_EQ(OpenEditorTable::open(targets[size_t(i)].window()), i);
    EXPECT_EQ(OpenEditorTable::open(targets[100].window()), -1) << "counted, without a slot";
    EXPECT_EQ(OpenEditorTable::count(), 101);
    pumpFor(250);
    EXPECT_EQ(targets[100].idles(), 0);
    EXPECT_GT(targets[99].idles(), 0);

    OpenEditorTable::close(-1);
    OpenEditorTable::close(37);
    EXPECT_EQ(OpenEditorTable::open(targets[100].window()), 37);
    for (int i = 0; i < 100; ++i)
        OpenEditorTable::close(i);
    EXPECT_EQ(OpenEditorTable::count(), 0);
    EXPECT_FALSE(OpenEditorTable::idling());
}

} // namespace
} // namespace miral::dx
