#include "cli/snapshot_command.h"

#include "cli/editor_snapshot.h"
#include "cli/parameter_settings.h"
#include "cli/program_choice.h"

#include <cstdio>

namespace miral::cli {

void runSnapshot(const SnapshotOptions& options) {
    InProcessEqualiser equaliser;
    const std::vector<std::string> names = equaliser.parameterNames();
    const std::optional<int32_t> program =
        options.program ? std::optional(findProgram(*options.program, equaliser.programNames()))
                        : std::nullopt;
    const std::vector<ParameterSetting> settings =
        resolveSettings(options.presetPath, options.namedSettings, options.indexedSettings, names);

    if (program)
        equaliser.dispatch(effSetProgram, 0, *program);
    AEffect& effect = equaliser.effect();
    for (const ParameterSetting& setting : settings)
        effect.setParameter(&effect, setting.index, setting.value);
    equaliser.saveEditorPicture(options.outputPath);
    std::printf("%s: picture of the editor\n", options.outputPath.c_str());
}

} // namespace miral::cli
