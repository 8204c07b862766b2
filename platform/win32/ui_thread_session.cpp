// OLE is initialised for the calling thread for as long as an editor object exists, and
// released only when the initialisation succeeded.
#include "platform/ui_thread_session.h"

#include "win32/windows_api.h"

#include <ole2.h>

namespace miral::platform {
namespace {
thread_local int balancedInitialisations = 0;
}

UiThreadSession::UiThreadSession() {
    if (SUCCEEDED(OleInitialize(nullptr)))
        ++balancedInitialisations;
}

UiThreadSession::~UiThreadSession() {
    if (balancedInitialisations > 0) {
        --balancedInitialisations;
        OleUninitialize();
    }
}

} // namespace miral::platform
