#pragma once

// A software pipeline through a cascade of sections, shared by the vector kernels. Each kernel
// file instantiates it with lane types of its own (file-local), so every instantiation is
// private to one file and compiled for that file's instruction set.
//
// A register holds Lanes::kWidth doubles: Lanes::kChannels channels (2 stereo, 1 mono) of
// kWidth / kChannels sections. With K sections in P registers, section s sits in register s % P
// at slot s / P. At step t, section s works on sample t − kSkew·s: each section runs kSkew
// samples behind the one before it and takes as input what that one produced kSkew steps
// earlier, so within a step no register waits on another and the recursions of all sections
// overlap. Register 0 takes the new input frame in slot 0 and, in its further slots, the
// outputs of the last register's slots moved up by one (section P − 1 feeds section P, ...).
//
// During the first and last kSkew·(K − 1) steps (filling and draining the pipeline) some
// sections step outside their block; those steps run through generic code that restores a
// section's state just before its first sample and takes its final state after its last one.
// Every lane computes exactly runBand's recursion, so the results are bit for bit the same.
//
// A moving job (CascadeJob::motion) adds each lane's step to its coefficients before every
// step (registers holding only steady sections, whose step is zero, skip it), and sets section
// s's coefficients and step afresh when it reaches the first sample of one of its sub-blocks:
// at step kSkew·s + j·kMovingSubBlockFrames, so the sections take their new coefficients in
// turn, each at its own sample j·kMovingSubBlockFrames. The output factor grows by its step
// before every frame emitted. This is the scalar kernel's arithmetic again.

#include "engine/biquad.h"
#include "engine/cascade_kernels.h"

#include <bit>
#include <cstddef>
#include <cstdint>
#include <type_traits>
#include <utility>

namespace miral {

/// K sections; `Moving` for jobs whose coefficients move (CascadeJob::motion).
template <class Lanes, int K, bool Moving> class CascadePipeline {
public:
    /// Runs `job` (K sections, at least one frame) and stores the final states.
    static void run(const CascadeJob& job) noexcept {
        CascadePipeline pipeline(job);
        pipeline.process(job);
    }

private:
    using Vec = typename Lanes::Vec;
    using Frame = typename Lanes::Frame;
    static constexpr int kWidth = Lanes::kWidth;
    static constexpr int kChannels = Lanes::kChannels;
    static constexpr int kSlots = kWidth / kChannels;
    static constexpr int kRegisters = (K + kSlots - 1) / kSlots;
    static constexpr int kSkew = Lanes::kSkew;
    static constexpr int kFill = kSkew * (K - 1); ///< steps before the last section's first sample
    static constexpr int kLastRegister = (K - 1) % kRegisters;
    static constexpr int kLastSlot = (K - 1) / kRegisters;
    // The same counts as array dimensions.
    static constexpr auto kRows = static_cast<size_t>(kRegisters);
    static constexpr auto kLanes = static_cast<size_t>(kWidth);
    static constexpr auto kPhases = static_cast<size_t>(kSkew);
    // A moving job's sections renew their coefficients at distinct steps of each sub-block.
    static_assert(kSkew * K <= kMovingSubBlockFrames);

    using Row = double[kRows][kLanes];

    struct Coefficients {
        alignas(32) Row b0;
        alignas(32) Row b1;
        alignas(32) Row b2;
        alignas(32) Row a1;
        alignas(32) Row a2;
    };

    /// The same in registers.
    struct CoefficientVecs {
        Vec b0[kRows], b1[kRows], b2[kRows], a1[kRows], a2[kRows];
    };

    /// What only a moving job needs.
    struct Motion {
        Coefficients steps{}; ///< added to the coefficients before every step
        bool moves[kRows]{};  ///< the register holds a section that is not steady
        alignas(32) double sectionMask[size_t(K)][kLanes]{}; ///< all bits set in its lanes
        double gain = 0.0; ///< the output factor of the last frame emitted
    };
    struct NoMotion {};

    explicit CascadePipeline(const CascadeJob& job) {
        for (int s = 0; s < K; ++s) {
            if constexpr (Moving) {
                const MovingCoefficients& first = job.motion->sections[size_t(s)][0];
                const bool steady = job.motion->steady[size_t(s)];
                setSection(coefficients_, s,
                           steady ? movedBy(first.start, first.step) : first.start);
                setSection(motion_.steps, s, first.step);
                motion_.moves[s % kRegisters] = motion_.moves[s % kRegisters] || !steady;
                for (int channel = 0; channel < kChannels; ++channel)
                    motion_.sectionMask[s][laneOf(s, channel)] =
                        std::bit_cast<double>(~uint64_t{0});
            } else {
                setSection(coefficients_, s, job.sections[s]);
            }
            loadState(job, s);
        }
        if constexpr (Moving)
            motion_.gain = job.outputGain;
    }

    static constexpr int laneOf(int section, int channel) {
        return section / kRegisters * kChannels + channel;
    }

    BiquadState& stateOf(const CascadeJob& job, int section, int channel) const {
        return channel == 0 ? *job.left[size_t(section)] : *job.right[size_t(section)];
    }

    void loadState(const CascadeJob& job, int section) {
        for (int channel = 0; channel < kChannels; ++channel) {
            const BiquadState& state = stateOf(job, section, channel);
            w1_[section % kRegisters][laneOf(section, channel)] = state.w1;
            w2_[section % kRegisters][laneOf(section, channel)] = state.w2;
        }
    }

    void saveState(const CascadeJob& job, int section) const {
        for (int channel = 0; channel < kChannels; ++channel) {
            BiquadState& state = stateOf(job, section, channel);
            state.w1 = w1_[section % kRegisters][laneOf(section, channel)];
            state.w2 = w2_[section % kRegisters][laneOf(section, channel)];
        }
    }

    static void setSection(Coefficients& to, int section, const BiquadCoefficients& c) {
        for (int channel = 0; channel < kChannels; ++channel) {
            const int lane = laneOf(section, channel);
            to.b0[section % kRegisters][lane] = c.b0;
            to.b1[section % kRegisters][lane] = c.b1;
            to.b2[section % kRegisters][lane] = c.b2;
            to.a1[section % kRegisters][lane] = c.a1;
            to.a2[section % kRegisters][lane] = c.a2;
        }
    }

    static CoefficientVecs loadAll(const Coefficients& c) {
        CoefficientVecs v;
        for (int r = 0; r < kRegisters; ++r) {
            v.b0[r] = Lanes::load(c.b0[r]);
            v.b1[r] = Lanes::load(c.b1[r]);
            v.b2[r] = Lanes::load(c.b2[r]);
            v.a1[r] = Lanes::load(c.a1[r]);
            v.a2[r] = Lanes::load(c.a2[r]);
        }
        return v;
    }

    static void storeAll(Coefficients& to, const CoefficientVecs& v) {
        for (int r = 0; r < kRegisters; ++r) {
            Lanes::store(to.b0[r], v.b0[r]);
            Lanes::store(to.b1[r], v.b1[r]);
            Lanes::store(to.b2[r], v.b2[r]);
            Lanes::store(to.a1[r], v.a1[r]);
            Lanes::store(to.a2[r], v.a2[r]);
        }
    }

    /// Before step t of a moving job: the section at the first sample of a sub-block (at most
    /// one: they reach them kSkew steps apart) takes that sub-block's coefficients and step;
    /// then every lane moves by its step.
    [[gnu::always_inline]] void moveCoefficients(const CascadeJob& job, int32_t t,
                                                 CoefficientVecs& c,
                                                 CoefficientVecs& step) const noexcept {
        const int32_t offset = t % kMovingSubBlockFrames;
        if (offset < kSkew * K && offset % kSkew == 0)
            renewSectionAt(job, t, offset / kSkew, c, step, std::make_integer_sequence<int, K>{});
        for (int r = 0; r < kRegisters; ++r) {
            if (!motion_.moves[r])
                continue;
            c.b0[r] = Lanes::add(c.b0[r], step.b0[r]);
            c.b1[r] = Lanes::add(c.b1[r], step.b1[r]);
            c.b2[r] = Lanes::add(c.b2[r], step.b2[r]);
            c.a1[r] = Lanes::add(c.a1[r], step.a1[r]);
            c.a2[r] = Lanes::add(c.a2[r], step.a2[r]);
        }
    }

    /// renewSection for section `section`, known only at run time.
    template <int... S>
    [[gnu::always_inline]] void renewSectionAt(const CascadeJob& job, int32_t t, int section,
                                               CoefficientVecs& c, CoefficientVecs& step,
                                               std::integer_sequence<int, S...>) const noexcept {
        ((section == S ? renewSection<S>(job, t - kSkew * S, c, step) : void()), ...);
    }

    /// Section S's lanes take the coefficients and step of the sub-block starting at `sample`
    /// (a multiple of kMovingSubBlockFrames, not negative), if it lies inside the block.
    template <int S>
    [[gnu::always_inline]] void renewSection(const CascadeJob& job, int32_t sample,
                                             CoefficientVecs& c,
                                             CoefficientVecs& step) const noexcept {
        if (sample >= job.frames || job.motion->steady[size_t(S)])
            return;
        const MovingCoefficients& m =
            job.motion->sections[size_t(S)][size_t(sample / kMovingSubBlockFrames)];
        constexpr int r = S % kRegisters;
        const Vec mask = Lanes::load(motion_.sectionMask[S]);
        c.b0[r] = Lanes::select(mask, c.b0[r], Lanes::splat(m.start.b0));
        c.b1[r] = Lanes::select(mask, c.b1[r], Lanes::splat(m.start.b1));
        c.b2[r] = Lanes::select(mask, c.b2[r], Lanes::splat(m.start.b2));
        c.a1[r] = Lanes::select(mask, c.a1[r], Lanes::splat(m.start.a1));
        c.a2[r] = Lanes::select(mask, c.a2[r], Lanes::splat(m.start.a2));
        step.b0[r] = Lanes::select(mask, step.b0[r], Lanes::splat(m.step.b0));
        step.b1[r] = Lanes::select(mask, step.b1[r], Lanes::splat(m.step.b1));
        step.b2[r] = Lanes::select(mask, step.b2[r], Lanes::splat(m.step.b2));
        step.a1[r] = Lanes::select(mask, step.a1[r], Lanes::splat(m.step.a1));
        step.a2[r] = Lanes::select(mask, step.a2[r], Lanes::splat(m.step.a2));
    }

    void process(const CascadeJob& job) noexcept {
        const int32_t frames = job.frames;
        int32_t t = 0;
        for (; t < kFill; ++t)
            edgeStep(job, t);
        // The last step is left to edgeStep, which takes the first section's final state.
        if (frames - 1 > kFill)
            t = steadySteps(job, t, frames - 1);
        for (; t < frames + kFill; ++t)
            edgeStep(job, t);
    }

    static Vec coefficient(const Vec& v) { return v; }
    static Vec coefficient(const double (&row)[kLanes]) { return Lanes::load(row); }

    /// One step of every section: in[r] is register r's input; w1, w2 and y advance. `c` holds
    /// the coefficients in memory (Coefficients) or in registers (CoefficientVecs).
    template <class C>
    static void advance(const C& c, const Vec (&in)[kRows], Vec (&w1)[kRows], Vec (&w2)[kRows],
                        Vec (&y)[kRows]) noexcept {
        const Vec offset = Lanes::splat(kDenormalOffset);
        for (int r = 0; r < kRegisters; ++r) {
            const Vec feedback = Lanes::add(Lanes::mul(coefficient(c.a2[r]), w2[r]),
                                            Lanes::mul(coefficient(c.a1[r]), w1[r]));
            const Vec w = Lanes::sub(Lanes::add(in[r], offset), feedback);
            y[r] = Lanes::add(Lanes::add(Lanes::mul(coefficient(c.b2[r]), w2[r]),
                                         Lanes::mul(coefficient(c.b0[r]), w)),
                              Lanes::mul(coefficient(c.b1[r]), w1[r]));
            w2[r] = w1[r];
            w1[r] = w;
        }
    }

    static void feed(Frame frame, const Vec (&previous)[kRows], Vec (&in)[kRows]) {
        in[0] = Lanes::feed(frame, previous[kRegisters - 1]);
        for (int r = 1; r < kRegisters; ++r)
            in[r] = previous[r - 1];
    }

    /// Steps t .. end − 1 (whole groups of kSkew, t a multiple of kSkew) with everything in
    /// registers; every section is inside the block. Returns the next step.
    int32_t steadySteps(const CascadeJob& job, int32_t t, int32_t end) noexcept {
        Vec w1[kRows], w2[kRows], y[kPhases][kRows];
        for (int r = 0; r < kRegisters; ++r) {
            w1[r] = Lanes::load(w1_[r]);
            w2[r] = Lanes::load(w2_[r]);
            for (int phase = 0; phase < kSkew; ++phase)
                y[phase][r] = Lanes::load(y_[phase][r]);
        }
        if constexpr (Moving) {
            CoefficientVecs c = loadAll(coefficients_);
            CoefficientVecs step = loadAll(motion_.steps);
            Vec gain = Lanes::splat(motion_.gain);
            const Vec gainStep = Lanes::splat(job.motion->outputGainStep);
            for (; t + kSkew <= end; t += kSkew) {
                for (int phase = 0; phase < kSkew; ++phase) {
                    moveCoefficients(job, t + phase, c, step);
                    gain = Lanes::add(gain, gainStep);
                    Vec in[kRows];
                    feed(Lanes::readFrame(job, t + phase), y[phase], in);
                    advance(c, in, w1, w2, y[phase]);
                    Lanes::template emit<kLastSlot>(job, t + phase - kFill, y[phase][kLastRegister],
                                                    gain);
                }
            }
            storeAll(coefficients_, c);
            storeAll(motion_.steps, step);
            motion_.gain = gain[0];
        } else {
            const Vec gain = Lanes::splat(job.outputGain);
            for (; t + kSkew <= end; t += kSkew) {
                for (int phase = 0; phase < kSkew; ++phase) {
                    Vec in[kRows];
                    feed(Lanes::readFrame(job, t + phase), y[phase], in);
                    advance(coefficients_, in, w1, w2, y[phase]);
                    Lanes::template emit<kLastSlot>(job, t + phase - kFill, y[phase][kLastRegister],
                                                    gain);
                }
            }
        }
        for (int r = 0; r < kRegisters; ++r) {
            Lanes::store(w1_[r], w1[r]);
            Lanes::store(w2_[r], w2[r]);
            for (int phase = 0; phase < kSkew; ++phase)
                Lanes::store(y_[phase][r], y[phase][r]);
        }
        return t;
    }

    /// Step t while filling or draining: silence is fed past the block's end, output is written
    /// only for samples inside it, and sections outside their samples keep their states.
    void edgeStep(const CascadeJob& job, int32_t t) noexcept {
        const int32_t frames = job.frames;
        Row& outputs = y_[t % kSkew];
        Vec w1[kRows], w2[kRows], previous[kRows], in[kRows], y[kRows];
        for (int r = 0; r < kRegisters; ++r) {
            w1[r] = Lanes::load(w1_[r]);
            w2[r] = Lanes::load(w2_[r]);
            previous[r] = Lanes::load(outputs[r]);
        }
        if constexpr (Moving) {
            CoefficientVecs c = loadAll(coefficients_);
            CoefficientVecs step = loadAll(motion_.steps);
            moveCoefficients(job, t, c, step);
            storeAll(coefficients_, c);
            storeAll(motion_.steps, step);
        }
        feed(t < frames ? Lanes::readFrame(job, t) : Lanes::silence(), previous, in);
        advance(coefficients_, in, w1, w2, y);
        for (int r = 0; r < kRegisters; ++r) {
            Lanes::store(w1_[r], w1[r]);
            Lanes::store(w2_[r], w2[r]);
            Lanes::store(outputs[r], y[r]);
        }
        if (t >= kFill) {
            double gain = job.outputGain;
            if constexpr (Moving)
                gain = motion_.gain += job.motion->outputGainStep;
            Lanes::template emit<kLastSlot>(job, t - kFill, y[kLastRegister], Lanes::splat(gain));
        }
        for (int s = 1; s < K; ++s)
            if (t + 1 == kSkew * s)
                loadState(job, s); // the steps so far ran ahead of this section's first sample
        for (int s = 0; s < K; ++s)
            if (t == frames - 1 + kSkew * s)
                saveState(job, s); // this section's last sample
    }

    // Per register and lane: coefficients (0 in unused lanes), states, and the outputs of the
    // last kSkew steps (the inputs of the next sections).
    Coefficients coefficients_{};
    [[no_unique_address]] std::conditional_t<Moving, Motion, NoMotion> motion_;
    alignas(32) Row w1_{};
    alignas(32) Row w2_{};
    alignas(32) Row y_[kPhases]{};
};

/// Runs `job` through the pipeline for its number of sections.
template <class Lanes, bool Moving> void runPipelinedSections(const CascadeJob& job) {
    switch (job.count) {
    case 1:
        CascadePipeline<Lanes, 1, Moving>::run(job);
        return;
    case 2:
        CascadePipeline<Lanes, 2, Moving>::run(job);
        return;
    case 3:
        CascadePipeline<Lanes, 3, Moving>::run(job);
        return;
    case 4:
        CascadePipeline<Lanes, 4, Moving>::run(job);
        return;
    case 5:
        CascadePipeline<Lanes, 5, Moving>::run(job);
        return;
    default:
        CascadePipeline<Lanes, 6, Moving>::run(job);
        return;
    }
}

/// Runs `job` through the pipeline for its number of sections; `flat` handles none.
template <class Lanes> void runPipelined(const CascadeJob& job, void (*flat)(const CascadeJob&)) {
    if (job.frames <= 0)
        return;
    if (job.count == 0 && job.motion != nullptr)
        runCascadeScalar(job); // only the output factor moves: rare, and short
    else if (job.count == 0)
        flat(job);
    else if (job.motion != nullptr)
        runPipelinedSections<Lanes, true>(job);
    else
        runPipelinedSections<Lanes, false>(job);
}

} // namespace miral
