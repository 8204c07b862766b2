#pragma once

// Self-registration of the server: for each class its key under HKEY_CLASSES_ROOT\CLSID with
// the class name, an InprocServer32 key naming the module with ThreadingModel "Both", and for
// filters their entry in the system's filter mapper. Registering again gives the same state.

#include "dx/com_base/class_factory.h"

namespace miral::dx {

/// Enters the filter `clsid` into the system's filter mapper as `record` describes it,
/// replacing an earlier entry. A filter mapper that cannot be created gives the HRESULT of its
/// creation.
HRESULT registerFilter(const CLSID& clsid, const wchar_t* name, const REGFILTER2& record) noexcept;
/// Removes the filter's entry from the filter mapper; an entry already gone counts as removed.
HRESULT unregisterFilter(const CLSID& clsid) noexcept;

/// Registers every class of `classes`, served by `module`, in table order; the first failure
/// ends the loop and is the answer.
HRESULT registerServer(std::span<const ServerClass> classes, HMODULE module) noexcept;

/// Removes the filter-mapper entries and the class keys with their subkeys, last class first;
/// what is already gone counts as removed.
HRESULT unregisterServer(std::span<const ServerClass> classes) noexcept;

} // namespace miral::dx
