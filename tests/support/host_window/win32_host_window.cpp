// The stand-in host window on Windows: a top-level window with a plain window class. A host's
// message loop dispatches the messages of its thread; this one runs whenever the window is
// asked for pixels or given a click, so that paints and clicks reach the frame's window first.
#include "test_support/host_window.h"

#include "win32/gdi_objects.h"

#include <atomic>
#include <thread>
#include <vector>

namespace miral::platform {

struct HostWindow::Impl {
    HWND window;
};

namespace {
constexpr const char* kClassName = "MiralHostWindow";
constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_VISIBLE;

LRESULT CALLBACK hostWindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    // Alt released with nothing pressed in between (Wine releases a sent Alt when it syncs its
    // key state with the X server's) would enter the window menu, which waits for keys: the
    // host has no menu.
    if (message == WM_SYSCOMMAND && (wParam & 0xFFF0) == SC_KEYMENU)
        return 0;
    return DefWindowProcA(window, message, wParam, lParam);
}

void registerClassOnce() {
    static const bool registered = [] {
        WNDCLASSA windowClass{};
        windowClass.lpfnWndProc = hostWindowProcedure;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
        windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
        windowClass.lpszClassName = kClassName;
        return RegisterClassA(&windowClass) != 0;
    }();
    (void)registered;
}

void sendAlt(bool down) {
    // Alt pressed and released alone opens the window's menu, which would wait for keys: an
    // unassigned key pressed in between makes it an Alt combination, as the click is for a user.
    constexpr WORD kUnassignedKey = 0xE8;
    std::vector<INPUT> inputs;
    const auto key = [&inputs](WORD virtualKey, bool press) {
        INPUT input{};
        input.type = INPUT_KEYBOARD;
        input.ki.wVk = virtualKey;
        input.ki.dwFlags = press ? 0 : KEYEVENTF_KEYUP;
        inputs.push_back(input);
    };
    if (!down) {
        key(kUnassignedKey, true);
        key(kUnassignedKey, false);
    }
    key(VK_MENU, down);
    SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

void dispatchPendingMessages() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

/// How long a click holds the button down.
constexpr DWORD kHoldMilliseconds = 60;

void sendLeftButton(bool down) {
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = down ? MOUSEEVENTF_LEFTDOWN : MOUSEEVENTF_LEFTUP;
    SendInput(1, &input, sizeof(input));
}

/// Moves the pointer to `position` of `window` unless it is there. Under Wine the move reaches
/// the X server, and Wine, as the pointer enters a window, syncs its key state with the
/// server's, letting go a sent Alt: the move is taken before anything else is sent, and an Alt
/// let go is pressed again.
void movePointer(HWND window, Point position) {
    POINT onScreen{position.x, position.y};
    ClientToScreen(window, &onScreen);
    POINT now{};
    if (GetCursorPos(&now) && now.x == onScreen.x && now.y == onScreen.y)
        return;
    const bool altHeld = GetAsyncKeyState(VK_MENU) < 0;
    SetCursorPos(onScreen.x, onScreen.y);
    for (int wait = 0; wait < 5; ++wait) {
        Sleep(10);
        dispatchPendingMessages();
    }
    if (altHeld && GetAsyncKeyState(VK_MENU) >= 0) {
        sendAlt(true);
        dispatchPendingMessages();
    }
}
} // namespace

std::unique_ptr<HostWindow> HostWindow::open(int32_t width, int32_t height) {
    registerClassOnce();
    RECT outer{0, 0, width, height};
    AdjustWindowRect(&outer, kStyle, FALSE);
    HWND window = CreateWindowExA(0, kClassName, "MIRAL host", kStyle, 0, 0,
                                  outer.right - outer.left, outer.bottom - outer.top, nullptr,
                                  nullptr, GetModuleHandleA(nullptr), nullptr);
    if (window == nullptr)
        return nullptr;
    SetForegroundWindow(window);
    // Wine's desktop outlives each test program: an Alt an earlier one left pressed is let go.
    if (GetAsyncKeyState(VK_MENU) < 0)
        sendAlt(false);
    UpdateWindow(window);
    dispatchPendingMessages();
    return std::make_unique<HostWindow>(std::make_unique<Impl>(Impl{window}));
}

HostWindow::HostWindow(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}

HostWindow::~HostWindow() {
    DestroyWindow(impl_->window);
    dispatchPendingMessages();
}

void* HostWindow::handle() const {
    return impl_->window;
}

Rgb HostWindow::pixel(int32_t x, int32_t y) {
    dispatchPendingMessages();
    const win32::WindowDc dc(impl_->window);
    const COLORREF colour = GetPixel(dc.get(), x, y);
    if (colour == CLR_INVALID)
        return {};
    return {GetRValue(colour), GetGValue(colour), GetBValue(colour)};
}

void HostWindow::setLeftButton(Point position, bool down) {
    movePointer(impl_->window, position);
    sendLeftButton(down);
    dispatchPendingMessages();
}

void HostWindow::click(Point position) {
    movePointer(impl_->window, position);
    sendLeftButton(true);
    // A press can track the pointer inside its message's handling until the button is let go,
    // as a knob's does: as a user's hand would, another thread lets go a moment later while this
    // one runs the messages.
    std::atomic<bool> released = false;
    std::thread hand([&released] {
        Sleep(kHoldMilliseconds);
        sendLeftButton(false);
        released = true;
    });
    while (!released) {
        dispatchPendingMessages();
        Sleep(1);
    }
    hand.join();
    dispatchPendingMessages();
}

void HostWindow::doubleClick(Point position) {
    click(position);
    click(position);
}

void HostWindow::type(std::string_view text) {
    for (const char character : text) {
        INPUT keys[2]{};
        for (INPUT& key : keys) {
            key.type = INPUT_KEYBOARD;
            if (character == '\r' || character == '\x1b' || character == '\b') {
                key.ki.wVk = character == '\r'   ? VK_RETURN
                             : character == '\b' ? VK_BACK
                                                 : VK_ESCAPE;
            } else {
                key.ki.wScan = static_cast<WORD>(static_cast<unsigned char>(character));
                key.ki.dwFlags = KEYEVENTF_UNICODE;
            }
        }
        keys[1].ki.dwFlags |= KEYEVENTF_KEYUP;
        SendInput(2, keys, sizeof(INPUT));
        dispatchPendingMessages();
    }
}

void HostWindow::setAlt(bool down) {
    sendAlt(down);
    dispatchPendingMessages();
}

} // namespace miral::platform
