#pragma once

// The equaliser engine: parameter values and the physical values derived from them, the band
// designs, the sample-rate rule and block processing.
//
// Threads: setParameter and setSampleRate may come from several threads at once (a host's
// automation and an editor, say); processing runs on the audio thread. Every redesign is
// computed aside and published whole, so a block never runs with half of one; the audio thread
// takes the newest design at the start of each block. setBlockSize and resume must not overlap
// processing (hosts suspend first). The control-side getters (band, gainRange, outputGain...)
// show the designer's own values and are meant for the thread that last changed something.

#include "engine/biquad.h"
#include "engine/cascade_kernels.h"
#include "engine/design_glide.h"
#include "engine/eq_band.h"
#include "engine/params.h"
#include "engine/snapshot_exchange.h"
#include "engine/solo_mix.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <optional>

namespace miral {

/// Glide time of the builds that smooth parameter changes; see setSmoothingTime.
inline constexpr double kDefaultSmoothingSeconds = 0.020;

/// Lowest sample rate at which the equaliser runs; below it the engine bypasses itself.
inline constexpr float kMinimumSampleRateHz = 44100.0f;

/// One whole design: every band and the output factor, at the rate they were designed for.
struct EqDesign {
    std::array<EqBand, kNumBands> bands{};
    double outputGain = 1.0;
    double sampleRateHz = kMinimumSampleRateHz;
};

class EqEngine {
public:
    /// Default parameter values, states cleared, 44100 Hz until told otherwise.
    EqEngine();

    /// Stores `value` for `index` (nothing for an index outside 0..25), re-derives every band,
    /// redesigns and publishes. Ignored while bypassed and for non-finite values; returns
    /// whether the call was accepted. A design that would come out non-finite or unstable keeps
    /// the band's last good coefficients.
    bool setParameter(int32_t index, float value);

    /// Current normalised value; 0 for an index outside 0..25.
    float getParameter(int32_t index) const;

    /// The number a host shows for the parameter: gain dB, Hz, Q, switch 0/1, the raw gain
    /// range, output dB. 0 for an index outside 0..25.
    float displayValue(int32_t index) const;

    /// Sets the design rate. Below 44100 Hz bypasses (isBypassed() reports it; telling the user
    /// is the caller's part); otherwise leaves bypass and redesigns every band for the new rate.
    /// A rate that is not a finite number is refused: false, and nothing changes.
    bool setSampleRate(float sampleRateHz);

    /// Takes the largest block a host announces and keeps nothing: processing needs no buffers
    /// of its own, so any block length works, also before the first call and beyond it.
    void setBlockSize(int32_t frames);

    /// Clears every section's state. Coefficients stay; the next block applies the current
    /// design at once.
    void resume() noexcept;

    /// How long a change made while audio runs takes to reach the sound: bands glide there over
    /// `seconds` (at most 0.1), switches cross-fade. 0, the default, applies every change with
    /// the next block. The first block after construction or resume, and a new sample rate,
    /// never glide. Any thread.
    void setSmoothingTime(double seconds);

    /// Solos band 0..5: the output becomes the input through the band's listening filter (see
    /// solo_design.h), whatever the other settings; -1 (or any other number) ends the solo. The
    /// change cross-fades over the smoothing time, or over kDefaultSmoothingSeconds where
    /// smoothing is off, so that soloing never clicks. Not a parameter: nothing stores it. With
    /// no solo and the fade-out over, the output is exactly that of the equaliser. Any thread.
    void setSolo(int32_t band);
    /// The soloed band, or -1.
    int32_t solo() const { return soloBand_.load(std::memory_order_relaxed); }

    /// Filters `frames` frames of inputs[0..1] into outputs[0..1]. Identical input pointers
    /// mean mono: only the left sections run and both outputs carry the result. Each output
    /// may be one of the inputs. While bypassed the outputs receive the inputs unchanged. A
    /// non-finite input sample may come out non-finite, but the states recover by the next
    /// block; finite input and any finite settings give finite output (at worst ±FLT_MAX).
    /// A band that stops running (switched off, or at 0 dB) forgets its recursion state once
    /// it has faded out, so that when it runs again it starts from silence.
    /// Audio thread: no allocation, no lock, no system call.
    void processReplacing(const float* const* inputs, float* const* outputs,
                          int32_t frames) noexcept;

    /// Processes with `kernel` from now on (the fastest available one by default); false, and
    /// no change, when this processor lacks it. For tests and benchmarks; not while processing.
    bool useKernel(CascadeKernel kernel);
    CascadeKernel kernel() const { return kernel_; }

    bool isBypassed() const { return bypassed_.load(std::memory_order_relaxed); }
    double sampleRate() const { return static_cast<double>(requestedRate_.load()); }

    /// The newest whole design, for one display thread: safe against a control thread that
    /// changes parameters meanwhile. The reference stays valid and unchanged until the next
    /// call on the same thread.
    const EqDesign& designForDisplay() const { return displayed_.acquire(); }

    /// Control thread's view: band 0..5 as last derived and designed.
    const EqBand& band(int32_t index) const { return bands_[size_t(index)]; }
    /// Recursion state of section k. Audio thread's data: read only while not processing.
    const BiquadState& bandState(int32_t k) const { return states_[size_t(k)]; }
    double gainRange() const { return gainRange_; }
    double outputGainDb() const { return outputGainDb_; }
    double outputGain() const { return outputGain_; }

private:
    /// What the audio thread needs of one design, published whole: the running bands in
    /// order, with their coefficients side by side.
    struct ProcessingSnapshot {
        std::array<BiquadCoefficients, kNumBands> sections{};
        std::array<int32_t, kNumBands> bandOfSection{};
        int32_t sectionCount = 0;
        double outputGain = 1.0;
        std::array<BiquadCoefficients, kNumBands> soloFilters{}; ///< listening filter per band
        GlideTargets targets;                                    ///< the same design for smoothing
        uint64_t generation = 0;
    };

    /// Everything a band's coefficients follow from; the same inputs give the same design.
    struct DesignInputs {
        double gainDb, frequencyHz, q, gainRange, sampleRateHz;
        bool operator==(const DesignInputs&) const = default;
    };

    /// The equaliser's own processing of one block with `design`, retargeted already.
    void filter(const ProcessingSnapshot& design, const float* const* inputs, float* const* outputs,
                int32_t frames, bool mono) noexcept;
    /// The same with the solo mixed in, in chunks that keep a copy of the input.
    void filterWithSolo(const ProcessingSnapshot& design, const float* const* inputs,
                        float* const* outputs, int32_t frames, bool mono) noexcept;
    static void passThrough(const float* const* inputs, float* const* outputs,
                            int32_t frames) noexcept;
    /// Clears the states of the bands that will not run in the next block, so that a band
    /// which starts running again starts from silence instead of ringing out what it held.
    void clearIdleStates(const ProcessingSnapshot& design) noexcept;
    /// Redesigns from the stored values and publishes, for every thread that asks at once.
    void redesignAndPublish();
    void deriveBands();
    void redesignBands();
    void redesignSoloFilters();
    void publish();

    float paramValue(int32_t index) const {
        return paramValues_[size_t(index)].load(std::memory_order_relaxed);
    }

    /// Atomic so that an editor may read values while a host sets them on another thread.
    std::array<std::atomic<float>, kNumParams> paramValues_{};
    std::array<EqBand, kNumBands> bands_{};
    double gainRange_ = 1.0;
    double outputGainDb_ = 0.0;
    double outputGain_ = 1.0;
    double rate_ = kMinimumSampleRateHz; // the rate the bands are designed for
    std::atomic<float> requestedRate_{kMinimumSampleRateHz};
    std::atomic<bool> bypassed_{false};
    // Whoever sets designing_ redesigns and publishes; the count tells it whether more
    // requests came while it did.
    std::atomic<uint32_t> redesignRequests_{0};
    std::atomic<bool> designing_{false};

    std::array<std::optional<DesignInputs>, kNumBands> designedFrom_{};
    std::array<DesignPoint, kNumBands> designPoints_{}; // what the coefficients came from
    std::array<BiquadCoefficients, kNumBands> soloFilters_{};
    std::atomic<int32_t> soloBand_{-1};
    uint64_t generation_ = 0;
    std::atomic<float> smoothingSeconds_{0.0f}; // float: lock-free on every target
    CascadeKernel kernel_ = bestCascadeKernel();

    SnapshotExchange<ProcessingSnapshot> published_;
    mutable SnapshotExchange<EqDesign> displayed_; // its reader side is the display thread's

    // Audio thread's data.
    std::array<BiquadState, kNumFilters> states_{};
    DesignGlide glide_;
    SoloMix solo_;
    uint64_t seenGeneration_ = 0;
    bool jumpNext_ = true; // the first block after construction or resume
};

} // namespace miral
