#include "cli/snapshot_command.h"

#include "cli/editor_snapshot.h"
#include "cli/effect_settings.h"
#include "cli/output_file.h"
#include "cli/text.h"

#include <cstdio>

namespace miral::cli {

void runSnapshot(const SnapshotOptions& options) {
    InProcessEqualiser equaliser;
    applySettings(equaliser.effect(), options.settings);
    equaliser.saveEditorPicture(options.outputPath, options.force);
    if (options.outputPath != kStandardStream)
        std::printf("%s: picture of the editor\n", printable(options.outputPath).c_str());
}

} // namespace miral::cli
