#pragma once

// The creation seam of the filter "TOLMEK Soft MIRAL", for the class factory and the tests.

#include "dx/framework/windows_api.h"

#include <unknwn.h>

namespace miral::dx {

/// Creates an EqTransformFilter aggregated by `outer` (or standing alone when null) and hands
/// out its nondelegating IUnknown with one reference. E_POINTER for a null result;
/// E_OUTOFMEMORY, and no object, when the filter or its effect cannot be created.
HRESULT createEqTransformFilter(IUnknown* outer, IUnknown** result) noexcept;

} // namespace miral::dx
