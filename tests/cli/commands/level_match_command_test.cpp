// --level-match on the command line: `miral process` applies the matched Output Gain on top of
// the chosen settings and says what it set; `miral fit` sets its output gain by the match
// instead of the headroom; every combination in which something else sets Output Gain too is
// refused before anything is written.

#include "test_support/command_runner.h"
#include "test_support/temporary_folder.h"
#include "test_support/test_audio.h"

#include "effect/eq_program.h"
#include "engine/laws.h"
#include "engine/level_match.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cmath>
#include <cstdio>
#include <fstream>

namespace miral::test {
namespace {

constexpr int kRate = 48000;
constexpr int kLoudnessProgram = 4;

double rmsDb(const Audio& audio) {
    double sum = 0.0;
    for (const float sample : audio.samples)
        sum += double(sample) * sample;
    return 10.0 * std::log10(sum / double(audio.samples.size()));
}

std::string signedDb(double gainDb) {
    char text[32];
    std::snprintf(text, sizeof text, "%+.2f dB", gainDb);
    return text;
}

using LevelMatchCommand = TemporaryFolder;

TEST_F(LevelMatchCommand, ProcessAndFitSetTheMatchedOutputGainAndRefuseContradictions) {
    writeAudio(path("in.wav"), noise(SF_FORMAT_WAV | SF_FORMAT_FLOAT, 2, kRate, kRate, 0.1));
    std::ofstream(path("bass.txt")) << "20 6\n150 6\n600 0\n20000 0\n";
    EqProgram program = factoryPrograms()[kLoudnessProgram];
    std::array<float, kNumParams> values{};
    for (int32_t index = 0; index < kNumParams; ++index)
        values[size_t(index)] = program.ofParam(index);
    const LevelMatch loudness = matchLevel(values, kRate);
    const double programGainDb = normToOutputGainDb(values[size_t(toIndex(ParamId::OutputGain))]);
    ASSERT_GT(std::fabs(loudness.outputGainDb - programGainDb), 1.0) << "a match that shows";

    const std::string plugin = MIRAL_VST_PATH;
    const std::vector<std::string> processLoudness = {"process", "in.wav",    "--plugin",
                                                      plugin,    "--program", "04 - Loudness"};
    const auto with = [](std::vector<std::string> args, std::vector<std::string> more) {
        args.insert(args.end(), more.begin(), more.end());
        return args;
    };
    const std::vector<std::string> fitBass = {"fit", "--target", "bass.txt", "--json"};
    struct Case {
        const char* what;
        std::vector<std::string> args;
        int status;
        std::string says; ///< on standard error
    };
    const std::string itself = "--level-match sets Output Gain itself";
    for (const Case& c : std::initializer_list<Case>{
             {"process", with(processLoudness, {"matched.wav", "--level-match"}), 0,
              "in.wav: --level-match set Output Gain " + signedDb(loudness.outputGainDb)},
             {"process unmatched", with(processLoudness, {"plain.wav"}), 0, ""},
             {"process with an Output Gain by name",
              with(processLoudness, {"x.wav", "--level-match", "--set", "output gain=-2dB"}), 2,
              itself},
             {"process with an Output Gain by index",
              with(processLoudness, {"x.wav", "--level-match", "--param", "25=0.3"}), 2, itself},
             {"fit", with(fitBass, {"--level-match"}), 0, ""},
             {"fit keeping the level", with(fitBass, {"--level-match", "--keep-level"}), 2,
              "--keep-level excludes --level-match"},
             {"fit for headroom", with(fitBass, {"--level-match", "--headroom", "-1"}), 2,
              "--headroom excludes --level-match"}}) {
        const CommandResult result = runMiral(dir_, c.args);
        EXPECT_EQ(result.status, c.status) << c.what << ": " << result.err;
        EXPECT_NE(result.err.find(c.says), std::string::npos) << c.what << ": " << result.err;
        if (c.args[0] == "fit" && c.status == 0) {
            const nlohmann::json fit = nlohmann::json::parse(result.out);
            const double matched = fit["level_match"]["output_gain_db"];
            EXPECT_NEAR(fit["output_gain_db"].get<double>(), matched, 0.005);
            EXPECT_NEAR(matched, -fit["level_match"]["loudness_change_db"].get<double>(), 1e-9);
            EXPECT_LT(matched, -1.0) << "a bass boost is taken back";
        }
    }
    EXPECT_FALSE(std::filesystem::exists(path("x.wav"))) << "nothing written when refused";
    EXPECT_NEAR(rmsDb(readAudio(path("matched.wav"))) - rmsDb(readAudio(path("plain.wav"))),
                loudness.outputGainDb - programGainDb, 0.01)
        << "the match replaces the program's own Output Gain";
}

} // namespace
} // namespace miral::test
