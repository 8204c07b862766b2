#include "turtle/turtle_text.h"

#include <cmath>
#include <cstdio>

namespace miral::lv2 {

const char* const kTurtlePrefixes = "@prefix atom: <http://lv2plug.in/ns/ext/atom#> .\n"
                                    "@prefix doap: <http://usefulinc.com/ns/doap#> .\n"
                                    "@prefix foaf: <http://xmlns.com/foaf/0.1/> .\n"
                                    "@prefix lv2: <http://lv2plug.in/ns/lv2core#> .\n"
                                    "@prefix opts: <http://lv2plug.in/ns/ext/options#> .\n"
                                    "@prefix param: <http://lv2plug.in/ns/ext/parameters#> .\n"
                                    "@prefix pg: <http://lv2plug.in/ns/ext/port-groups#> .\n"
                                    "@prefix pprops: <http://lv2plug.in/ns/ext/port-props#> .\n"
                                    "@prefix pset: <http://lv2plug.in/ns/ext/presets#> .\n"
                                    "@prefix rdfs: <http://www.w3.org/2000/01/rdf-schema#> .\n"
                                    "@prefix ui: <http://lv2plug.in/ns/extensions/ui#> .\n"
                                    "@prefix units: <http://lv2plug.in/ns/extensions/units#> .\n"
                                    "@prefix urid: <http://lv2plug.in/ns/ext/urid#> .\n"
                                    "\n";

std::string turtleNumber(float value) {
    char text[40];
    if (value == std::trunc(value) && std::fabs(value) < 1e9f)
        std::snprintf(text, sizeof text, "%.1f", static_cast<double>(value));
    else // the float's exact value to 17 digits: no parser rounds that to another float
        std::snprintf(text, sizeof text, "%.17g", static_cast<double>(value));
    return text;
}

std::string turtleString(const std::string& text) {
    std::string quoted = "\"";
    for (const char c : text) {
        if (c == '"' || c == '\\')
            quoted += '\\';
        quoted += c;
    }
    return quoted + "\"";
}

std::string turtleUri(const std::string& uri) {
    return "<" + uri + ">";
}

} // namespace miral::lv2
