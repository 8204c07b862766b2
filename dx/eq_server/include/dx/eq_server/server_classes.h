#pragma once

// The library's COM classes, in registration order: the filter, then its property page.

#include "dx/com_base/class_factory.h"

namespace miral::dx {

std::span<const ServerClass> serverClasses() noexcept;

} // namespace miral::dx
