#include "snapshot_command.h"

#include "editor_snapshot.h"
#include "effect_settings.h"

#include <cstdio>

namespace miral::cli {

void runSnapshot(const SnapshotOptions& options) {
    InProcessEqualiser equaliser;
    applySettings(equaliser.effect(), options.settings);
    equaliser.saveEditorPicture(options.outputPath);
    std::printf("%s: picture of the editor\n", options.outputPath.c_str());
}

} // namespace miral::cli
