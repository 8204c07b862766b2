#include "dx/eq_server/notice_thread.h"

#include "platform/notice.h"

#include "dx/framework/windows_api.h"

#include <atomic>
#include <string>

namespace miral::dx {
namespace {

std::atomic<bool> noticeOpen{false};

struct Notice {
    std::string text;
    std::string caption;
};

DWORD WINAPI showNotice(void* parameter) {
    Notice* notice = static_cast<Notice*>(parameter);
    MessageBoxA(nullptr, notice->text.c_str(), notice->caption.c_str(), MB_OK);
    delete notice;
    noticeOpen.store(false);
    // The reference taken for this thread: released as the thread ends, so the library stays
    // mapped until its last instruction here has run.
    HMODULE self = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                           GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCWSTR>(&showNotice), &self);
    FreeLibraryAndExitThread(self, 0);
}

void startNoticeThread(const char* text, const char* caption) {
    if (noticeOpen.exchange(true))
        return;
    HMODULE self = nullptr;
    Notice* notice = nullptr;
    try {
        notice = new Notice{text, caption};
    } catch (...) {
        noticeOpen.store(false);
        return;
    }
    if (!GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS,
                            reinterpret_cast<LPCWSTR>(&showNotice), &self)) {
        delete notice;
        noticeOpen.store(false);
        return;
    }
    HANDLE thread = CreateThread(nullptr, 0, showNotice, notice, 0, nullptr);
    if (thread == nullptr) {
        FreeLibrary(self);
        delete notice;
        noticeOpen.store(false);
        return;
    }
    CloseHandle(thread);
}

} // namespace

void showNoticesOnTheirOwnThread() noexcept {
    platform::setNoticeHandler(startNoticeThread);
}

} // namespace miral::dx
