// msimg32.dll shared by every holder; TransparentBlt only on the NT family of systems,
// recognised by the clear top bit of GetVersion.
#include "win32/msimg32.h"

#include <mutex>

namespace miral::platform::win32 {
namespace {
bool isNtFamily() {
    return (GetVersion() & 0x80000000u) == 0;
}
} // namespace

Msimg32::Msimg32(std::unique_ptr<DynamicLibrary> library) : library_(std::move(library)) {
    if (library_ && isNtFamily())
        transparentBlt_ = library_->entryAs<TransparentBltFunction>("TransparentBlt");
}

std::shared_ptr<const Msimg32> Msimg32::acquire() {
    static std::mutex guard; // editors of different threads may draw at the same time
    static std::weak_ptr<const Msimg32> shared;
    const std::lock_guard<std::mutex> lock(guard);
    std::shared_ptr<const Msimg32> library = shared.lock();
    if (!library) {
        library = std::make_shared<const Msimg32>(DynamicLibrary::load("msimg32.dll"));
        shared = library;
    }
    return library;
}

} // namespace miral::platform::win32
