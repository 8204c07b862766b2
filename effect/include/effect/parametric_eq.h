#pragma once

// The equaliser effect: the engine behind the VST 2 base layer, with nine programs that are
// edited in place, and the effect's identity.
//
// Threads: processing on the host's audio thread; everything else on the host's other threads.
// Every accepted parameter change is also written into the current program.

#include "effect/eq_program.h"
#include "engine/eq_engine.h"
#include "vst2/audio_effect_x.h"

#include <array>
#include <cstddef>

inline constexpr int32_t kMiralUniqueId = 0x39387a34; // '98z4'
inline constexpr int32_t kMiralVendorVersion = 1000;

class ParametricEq : public AudioEffectX {
public:
    /// Loads factory program 0; two inputs, two outputs, replacing processing.
    explicit ParametricEq(audioMasterCallback host);

    void setParameter(int32_t index, float value) override;
    float getParameter(int32_t index) override;
    void process(float** inputs, float** outputs, int32_t sampleFrames) override;
    void processReplacing(float** inputs, float** outputs, int32_t sampleFrames) override;

    /// Loads program 0..8 through 26 setParameter calls, gains first.
    void setProgram(int32_t program) override;
    /// Stores at most 23 characters of `name` in the current program.
    void setProgramName(const char* name) override;
    /// The current program's name; a program named exactly "Init" reads "Init <number>".
    void getProgramName(char* name) override;
    bool getProgramNameIndexed(int32_t category, int32_t index, char* text) override;

    void getParameterLabel(int32_t index, char* label) override;
    void getParameterDisplay(int32_t index, char* text) override;
    void getParameterName(int32_t index, char* text) override;

    /// Below 44100 Hz bypasses with a notice; otherwise redesigns from the program's gains.
    void setSampleRate(float sampleRateHz) override;
    void setBlockSize(int32_t frames) override;
    void resume() override;

    int32_t getPlugCategory() override;
    bool getEffectName(char* name) override;
    bool getVendorString(char* text) override;
    bool getProductString(char* text) override;
    int32_t getVendorVersion() override;

    /// Solos band 0..5 for listening, -1 ends it (EqEngine::setSolo). Not a parameter: no
    /// program, bank or state holds it, and the host is not told of it as an edit. An
    /// equaliser that stands in for another (forwardSoloToHost) also asks its host to solo the
    /// one that processes (kMiralSoloRequest).
    void setSolo(int32_t band);
    int32_t solo() const { return engine_.solo(); }
    /// From now on setSolo is passed on to the host.
    void forwardSoloToHost() { forwardsSolo_ = true; }

    /// The engine, for the editor's displays (read on the editor's thread).
    const miral::EqEngine& engine() const { return engine_; }
    const miral::EqProgram& program(int32_t index) const {
        return programs_[static_cast<std::size_t>(index)];
    }

private:
    miral::EqProgram& currentProgram() { return programs_[static_cast<std::size_t>(curProgram)]; }

    miral::EqEngine engine_;
    std::array<miral::EqProgram, miral::kNumPrograms> programs_;
    bool forwardsSolo_ = false;
};
