// The scale on Windows: the DPI of the editor's window where the system keeps one per window
// (GetDpiForWindow, looked up at run time since older systems lack it), else the system's DPI.
#include "platform/display_scale.h"
#include "win32/gdi_objects.h"

namespace miral::platform {
namespace {

using DpiForWindowFunction = UINT(WINAPI*)(HWND);

DpiForWindowFunction dpiForWindow() {
    const HMODULE user32 = GetModuleHandleA("user32.dll");
    if (user32 == nullptr)
        return nullptr;
    return reinterpret_cast<DpiForWindowFunction>(
        reinterpret_cast<void*>(GetProcAddress(user32, "GetDpiForWindow")));
}

} // namespace

double desktopScale() {
    const win32::WindowDc screen(nullptr);
    if (screen.get() == nullptr)
        return 1.0;
    const auto scale = scaleFromDpi(GetDeviceCaps(screen.get(), LOGPIXELSX));
    return scale ? clampScale(*scale) : 1.0;
}

double windowScale(void* window) {
    const auto handle = static_cast<HWND>(window);
    if (handle != nullptr && IsWindow(handle))
        if (const DpiForWindowFunction ask = dpiForWindow())
            if (const auto scale = scaleFromDpi(static_cast<int32_t>(ask(handle))))
                return clampScale(*scale);
    return desktopScale();
}

} // namespace miral::platform
