// The process's windows and headless screens, and the choice of backend for a child window.
// Used on the GUI thread only, like the windows themselves.
#include "cairo/live_windows.h"

#include "platform/display_scale.h"

#include <algorithm>
#include <vector>

namespace miral::platform {
namespace {
std::vector<Window*>& liveWindows() {
    static std::vector<Window*> windows;
    return windows;
}
std::vector<HeadlessScreen*>& headlessScreens() {
    static std::vector<HeadlessScreen*> screens;
    return screens;
}
template <typename T> void erase(std::vector<T*>& list, T* item) {
    list.erase(std::remove(list.begin(), list.end(), item), list.end());
}
} // namespace

void addLiveWindow(Window* window) {
    liveWindows().push_back(window);
}
void removeLiveWindow(Window* window) {
    erase(liveWindows(), window);
}

void addHeadlessScreen(HeadlessScreen* screen) {
    headlessScreens().push_back(screen);
}
void removeHeadlessScreen(HeadlessScreen* screen) {
    erase(headlessScreens(), screen);
}

HeadlessScreen* findHeadlessScreen(void* parentWindow) {
    for (HeadlessScreen* screen : headlessScreens())
        if (screen->handle() == parentWindow)
            return screen;
    return nullptr;
}

std::unique_ptr<Window> openChildWindow(void* parentWindow, int32_t width, int32_t height,
                                        WindowEvents& events, FrameGeneration, double scale) {
    scale = clampScale(scale);
    if (HeadlessScreen* screen = findHeadlessScreen(parentWindow))
        return openHeadlessChildWindow(*screen, width, height, events, scale);
    return openX11ChildWindow(parentWindow, width, height, events, scale);
}

void dispatchPendingPaint() {
    const std::vector<Window*> windows = liveWindows(); // painting must not upset the walk
    for (Window* window : windows)
        if (window->dispatchPaint())
            return;
}

} // namespace miral::platform
