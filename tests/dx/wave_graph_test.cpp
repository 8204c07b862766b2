// MIRAL in Wine's real filter graph: WAV files read by File Source (Async.) and the Wave
// Parser, equalised by the filter and collected by a test renderer.
#include "graph_support.h"
#include "wav_file.h"

#include <gtest/gtest.h>

#include <cstring>
#include <evcode.h>
#include <uuids.h>

namespace miral::dx::test {
namespace {

std::vector<int16_t> ramp16(size_t count) {
    std::vector<int16_t> samples(count);
    for (size_t i = 0; i < count; ++i) samples[i] = int16_t(int32_t(i * 7919u % 65536u) - 32768);
    return samples;
}

TEST(WaveGraph, FlatProgramPassesStereoPcm16SampleForSample) {
    const std::string path = temporaryPath("stereo16.wav");
    const std::vector<int16_t> input = ramp16(48000 * 2);
    ASSERT_TRUE(writeWavPcm16(path, 2, 48000, input));

    ComRef<IBaseFilter> miral = createMiral();
    ComRef<TestSink> sink = ComRef<TestSink>::adopt(TestSink::create());
    WavGraph graph;
    ASSERT_EQ(graph.build(path, miral.get(), sink.get()), S_OK);
    EXPECT_EQ(graph.runToCompletion(), EC_COMPLETE);
    graph.stop();

    const std::vector<BYTE> output = sink->data();
    ASSERT_EQ(output.size(), input.size() * 2);
    EXPECT_EQ(std::memcmp(output.data(), input.data(), output.size()), 0);
    std::printf("samples delivered: %zu\n", sink->samples().size());
}

} // namespace
} // namespace miral::dx::test
