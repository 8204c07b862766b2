#pragma once

// Windows: how transparent block transfers are made. TransparentBlt from msimg32.dll (loaded at
// run time, and only on the NT family of systems) is used where it exists; otherwise, or when
// tests turn it off, a 1-bit mask of the transparent colour is built and combined with
// exclusive-or, and, exclusive-or.

namespace miral::platform {

/// Allows or forbids TransparentBlt (allowed by default); forbidding forces the mask path.
void allowSystemTransparentBlt(bool allowed);

} // namespace miral::platform
