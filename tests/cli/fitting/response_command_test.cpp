// miral response against what miral process really does: the spectrum of an impulse processed
// with the same settings, at the frequencies the command prints.

#include "test_support/command_runner.h"
#include "test_support/temporary_folder.h"
#include "test_support/test_audio.h"

#include <nlohmann/json.hpp>

#include <gtest/gtest.h>

#include <complex>
#include <numbers>

namespace miral::test {
namespace {

class ResponseCommand : public TemporaryFolder {};

/// |DFT| of `samples` at `frequencyHz`, in dB: the processed impulse's gain there.
double spectrumDb(const std::vector<float>& samples, double frequencyHz, int rate) {
    const double omega = 2.0 * std::numbers::pi * frequencyHz / rate;
    std::complex<double> sum = 0.0;
    const std::complex<double> step = std::polar(1.0, -omega);
    std::complex<double> turn = 1.0;
    for (const float sample : samples) {
        sum += double(sample) * turn;
        turn *= step;
        if (std::abs(turn) != 1.0)
            turn /= std::abs(turn); // keep the rotation on the unit circle over long sums
    }
    return 20.0 * std::log10(std::abs(sum));
}

TEST_F(ResponseCommand, EqualsTheSpectrumOfAProcessedImpulse) {
    constexpr int kRate = 48000;
    Audio impulse;
    impulse.rate = kRate;
    impulse.samples.assign(1 << 17, 0.0f);
    impulse.samples[0] = 1.0f;
    writeAudio(path("impulse.wav"), impulse);
    const std::vector<std::vector<std::string>> settings = {
        {"--program", "0"},
        {"--program", "3"},
        {"--program", "5"},
        {"--program", "8"},
        {"--set", "Gain 1=-16dB",   "--set", "Freq 1=25Hz",       "--set", "Gain 3=+12dB",
         "--set", "Q 3=10",         "--set", "Freq 3=60Hz",       "--set", "ON/OFF 4=off",
         "--set", "Gain 4=+9dB",    "--set", "Gain 6=+16dB",      "--set", "Freq 6=18kHz",
         "--set", "Gain Range=0.5", "--set", "Output Gain=-4.5dB"},
    };
    for (const std::vector<std::string>& setting : settings) {
        std::vector<std::string> process = {"process", "impulse.wav", "out.wav", "--float"};
        process.insert(process.end(), setting.begin(), setting.end());
        const CommandResult processed = runMiral(dir_, process);
        ASSERT_EQ(processed.status, 0) << processed.err;
        std::vector<std::string> response = {"response", "--json", "--points",
                                             "41",       "--rate", std::to_string(kRate)};
        response.insert(response.end(), setting.begin(), setting.end());
        const CommandResult printed = runMiral(dir_, response);
        ASSERT_EQ(printed.status, 0) << printed.err;
        const nlohmann::json curve = nlohmann::json::parse(printed.out);
        const Audio output = readAudio(path("out.wav"));
        for (size_t i = 0; i < curve["frequency_hz"].size(); ++i) {
            const double frequencyHz = curve["frequency_hz"][i];
            EXPECT_NEAR(double(curve["gain_db"][i]), spectrumDb(output.samples, frequencyHz, kRate),
                        1e-3)
                << setting[1] << " at " << frequencyHz << " Hz";
        }
    }
}

TEST_F(ResponseCommand, PrintsCsvAtTheFrequenciesOfAFileAndBypassesBelow44100Hz) {
    std::ofstream(path("at.csv")) << "# frequencies\n100\n1000, 3\n10000\n";
    const CommandResult csv = runMiral(dir_, {"response", "--at", "at.csv", "--program", "1"});
    ASSERT_EQ(csv.status, 0) << csv.err;
    EXPECT_TRUE(csv.out.starts_with("frequency_hz,gain_db\n100,")) << csv.out;
    EXPECT_EQ(std::count(csv.out.begin(), csv.out.end(), '\n'), 4);

    const CommandResult bypassed =
        runMiral(dir_, {"response", "--rate", "32000", "--program", "3", "--points", "3"});
    ASSERT_EQ(bypassed.status, 0);
    EXPECT_EQ(bypassed.out, "frequency_hz,gain_db\n20,0.000000\n632.455532,0.000000\n"
                            "20000,0.000000\n");
    EXPECT_NE(bypassed.err.find("44100"), std::string::npos);
}

} // namespace
} // namespace miral::test
