#pragma once

// The toolkit comes in two generations, chosen by the library that opens a frame: miral_vst
// carries the original one and TK_MIRAL_DX the later one. The same code serves both; the later
// generation differs in a few details of naming, colour and control behaviour, listed where
// they apply (the frame's window class, CRgb's spare byte, the controls' edit brackets and
// modifier clicks).

#include <cstdint>

namespace miral::toolkit {

enum class ToolkitGeneration { kOriginal, kLater };

/// The spare byte of an opaque colour: the later generation reads it as alpha.
constexpr uint8_t opaqueSpare(ToolkitGeneration generation) {
    return generation == ToolkitGeneration::kLater ? 255 : 0;
}

} // namespace miral::toolkit
