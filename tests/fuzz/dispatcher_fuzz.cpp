// A host gone wrong: random dispatcher calls, parameter values (not a number and infinities
// included), sample rates, block sizes and blocks of random samples, in random order. The effect
// must neither crash nor trip a sanitizer, and every block of finite samples must come out
// finite.

#include "fuzz_input.h"

#include "effect/parametric_eq.h"
#include "host/host_callback.h"
#include "platform/notice.h"

#include <array>
#include <cmath>
#include <cstdlib>
#include <vector>

namespace {

using miral::fuzzing::FuzzInput;

// Opcodes a host may send with the plain buffer below as ptr. Left out: closing (done once at
// the end), opening an editor, and those whose value or ptr must point to records of their own
// (chunks, events, speaker arrangements, offline and vendor calls).
constexpr std::array kOpcodes = {
    effOpen,
    effSetProgram,
    effGetProgram,
    effSetProgramName,
    effGetProgramName,
    effGetParamLabel,
    effGetParamDisplay,
    effGetParamName,
    effGetVu,
    effSetSampleRate,
    effSetBlockSize,
    effMainsChanged,
    effEditGetRect,
    effEditClose,
    effEditIdle,
    effIdentify,
    effCanBeAutomated,
    effGetNumProgramCategories,
    effGetProgramNameIndexed,
    effGetPlugCategory,
    effSetBlockSizeAndSampleRate,
    effSetBypass,
    effGetEffectName,
    effGetVendorString,
    effGetProductString,
    effGetVendorVersion,
    effCanDo,
    effGetTailSize,
    effIdle,
    effGetParameterProperties,
    effGetVstVersion,
    effEditKeyDown,
    effEditKeyUp,
    effSetEditKnobMode,
    effBeginSetProgram,
    effEndSetProgram,
    effStartProcess,
    effStopProcess,
    effSetPanLaw,
};

constexpr int32_t kMaxBlock = 1024;

void quietNotice(const char*, const char*) {}

void processBlock(AEffect* record, FuzzInput& input) {
    static std::vector<float> inL(kMaxBlock), inR(kMaxBlock), outL(kMaxBlock), outR(kMaxBlock);
    const int32_t frames = input.take<uint16_t>() % (kMaxBlock + 1);
    const bool mono = (input.take<uint8_t>() & 1) != 0;
    bool finite = true;
    for (int32_t i = 0; i < frames; ++i) {
        inL[size_t(i)] = input.take<float>();
        inR[size_t(i)] = mono ? inL[size_t(i)] : input.take<float>();
        finite = finite && std::isfinite(inL[size_t(i)]) && std::isfinite(inR[size_t(i)]);
    }
    float* inputs[2] = {inL.data(), mono ? inL.data() : inR.data()};
    float* outputs[2] = {outL.data(), outR.data()};
    record->processReplacing(record, inputs, outputs, frames);
    if (!finite)
        return;
    for (int32_t i = 0; i < frames; ++i)
        if (!std::isfinite(outL[size_t(i)]) || !std::isfinite(outR[size_t(i)]))
            std::abort(); // finite input gave non-finite output
}

void dispatch(AEffect* record, FuzzInput& input) {
    static std::array<char, 4096> buffer;
    const int32_t opcode = kOpcodes[input.take<uint8_t>() % kOpcodes.size()];
    const auto index = input.take<int32_t>();
    const auto value = static_cast<intptr_t>(input.take<int32_t>());
    const auto opt = input.take<float>();
    buffer.fill(0);
    for (size_t i = 0, n = input.take<uint8_t>(); i < n; ++i)
        buffer[i] = static_cast<char>(input.take<uint8_t>());
    record->dispatcher(record, opcode, index, value, buffer.data(), opt);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    miral::platform::setNoticeHandler(quietNotice);
    FuzzInput input(data, size);
    auto* effect = new ParametricEq(miral::host::hostCallback);
    AEffect* record = effect->getAeffect();
    while (!input.empty()) {
        switch (input.take<uint8_t>() % 4) {
        case 0:
            dispatch(record, input);
            break;
        case 1:
            record->setParameter(record, input.take<int32_t>() % 30, input.take<float>());
            break;
        case 2:
            record->getParameter(record, input.take<int32_t>());
            break;
        default:
            processBlock(record, input);
            break;
        }
    }
    record->dispatcher(record, effClose, 0, 0, nullptr, 0.0f);
    return 0;
}
