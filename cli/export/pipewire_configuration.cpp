#include "export/pipewire_configuration.h"

#include "lv2/ports.h"
#include "lv2/uris.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace miral::cli {
namespace {

constexpr const char* kGraphNode = "miral";

/// An audio port of the graph's one node, as the graph's inputs and outputs name it.
std::string graphPort(uint32_t port) {
    return std::string("\"") + kGraphNode + ":" + lv2::audioPortInfo(port).symbol + "\"";
}

} // namespace

std::string exactFloatText(float value) {
    char text[32];
    if (value == std::trunc(value) && std::fabs(value) < 1e9f) {
        std::snprintf(text, sizeof text, "%.0f", static_cast<double>(value));
        return text;
    }
    for (int digits = 1; digits <= 9; ++digits) {
        std::snprintf(text, sizeof text, "%.*g", digits, static_cast<double>(value));
        if (std::strtof(text, nullptr) == value &&
            static_cast<float>(std::strtod(text, nullptr)) == value)
            break;
    }
    return text;
}

void writePipewireConfiguration(std::ostream& out, const std::vector<PortValue>& controls,
                                const std::string& origin) {
    out << "# MIRAL as a stereo equaliser sink in PipeWire's filter-chain.\n"
        << "# " << origin << ".\n"
        << "# Install: copy into ~/.config/pipewire/pipewire.conf.d/, restart PipeWire\n"
        << "# (systemctl --user restart pipewire) and choose \"MIRAL equaliser\" as the output.\n"
        << "# Controls are the LV2 ports' values: dB, Hz, Q, 1 (on) or 0 (off).\n"
        << "context.modules = [\n"
        << "    {   name = libpipewire-module-filter-chain\n"
        << "        args = {\n"
        << "            node.description = \"MIRAL equaliser\"\n"
        << "            media.name       = \"MIRAL equaliser\"\n"
        << "            filter.graph = {\n"
        << "                nodes = [\n"
        << "                    {\n"
        << "                        type    = lv2\n"
        << "                        name    = " << kGraphNode << "\n"
        << "                        plugin  = \"" << lv2::kPluginUri << "\"\n"
        << "                        control = {\n";
    for (const PortValue& control : controls)
        out << "                            \"" << control.symbol
            << "\" = " << exactFloatText(control.value) << "\n";
    out << "                        }\n"
        << "                    }\n"
        << "                ]\n"
        << "                inputs  = [ " << graphPort(lv2::kInputLeft) << " "
        << graphPort(lv2::kInputRight) << " ]\n"
        << "                outputs = [ " << graphPort(lv2::kOutputLeft) << " "
        << graphPort(lv2::kOutputRight) << " ]\n"
        << "            }\n"
        << "            capture.props = {\n"
        << "                node.name      = \"" << kPipewireSinkNode << "\"\n"
        << "                media.class    = Audio/Sink\n"
        << "                audio.channels = 2\n"
        << "                audio.position = [ FL FR ]\n"
        << "            }\n"
        << "            playback.props = {\n"
        << "                node.name      = \"" << kPipewireOutputNode << "\"\n"
        << "                node.passive   = true\n"
        << "                audio.channels = 2\n"
        << "                audio.position = [ FL FR ]\n"
        << "            }\n"
        << "        }\n"
        << "    }\n"
        << "]\n";
}

} // namespace miral::cli
