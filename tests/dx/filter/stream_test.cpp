// The filter between a test source and the test renderer in Wine's graph: the types it takes
// and proposes, buffer sizes, conversion, the sample loop and stream control.
#include "chain.h"
#include "dx/filter/sample_conversion.h"
#include "pcm16_stereo_kernels.h"
#include "vst_reference.h"

#include <gtest/gtest.h>

#include "dx/framework/windows_api.h"

#include <uuids.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <vector>

namespace miral::dx::test {
namespace {

TEST_F(Chain, RefusesAudioItCannotConvert) {
    struct Case {
        const char* name;
        WORD tag, channels, bits;
        ULONG formatBytes;
    };
    const Case cases[] = {
        {"24-bit PCM", WAVE_FORMAT_PCM, 2, 24, 18},
        {"8-bit PCM", WAVE_FORMAT_PCM, 2, 8, 18},
        {"64-bit float", WAVE_FORMAT_IEEE_FLOAT, 2, 64, 18},
        {"three channels", WAVE_FORMAT_PCM, 3, 16, 18},
        {"16-bit float", WAVE_FORMAT_IEEE_FLOAT, 2, 16, 18},
        {"format block of 14 bytes", WAVE_FORMAT_PCM, 2, 16, 14},
    };
    for (const Case& each : cases) {
        MediaType type;
        makeAudioType(type, each.tag, each.channels, 44100, each.bits, each.formatBytes);
        ComRef<IPin> input = findPin(miral.get(), PINDIR_INPUT);
        EXPECT_EQ(input->QueryAccept(&type.get()), S_FALSE) << each.name;
    }
    MediaType compressed;
    makeAudioType(compressed, WAVE_FORMAT_PCM, 2, 44100, 16);
    compressed.get().bTemporalCompression = TRUE;
    EXPECT_TRUE(FAILED(connectInput(compressed.get())));
    MediaType video;
    makeAudioType(video, WAVE_FORMAT_PCM, 2, 44100, 16);
    video.get().majortype = MEDIATYPE_Video;
    EXPECT_EQ(findPin(miral.get(), PINDIR_INPUT)->QueryAccept(&video.get()), S_FALSE);
}

TEST_F(Chain, ExtensibleFloatIsTakenAndAPlainFloatTypeProposed) {
    MediaType type;
    makeExtensibleType(type, true, 2, 96000, 32);
    ASSERT_EQ(connect(type.get()), S_OK);
    const AM_MEDIA_TYPE& proposed = sink->connectionType();
    ASSERT_EQ(proposed.cbFormat, sizeof(WAVEFORMATEX));
    const auto& format = *reinterpret_cast<const WAVEFORMATEX*>(proposed.pbFormat);
    EXPECT_EQ(format.wFormatTag, WAVE_FORMAT_IEEE_FLOAT);
    EXPECT_EQ(format.nChannels, 2);
    EXPECT_EQ(format.nBlockAlign, 8);
    EXPECT_EQ(format.nAvgBytesPerSec, 96000u * 8);
    EXPECT_EQ(format.cbSize, 0);
    WAVEFORMATEX input{};
    EXPECT_EQ(parameters->GetFormat(&input, 0), S_OK);
    EXPECT_EQ(input.wFormatTag, WAVE_FORMAT_IEEE_FLOAT);
    EXPECT_EQ(input.nBlockAlign, 8);
    EXPECT_EQ(input.cbSize, 0);

    // Another input type goes only where the renderer takes the new output.
    MediaType pcm;
    makeExtensibleType(pcm, false, 1, 44100, 16);
    EXPECT_EQ(findPin(miral.get(), PINDIR_INPUT)->QueryAccept(&pcm.get()), S_OK);
    sink->accept(
        [](const AM_MEDIA_TYPE& offered) { return offered.subtype == MEDIASUBTYPE_IEEE_FLOAT; });
    EXPECT_EQ(findPin(miral.get(), PINDIR_INPUT)->QueryAccept(&pcm.get()), S_FALSE);
    MediaType wide;
    makeExtensibleType(wide, false, 2, 44100, 24);
    EXPECT_EQ(findPin(miral.get(), PINDIR_INPUT)->QueryAccept(&wide.get()), S_FALSE);
}

TEST_F(Chain, AdvisedWindowsHearOfEachFormatAsItIsSet) {
    HWND window =
        CreateWindowExA(0, "STATIC", "", 0, 0, 0, 1, 1, HWND_MESSAGE, nullptr, nullptr, nullptr);
    ASSERT_EQ(parameters->AdviseWindow(window, 42), S_OK);
    MediaType mono;
    makeAudioType(mono, WAVE_FORMAT_PCM, 1, 44100, 16);
    ASSERT_EQ(connect(mono.get()), S_OK);
    std::vector<WPARAM> notices;
    MSG message;
    while (PeekMessageA(&message, window, WM_COMMAND, WM_COMMAND, PM_REMOVE))
        notices.push_back(message.wParam);
    EXPECT_EQ(notices, (std::vector<WPARAM>{(0u << 16) | 42u, (1u << 16) | 42u}));
    WAVEFORMATEX output{};
    EXPECT_EQ(parameters->GetFormat(&output, 1), S_OK);
    EXPECT_EQ(output.nChannels, 2);
    EXPECT_EQ(output.nAvgBytesPerSec, 44100u * 4);
    DestroyWindow(window);
}

TEST_F(Chain, MonoDoublesTheOutputBuffersAndTooSmallBuffersAreRefused) {
    MediaType mono;
    makeAudioType(mono, WAVE_FORMAT_PCM, 1, 44100, 16);
    ASSERT_EQ(connect(mono.get(), 256), S_OK);
    ASSERT_EQ(control(&IMediaControl::Pause), S_OK);
    ASSERT_EQ(source->send(plain(bytesOf(std::vector<int16_t>(10, 5)))), S_OK);
    ASSERT_EQ(sink->samples().size(), 1u);
    EXPECT_EQ(sink->samples()[0].size, 512);

    control(&IMediaControl::Stop);
    graph.reset();
    MediaType stereo;
    makeAudioType(stereo, WAVE_FORMAT_PCM, 2, 44100, 16);
    ASSERT_EQ(connectInput(stereo.get(), 256), S_OK);
    EXPECT_TRUE(FAILED(connectOutput()));
}

uint32_t bitsOf(float value) {
    uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

// The block conversions run four or eight stereo frames at a time where the processor allows:
// through every kernel it runs, every sample must come out as the one-sample conversions give
// it, at every block length.
TEST(SampleConversion, BlocksGiveTheOneSampleConversionsBitsAtEveryLengthInEveryKernel) {
    std::vector<int16_t> pcm;
    for (int32_t v = INT16_MIN; v <= INT16_MAX; ++v)
        pcm.insert(pcm.end(), {static_cast<int16_t>(v), static_cast<int16_t>(-1 - v)});
    // Around every rounding boundary of both scales, what lies beyond the range, and values of
    // every size at random.
    std::vector<float> values = {0.0f,
                                 -0.0f,
                                 1e-30f,
                                 -1e-30f,
                                 1e-45f,
                                 1.0f,
                                 -1.0f,
                                 1e30f,
                                 -1e30f,
                                 3e9f,
                                 -3e9f,
                                 std::numeric_limits<float>::infinity(),
                                 -std::numeric_limits<float>::infinity(),
                                 std::numeric_limits<float>::quiet_NaN()};
    for (int32_t k = -32769; k <= 32768; k += 7)
        for (const double scale : {32767.0, 32768.0}) {
            const auto boundary = static_cast<float>((k + 0.5) / scale);
            values.insert(values.end(), {boundary, std::nextafter(boundary, 2.0f),
                                         std::nextafter(boundary, -2.0f)});
        }
    std::mt19937 generator(7);
    std::uniform_real_distribution<float> level(-1.2f, 1.2f);
    for (int i = 0; i < 60000; ++i)
        values.push_back(level(generator) * (i % 3 == 0 ? 1e-3f : 1.0f));
    for (const Pcm16Kernel kernel : {Pcm16Kernel::Scalar, Pcm16Kernel::Sse2, Pcm16Kernel::Avx2}) {
        if (!runsPcm16Kernel(kernel))
            continue;
        SCOPED_TRACE(int(kernel));
        for (const size_t frames : {pcm.size() / 2, pcm.size() / 2 - 1, size_t{3}, size_t{13}}) {
            std::vector<float> left(frames), right(frames);
            deinterleavePcm16(kernel, reinterpret_cast<const uint8_t*>(pcm.data()), 2, frames,
                              left.data(), right.data());
            for (size_t i = 0; i < frames; ++i) {
                ASSERT_EQ(bitsOf(left[i]), bitsOf(pcm16ToFloat(pcm[2 * i]))) << pcm[2 * i];
                ASSERT_EQ(bitsOf(right[i]), bitsOf(pcm16ToFloat(pcm[2 * i + 1]))) << pcm[2 * i + 1];
            }
            const size_t count = std::min(frames, values.size() / 2);
            std::vector<int16_t> joined(2 * count);
            interleavePcm16(kernel, values.data(), values.data() + values.size() - count, count,
                            reinterpret_cast<uint8_t*>(joined.data()));
            for (size_t i = 0; i < count; ++i) {
                ASSERT_EQ(joined[2 * i], floatToPcm16(values[i])) << values[i];
                ASSERT_EQ(joined[2 * i + 1], floatToPcm16(values[values.size() - count + i]));
            }
        }
    }
}

TEST_F(Chain, Pcm16ConvertsExactlyAtFullScaleAndSaturatesInsteadOfWrapping) {
    EXPECT_EQ(pcm16ToFloat(-32768), -1.0f);
    EXPECT_EQ(pcm16ToFloat(0), 0.0f);
    EXPECT_EQ(pcm16ToFloat(32767), 1.0f);
    EXPECT_EQ(floatToPcm16(0.5f), 16384);
    EXPECT_EQ(floatToPcm16(-0.5f), -16384);
    EXPECT_EQ(floatToPcm16(1.5f), 32767);
    EXPECT_EQ(floatToPcm16(-1.5f), -32768);
    EXPECT_EQ(floatToPcm16(std::numeric_limits<float>::quiet_NaN()), 0);

    MediaType mono;
    makeAudioType(mono, WAVE_FORMAT_PCM, 1, 44100, 16);
    ASSERT_EQ(connect(mono.get()), S_OK);
    ASSERT_EQ(control(&IMediaControl::Pause), S_OK);
    const std::vector<int16_t> input = {-32768, 0, 32767, 16384, -16384};
    ASSERT_EQ(source->send(plain(bytesOf(input))), S_OK);
    EXPECT_EQ(
        samplesOf<int16_t>(sink->data()),
        (std::vector<int16_t>{-32768, -32768, 0, 0, 32767, 32767, 16384, 16384, -16384, -16384}));

    // +6 dB of output gain takes full scale past 1.0.
    sink->clear();
    ASSERT_EQ(parameters->SetParameter(25, 1.0f), S_OK);
    ASSERT_EQ(source->send(plain(bytesOf(std::vector<int16_t>{30000, -30000}))), S_OK);
    EXPECT_EQ(samplesOf<int16_t>(sink->data()),
              (std::vector<int16_t>{32767, 32767, -32768, -32768}));
}

TEST_F(Chain, OnlyWholeFramesAreProcessedAndAnEmptySampleStaysEmpty) {
    MediaType stereo;
    makeAudioType(stereo, WAVE_FORMAT_PCM, 2, 44100, 16);
    ASSERT_EQ(connect(stereo.get()), S_OK);
    ASSERT_EQ(control(&IMediaControl::Pause), S_OK);
    std::vector<BYTE> partial = bytesOf(std::vector<int16_t>{100, 200, 300, 400});
    partial.push_back(0x7F); // a part of a frame
    partial.push_back(0x7F);
    ASSERT_EQ(source->send(plain(partial)), S_OK);
    ASSERT_EQ(source->send(plain({})), S_OK);
    const std::vector<ReceivedSample> samples = sink->samples();
    ASSERT_EQ(samples.size(), 2u);
    EXPECT_EQ(samplesOf<int16_t>(samples[0].data), (std::vector<int16_t>{100, 200, 300, 400}));
    EXPECT_TRUE(samples[1].data.empty());
}

TEST_F(Chain, TimesAndFlagsTravelWithTheSample) {
    MediaType stereo;
    makeAudioType(stereo, WAVE_FORMAT_IEEE_FLOAT, 2, 48000, 32);
    ASSERT_EQ(connect(stereo.get()), S_OK);
    ASSERT_EQ(control(&IMediaControl::Pause), S_OK);
    SampleToSend marked = plain(bytesOf(std::vector<float>(64, 0.25f)));
    marked.times = {1000, 2000};
    marked.syncPoint = marked.discontinuity = true;
    marked.mediaTimes = {7, 39};
    ASSERT_EQ(source->send(marked), S_OK);
    ASSERT_EQ(source->send(plain(bytesOf(std::vector<float>(64, 0.25f)))), S_OK);
    const std::vector<ReceivedSample> samples = sink->samples();
    ASSERT_EQ(samples.size(), 2u);
    EXPECT_TRUE(samples[0].timed);
    EXPECT_EQ(samples[0].start, 1000);
    EXPECT_EQ(samples[0].stop, 2000);
    EXPECT_TRUE(samples[0].syncPoint);
    EXPECT_TRUE(samples[0].discontinuity);
    EXPECT_TRUE(samples[0].mediaTimed);
    EXPECT_EQ(samples[0].mediaStart, 7);
    EXPECT_FALSE(samples[1].timed);
    EXPECT_FALSE(samples[1].syncPoint);
    EXPECT_FALSE(samples[1].discontinuity);
    EXPECT_FALSE(samples[1].mediaTimed);
}

// A sample longer than an output buffer goes out in parts, each with its share of the input's
// times; the first alone carries the flags. A downstream pin that wants no more (S_FALSE) ends
// the parts there, and the source hears it.
TEST_F(Chain, ALongSampleIsSplitOverOutputSamplesEachWithItsShareOfTheTimes) {
    sink->capBuffers(1000); // 250 stereo frames
    MediaType stereo;
    makeAudioType(stereo, WAVE_FORMAT_PCM, 2, 44100, 16);
    ASSERT_EQ(connect(stereo.get()), S_OK);
    ASSERT_EQ(control(&IMediaControl::Pause), S_OK);
    std::vector<int16_t> input(2 * 600);
    for (size_t i = 0; i < input.size(); ++i)
        input[i] = int16_t(i * 37);
    SampleToSend marked = plain(bytesOf(input));
    marked.times = {6000, 6000 + 136054};
    marked.mediaTimes = {600, 1200};
    marked.syncPoint = true;
    ASSERT_EQ(source->send(marked), S_OK);

    const std::vector<ReceivedSample> samples = sink->samples();
    ASSERT_EQ(samples.size(), 3u);
    EXPECT_EQ(samples[0].data.size(), 1000u);
    EXPECT_EQ(samples[1].data.size(), 1000u);
    EXPECT_EQ(samples[2].data.size(), 400u);
    const REFERENCE_TIME edges[] = {6000, 6000 + 56689, 6000 + 113378, 6000 + 136054};
    const LONGLONG mediaEdges[] = {600, 850, 1100, 1200};
    for (size_t i = 0; i < samples.size(); ++i) {
        EXPECT_TRUE(samples[i].timed && samples[i].mediaTimed) << i;
        EXPECT_EQ(samples[i].start, edges[i]) << i;
        EXPECT_EQ(samples[i].stop, edges[i + 1]) << i;
        EXPECT_EQ(samples[i].mediaStart, mediaEdges[i]) << i;
        EXPECT_EQ(samples[i].mediaStop, mediaEdges[i + 1]) << i;
        EXPECT_EQ(samples[i].syncPoint, i == 0) << i;
    }
    EXPECT_EQ(samplesOf<int16_t>(sink->data()), input);

    sink->clear();
    sink->wantNoMoreAfter(1);
    EXPECT_EQ(source->send(marked), S_FALSE);
    EXPECT_EQ(sink->samples().size(), 1u) << "parts delivered after the downstream's S_FALSE";
}

// Only a WAVEFORMATEX format block is read as one.
TEST_F(Chain, AnAudioTypeWithAnotherFormatTypeIsRefused) {
    ComRef<IPin> input = findPin(miral.get(), PINDIR_INPUT);
    MediaType type;
    for (const GUID& formatType : {FORMAT_None, FORMAT_VideoInfo, GUID_NULL}) {
        makeAudioType(type, WAVE_FORMAT_PCM, 2, 44100, 16);
        type.get().formattype = formatType;
        EXPECT_EQ(input->QueryAccept(&type.get()), S_FALSE);
    }
}

TEST_F(Chain, BlockLengthChangesAreAnnouncedAsMiralVstIsTold) {
    MediaType stereo;
    makeAudioType(stereo, WAVE_FORMAT_IEEE_FLOAT, 2, 48000, 32);
    ASSERT_EQ(connect(stereo.get()), S_OK);
    ASSERT_EQ(query<IEqPrograms>(miral.get(), kIidEqPrograms)->SelectProgram(8), S_OK);
    ASSERT_EQ(control(&IMediaControl::Pause), S_OK);
    const std::vector<int32_t> blocks = {480, 480, 256, 1024, 100};
    StereoFloat input;
    uint32_t state = 4242u;
    for (int32_t frames : blocks) {
        std::vector<float> interleaved;
        for (int32_t i = 0; i < frames; ++i) {
            for (std::vector<float>* channel : {&input.left, &input.right}) {
                state = state * 1664525u + 1013904223u;
                channel->push_back(float(int32_t(state >> 8) - (1 << 23)) / float(1 << 24));
                interleaved.push_back(channel->back());
            }
        }
        ASSERT_EQ(source->send(plain(bytesOf(interleaved))), S_OK);
    }
    std::vector<float> values(26);
    parameters->GetParameters(values.data());
    const StereoFloat expected = processWithVst(values.data(), 48000, input, blocks);
    const std::vector<float> output = samplesOf<float>(sink->data());
    ASSERT_EQ(output.size(), input.left.size() * 2);
    for (size_t i = 0; i < input.left.size(); ++i) {
        ASSERT_EQ(output[2 * i], expected.left[i]) << i;
        ASSERT_EQ(output[2 * i + 1], expected.right[i]) << i;
    }
}

TEST_F(Chain, StreamControlPassesDownstream) {
    MediaType stereo;
    makeAudioType(stereo, WAVE_FORMAT_PCM, 2, 44100, 16);
    ASSERT_EQ(connect(stereo.get()), S_OK);
    ASSERT_EQ(control(&IMediaControl::Pause), S_OK);
    EXPECT_EQ(source->newSegment(5000), S_OK);
    EXPECT_EQ(source->flush(), S_OK);
    EXPECT_EQ(source->endOfStream(), S_OK);
    std::vector<StreamEvent::Kind> kinds;
    for (const StreamEvent& event : sink->events())
        kinds.push_back(event.kind);
    EXPECT_EQ(kinds,
              (std::vector<StreamEvent::Kind>{StreamEvent::NewSegment, StreamEvent::BeginFlush,
                                              StreamEvent::EndFlush, StreamEvent::EndOfStream}));
    EXPECT_EQ(sink->events()[0].segmentStart, 5000);

    // A renderer's quality message goes on upstream, from the filter.
    ComRef<IQualityControl> quality =
        query<IQualityControl>(findPin(miral.get(), PINDIR_OUTPUT).get(), IID_IQualityControl);
    const Quality late{Famine, 800, -20000, 1000};
    EXPECT_EQ(quality->Notify(sink.get(), late), S_OK);
    Quality received{};
    EXPECT_EQ(source->qualitySender(received), miral.get());
    EXPECT_EQ(received.Late, -20000);
}

TEST_F(Chain, OnlyARateBelow44100ShowsTheNoticeAndOnTheThreadThatStartsStreaming) {
    MediaType low;
    makeAudioType(low, WAVE_FORMAT_PCM, 2, 22050, 16);
    ASSERT_EQ(connect(low.get()), S_OK);
    const int before = noticeCount();
    ASSERT_EQ(control(&IMediaControl::Pause), S_OK);
    EXPECT_EQ(noticeCount(), before + 1);
    EXPECT_EQ(noticeThread(), GetCurrentThreadId());
    ASSERT_EQ(control(&IMediaControl::Stop), S_OK);
    ASSERT_EQ(control(&IMediaControl::Pause), S_OK);
    EXPECT_EQ(noticeCount(), before + 1) << "the rate is announced once";
}

TEST_F(Chain, AnInputTypeTheOutputCannotCarryReconnectsTheOutput) {
    MediaType first;
    makeAudioType(first, WAVE_FORMAT_PCM, 2, 44100, 16);
    ASSERT_EQ(connect(first.get()), S_OK);
    ASSERT_EQ(graph->Disconnect(source->output()), S_OK);
    ASSERT_EQ(graph->Disconnect(findPin(miral.get(), PINDIR_INPUT).get()), S_OK);
    MediaType second;
    makeAudioType(second, WAVE_FORMAT_PCM, 1, 48000, 16);
    source->offer(second.get());
    ASSERT_EQ(
        graph->ConnectDirect(source->output(), findPin(miral.get(), PINDIR_INPUT).get(), nullptr),
        S_OK);
    const auto& output = *reinterpret_cast<const WAVEFORMATEX*>(sink->connectionType().pbFormat);
    EXPECT_EQ(output.nSamplesPerSec, 48000u);
    EXPECT_EQ(output.nChannels, 2);

    sink->accept([](const AM_MEDIA_TYPE& type) {
        return reinterpret_cast<const WAVEFORMATEX*>(type.pbFormat)->nSamplesPerSec == 48000;
    });
    MediaType refused;
    makeAudioType(refused, WAVE_FORMAT_PCM, 2, 96000, 16);
    EXPECT_EQ(findPin(miral.get(), PINDIR_INPUT)->QueryAccept(&refused.get()), S_FALSE);
}

} // namespace
} // namespace miral::dx::test
