#include "lv2/ports.h"
#include "lv2/uris.h"
#include "turtle/bundle_turtle.h"
#include "turtle/turtle_text.h"

#include "effect/eq_program.h"

namespace miral::lv2 {

void writePresets(std::ostream& out) {
    out << kTurtlePrefixes;
    const auto& programs = factoryPrograms();
    for (size_t number = 0; number < programs.size(); ++number) {
        const EqProgram& program = programs[number];
        out << turtleUri(kPresetUriPrefix + std::to_string(number)) << "\n"
            << "    a pset:Preset ;\n"
            << "    lv2:appliesTo " << turtleUri(kPluginUri) << " ;\n"
            << "    rdfs:label " << turtleString(program.name.data()) << " ;\n"
            << "    lv2:port [\n";
        for (int32_t index = 0; index < kNumParams; ++index) {
            const float value = program.values[static_cast<size_t>(slotOfParam(index))];
            out << "        lv2:symbol " << turtleString(controlPortSymbol(index)) << " ;\n"
                << "        pset:value " << turtleNumber(normToPortValue(index, value)) << "\n"
                << (index + 1 < kNumParams ? "    ] , [\n" : "    ] .\n\n");
        }
    }
}

} // namespace miral::lv2
