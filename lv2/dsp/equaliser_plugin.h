#pragma once

// One instance of the LV2 plug-in: the engine behind the ports. Control ports are read at the
// start of every run; a changed value reaches the engine through the shared physical-unit
// mapping, and glides there over kDefaultSmoothingSeconds instead of stepping. Below 44100 Hz
// the engine bypasses itself and the audio passes through unchanged. Solo messages from the user
// interface (solo_message.h) reach the engine at the start of the run that carries them.
//
// Threads: run() on the host's audio thread allocates nothing and takes no lock; the host
// calls activate() and connect() outside processing.

#include "engine/eq_engine.h"
#include "engine/params.h"
#include "lv2/solo_message.h"

#include <array>
#include <cstdint>

namespace miral::lv2 {

class EqualiserPlugin {
public:
    /// The engine at `sampleRateHz`; below 44100 Hz the bypass notice appears, once, here.
    /// Solo messages are understood where the host maps URIs (`map` not null).
    EqualiserPlugin(double sampleRateHz, const LV2_URID_Map* map);

    /// Remembers where port `port` lives; ports beyond the last are ignored.
    void connect(uint32_t port, void* data);
    /// Clears the filter states, as after switching the effect on.
    void activate() noexcept;
    /// Takes the control ports' changes, then filters `frames` frames of any length.
    void run(uint32_t frames) noexcept;

private:
    void applyControls() noexcept;
    void applySoloMessages() noexcept;

    EqEngine engine_;
    std::array<const float*, kNumParams> controls_{};
    std::array<float, kNumParams> applied_{}; ///< port values the engine has; NaN: none yet
    std::array<const float*, 2> inputs_{};
    std::array<float*, 2> outputs_{};
    const LV2_Atom_Sequence* soloEvents_ = nullptr;
    SoloUrids soloIds_;
};

} // namespace miral::lv2
