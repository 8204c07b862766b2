// Linux notice: standard error plus the replaceable handler.
#include "platform/notice.h"

#include <atomic>
#include <cstdio>

namespace miral::platform {
namespace {
std::atomic<NoticeHandler> noticeHandler{nullptr};
}

void showNotice(const char* text, const char* caption) {
    std::fprintf(stderr, "%s: %s\n", caption, text);
    if (NoticeHandler handler = noticeHandler.load())
        handler(text, caption);
}

NoticeHandler setNoticeHandler(NoticeHandler handler) {
    return noticeHandler.exchange(handler);
}

} // namespace miral::platform
