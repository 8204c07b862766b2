#pragma once

// The server's class objects: one IClassFactory per entry of a class table, handed out by
// DllGetClassObject. Creation goes through the entry's function; LockServer holds the module.

#include "dx/framework/windows_api.h"

#include <strmif.h>
#include <unknwn.h>

#include <span>

namespace miral::dx {

/// Creates an object of a class: its nondelegating IUnknown with one reference in `result`,
/// aggregated by `outer` when that is not null.
using CreateObjectFunction = HRESULT (*)(IUnknown* outer, IUnknown** result);

/// One class of the server.
struct ServerClass {
    const wchar_t* name;
    const CLSID* clsid;
    CreateObjectFunction create;
    /// What the filter mapper learns of the class; null for classes that are no filters.
    const REGFILTER2* filter;
};

/// The class object of `clsid` asked for `iid`: CLASS_E_CLASSNOTAVAILABLE for a class not in
/// `classes`, E_POINTER for a null `result`.
HRESULT getClassObject(std::span<const ServerClass> classes, REFCLSID clsid, REFIID iid,
                       void** result) noexcept;

} // namespace miral::dx
