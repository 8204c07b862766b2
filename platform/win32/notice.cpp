// Windows notice: a modal message box with no owner window, unless a handler is installed
// (tests install one so that nothing ever blocks).
#include "platform/notice.h"

#include "win32/windows_api.h"

#include <atomic>

namespace miral::platform {
namespace {
std::atomic<NoticeHandler> noticeHandler{nullptr};
}

void showNotice(const char* text, const char* caption) {
    if (NoticeHandler handler = noticeHandler.load()) {
        handler(text, caption);
        return;
    }
    MessageBoxA(nullptr, text, caption, MB_OK);
}

NoticeHandler setNoticeHandler(NoticeHandler handler) {
    return noticeHandler.exchange(handler);
}

} // namespace miral::platform
