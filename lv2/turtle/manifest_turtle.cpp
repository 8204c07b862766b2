#include "lv2/uris.h"
#include "turtle/bundle_turtle.h"
#include "turtle/turtle_text.h"

#include "effect/eq_program.h"

namespace miral::lv2 {

void writeManifest(std::ostream& out, const std::string& pluginBinary,
                   const std::string& uiBinary) {
    out << kTurtlePrefixes;
    out << turtleUri(kPluginUri) << "\n"
        << "    a lv2:Plugin ;\n"
        << "    lv2:binary " << turtleUri(pluginBinary) << " ;\n"
        << "    rdfs:seeAlso " << turtleUri(kPluginFile) << " .\n\n";
    out << turtleUri(kUiUri) << "\n"
        << "    a ui:X11UI ;\n"
        << "    ui:binary " << turtleUri(uiBinary) << " ;\n"
        << "    rdfs:seeAlso " << turtleUri(kUiFile) << " .\n";
    const auto& programs = factoryPrograms();
    for (size_t number = 0; number < programs.size(); ++number)
        out << "\n"
            << turtleUri(kPresetUriPrefix + std::to_string(number)) << "\n"
            << "    a pset:Preset ;\n"
            << "    lv2:appliesTo " << turtleUri(kPluginUri) << " ;\n"
            << "    rdfs:label " << turtleString(programs[number].name.data()) << " ;\n"
            << "    rdfs:seeAlso " << turtleUri(kPresetsFile) << " .\n";
}

} // namespace miral::lv2
