// miral demo and miral info, run as processes.

#include "test_support/command_runner.h"
#include "test_support/temporary_folder.h"
#include "test_support/test_audio.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace miral::test {
namespace {

namespace fs = std::filesystem;

using DemoCommand = TemporaryFolder;
using InfoCommand = TemporaryFolder;

TEST_F(DemoCommand, WritesTheInputAndOneWavPerProgramAndPrintsTheTable) {
    const CommandResult result = runMiral(dir_, {"demo", "--plugin", MIRAL_VST_PATH});
    ASSERT_EQ(result.status, 0) << result.err;
    const fs::path folder = dir_ / "miral-demo";
    const Audio input = readAudio((folder / "input.wav").string());
    EXPECT_EQ(input.channels, 2);
    EXPECT_GE(input.rate, 44100);
    const char* const files[] = {
        "00-flat.wav",     "01-bass-boost.wav", "02-bass-cut.wav",        "03-bright-and-fat.wav",
        "04-loudness.wav", "05-no-hiss.wav",    "06-pump-up-da-bass.wav", "07-presence.wav",
        "08-contour.wav"};
    for (const char* file : files) {
        EXPECT_EQ(readAudio((folder / file).string()).frames(), input.frames()) << file;
        EXPECT_NE(result.out.find(file), std::string::npos) << file;
        const fs::path picture = (folder / file).replace_extension(".png");
        EXPECT_GT(fs::file_size(picture), 0u) << "the editor showing the program";
    }
    EXPECT_EQ(readAudio((folder / "00-flat.wav").string()).samples, input.samples);
    EXPECT_NE(result.out.find("00 - Flat                 +0.0 dB  +0.0 dB  +0.0 dB"),
              std::string::npos)
        << result.out;
    EXPECT_NE(result.out.find("05 - No hiss"), std::string::npos);

    // The same signal every time, into any folder; the pictures at the scale asked for.
    ASSERT_EQ(runMiral(dir_, {"demo", "--out", "again", "--scale", "2", "--plugin", MIRAL_VST_PATH})
                  .status,
              0);
    EXPECT_EQ(readAudio((dir_ / "again" / "input.wav").string()).samples, input.samples);
    const std::string picture = fileText(dir_ / "again" / "00-flat.png");
    ASSERT_GT(picture.size(), 24u);
    EXPECT_EQ(picture.substr(16, 8), std::string("\0\0\x03\x48\0\0\x02\x44", 8)) << "840 x 580";
}

TEST_F(DemoCommand, RefusesAScaleOutsideOneToThree) {
    for (const char* scale : {"0.5", "4", "nan", "big"}) {
        const CommandResult result = runMiral(dir_, {"snapshot", "out.png", "--scale", scale});
        EXPECT_EQ(result.status, 2) << scale;
        EXPECT_NE(result.err.find("--scale"), std::string::npos) << result.err;
        EXPECT_FALSE(fs::exists(dir_ / "out.png"));
    }
}

TEST_F(InfoCommand, ListsIdentityParametersAndPrograms) {
    const CommandResult result = runMiral(dir_, {"info", "--plugin", MIRAL_VST_PATH});
    ASSERT_EQ(result.status, 0) << result.err;
    for (const char* text : {"MIRAL by TOLMEK Soft", "id 0x39387a34", "    25  Output Gain",
                             " 0.5000   0.000000", "00 - Flat", "08 - Contour"})
        EXPECT_NE(result.out.find(text), std::string::npos) << text << "\n" << result.out;

    const CommandResult missing = runMiral(dir_, {"info", "--plugin", "nothing.so"});
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.err.find("cannot load plug-in ./nothing.so"), std::string::npos);
    EXPECT_EQ(runMiral(dir_, {"frobnicate"}).status, 2);
}

} // namespace
} // namespace miral::test
