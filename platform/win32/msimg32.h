#pragma once

// Private to the Windows backend: msimg32.dll, loaded at run time while anything that draws
// holds it, so that the process does not depend on it when it is missing.

#include "platform/dynamic_library.h"
#include "win32/windows_api.h"

#include <memory>

namespace miral::platform::win32 {

class Msimg32 {
public:
    using TransparentBltFunction = BOOL(WINAPI*)(HDC, int, int, int, int, HDC, int, int, int, int,
                                                 UINT);

    /// The library while any holder keeps it: loaded by the first, freed after the last.
    static std::shared_ptr<const Msimg32> acquire();

    /// TransparentBlt, or null without the library or outside the NT family.
    TransparentBltFunction transparentBlt() const { return transparentBlt_; }

    explicit Msimg32(std::unique_ptr<DynamicLibrary> library);

private:
    std::unique_ptr<DynamicLibrary> library_;
    TransparentBltFunction transparentBlt_ = nullptr;
};

} // namespace miral::platform::win32
