// The tests' view of windows through user32.
#include "test_support/win32/test_probe.h"

#include "win32/gdi_objects.h"

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

void movePointer(void* window, Point position) {
    POINT onScreen{position.x, position.y};
    ClientToScreen(static_cast<HWND>(window), &onScreen);
    SetCursorPos(onScreen.x, onScreen.y);
}

void releaseLeftButton() {
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = MOUSEEVENTF_LEFTUP;
    SendInput(1, &input, sizeof(input));
}

Point clientSize(void* window) {
    RECT area{};
    GetClientRect(static_cast<HWND>(window), &area);
    return {area.right - area.left, area.bottom - area.top};
}

std::vector<Rgb> capturePixels(void* window, int32_t width, int32_t height) {
    BITMAPINFO format{};
    format.bmiHeader.biSize = sizeof(format.bmiHeader);
    format.bmiHeader.biWidth = width;
    format.bmiHeader.biHeight = -height; // rows from the top
    format.bmiHeader.biPlanes = 1;
    format.bmiHeader.biBitCount = 32;
    format.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    const WindowDc screen(static_cast<HWND>(window));
    const GdiObject<HBITMAP> copy(
        CreateDIBSection(screen.get(), &format, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!copy)
        return {};
    const MemoryDc dc(screen.get());
    {
        const Selection selected(dc.get(), copy.get());
        BitBlt(dc.get(), 0, 0, width, height, screen.get(), 0, 0, SRCCOPY);
    }
    GdiFlush();
    std::vector<Rgb> pixels;
    pixels.reserve(size_t(width) * size_t(height));
    const auto* bgrx = static_cast<const uint8_t*>(bits);
    for (size_t i = 0; i < size_t(width) * size_t(height); ++i)
        pixels.push_back({bgrx[4 * i + 2], bgrx[4 * i + 1], bgrx[4 * i]});
    return pixels;
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
