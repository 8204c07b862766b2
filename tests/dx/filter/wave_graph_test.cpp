// MIRAL in Wine's real filter graph: WAV files read by File Source (Async.) and the Wave
// Parser, equalised by the filter and collected by a test renderer.
#include "dx/filter/sample_conversion.h"
#include "graph_support.h"
#include "test_signals.h"
#include "vst_reference.h"
#include "wav_file.h"

#include <gtest/gtest.h>

#include "dx/framework/windows_api.h"

#include <evcode.h>
#include <uuids.h>

#include <atomic>
#include <cstring>
#include <thread>

namespace miral::dx::test {
namespace {

const WAVEFORMATEX& formatOf(const AM_MEDIA_TYPE& type) {
    return *reinterpret_cast<const WAVEFORMATEX*>(type.pbFormat);
}

class WaveGraph : public ::testing::Test {
protected:
    /// Plays the file through a new filter into the sink; false when the graph fails.
    void play(const std::string& path, long program = -1) {
        miral = createMiral();
        if (program >= 0) {
            ComRef<IEqPrograms> programs = query<IEqPrograms>(miral.get(), kIidEqPrograms);
            ASSERT_EQ(programs->SelectProgram(program), S_OK);
        }
        ASSERT_EQ(graph.build(path, miral.get(), sink.get()), S_OK);
        EXPECT_EQ(graph.runToCompletion(), EC_COMPLETE);
        EXPECT_EQ(graph.stop(), S_OK);
    }

    std::vector<float> parameters() {
        std::vector<float> values(26);
        query<IEqParameters>(miral.get(), kIidEqParameters)->GetParameters(values.data());
        return values;
    }

    ComRef<IBaseFilter> miral;
    ComRef<TestSink> sink = ComRef<TestSink>::adopt(TestSink::create());
    WavGraph graph;
};

TEST_F(WaveGraph, StereoPcm16WithTheFlatProgramComesOutSampleForSampleWithItsTimes) {
    const std::string path = temporaryPath("stereo16.wav");
    const std::vector<int16_t> input = noise16(48000 * 2);
    ASSERT_TRUE(writeWavPcm16(path, 2, 48000, input));
    play(path);

    const WAVEFORMATEX& out = formatOf(sink->connectionType());
    EXPECT_EQ(out.wFormatTag, WAVE_FORMAT_PCM);
    EXPECT_EQ(out.nChannels, 2);
    EXPECT_EQ(out.nSamplesPerSec, 48000u);
    EXPECT_EQ(out.nBlockAlign, 4);
    EXPECT_EQ(out.nAvgBytesPerSec, 48000u * 4);

    const std::vector<BYTE> output = sink->data();
    ASSERT_EQ(output.size(), input.size() * 2);
    EXPECT_EQ(std::memcmp(output.data(), input.data(), output.size()), 0);

    // Every sample keeps its times, and they follow on from each other.
    const std::vector<ReceivedSample> samples = sink->samples();
    REFERENCE_TIME expectedStart = 0;
    for (const ReceivedSample& sample : samples) {
        ASSERT_TRUE(sample.timed);
        EXPECT_EQ(sample.start, expectedStart);
        expectedStart = sample.stop;
    }
    EXPECT_EQ(expectedStart, 10'000'000);
    std::printf("16-bit stereo 48 kHz: %zu samples, %zu bytes\n", samples.size(), output.size());
}

TEST_F(WaveGraph, MonoPcm16IsDoubledIntoStereo) {
    const std::string path = temporaryPath("mono16.wav");
    const std::vector<int16_t> input = noise16(44100);
    ASSERT_TRUE(writeWavPcm16(path, 1, 44100, input));
    play(path);

    const WAVEFORMATEX& out = formatOf(sink->connectionType());
    EXPECT_EQ(out.nChannels, 2);
    EXPECT_EQ(out.nBlockAlign, 4);
    EXPECT_EQ(out.nAvgBytesPerSec, 44100u * 4);
    const std::vector<BYTE> bytes = sink->data();
    ASSERT_EQ(bytes.size(), input.size() * 4);
    std::vector<int16_t> output(bytes.size() / 2);
    std::memcpy(output.data(), bytes.data(), bytes.size());
    for (size_t i = 0; i < input.size(); ++i) {
        ASSERT_EQ(output[2 * i], input[i]) << i;
        ASSERT_EQ(output[2 * i + 1], input[i]) << i;
    }
}

TEST_F(WaveGraph, FloatStereoConnectsAsPlainFloatAndPassesUnchangedWhenFlat) {
    const std::string path = temporaryPath("stereo_float.wav");
    const std::vector<float> input = noiseFloat(96000 * 2);
    ASSERT_TRUE(writeWavFloat32(path, 2, 96000, input));
    play(path);

    const AM_MEDIA_TYPE& type = sink->connectionType();
    ASSERT_GE(type.cbFormat, sizeof(WAVEFORMATEX));
    EXPECT_EQ(formatOf(type).wFormatTag, WAVE_FORMAT_IEEE_FLOAT);
    EXPECT_EQ(formatOf(type).cbSize, 0);
    EXPECT_EQ(formatOf(type).nBlockAlign, 8);
    EXPECT_EQ(formatOf(type).nSamplesPerSec, 96000u);
    const std::vector<BYTE> output = sink->data();
    ASSERT_EQ(output.size(), input.size() * 4);
    EXPECT_EQ(std::memcmp(output.data(), input.data(), output.size()), 0);
}

TEST_F(WaveGraph, FloatFileWithAProgramEqualsMiralVstBitForBit) {
    const std::string path = temporaryPath("program_float.wav");
    const std::vector<float> input = noiseFloat(96000 * 2);
    ASSERT_TRUE(writeWavFloat32(path, 2, 96000, input));
    play(path, 8);

    const StereoFloat channels = deinterleave(input);
    const std::vector<ReceivedSample> samples = sink->samples();
    const StereoFloat expected =
        processWithVst(parameters().data(), 96000, channels, blockLengths(samples, 8));
    const std::vector<BYTE> bytes = sink->data();
    ASSERT_EQ(bytes.size(), input.size() * 4);
    std::vector<float> output(input.size());
    std::memcpy(output.data(), bytes.data(), bytes.size());
    size_t differing = 0;
    size_t changed = 0;
    for (size_t i = 0; i < channels.left.size(); ++i) {
        differing += std::memcmp(&output[2 * i], &expected.left[i], 4) != 0;
        differing += std::memcmp(&output[2 * i + 1], &expected.right[i], 4) != 0;
        changed += output[2 * i] != input[2 * i];
    }
    EXPECT_EQ(differing, 0u);
    EXPECT_GT(changed, channels.left.size() / 2) << "the program equalises";
    std::printf("float stereo 96 kHz, program 8: %zu blocks, %zu frames, %zu differ from "
                "miral_vst\n",
                samples.size(), channels.left.size(), differing);
}

TEST_F(WaveGraph, MonoPcm16WithAProgramEqualsMiralVst) {
    const std::string path = temporaryPath("program_mono16.wav");
    const std::vector<int16_t> input = noise16(44100);
    ASSERT_TRUE(writeWavPcm16(path, 1, 44100, input));
    play(path, 4);

    StereoFloat channels;
    for (int16_t sample : input) {
        channels.left.push_back(pcm16ToFloat(sample));
        channels.right.push_back(pcm16ToFloat(sample));
    }
    const StereoFloat expected =
        processWithVst(parameters().data(), 44100, channels, blockLengths(sink->samples(), 4));
    const std::vector<BYTE> bytes = sink->data();
    ASSERT_EQ(bytes.size(), input.size() * 4);
    std::vector<int16_t> output(bytes.size() / 2);
    std::memcpy(output.data(), bytes.data(), bytes.size());
    size_t differing = 0;
    for (size_t i = 0; i < input.size(); ++i) {
        differing += output[2 * i] != floatToPcm16(expected.left[i]);
        differing += output[2 * i + 1] != floatToPcm16(expected.right[i]);
    }
    EXPECT_EQ(differing, 0u);
}

TEST_F(WaveGraph, ThreeSecondsOfMonoPcm16AcrossTheParsersShorterLastSampleEqualOneMiralVstBlock) {
    // The parser's last sample is shorter than the others: the states must carry on into it.
    const std::string path = temporaryPath("bass_boost_mono16.wav");
    const std::vector<int16_t> input = noise16(3 * 44100);
    ASSERT_TRUE(writeWavPcm16(path, 1, 44100, input));
    play(path, 1); // "01 - Bass boost"
    const std::vector<int32_t> blocks = blockLengths(sink->samples(), 4);
    ASSERT_GT(blocks.size(), 1u);
    EXPECT_NE(blocks.back(), blocks.front()) << "the last sample is a shorter one";

    StereoFloat channels;
    for (int16_t sample : input) {
        channels.left.push_back(pcm16ToFloat(sample));
        channels.right.push_back(pcm16ToFloat(sample));
    }
    const StereoFloat expected =
        processWithVst(parameters().data(), 44100, channels, {int32_t(input.size())});
    const std::vector<BYTE> bytes = sink->data();
    ASSERT_EQ(bytes.size(), input.size() * 4);
    std::vector<int16_t> output(bytes.size() / 2);
    std::memcpy(output.data(), bytes.data(), bytes.size());
    for (size_t i = 0; i < input.size(); ++i) {
        ASSERT_EQ(output[2 * i], floatToPcm16(expected.left[i])) << "frame " << i;
        ASSERT_EQ(output[2 * i + 1], floatToPcm16(expected.right[i])) << "frame " << i;
    }
}

TEST_F(WaveGraph, SeekingPassesUpstreamAndPlayResumesAtTheNewPositionWithClearedStates) {
    constexpr uint32_t kRate = 44100;
    const std::string path = temporaryPath("seek.wav");
    const std::vector<int16_t> input = noise16(kRate * 2 * 10);
    ASSERT_TRUE(writeWavPcm16(path, 2, kRate, input));
    miral = createMiral();
    ASSERT_EQ(query<IEqPrograms>(miral.get(), kIidEqPrograms)->SelectProgram(8), S_OK);
    ASSERT_EQ(graph.build(path, miral.get(), sink.get()), S_OK);

    ComRef<IMediaSeeking> seeking = query<IMediaSeeking>(graph.graph(), IID_IMediaSeeking);
    LONGLONG duration = 0;
    ASSERT_EQ(seeking->GetDuration(&duration), S_OK);
    EXPECT_EQ(duration, 100'000'000);
    ComRef<IMediaPosition> position =
        query<IMediaPosition>(findPin(miral.get(), PINDIR_OUTPUT).get(), IID_IMediaPosition);
    REFTIME seconds = 0;
    ASSERT_EQ(position->get_Duration(&seconds), S_OK);
    EXPECT_EQ(seconds, 10.0);

    sink->slowDown(15);
    ComRef<IMediaControl> control = query<IMediaControl>(graph.graph(), IID_IMediaControl);
    ASSERT_EQ(control->Run(), S_OK);
    for (int wait = 0; wait < 500 && sink->samples().size() < 3; ++wait)
        Sleep(10);
    LONGLONG middle = 50'000'000;
    ASSERT_EQ(seeking->SetPositions(&middle, AM_SEEKING_AbsolutePositioning, nullptr,
                                    AM_SEEKING_NoPositioning),
              S_OK);
    sink->slowDown(0);
    long code = 0;
    ComRef<IMediaEvent> events = query<IMediaEvent>(graph.graph(), IID_IMediaEvent);
    EXPECT_EQ(events->WaitForCompletion(20000, &code), S_OK);
    EXPECT_EQ(code, EC_COMPLETE);
    control->Stop();

    // After the flush: a segment from the middle, then the second half of the file.
    const std::vector<StreamEvent> stream = sink->events();
    size_t flushEnd = stream.size();
    for (size_t i = 0; i < stream.size(); ++i)
        if (stream[i].kind == StreamEvent::EndFlush)
            flushEnd = i;
    ASSERT_LT(flushEnd, stream.size()) << "the seek flushed through the filter";
    const std::vector<ReceivedSample> samples = sink->samples();
    std::vector<int32_t> blocks;
    std::vector<int16_t> output;
    bool segment = false;
    for (size_t i = flushEnd; i < stream.size(); ++i) {
        if (stream[i].kind == StreamEvent::NewSegment) {
            segment = true;
            EXPECT_EQ(stream[i].segmentStart, middle);
        }
        if (stream[i].kind != StreamEvent::Sample)
            continue;
        const std::vector<BYTE>& data = samples[stream[i].sample].data;
        blocks.push_back(int32_t(data.size() / 4));
        const size_t start = output.size();
        output.resize(start + data.size() / 2);
        std::memcpy(output.data() + start, data.data(), data.size());
    }
    EXPECT_TRUE(segment);
    const size_t from = size_t(kRate) * 5;
    ASSERT_EQ(output.size(), input.size() - 2 * from);
    StereoFloat second;
    for (size_t i = from; i < input.size() / 2; ++i) {
        second.left.push_back(pcm16ToFloat(input[2 * i]));
        second.right.push_back(pcm16ToFloat(input[2 * i + 1]));
    }
    const StereoFloat expected = processWithVst(parameters().data(), kRate, second, blocks);
    size_t differing = 0;
    for (size_t i = 0; i < second.left.size(); ++i) {
        differing += output[2 * i] != floatToPcm16(expected.left[i]);
        differing += output[2 * i + 1] != floatToPcm16(expected.right[i]);
    }
    EXPECT_EQ(differing, 0u) << "the stream restarts from cleared filter states";
    std::printf("seek to 5 s of 10 s: %zu samples before the flush, %zu after\n",
                samples.size() - blocks.size(), blocks.size());
}

TEST_F(WaveGraph, ParametersAndProgramsChangeFromAnotherThreadWhileTheGraphRuns) {
    const std::string path = temporaryPath("concurrent.wav");
    const std::vector<int16_t> input = noise16(48000 * 2 * 4);
    ASSERT_TRUE(writeWavPcm16(path, 2, 48000, input));
    miral = createMiral();
    ASSERT_EQ(graph.build(path, miral.get(), sink.get()), S_OK);

    std::atomic<bool> running{true};
    std::atomic<int> changes{0};
    std::thread editor([&] {
        CoInitializeEx(nullptr, COINIT_MULTITHREADED);
        ComRef<IEqParameters> parameters = query<IEqParameters>(miral.get(), kIidEqParameters);
        ComRef<IEqPrograms> programs = query<IEqPrograms>(miral.get(), kIidEqPrograms);
        while (running) {
            const int n = changes++;
            programs->SelectProgram(n % 9);
            parameters->SetParameter(n % 26, float(n % 100) / 100.0f);
        }
        CoUninitialize();
    });
    EXPECT_EQ(graph.runToCompletion(), EC_COMPLETE);
    running = false;
    editor.join();
    EXPECT_EQ(graph.stop(), S_OK);
    EXPECT_EQ(sink->data().size(), input.size() * 2);
    EXPECT_GT(changes.load(), 0);
    std::printf("changes while streaming: %d\n", changes.load());
}

} // namespace
} // namespace miral::dx::test
