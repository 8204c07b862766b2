// The DirectShow filter of the Windows archive, once its register.cmd has run: created by class
// identifier, it is the archive's TK_MIRAL_DX.dll (MIRAL_ARCHIVE_DLL names it), and a WAV file
// played through it with a program selected comes out as miral_vst makes it.
#include "graph_support.h"
#include "test_signals.h"
#include "vst_reference.h"
#include "wav_file.h"

#include <gtest/gtest.h>

#include <evcode.h>

#include <cstdlib>
#include <cstring>
#include <string>

namespace miral::dx::test {
namespace {

constexpr uint32_t kRate = 44100;
constexpr long kProgram = 3;

TEST(WindowsArchive, RegisteredFilterIsTheArchivesAndPlaysAsMiralVst) {
    const wchar_t* archiveDll = _wgetenv(L"MIRAL_ARCHIVE_DLL");
    if (archiveDll == nullptr)
        GTEST_SKIP() << "MIRAL_ARCHIVE_DLL names no unpacked archive";

    ComRef<IBaseFilter> filter;
    ASSERT_EQ(CoCreateInstance(kClsidEqFilter, nullptr, CLSCTX_INPROC_SERVER, IID_IBaseFilter,
                               filter.putVoid()),
              S_OK)
        << "register.cmd registered the filter";
    const std::wstring loaded = libraryFileOf(filter.get());
    EXPECT_EQ(lstrcmpiW(loaded.c_str(), archiveDll), 0) << loaded;

    ASSERT_EQ(query<IEqPrograms>(filter.get(), kIidEqPrograms)->SelectProgram(kProgram), S_OK);
    const std::string path = temporaryPath("archive.wav");
    const std::vector<float> input = noiseFloat(size_t(kRate) * 2);
    ASSERT_TRUE(writeWavFloat32(path, 2, kRate, input));
    ComRef<TestSink> sink = ComRef<TestSink>::adopt(TestSink::create());
    WavGraph graph;
    ASSERT_EQ(graph.build(path, filter.get(), sink.get()), S_OK);
    EXPECT_EQ(graph.runToCompletion(), EC_COMPLETE);
    EXPECT_EQ(graph.stop(), S_OK);

    const std::vector<BYTE> bytes = sink->data();
    ASSERT_EQ(bytes.size(), input.size() * sizeof(float)) << "every frame comes out";
    std::vector<float> interleaved(input.size());
    std::memcpy(interleaved.data(), bytes.data(), bytes.size());
    const StereoFloat output = deinterleave(interleaved);
    std::vector<float> values(26);
    ASSERT_EQ(query<IEqParameters>(filter.get(), kIidEqParameters)->GetParameters(values.data()),
              S_OK);
    const StereoFloat expected =
        processWithVst(values.data(), kRate, deinterleave(input), blockLengths(sink->samples(), 8));
    EXPECT_EQ(std::memcmp(output.left.data(), expected.left.data(), output.left.size() * 4), 0);
    EXPECT_EQ(std::memcmp(output.right.data(), expected.right.data(), output.right.size() * 4), 0);
    EXPECT_NE(
        std::memcmp(output.left.data(), deinterleave(input).left.data(), output.left.size() * 4), 0)
        << "the program equalises";
}

} // namespace
} // namespace miral::dx::test
