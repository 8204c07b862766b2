#include "commands/response_command.h"

#include "engine/chain_response.h"
#include "fitting/frequency_curve.h"
#include "fitting/response_plot.h"
#include "host/loaded_plugin.h"
#include "usage_error.h"

#include <nlohmann/json.hpp>

#include <cmath>
#include <cstdio>

namespace miral::cli {
namespace {

std::array<float, kNumParams> settingsValues(const ResponseOptions& options) {
    host::LoadedPlugin plugin(options.pluginPath);
    AEffect& effect = plugin.effect();
    applySettings(effect, options.settings);
    std::array<float, kNumParams> values{};
    for (int32_t index = 0; index < kNumParams; ++index)
        values[size_t(index)] = effect.getParameter(&effect, index);
    return values;
}

std::vector<double> responseFrequencies(const ResponseOptions& options, bool bypassed) {
    const double nyquistHz = options.sampleRateHz / 2.0;
    std::vector<double> frequencies;
    if (options.atPath) {
        frequencies = readFrequencyFile(*options.atPath);
    } else {
        if (!(options.fromHz > 0.0 && options.fromHz < options.toHz))
            throw UsageError("--from must be above 0 Hz and below --to");
        frequencies = logFrequencies(options.fromHz, options.toHz, options.points);
    }
    if (!bypassed && frequencies.back() > nyquistHz)
        throw UsageError("frequencies go up to " + std::to_string(frequencies.back()) +
                         " Hz, beyond the Nyquist frequency of the rate (" +
                         std::to_string(nyquistHz) + " Hz)");
    return frequencies;
}

} // namespace

void runResponse(const ResponseOptions& options) {
    if (!(std::isfinite(options.sampleRateHz) && options.sampleRateHz > 0.0))
        throw UsageError("--rate must be a positive number of Hz");
    const bool bypassed = options.sampleRateHz < kMinimumSampleRateHz;
    const std::vector<double> frequencies = responseFrequencies(options, bypassed);
    std::optional<FrequencyCurve> compared;
    if (options.comparePath)
        compared = readCurveFile(*options.comparePath, std::nullopt);
    const std::array<float, kNumParams> values = settingsValues(options);

    std::vector<double> gains(frequencies.size(), 0.0);
    if (bypassed)
        std::fprintf(stderr,
                     "miral: note: below 44100 Hz the equaliser passes audio through unchanged "
                     "(0 dB)\n");
    else
        gains = chainResponseDb(designForValues(values, float(options.sampleRateHz)), frequencies);

    if (options.plotPath) {
        std::vector<PlotCurve> curves{{"MIRAL", frequencies, gains}};
        if (compared)
            curves.push_back({"compared", compared->frequenciesHz, compared->gainsDb});
        writeResponsePlot(*options.plotPath, options.force,
                          "Response at " + std::to_string(int(options.sampleRateHz)) + " Hz",
                          curves);
    }
    if (options.json) {
        const nlohmann::json response = {{"sample_rate_hz", options.sampleRateHz},
                                         {"bypassed", bypassed},
                                         {"frequency_hz", frequencies},
                                         {"gain_db", gains}};
        std::puts(response.dump().c_str());
        return;
    }
    std::puts("frequency_hz,gain_db");
    for (size_t i = 0; i < frequencies.size(); ++i)
        std::printf("%.10g,%.6f\n", frequencies[i], gains[i]);
}

} // namespace miral::cli
