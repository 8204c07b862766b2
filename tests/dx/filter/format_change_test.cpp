// Media types carried by samples: a type the filter can carry to its output is applied whole
// (output type, the type on the next delivered sample, the effect's rate, buffer use); one it
// cannot carry is refused and nothing is delivered for it. The renderer's buffers are exactly
// as large as granted, with a guard pattern behind them.
#include "chain.h"
#include "effect_calls.h"
#include "test_signals.h"
#include "vst_reference.h"

#include <gtest/gtest.h>

namespace miral::dx::test {
namespace {

class FormatChange : public Chain {
public:
    /// Connects `first` with output buffers of exactly `outputBytes` and runs the graph.
    void start(const AM_MEDIA_TYPE& first, long outputBytes) {
        sink->capBuffers(outputBytes);
        ASSERT_EQ(connect(first, 16384), S_OK);
        AEffect* effect = nullptr;
        ASSERT_EQ(parameters->GetEffect(&effect), S_OK);
        calls = std::make_unique<EffectCalls>(effect);
        ASSERT_EQ(control(&IMediaControl::Run), S_OK);
        calls->take();
    }
    /// The suspends, resumes and rates told to the effect since the last call.
    std::vector<EffectCall> streamCalls() {
        std::vector<EffectCall> kept;
        for (const EffectCall& call : calls->take())
            if (call.first == effMainsChanged || call.first == effSetSampleRate)
                kept.push_back(call);
        return kept;
    }
    HRESULT send(std::vector<BYTE> bytes, const AM_MEDIA_TYPE* newType = nullptr) {
        SampleToSend sample = plain(std::move(bytes));
        sample.newType = newType;
        return source->send(sample);
    }
    /// Every delivered sample within its buffer and a whole number of its type's frames.
    void expectSamplesMatchTheirTypes() {
        for (const ReceivedSample& sample : sink->samples()) {
            EXPECT_TRUE(sample.guardIntact) << "written past the buffer";
            ASSERT_GT(sample.format.nBlockAlign, 0);
            EXPECT_EQ(sample.data.size() % sample.format.nBlockAlign, 0u);
            EXPECT_EQ(sample.format.nChannels, 2);
        }
    }
    void TearDown() override {
        calls.reset();
        Chain::TearDown();
    }

    std::unique_ptr<EffectCalls> calls;
};

TEST_F(FormatChange, Pcm16ToFloatChangesTheOutputTypeAndFramesFitTheBuffers) {
    MediaType pcm;
    makeAudioType(pcm, WAVE_FORMAT_PCM, 2, 44100, 16);
    start(pcm.get(), 4096); // 1024 16-bit frames, 512 float frames
    const std::vector<int16_t> before(2 * 1024, 1234);
    ASSERT_EQ(send(bytesOf(before)), S_OK);
    MediaType floats;
    makeAudioType(floats, WAVE_FORMAT_IEEE_FLOAT, 2, 44100, 32);
    const std::vector<float> after = noiseFloat(2 * 1024);
    ASSERT_EQ(send(bytesOf(after), &floats.get()), S_OK);
    ASSERT_EQ(send(bytesOf(after)), S_OK);

    expectSamplesMatchTheirTypes();
    const std::vector<ReceivedSample> samples = sink->samples();
    ASSERT_EQ(samples.size(), 5u); // 1024 frames, then 512 + 512 twice
    EXPECT_FALSE(samples[0].typeChanged);
    EXPECT_TRUE(samples[1].typeChanged) << "the first sample after the change carries it";
    EXPECT_FALSE(samples[2].typeChanged || samples[3].typeChanged || samples[4].typeChanged);
    EXPECT_EQ(samples[0].format.wFormatTag, WAVE_FORMAT_PCM);
    for (size_t i = 1; i < samples.size(); ++i) {
        EXPECT_EQ(samples[i].format.wFormatTag, WAVE_FORMAT_IEEE_FLOAT);
        EXPECT_EQ(samples[i].data.size(), 4096u);
    }
    EXPECT_EQ(samplesOf<int16_t>(samples[0].data), before) << "flat program";
    std::vector<BYTE> floatBytes;
    for (size_t i = 1; i < 3; ++i)
        floatBytes.insert(floatBytes.end(), samples[i].data.begin(), samples[i].data.end());
    EXPECT_EQ(samplesOf<float>(floatBytes), after);
    EXPECT_EQ(streamCalls(), (std::vector<EffectCall>{{effMainsChanged, 0}, {effMainsChanged, 1}}))
        << "a new format starts a new stream";
    WAVEFORMATEX output{};
    EXPECT_EQ(parameters->GetFormat(&output, 1), S_OK);
    EXPECT_EQ(output.wFormatTag, WAVE_FORMAT_IEEE_FLOAT);
    EXPECT_EQ(output.nBlockAlign, 8);
}

TEST_F(FormatChange, ANewRateIsAnnouncedAndProcessedAsMiralVstDoesAtThatRate) {
    MediaType at48;
    makeAudioType(at48, WAVE_FORMAT_IEEE_FLOAT, 2, 48000, 32);
    start(at48.get(), 8192);
    ASSERT_EQ(query<IEqPrograms>(miral.get(), kIidEqPrograms)->SelectProgram(1), S_OK);
    ASSERT_EQ(send(bytesOf(noiseFloat(2 * 1000))), S_OK);
    sink->clear();
    calls->take();
    MediaType at96;
    makeAudioType(at96, WAVE_FORMAT_IEEE_FLOAT, 2, 96000, 32);
    const std::vector<float> input = noiseFloat(2 * 1000);
    ASSERT_EQ(send(bytesOf(input), &at96.get()), S_OK);

    EXPECT_EQ(streamCalls(),
              (std::vector<EffectCall>{
                  {effMainsChanged, 0}, {effSetSampleRate, 96000}, {effMainsChanged, 1}}));
    expectSamplesMatchTheirTypes();
    ASSERT_EQ(sink->samples().size(), 1u);
    EXPECT_TRUE(sink->samples()[0].typeChanged);
    EXPECT_EQ(sink->samples()[0].format.nSamplesPerSec, 96000u);
    EXPECT_EQ(sink->samples()[0].format.nAvgBytesPerSec, 96000u * 8);
    std::vector<float> values(26);
    parameters->GetParameters(values.data());
    const StereoFloat expected = processWithVst(values.data(), 96000, deinterleave(input), {1000});
    const std::vector<float> output = samplesOf<float>(sink->data());
    ASSERT_EQ(output.size(), input.size());
    for (size_t i = 0; i < 1000; ++i) {
        ASSERT_EQ(output[2 * i], expected.left[i]) << i;
        ASSERT_EQ(output[2 * i + 1], expected.right[i]) << i;
    }
}

TEST_F(FormatChange, MonoToStereoKeepsTheOutputType) {
    MediaType mono;
    makeAudioType(mono, WAVE_FORMAT_PCM, 1, 44100, 16);
    start(mono.get(), 4096);
    ASSERT_EQ(send(bytesOf(std::vector<int16_t>{1, 2, 3})), S_OK);
    MediaType stereo;
    makeAudioType(stereo, WAVE_FORMAT_PCM, 2, 44100, 16);
    ASSERT_EQ(send(bytesOf(std::vector<int16_t>{4, 5, 6, 7}), &stereo.get()), S_OK);
    expectSamplesMatchTheirTypes();
    const std::vector<ReceivedSample> samples = sink->samples();
    ASSERT_EQ(samples.size(), 2u);
    EXPECT_FALSE(samples[1].typeChanged) << "the output type stays";
    EXPECT_EQ(samplesOf<int16_t>(sink->data()),
              (std::vector<int16_t>{1, 1, 2, 2, 3, 3, 4, 5, 6, 7}));
    WAVEFORMATEX input{};
    EXPECT_EQ(parameters->GetFormat(&input, 0), S_OK);
    EXPECT_EQ(input.nChannels, 2);
}

TEST_F(FormatChange, ATypeThatCannotBeCarriedIsRefusedAndNothingDelivered) {
    MediaType pcm;
    makeAudioType(pcm, WAVE_FORMAT_PCM, 2, 44100, 16);
    start(pcm.get(), 4096);
    sink->accept([](const AM_MEDIA_TYPE& type) {
        return reinterpret_cast<const WAVEFORMATEX*>(type.pbFormat)->nSamplesPerSec == 44100;
    });
    MediaType at96;
    makeAudioType(at96, WAVE_FORMAT_PCM, 2, 96000, 16);
    const HRESULT refused = send(bytesOf(std::vector<int16_t>(8, 1)), &at96.get());
    EXPECT_TRUE(refused == VFW_E_TYPE_NOT_ACCEPTED || refused == VFW_E_INVALIDMEDIATYPE)
        << std::hex << refused;
    MediaType wide;
    makeAudioType(wide, WAVE_FORMAT_PCM, 2, 44100, 24);
    EXPECT_EQ(send(bytesOf(std::vector<int16_t>(6, 1)), &wide.get()), VFW_E_INVALIDMEDIATYPE);
    EXPECT_TRUE(sink->samples().empty());
    EXPECT_EQ(streamCalls(), std::vector<EffectCall>{}) << "the effect carries on";

    // The stream goes on in the old type.
    ASSERT_EQ(send(bytesOf(std::vector<int16_t>{9, 10})), S_OK);
    ASSERT_EQ(sink->samples().size(), 1u);
    EXPECT_EQ(sink->samples()[0].format.nSamplesPerSec, 44100u);
    EXPECT_EQ(findPin(miral.get(), PINDIR_INPUT)->QueryAccept(&at96.get()), S_FALSE);
}

// A type change whose sample never reached the downstream pin is not announced over the bytes
// of a later connection's type.
TEST_F(FormatChange, AChangeNeverDeliveredIsNotAnnouncedAfterAReconnection) {
    MediaType pcm;
    makeAudioType(pcm, WAVE_FORMAT_PCM, 2, 44100, 16);
    start(pcm.get(), 4096);
    ASSERT_EQ(sink->Stop(), S_OK);                // the renderer alone: it refuses samples
    ASSERT_EQ(sink->allocator()->Commit(), S_OK); // buffers to be had all the same
    MediaType at48;
    makeAudioType(at48, WAVE_FORMAT_PCM, 2, 48000, 16);
    EXPECT_EQ(send(bytesOf(std::vector<int16_t>(8, 1)), &at48.get()), VFW_E_WRONG_STATE);
    ASSERT_EQ(control(&IMediaControl::Stop), S_OK);

    ComRef<IPin> input = findPin(miral.get(), PINDIR_INPUT);
    ComRef<IPin> output = findPin(miral.get(), PINDIR_OUTPUT);
    for (IPin* pin : {source->output(), input.get(), output.get(), sink->input()})
        ASSERT_EQ(graph->Disconnect(pin), S_OK);
    MediaType at96;
    makeAudioType(at96, WAVE_FORMAT_PCM, 2, 96000, 16);
    ASSERT_EQ(source->offer(at96.get()), S_OK);
    ASSERT_EQ(graph->ConnectDirect(source->output(), input.get(), nullptr), S_OK);
    ASSERT_EQ(connectOutput(), S_OK);
    ASSERT_EQ(control(&IMediaControl::Run), S_OK);
    ASSERT_EQ(send(bytesOf(std::vector<int16_t>(8, 2))), S_OK);

    const std::vector<ReceivedSample> samples = sink->samples();
    ASSERT_EQ(samples.size(), 1u);
    EXPECT_FALSE(samples[0].typeChanged) << "the old connection's change announced";
    EXPECT_EQ(samples[0].format.nSamplesPerSec, 96000u);
}

// Below 44.1 kHz the effect ignores writes; the filter keeps them, saves them and hands them
// over when the rate allows processing again.
TEST_F(FormatChange, EditsWhileBypassedAreKeptAndReachTheEffectAtAProcessingRate) {
    MediaType low;
    makeAudioType(low, WAVE_FORMAT_IEEE_FLOAT, 2, 22050, 32);
    start(low.get(), 8192);
    ASSERT_EQ(query<IEqPrograms>(miral.get(), kIidEqPrograms)->SelectProgram(8), S_OK);
    ASSERT_EQ(parameters->SetParameter(4, 0.9f), S_OK);
    std::vector<float> kept(26);
    ASSERT_EQ(parameters->GetParameters(kept.data()), S_OK);
    EXPECT_EQ(kept[4], 0.9f) << "the refresh from the bypassed effect reverted the edit";
    std::vector<float> again(26);
    ASSERT_EQ(parameters->GetParameters(again.data()), S_OK);
    EXPECT_EQ(again, kept);

    MediaType at48;
    makeAudioType(at48, WAVE_FORMAT_IEEE_FLOAT, 2, 48000, 32);
    const std::vector<float> input = noiseFloat(2 * 500);
    ASSERT_EQ(send(bytesOf(input), &at48.get()), S_OK);
    AEffect* effect = nullptr;
    ASSERT_EQ(parameters->GetEffect(&effect), S_OK);
    for (int i = 0; i < 26; ++i)
        EXPECT_EQ(effect->getParameter(effect, i), kept[size_t(i)]) << i;
    const StereoFloat expected = processWithVst(kept.data(), 48000, deinterleave(input), {500});
    const std::vector<float> output = samplesOf<float>(sink->data());
    ASSERT_EQ(output.size(), input.size());
    for (size_t i = 0; i < 500; ++i) {
        ASSERT_EQ(output[2 * i], expected.left[i]) << i;
        ASSERT_EQ(output[2 * i + 1], expected.right[i]) << i;
    }
}

} // namespace
} // namespace miral::dx::test
