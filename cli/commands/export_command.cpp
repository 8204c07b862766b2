#include "commands/export_command.h"

#include "export/pipewire_configuration.h"
#include "export/port_values.h"
#include "output_safety/file_descriptor.h"
#include "output_safety/output_file.h"
#include "reporting/printable_text.h"

#include "effect/parametric_eq.h"
#include "host/host_callback.h"
#include "host/loaded_plugin.h"

#include <cstdio>
#include <sstream>

namespace miral::cli {
namespace {

/// The settings in the words of the command line, for the configuration's heading; control
/// characters escaped, so that no setting can end the comment line.
std::string originOf(const EffectSettings& settings, AEffect& effect) {
    std::string origin = "program \"" + host::effectText(effect, effGetProgramName) + "\"";
    if (settings.presetPath)
        origin += ", preset " + *settings.presetPath;
    for (const std::string& setting : settings.namedSettings)
        origin += ", --set " + setting;
    for (const std::string& setting : settings.indexedSettings)
        origin += ", --param " + setting;
    return printable(origin);
}

} // namespace

void runExport(const ExportOptions& options) {
    // The effect of this process, as the plug-ins create it: the settings resolve exactly as
    // `process` resolves them, with no plug-in file to load.
    ParametricEq equaliser(host::hostCallback);
    AEffect& effect = *equaliser.getAeffect();
    applySettings(effect, options.settings);

    std::ostringstream text;
    writePipewireConfiguration(text, portValues(effect),
                               "Written by miral export from " +
                                   originOf(options.settings, effect));

    if (!options.outputPath || *options.outputPath == kStandardStream) {
        std::fputs(text.str().c_str(), stdout); // the command checks standard output at its end
        return;
    }
    OutputFile file(*options.outputPath, options.force);
    const std::string configuration = text.str();
    writeAll(file.descriptor(), configuration.data(), configuration.size(), file.name());
    file.commit();
}

} // namespace miral::cli
