#pragma once

// Self-registration of the server: for each class its key under HKEY_CLASSES_ROOT\CLSID with
// the class name, an InprocServer32 key naming the module with ThreadingModel "Both", and for
// filters their entry in the system's filter mapper. Registering again gives the same state.

#include "dx/com_server/class_factory.h"

namespace miral::dx {

/// Registers every class of `classes`, served by `module`, in table order; the first failure
/// ends the loop and is the answer.
HRESULT registerServer(std::span<const ServerClass> classes, HMODULE module) noexcept;

/// Removes the filter-mapper entries and the class keys with their subkeys, last class first;
/// what is already gone counts as removed.
HRESULT unregisterServer(std::span<const ServerClass> classes) noexcept;

} // namespace miral::dx
