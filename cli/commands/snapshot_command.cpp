#include "commands/snapshot_command.h"

#include "output_safety/output_file.h"
#include "plugin_driving/editor_snapshot.h"
#include "settings/effect_settings.h"
#include "reporting/printable_text.h"

#include <cstdio>

namespace miral::cli {

void runSnapshot(const SnapshotOptions& options) {
    InProcessEqualiser equaliser(options.scale);
    applySettings(equaliser.effect(), options.settings);
    equaliser.saveEditorPicture(options.outputPath, options.force);
    if (options.outputPath != kStandardStream)
        std::printf("%s: picture of the editor\n", printable(options.outputPath).c_str());
}

} // namespace miral::cli
