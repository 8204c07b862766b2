// X11 needs no per-thread initialisation for an editor: each frame window opens its own
// display connection.
#include "platform/ui_thread_session.h"

namespace miral::platform {

UiThreadSession::UiThreadSession() = default;

UiThreadSession::~UiThreadSession() = default;

} // namespace miral::platform
