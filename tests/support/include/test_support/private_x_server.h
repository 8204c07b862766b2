#pragma once

// A private X server for a test process that needs a display: started only when DISPLAY is
// unset, stopped (and DISPLAY unset again) when the object goes.

#include <sys/types.h>

namespace miral::testing {

class PrivateXServer {
public:
    PrivateXServer() = default;
    ~PrivateXServer();
    PrivateXServer(const PrivateXServer&) = delete;
    PrivateXServer& operator=(const PrivateXServer&) = delete;

    /// Starts Xvfb unless DISPLAY is set; false when no display can be had.
    bool ensureDisplay();

private:
    pid_t pid_ = -1;
};

} // namespace miral::testing
