// The tests' view of windows through user32.
#include "platform/win32/test_probe.h"

#include "platform/win32/windows_api.h"

namespace miral::platform::win32 {

std::string windowClassName(void* window) {
    char name[256] = {};
    GetClassNameA(static_cast<HWND>(window), name, sizeof(name));
    return name;
}

void* firstChildWindow(void* parent) {
    return GetWindow(static_cast<HWND>(parent), GW_CHILD);
}

bool windowExists(void* window) {
    return IsWindow(static_cast<HWND>(window)) != FALSE;
}

void* programModule() {
    return GetModuleHandleA(nullptr);
}

bool swapMouseButtons(bool swapped) {
    return SwapMouseButton(swapped) != FALSE;
}

void dispatchPendingMessages() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

namespace {
/// The text of the box: its static control (dialog item 0xFFFF).
std::string messageBoxText(HWND box) {
    char text[512] = {};
    GetDlgItemTextA(box, 0xFFFF, text, sizeof(text));
    return text;
}
} // namespace

std::optional<std::string> dismissMessageBox(const char* caption, uint32_t timeoutMs) {
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < timeoutMs) {
        if (HWND box = FindWindowA("#32770", caption)) {
            std::string text = messageBoxText(box);
            PostMessageA(box, WM_COMMAND, IDOK, 0);
            return text;
        }
        Sleep(10);
    }
    return std::nullopt;
}

} // namespace miral::platform::win32
