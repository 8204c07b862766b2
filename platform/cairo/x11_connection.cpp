#include "cairo/x11_connection.h"

#include <chrono>
#include <cstdlib>
#include <thread>

namespace miral::platform {
namespace {
constexpr auto kResetPatience = std::chrono::seconds(1);
constexpr auto kRetryPause = std::chrono::milliseconds(10);
} // namespace

X11Display openX11Display() {
    const char* name = std::getenv("DISPLAY");
    if (name == nullptr || name[0] == '\0')
        return nullptr; // nothing to wait for
    const auto deadline = std::chrono::steady_clock::now() + kResetPatience;
    for (;;) {
        X11Display display(XOpenDisplay(nullptr));
        if (display != nullptr || std::chrono::steady_clock::now() >= deadline)
            return display;
        std::this_thread::sleep_for(kRetryPause);
    }
}

} // namespace miral::platform
