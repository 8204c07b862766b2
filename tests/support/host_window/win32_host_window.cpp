// The stand-in host window on Windows: a top-level window with a plain window class. A host's
// message loop dispatches the messages of its thread; this one runs whenever the window is
// asked for pixels or given a click, so that paints and clicks reach the frame's window first.
#include "test_support/host_window.h"

#include "win32/gdi_objects.h"

#include <vector>

namespace miral::platform {

struct HostWindow::Impl {
    HWND window;
};

namespace {
constexpr const char* kClassName = "MiralHostWindow";
constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_VISIBLE;

LRESULT CALLBACK hostWindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
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

void dispatchPendingMessages() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
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
    POINT onScreen{position.x, position.y};
    ClientToScreen(impl_->window, &onScreen);
    SetCursorPos(onScreen.x, onScreen.y);
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = down ? MOUSEEVENTF_LEFTDOWN : MOUSEEVENTF_LEFTUP;
    SendInput(1, &input, sizeof(input));
    dispatchPendingMessages();
}

void HostWindow::doubleClick(Point position) {
    for (int press = 0; press < 2; ++press) {
        setLeftButton(position, true);
        setLeftButton(position, false);
    }
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
    dispatchPendingMessages();
}

} // namespace miral::platform
