// MIRAL in Wine's filter graph as an application puts it there: registered with Wine's
// regsvr32, then created by class identifier, so that COM loads TK_MIRAL_DX.dll from the path
// the registry names, or bound from the filter mapper's moniker as a graph editor binds it. A
// WAV file played through it with a program selected comes out as miral_vst makes it.
#include "graph_support.h"
#include "server_dll.h"
#include "test_signals.h"
#include "test_support/win32/test_probe.h"
#include "vst_reference.h"
#include "wav_file.h"

#include <gtest/gtest.h>

#include "dx/framework/windows_api.h"

#include <evcode.h>

#include <cstdio>
#include <cstring>
#include <thread>

namespace miral::dx::test {
namespace {

constexpr uint32_t kRate = 48000;
constexpr long kProgram = 8;

class RegisteredFilterGraph : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ASSERT_EQ(runRegsvr32(false), 0u); }
    static void TearDownTestSuite() {
        EXPECT_EQ(runRegsvr32(true), 0u);
        ComRef<IBaseFilter> filter;
        EXPECT_EQ(CoCreateInstance(kClsidEqFilter, nullptr, CLSCTX_INPROC_SERVER, IID_IBaseFilter,
                                   filter.putVoid()),
                  REGDB_E_CLASSNOTREG)
            << "unregistered, applications can no longer create it";
    }

    /// The filter's code is that of the library the registry names for its class, not the
    /// filter linked into this program.
    static void expectFromRegisteredLibrary(IBaseFilter* filter) {
        const std::optional<std::wstring> registered =
            registryString(classKey(kClsidEqFilter) + L"\\InprocServer32", nullptr);
        ASSERT_TRUE(registered.has_value());
        const std::wstring loaded = libraryFileOf(filter);
        EXPECT_TRUE(loaded.ends_with(L"TK_MIRAL_DX.dll")) << loaded;
        EXPECT_EQ(lstrcmpiW(loaded.c_str(), registered->c_str()), 0)
            << loaded << " is not " << *registered;
    }

    /// Plays a second of stereo float noise through `filter` with a program selected, into a
    /// test renderer, and compares every sample with miral_vst's.
    static void playAndCompare(IBaseFilter* filter, const char* route) {
        ComRef<IEqPrograms> programs = query<IEqPrograms>(filter, kIidEqPrograms);
        ASSERT_TRUE(programs);
        ASSERT_EQ(programs->SelectProgram(kProgram), S_OK);
        const std::string path = temporaryPath("registered.wav");
        const std::vector<float> input = noiseFloat(size_t(kRate) * 2);
        ASSERT_TRUE(writeWavFloat32(path, 2, kRate, input));

        ComRef<TestSink> sink = ComRef<TestSink>::adopt(TestSink::create());
        WavGraph graph;
        ASSERT_EQ(graph.build(path, filter, sink.get()), S_OK);
        EXPECT_EQ(graph.runToCompletion(), EC_COMPLETE);
        EXPECT_EQ(graph.stop(), S_OK);

        const AM_MEDIA_TYPE& type = sink->connectionType();
        ASSERT_GE(type.cbFormat, sizeof(WAVEFORMATEX));
        const auto& format = *reinterpret_cast<const WAVEFORMATEX*>(type.pbFormat);
        EXPECT_EQ(format.wFormatTag, WAVE_FORMAT_IEEE_FLOAT);
        EXPECT_EQ(format.nChannels, 2);
        EXPECT_EQ(format.nSamplesPerSec, kRate);
        const std::vector<BYTE> bytes = sink->data();
        ASSERT_EQ(bytes.size(), input.size() * sizeof(float)) << "every frame comes out";
        std::vector<float> interleaved(input.size());
        std::memcpy(interleaved.data(), bytes.data(), bytes.size());
        const StereoFloat output = deinterleave(interleaved);

        std::vector<float> values(26);
        ASSERT_EQ(query<IEqParameters>(filter, kIidEqParameters)->GetParameters(values.data()),
                  S_OK);
        const StereoFloat expected = processWithVst(values.data(), kRate, deinterleave(input),
                                                    blockLengths(sink->samples(), 8));
        size_t differing = 0;
        size_t changed = 0;
        for (size_t i = 0; i < output.left.size(); ++i) {
            differing += std::memcmp(&output.left[i], &expected.left[i], sizeof(float)) != 0;
            differing += std::memcmp(&output.right[i], &expected.right[i], sizeof(float)) != 0;
            changed += output.left[i] != input[2 * i];
        }
        EXPECT_EQ(differing, 0u);
        EXPECT_GT(changed, output.left.size() / 2) << "the program equalises";
        std::printf("%zu frames through the registered filter %s, %zu samples differ from "
                    "miral_vst\n",
                    output.left.size(), route, differing);
    }
};

TEST_F(RegisteredFilterGraph, ByClassIdentifierItIsTheRegisteredLibraryAndEqualsMiralVst) {
    ComRef<IBaseFilter> filter;
    ASSERT_EQ(CoCreateInstance(kClsidEqFilter, nullptr, CLSCTX_INPROC_SERVER, IID_IBaseFilter,
                               filter.putVoid()),
              S_OK);
    expectFromRegisteredLibrary(filter.get());
    playAndCompare(filter.get(), "created by class identifier");
}

TEST_F(RegisteredFilterGraph,
       FromTheFilterMappersMonikerItIsTheRegisteredLibraryAndEqualsMiralVst) {
    const std::vector<ComRef<IMoniker>> monikers = audioFilterMonikers(kClsidEqFilter);
    ASSERT_EQ(monikers.size(), 1u) << "listed among the audio filters";
    ComRef<IBaseFilter> filter;
    ASSERT_EQ(monikers[0]->BindToObject(nullptr, nullptr, IID_IBaseFilter, filter.putVoid()), S_OK);
    expectFromRegisteredLibrary(filter.get());
    playAndCompare(filter.get(), "bound from its moniker");
}

// Below 44.1 kHz the notice never holds up the graph: Pause returns with the box still open, the
// filter answers other threads meanwhile, the file plays to its end, and the box, shown on a
// thread of its own, says what it always said.
TEST_F(RegisteredFilterGraph, BelowTheLowestRateTheNoticeLeavesTheGraphRunning) {
    ComRef<IBaseFilter> filter;
    ASSERT_EQ(CoCreateInstance(kClsidEqFilter, nullptr, CLSCTX_INPROC_SERVER, IID_IBaseFilter,
                               filter.putVoid()),
              S_OK);
    const std::string path = temporaryPath("low_rate.wav");
    ASSERT_TRUE(writeWavFloat32(path, 2, 22050, noiseFloat(2 * 22050)));
    ComRef<TestSink> sink = ComRef<TestSink>::adopt(TestSink::create());
    WavGraph graph;
    ASSERT_EQ(graph.build(path, filter.get(), sink.get()), S_OK);

    ComRef<IMediaControl> control = query<IMediaControl>(graph.graph(), IID_IMediaControl);
    HANDLE paused = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    std::thread pausing([&] {
        control->Pause();
        SetEvent(paused);
    });
    const bool returned = WaitForSingleObject(paused, 5000) == WAIT_OBJECT_0;
    float values[26] = {};
    const HRESULT read =
        returned ? query<IEqParameters>(filter.get(), kIidEqParameters)->GetParameters(values)
                 : E_ABORT;
    const std::optional<std::string> text = platform::win32::dismissMessageBox("MIRAL", 10000);
    pausing.join();
    CloseHandle(paused);
    EXPECT_TRUE(returned) << "Pause waited for the notice to be dismissed";
    EXPECT_EQ(read, S_OK);
    ASSERT_TRUE(text.has_value()) << "no notice appeared";
    EXPECT_EQ(*text, "sampling frequency must be>=44100 - MIRAL has been bypassed");
    EXPECT_EQ(graph.runToCompletion(), EC_COMPLETE);
    EXPECT_EQ(graph.stop(), S_OK);
    EXPECT_EQ(sink->data().size(), size_t(22050) * 2 * sizeof(float));
}

} // namespace
} // namespace miral::dx::test
