#pragma once

// Creation of the filter, as the server's class table calls it.

#include <unknwn.h>

namespace miral::dx {

/// A new filter aggregated by `outer` (or null): its nondelegating IUnknown with one reference
/// in `result`; E_OUTOFMEMORY and no object when it cannot be made.
HRESULT createEqTransformFilter(IUnknown* outer, IUnknown** result);

} // namespace miral::dx
