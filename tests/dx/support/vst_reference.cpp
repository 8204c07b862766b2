#include "vst_reference.h"

#include "platform/dynamic_library.h"
#include "vst2/vst2_interface.h"

#include <gtest/gtest.h>

namespace miral::dx::test {
namespace {

intptr_t VST2_CALL answerVersion(AEffect*, int32_t opcode, int32_t, intptr_t, void*, float) {
    return opcode == audioMasterVersion ? 2 : 0;
}

} // namespace

StereoFloat deinterleave(const std::vector<float>& frames) {
    StereoFloat channels;
    for (size_t i = 0; i + 1 < frames.size(); i += 2) {
        channels.left.push_back(frames[i]);
        channels.right.push_back(frames[i + 1]);
    }
    return channels;
}

StereoFloat processWithVst(const float* values, uint32_t rateHz, const StereoFloat& input,
                           const std::vector<int32_t>& blocks) {
    StereoFloat output{std::vector<float>(input.left.size()),
                       std::vector<float>(input.right.size())};
    auto library = platform::DynamicLibrary::load(MIRAL_VST_DLL);
    EXPECT_NE(library, nullptr) << MIRAL_VST_DLL;
    if (!library)
        return output;
    using Entry = AEffect*(VST2_CALL*)(audioMasterCallback);
    AEffect* effect = library->entryAs<Entry>("main")(answerVersion);
    EXPECT_NE(effect, nullptr);
    if (effect == nullptr)
        return output;
    const auto dispatch = [effect](int32_t opcode, intptr_t value, float opt = 0.0f) {
        effect->dispatcher(effect, opcode, 0, value, nullptr, opt);
    };
    // As the filter is created: 44100 Hz and 64 frames announced, then the values set.
    dispatch(effOpen, 0);
    dispatch(effMainsChanged, 0);
    dispatch(effSetSampleRate, 0, 44100.0f);
    dispatch(effSetBlockSize, 64);
    dispatch(effMainsChanged, 1);
    for (int32_t i = 0; i < 26; ++i)
        effect->setParameter(effect, i, values[i]);
    // As streaming starts, then block by block.
    if (rateHz != 44100) {
        dispatch(effMainsChanged, 0);
        dispatch(effSetSampleRate, 0, float(rateHz));
    }
    dispatch(effMainsChanged, 1);
    // Uninterrupted: a new length is announced, the states carry on.
    int32_t announced = 64;
    size_t start = 0;
    for (int32_t frames : blocks) {
        if (frames == 0)
            continue;
        if (frames != announced) {
            dispatch(effSetBlockSize, frames);
            announced = frames;
        }
        float* inputs[2] = {const_cast<float*>(input.left.data() + start),
                            const_cast<float*>(input.right.data() + start)};
        float* outputs[2] = {output.left.data() + start, output.right.data() + start};
        effect->processReplacing(effect, inputs, outputs, frames);
        start += size_t(frames);
    }
    dispatch(effClose, 0);
    return output;
}

} // namespace miral::dx::test
