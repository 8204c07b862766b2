#include "lv2/uris.h"
#include "turtle/bundle_turtle.h"
#include "turtle/turtle_text.h"

namespace miral::lv2 {

void writeUiDescription(std::ostream& out) {
    out << kTurtlePrefixes;
    out << turtleUri(kUiUri) << "\n"
        << "    a ui:X11UI ;\n"
        << "    lv2:requiredFeature ui:parent , ui:idleInterface ;\n"
        << "    lv2:optionalFeature ui:resize , ui:touch , ui:noUserResize , opts:options , "
           "urid:map ;\n"
        << "    opts:supportedOption ui:scaleFactor , param:sampleRate ;\n"
        << "    lv2:extensionData ui:idleInterface .\n";
}

} // namespace miral::lv2
