#pragma once

// What an editor object holds of the calling thread's window-system services for its lifetime:
// OLE is initialised per editor on Windows; on Linux there is nothing to initialise.

namespace miral::platform {

class UiThreadSession {
public:
    UiThreadSession();
    ~UiThreadSession();
    UiThreadSession(const UiThreadSession&) = delete;
    UiThreadSession& operator=(const UiThreadSession&) = delete;
};

} // namespace miral::platform
