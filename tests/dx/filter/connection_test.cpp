// Connection and the filter's answers around it: formats that make no sense, buffer sizes that
// do not fit, a type query racing a disconnection, the proposed types, a reconnection outside a
// graph, the host callback, the effect calls at start and stop, failures passed back.
#include "chain.h"
#include "effect_calls.h"
#include "eq_transform_filter.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace miral::dx::test {
namespace {

const WAVEFORMATEX& formatOf(const AM_MEDIA_TYPE& type) {
    return *reinterpret_cast<const WAVEFORMATEX*>(type.pbFormat);
}
WAVEFORMATEX& formatOf(MediaType& type) {
    return *reinterpret_cast<WAVEFORMATEX*>(type.get().pbFormat);
}

TEST_F(Chain, FormatsThatMakeNoSenseAreRefusedAndLowRatesTaken) {
    ComRef<IPin> input = findPin(miral.get(), PINDIR_INPUT);
    const auto accepted = [&](MediaType& type) { return input->QueryAccept(&type.get()) == S_OK; };
    MediaType type;
    for (DWORD rate : {8000u, 22050u, 44100u, 192000u, 768000u}) {
        makeAudioType(type, WAVE_FORMAT_PCM, 2, rate, 16);
        EXPECT_TRUE(accepted(type)) << rate;
    }
    for (DWORD rate : {0u, 999u, 768001u, 4000000000u}) {
        makeAudioType(type, WAVE_FORMAT_IEEE_FLOAT, 1, rate, 32);
        EXPECT_FALSE(accepted(type)) << rate;
    }
    makeAudioType(type, WAVE_FORMAT_PCM, 2, 44100, 16);
    formatOf(type).nBlockAlign = 2;
    EXPECT_FALSE(accepted(type)) << "block alignment of one channel";
    makeAudioType(type, WAVE_FORMAT_PCM, 2, 44100, 16);
    formatOf(type).nAvgBytesPerSec = 44100 * 2;
    EXPECT_FALSE(accepted(type)) << "byte rate of mono";
    makeAudioType(type, WAVE_FORMAT_IEEE_FLOAT, 2, 48000, 32, sizeof(PCMWAVEFORMAT));
    EXPECT_TRUE(accepted(type)) << "a 16-byte format block";

    // Extensible blocks: another sub-format, a short extension, or valid bits below the
    // container stay refused.
    makeExtensibleType(type, true, 2, 48000, 32);
    EXPECT_TRUE(accepted(type));
    makeExtensibleType(type, true, 2, 48000, 32);
    reinterpret_cast<WAVEFORMATEXTENSIBLE*>(type.get().pbFormat)->SubFormat = MEDIASUBTYPE_Avi;
    EXPECT_FALSE(accepted(type));
    makeExtensibleType(type, false, 2, 48000, 16);
    formatOf(type).cbSize = 21;
    EXPECT_FALSE(accepted(type));
    makeExtensibleType(type, false, 2, 48000, 16);
    reinterpret_cast<WAVEFORMATEXTENSIBLE*>(type.get().pbFormat)->Samples.wValidBitsPerSample = 12;
    EXPECT_FALSE(accepted(type));
}

TEST_F(Chain, AnOutputBufferThatDoesNotFitALongIsRefusedBeforeDownstreamIsAsked) {
    sink->capBuffers(65536);
    MediaType mono;
    makeAudioType(mono, WAVE_FORMAT_PCM, 1, 44100, 16);
    ASSERT_EQ(connectInput(mono.get(), 0x60000000), S_OK); // doubled: 3 GiB
    EXPECT_TRUE(FAILED(connectOutput()));
    for (long request : sink->allocatorRequests())
        EXPECT_GT(request, 0) << "a wrapped size was asked for";
}

TEST_F(Chain, AnOutputBufferOfOverAGibibyteIsAskedForWhole) {
    sink->capBuffers(65536);
    MediaType mono;
    makeAudioType(mono, WAVE_FORMAT_PCM, 1, 44100, 16);
    ASSERT_EQ(connectInput(mono.get(), 0x30000000), S_OK);
    ASSERT_EQ(connectOutput(), S_OK);
    ASSERT_FALSE(sink->allocatorRequests().empty());
    EXPECT_EQ(sink->allocatorRequests().front(), 0x60000000);
}

TEST_F(Chain, ATypeQueryHoldsTheOutputsPeerWhileAnotherThreadDisconnectsIt) {
    MediaType pcm;
    makeAudioType(pcm, WAVE_FORMAT_PCM, 2, 44100, 16);
    ASSERT_EQ(connectInput(pcm.get()), S_OK);
    MediaType at48; // needs the downstream pin's answer
    makeAudioType(at48, WAVE_FORMAT_PCM, 2, 48000, 16);
    ComRef<IPin> input = findPin(miral.get(), PINDIR_INPUT);
    ComRef<IPin> output = findPin(miral.get(), PINDIR_OUTPUT);
    const int destroyedBefore = TestSink::destroyedWhileChecking.load();
    for (int round = 0; round < 3; ++round) {
        TestSink* downstream = TestSink::create();
        downstream->slowTypeChecks(100);
        ASSERT_EQ(output->Connect(downstream->input(), nullptr), S_OK);
        IPin* downstreamPin = downstream->input();
        downstreamPin->AddRef(); // for the disconnection below; released after it
        std::atomic<bool> asked{false};
        std::thread querying([&] {
            asked = true;
            input->QueryAccept(&at48.get());
        });
        while (!asked.load() || downstream->typeChecksRunning() == 0)
            Sleep(1);
        downstream->Release(); // the pins' references remain
        downstreamPin->Disconnect();
        downstreamPin->Release();
        EXPECT_EQ(output->Disconnect(), S_OK); // drops the last reference the filter had
        querying.join();
    }
    EXPECT_EQ(TestSink::destroyedWhileChecking.load(), destroyedBefore)
        << "the downstream filter went while its pin answered a query";
}

TEST_F(Chain, OneOutputTypeIsProposedOnceTheInputIsConnected) {
    ComRef<IEnumMediaTypes> types;
    AM_MEDIA_TYPE* type = nullptr;
    ULONG fetched = 0;
    ASSERT_EQ(findPin(miral.get(), PINDIR_OUTPUT)->EnumMediaTypes(types.put()), S_OK);
    EXPECT_EQ(types->Next(1, &type, &fetched), S_FALSE) << "unconnected input: none";
    EXPECT_EQ(fetched, 0u);

    MediaType mono;
    makeAudioType(mono, WAVE_FORMAT_PCM, 1, 22050, 16, sizeof(PCMWAVEFORMAT));
    ASSERT_EQ(connectInput(mono.get()), S_OK);
    ASSERT_EQ(findPin(miral.get(), PINDIR_OUTPUT)->EnumMediaTypes(types.put()), S_OK);
    ASSERT_EQ(types->Next(1, &type, &fetched), S_OK);
    ASSERT_EQ(fetched, 1u);
    EXPECT_EQ(formatOf(*type).nChannels, 2);
    EXPECT_EQ(formatOf(*type).nBlockAlign, 4);
    EXPECT_EQ(formatOf(*type).nAvgBytesPerSec, 22050u * 4);
    deleteMediaType(type);
    EXPECT_EQ(types->Next(1, &type, &fetched), S_FALSE) << "exactly one";

    // The 16-byte input block streams like any other.
    ASSERT_EQ(connectOutput(), S_OK);
    ASSERT_EQ(control(&IMediaControl::Pause), S_OK);
    ASSERT_EQ(source->send(plain(bytesOf(std::vector<int16_t>{7, -7}))), S_OK);
    EXPECT_EQ(samplesOf<int16_t>(sink->data()), (std::vector<int16_t>{7, 7, -7, -7}));
}

TEST_F(Chain, AnInputTypeTheOutputCannotCarryOutsideAGraphFailsTheConnection) {
    MediaType at44;
    makeAudioType(at44, WAVE_FORMAT_PCM, 2, 44100, 16);
    ComRef<TestSource> alone = ComRef<TestSource>::adopt(TestSource::create(at44.get(), 8192));
    ComRef<IPin> input = findPin(miral.get(), PINDIR_INPUT);
    ComRef<IPin> output = findPin(miral.get(), PINDIR_OUTPUT);
    ASSERT_EQ(alone->output()->Connect(input.get(), nullptr), S_OK);
    ASSERT_EQ(output->Connect(sink->input(), nullptr), S_OK);
    ASSERT_EQ(alone->output()->Disconnect(), S_OK);
    ASSERT_EQ(input->Disconnect(), S_OK);
    MediaType at48;
    makeAudioType(at48, WAVE_FORMAT_PCM, 2, 48000, 16);
    alone->offer(at48.get());
    EXPECT_EQ(alone->output()->Connect(input.get(), nullptr), VFW_E_NOT_IN_GRAPH);
    output->Disconnect();
    sink->input()->Disconnect();
}

TEST_F(Chain, TheHostCallbackAnswersVersionLanguageAndNothingElse) {
    AEffect* effect = nullptr;
    ASSERT_EQ(parameters->GetEffect(&effect), S_OK);
    EXPECT_EQ(EqTransformFilter::hostCallback(effect, audioMasterVersion, 0, 0, nullptr, 0), 2);
    EXPECT_EQ(EqTransformFilter::hostCallback(effect, 38, 0, 0, nullptr, 0), 1); // language
    EXPECT_EQ(EqTransformFilter::hostCallback(effect, 7, 0, 0, nullptr, 0), 0);  // time
}

TEST_F(Chain, StartingAndStoppingTellTheEffectTheRateAndSuspendIt) {
    MediaType at48;
    makeAudioType(at48, WAVE_FORMAT_IEEE_FLOAT, 2, 48000, 32);
    ASSERT_EQ(connect(at48.get()), S_OK);
    AEffect* effect = nullptr;
    ASSERT_EQ(parameters->GetEffect(&effect), S_OK);
    EffectCalls calls(effect);
    ASSERT_EQ(control(&IMediaControl::Pause), S_OK);
    EXPECT_EQ(calls.take(),
              (std::vector<EffectCall>{
                  {effMainsChanged, 0}, {effSetSampleRate, 48000}, {effMainsChanged, 1}}));
    ASSERT_EQ(control(&IMediaControl::Stop), S_OK);
    EXPECT_EQ(calls.take(), (std::vector<EffectCall>{{effMainsChanged, 0}}));
    ASSERT_EQ(control(&IMediaControl::Pause), S_OK);
    EXPECT_EQ(calls.take(), (std::vector<EffectCall>{{effMainsChanged, 1}})) << "same rate";
}

// The output buffers take the input's size, and the alignment, prefix and count the downstream
// pin asks for.
TEST_F(Chain, OutputBuffersHaveTheDownstreamPinsAlignmentPrefixAndCount) {
    sink->require({6, 0, 16, 32});
    MediaType stereo;
    makeAudioType(stereo, WAVE_FORMAT_PCM, 2, 44100, 16);
    ASSERT_EQ(connect(stereo.get(), 4096), S_OK);
    ALLOCATOR_PROPERTIES granted{};
    ASSERT_EQ(sink->allocator()->GetProperties(&granted), S_OK);
    EXPECT_EQ(granted.cBuffers, 6);
    EXPECT_EQ(granted.cbBuffer, 4096);
    EXPECT_EQ(granted.cbAlign, 16);
    EXPECT_EQ(granted.cbPrefix, 32);
}

TEST_F(Chain, BufferAndDeliveryFailuresArePassedBack) {
    MediaType stereo;
    makeAudioType(stereo, WAVE_FORMAT_PCM, 2, 44100, 16);
    ASSERT_EQ(connect(stereo.get()), S_OK);
    ASSERT_EQ(control(&IMediaControl::Pause), S_OK);
    const SampleToSend sample = plain(bytesOf(std::vector<int16_t>(8, 3)));
    ASSERT_EQ(sink->Stop(), S_OK);                // the renderer alone: it refuses samples
    ASSERT_EQ(sink->allocator()->Commit(), S_OK); // buffers to be had all the same
    EXPECT_EQ(source->send(sample), VFW_E_WRONG_STATE);
    ASSERT_EQ(sink->allocator()->Decommit(), S_OK);
    EXPECT_EQ(source->send(sample), VFW_E_NOT_COMMITTED);
    EXPECT_TRUE(sink->samples().empty());
}

} // namespace
} // namespace miral::dx::test
