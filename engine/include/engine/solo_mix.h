#pragma once

// The audio thread's side of soloing: the equaliser's output gives way to the soloed band's
// listening filter run on the input, in a linear cross-fade. Soloing another band cross-fades
// from the one listening filter to the other (both run meanwhile). A new design of the soloed
// band's filter (its frequency or Q turned) is reached by moving the coefficients linearly
// over the fade time: between two stable designs every point of that line is a stable section
// (the stability triangle is convex). A filter that has faded out forgets its state, so the
// next solo starts from silence.
//
// Audio thread only: no allocation, no lock.

#include "engine/biquad.h"

#include <array>
#include <cstdint>

namespace miral {

class SoloMix {
public:
    /// Heads for band `band`'s listening filter `target` (band -1, target ignored: no solo)
    /// over `fadeFrames` frames from where the mix is now; `jump` (the first block after
    /// construction or resume) arrives at once, from cleared states. The same band and target
    /// again keep the course.
    void retarget(int32_t band, const BiquadCoefficients& target, int32_t fadeFrames,
                  bool jump) noexcept;

    /// A listening filter is heard: soloed, or fading in or out.
    bool sounds() const noexcept;

    /// Mixes the listening filters' output for the input `inL`, `inR` into the equaliser's
    /// output `outL`, `outR` (same frames, in place). `mono`: only the left input is filtered
    /// and both outputs receive the result.
    void mix(const float* inL, const float* inR, float* outL, float* outR, bool mono,
             int32_t frames) noexcept;

private:
    /// One listening filter and its share of the output.
    struct Listening {
        int32_t band = -1;
        BiquadCoefficients coefficients, step, target;
        int32_t stepsLeft = 0;
        double share = 0.0, shareStep = 0.0, shareTo = 0.0;
        int32_t shareStepsLeft = 0;
        BiquadState left, right;

        /// Silent, at `design`, for band `band`.
        static Listening startingAt(int32_t band, const BiquadCoefficients& design);
        bool heard() const { return share > 0 || shareTo > 0; }
        void headFor(double to, int32_t frames);
        void advance();
    };

    Listening& soloed() { return filters_[0]; }
    Listening& leaving() { return filters_[1]; }

    std::array<Listening, 2> filters_{}; ///< the soloed band's, and the one fading out
};

} // namespace miral
