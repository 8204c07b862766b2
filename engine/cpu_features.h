#pragma once

// What the processor the plug-in runs on offers, asked once at run time.

namespace miral {

/// True when the processor and the operating system support AVX instructions and registers.
bool cpuSupportsAvx();

/// True when the processor and the operating system support the AVX-512 foundation
/// instructions and registers.
bool cpuSupportsAvx512();

} // namespace miral
