#pragma once

// The handle of the module the server is linked into, recorded by its entry function: the
// owner of its resources (dialogs, strings, bitmaps) and the path written to the registry.

#include "dx/framework/windows_api.h"

namespace miral::dx {

void setModuleHandle(HMODULE module) noexcept;
HMODULE moduleHandle() noexcept;

} // namespace miral::dx
