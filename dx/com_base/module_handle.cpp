#include "dx/com_base/module_handle.h"

#include <atomic>

namespace miral::dx {
namespace {
std::atomic<HMODULE> recordedModule{nullptr};
}

void setModuleHandle(HMODULE module) noexcept {
    recordedModule = module;
}

HMODULE moduleHandle() noexcept {
    return recordedModule;
}

} // namespace miral::dx
