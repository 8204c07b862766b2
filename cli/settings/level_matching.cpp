#include "settings/level_matching.h"

#include "settings/parameter_settings.h"
#include "usage_error.h"

#include <cstdio>

namespace miral::cli {

void checkLevelMatchSettings(const EffectSettings& settings,
                             const std::vector<std::string>& names) {
    for (const ParameterSetting& setting :
         resolveSettings(std::nullopt, settings.namedSettings, settings.indexedSettings, names))
        if (setting.index == toIndex(ParamId::OutputGain))
            throw UsageError("--level-match sets Output Gain itself: leave it out of --set and "
                             "--param");
}

LevelMatch matchEffectLevel(AEffect& effect, double sampleRateHz) {
    std::array<float, kNumParams> values{};
    for (int32_t index = 0; index < kNumParams; ++index)
        values[size_t(index)] = effect.getParameter(&effect, index);
    const LevelMatch match = matchLevel(values, sampleRateHz);
    effect.setParameter(&effect, toIndex(ParamId::OutputGain), outputGainValue(match));
    return match;
}

std::string describeLevelMatch(const LevelMatch& match) {
    char text[160];
    std::snprintf(text, sizeof text,
                  "Output Gain %+.2f dB%s (the settings alone change the loudness by %+.2f dB)",
                  match.outputGainDb, match.limited ? ", the end of its range" : "",
                  match.loudnessChangeDb);
    return text;
}

} // namespace miral::cli
