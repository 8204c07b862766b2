#include "settings/effect_settings.h"

#include "settings/parameter_settings.h"
#include "settings/program_choice.h"

#include "host/loaded_plugin.h"

namespace miral::cli {

void applySettings(AEffect& effect, const EffectSettings& settings) {
    const std::optional<int32_t> program =
        settings.program ? std::optional(findProgram(*settings.program, host::programNames(effect)))
                         : std::nullopt;
    const std::vector<ParameterSetting> resolved =
        resolveSettings(settings.presetPath, settings.namedSettings, settings.indexedSettings,
                        host::parameterNames(effect));
    if (program)
        effect.dispatcher(&effect, effSetProgram, 0, *program, nullptr, 0.0f);
    for (const ParameterSetting& setting : resolved)
        effect.setParameter(&effect, setting.index, setting.value);
}

} // namespace miral::cli
