#pragma once

// Parameter smoothing on the audio thread. When a new design arrives while audio runs, each band
// that changed glides from where it is to the new design: design gain in dB, frequency and Q on
// logarithmic scales are interpolated and the band redesigned every sub-block of at most
// kGlideSubBlockFrames frames; within a sub-block the coefficients move linearly from one
// design to the next, sample by sample. Both ends of that line lie inside the stability
// triangle of the feedback coefficients, which is convex, so every point between them is a
// stable section too. That is stability with the coefficients held, not a bound on the moving
// filter: a resonance's recursion state meets coefficients made for another frequency, and the
// output overshoots before it settles (a low peak at +16 dB, Q 10, ringing with its tone and
// moving three octaves up: about +18 dB over the steady level at a 20 ms glide, +32 dB as a jump). A band switched on or off (or to or from 0 dB) cross-fades between its
// output and its input instead: its feed-forward coefficients move towards its feedback ones
// (the section then passes its input unchanged), which mixes the two outputs in the same
// proportion. The output factor moves linearly. Gliding and steady bands run together through
// the cascade kernel, which moves the coefficients; once every glide has arrived the engine
// processes with the published design alone, so a glide costs nothing afterwards.
//
// Audio thread only: no allocation, no lock.

#include "engine/band_design.h"
#include "engine/biquad.h"
#include "engine/cascade_kernels.h"
#include "engine/eq_band.h"
#include "engine/params.h"

#include <array>
#include <cstddef>
#include <cstdint>

namespace miral {

/// Longest run of frames processed with one pair of designs while gliding.
inline constexpr int32_t kGlideSubBlockFrames = kMovingSubBlockFrames;

/// What a band's coefficients were designed from: the design gain (gain range applied), the
/// frequency and Q.
struct DesignPoint {
    double gainDb = 0.0;
    double frequencyHz = 1000.0;
    double q = 1.0;
    bool operator==(const DesignPoint&) const = default;
};

/// One band of a published design as the glide needs it.
struct BandTarget {
    BiquadCoefficients coefficients;
    DesignPoint point;
    bool active = false; ///< the section runs in the static processing
    bool operator==(const BandTarget&) const = default;
};

struct GlideTargets {
    std::array<BandTarget, kNumBands> bands{};
    double outputGain = 1.0;
    double sampleRateHz = 0.0;
};

/// One block for the gliding path; see CascadeJob for the buffer conventions.
struct GlideIo {
    const float* inL;
    const float* inR;
    float* outL;
    float* outR;
    bool mono;
    int32_t frames;
    CascadeKernel kernel;
};

class DesignGlide {
public:
    /// Heads for `targets` over `glideFrames` frames from where every band is now; `jump` (or
    /// no glide time) arrives at once. Bands whose target is unchanged keep their course.
    void retarget(const GlideTargets& targets, int32_t glideFrames, bool jump) noexcept;

    /// Some band or the output factor has not arrived yet.
    bool gliding() const noexcept;

    /// Band `band` takes part in the gliding path's processing.
    bool bandRuns(int32_t band) const noexcept { return bands_[std::size_t(band)].runs(); }

    /// Processes `io` until every glide has arrived or the block ends; returns the frame where
    /// it stopped. `states` are the twelve recursion states.
    int32_t process(const GlideIo& io, std::array<BiquadState, kNumFilters>& states) noexcept;

private:
    struct BandCourse {
        DesignPoint from, to;
        double logFrequencyFrom = 0, logFrequencyTo = 0, logQFrom = 0, logQTo = 0;
        double wetFrom = 0, wetTo = 0;   ///< share of the band's output; the rest is its input
        BiquadCoefficients coefficients; ///< in use at the end of the last sub-block
        BiquadCoefficients end;          ///< in use once arrived
        BandTarget target;               ///< as published
        int32_t done = 0, total = 0;
        // The frequency terms of the last design made here, and what they were made from: a
        // glide of the gain alone makes them once.
        BandFrequencyTerms terms;
        double termsFrequencyHz = 0, termsQ = 0, termsRateHz = 0;

        bool arrived() const { return done >= total; }
        double progress(int32_t at) const { return total > 0 ? double(at) / total : 1.0; }
        double wetAt(int32_t at) const { return wetFrom + (wetTo - wetFrom) * progress(at); }
        DesignPoint pointAt(int32_t at) const;
        /// The section takes part in processing now.
        bool runs() const { return !arrived() || wetTo > 0; }
    };

    static void retargetBand(BandCourse& course, const BandTarget& target, int32_t glideFrames,
                             bool jump) noexcept;
    /// The coefficients for the end of the next `n` frames of band `band`.
    BiquadCoefficients nextCoefficients(int32_t band, BandCourse& course, int32_t n) noexcept;
    /// The band runs at its published design.
    bool steadyBand(int32_t band) const noexcept;
    /// The coefficients of band `band`, which glides, over its next `n` frames, cross-fade
    /// included; advances its course.
    MovingCoefficients nextMove(int32_t band, int32_t n) noexcept;
    double outputGainAt(int32_t at) const;

    std::array<BandCourse, kNumBands> bands_{};
    CascadeMotion motion_; // the kernel's schedule, kept here: too large to clear every block
    double rateHz_ = 0.0;
    double gainFrom_ = 1.0, gainTo_ = 1.0;
    int32_t gainDone_ = 0, gainTotal_ = 0;
};

} // namespace miral
