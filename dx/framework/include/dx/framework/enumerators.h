#pragma once

// The enumerators a filter and a pin hand out: IEnumPins over a filter's pins and
// IEnumMediaTypes over a pin's preferred media types. Each holds a reference to what it
// enumerates and is its own COM object.

#include "dx/framework/windows_api.h"

#include <strmif.h>

namespace miral::dx {

class BaseFilter;
class BasePin;

/// A new pin enumerator at `position`, with one reference; null when out of memory.
IEnumPins* createPinEnumerator(BaseFilter& filter, ULONG position = 0) noexcept;
/// A new media-type enumerator at `position`, with one reference; null when out of memory.
IEnumMediaTypes* createMediaTypeEnumerator(BasePin& pin, ULONG position = 0) noexcept;

} // namespace miral::dx
