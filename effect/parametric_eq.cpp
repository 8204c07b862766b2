#include "effect/parametric_eq.h"

#include "engine/bypass_notice.h"
#include "platform/notice.h"
#include "vst2/aeff_editor.h"

#include <cmath>
#include <cstdio>
#include <cstring>

using namespace miral;

namespace {
constexpr const char* kEffectName = "MIRAL";
constexpr const char* kVendorName = "TOLMEK Soft";
constexpr const char* kProductName = "TOLMEK Soft MIRAL";
constexpr const char* kFreshProgramName = "Init";
constexpr int32_t kCategoryEffect = 1;
} // namespace

ParametricEq::ParametricEq(audioMasterCallback host)
    : AudioEffectX(host, kNumPrograms, kNumParams), programs_(factoryPrograms()) {
    setProgram(0);
    setNumInputs(2);
    setNumOutputs(2);
    hasVu();
    canProcessReplacing();
    setUniqueID(kMiralUniqueId);
    resume();
}

void ParametricEq::setParameter(int32_t index, float value) {
    if (!engine_.setParameter(index, value))
        return;
    if (isValidParamIndex(index))
        currentProgram().ofParam(index) = value;
    if (editor)
        editor->postUpdate();
}

void ParametricEq::setSolo(int32_t band) {
    engine_.setSolo(band);
    if (forwardsSolo_ && audioMaster != nullptr)
        audioMaster(&cEffect, audioMasterVendorSpecific, kMiralSoloRequest, engine_.solo(), nullptr,
                    0.0f);
}

float ParametricEq::getParameter(int32_t index) {
    return engine_.getParameter(index);
}

void ParametricEq::process(float** inputs, float** outputs, int32_t sampleFrames) {
    engine_.processReplacing(inputs, outputs, sampleFrames);
}

void ParametricEq::processReplacing(float** inputs, float** outputs, int32_t sampleFrames) {
    engine_.processReplacing(inputs, outputs, sampleFrames);
}

void ParametricEq::setProgram(int32_t program) {
    if (program < 0 || program >= kNumPrograms)
        return;
    curProgram = program;
    // Copied first: each call below writes back into the current program.
    const EqProgram loading = currentProgram();
    for (int32_t slot = 0; slot < kNumParams; ++slot)
        setParameter(paramOfSlot(slot), loading.inSlot(slot));
}

void ParametricEq::setProgramName(const char* name) {
    char* stored = currentProgram().name.data();
    std::strncpy(stored, name, kProgramNameSize - 1);
    stored[kProgramNameSize - 1] = '\0';
}

void ParametricEq::getProgramName(char* name) {
    const char* stored = currentProgram().name.data();
    if (std::strcmp(stored, kFreshProgramName) == 0)
        std::snprintf(name, kProgramNameSize, "%s %d", stored, curProgram + 1);
    else
        std::strcpy(name, stored);
}

bool ParametricEq::getProgramNameIndexed(int32_t, int32_t index, char* text) {
    if (index < 0 || index >= kNumPrograms)
        return false;
    std::strcpy(text, program(index).name.data());
    return true;
}

void ParametricEq::getParameterLabel(int32_t index, char* label) {
    if (isValidParamIndex(index))
        std::strcpy(label, kParamTable[static_cast<std::size_t>(index)].label);
}

void ParametricEq::getParameterDisplay(int32_t index, char* text) {
    if (isValidParamIndex(index))
        float2string(engine_.displayValue(index), text);
}

void ParametricEq::getParameterName(int32_t index, char* text) {
    if (isValidParamIndex(index))
        std::strcpy(text, kParamTable[static_cast<std::size_t>(index)].name);
}

void ParametricEq::setSampleRate(float sampleRateHz) {
    if (!std::isfinite(sampleRateHz))
        return; // no rate at all: the effect keeps the one it has
    AudioEffectX::setSampleRate(sampleRateHz);
    engine_.setSampleRate(sampleRateHz);
    if (engine_.isBypassed())
        platform::showNotice(kBypassNoticeText, kBypassNoticeCaption);
    // Redesigns every band for the new rate from the current program's gains.
    for (int32_t band = 0; band < kNumBands; ++band) {
        const int32_t gain = bandParamIndex(band, BandParamKind::Gain);
        setParameter(gain, currentProgram().ofParam(gain));
    }
}

void ParametricEq::setBlockSize(int32_t frames) {
    AudioEffectX::setBlockSize(frames);
    engine_.setBlockSize(frames);
}

void ParametricEq::resume() {
    engine_.resume();
}

int32_t ParametricEq::getPlugCategory() {
    return kCategoryEffect;
}

bool ParametricEq::getEffectName(char* name) {
    std::strcpy(name, kEffectName);
    return true;
}

bool ParametricEq::getVendorString(char* text) {
    std::strcpy(text, kVendorName);
    return true;
}

bool ParametricEq::getProductString(char* text) {
    std::strcpy(text, kProductName);
    return true;
}

int32_t ParametricEq::getVendorVersion() {
    return kMiralVendorVersion;
}
