#include "lv2/ports.h"
#include "lv2/uris.h"
#include "turtle/bundle_turtle.h"
#include "turtle/turtle_text.h"

#include "effect/parametric_eq.h"
#include "engine/physical_units.h"

namespace miral::lv2 {
namespace {

const char* unitResource(PhysicalUnit unit) {
    switch (unit) {
    case PhysicalUnit::Decibel:
        return "units:db";
    case PhysicalUnit::Hertz:
        return "units:hz";
    case PhysicalUnit::None:
        break;
    }
    return nullptr;
}

void writeControlPort(std::ostream& out, int32_t index) {
    const PhysicalScale scale = physicalScale(index);
    const ParamInfo& info = kParamTable[static_cast<size_t>(index)];
    out << "        a lv2:InputPort , lv2:ControlPort ;\n"
        << "        lv2:index " << index << " ;\n"
        << "        lv2:symbol " << turtleString(controlPortSymbol(index)) << " ;\n"
        << "        lv2:name " << turtleString(info.name) << " ;\n"
        << "        lv2:default " << turtleNumber(normToPortValue(index, info.defaultValue))
        << " ;\n"
        << "        lv2:minimum " << turtleNumber(normToPortValue(index, 0.0f)) << " ;\n"
        << "        lv2:maximum " << turtleNumber(normToPortValue(index, 1.0f));
    if (scale.toggled)
        out << " ;\n        lv2:portProperty lv2:toggled";
    if (scale.logarithmic)
        out << " ;\n        lv2:portProperty pprops:logarithmic";
    if (const char* unit = unitResource(scale.unit))
        out << " ;\n        units:unit " << unit;
    out << "\n";
}

// Each audio port is the left or right channel of the stereo input or output group: hosts that
// take only a plug-in with one multi-channel input and output (GStreamer) see a stereo filter.
void writeAudioPort(std::ostream& out, uint32_t port) {
    const AudioPortInfo info = audioPortInfo(port);
    const bool left = port == kInputLeft || port == kOutputLeft;
    out << "        a lv2:" << (info.isInput ? "InputPort" : "OutputPort") << " , lv2:AudioPort ;\n"
        << "        lv2:index " << port << " ;\n"
        << "        lv2:symbol " << turtleString(info.symbol) << " ;\n"
        << "        lv2:name " << turtleString(info.name) << " ;\n"
        << "        pg:group " << turtleUri(info.isInput ? kInputGroupUri : kOutputGroupUri)
        << " ;\n"
        << "        lv2:designation " << (left ? "pg:left" : "pg:right") << "\n";
}

// The user interface's solo messages: an event input a host may leave unconnected. It carries
// no value, so hosts store nothing of it.
void writeSoloPort(std::ostream& out) {
    out << "        a lv2:InputPort , atom:AtomPort ;\n"
        << "        atom:bufferType atom:Sequence ;\n"
        << "        atom:supports atom:Object ;\n"
        << "        lv2:index " << kSoloPort << " ;\n"
        << "        lv2:symbol " << turtleString("solo") << " ;\n"
        << "        lv2:name " << turtleString("Solo") << " ;\n"
        << "        lv2:portProperty lv2:connectionOptional\n";
}

void writeGroup(std::ostream& out, const char* uri, bool input) {
    out << "\n"
        << turtleUri(uri) << "\n"
        << "    a " << (input ? "pg:InputGroup" : "pg:OutputGroup") << " , pg:StereoGroup ;\n"
        << "    lv2:symbol " << turtleString(input ? "in" : "out") << " ;\n"
        << "    rdfs:label " << turtleString(input ? "Input" : "Output");
    if (!input)
        out << " ;\n    pg:source " << turtleUri(kInputGroupUri);
    out << " .\n";
}

} // namespace

void writePluginDescription(std::ostream& out) {
    // The effect's own identity, as it tells VST 2 hosts.
    ParametricEq effect(nullptr);
    char name[64] = {};
    char vendor[64] = {};
    effect.getEffectName(name);
    effect.getVendorString(vendor);

    out << kTurtlePrefixes;
    out << turtleUri(kPluginUri) << "\n"
        << "    a lv2:Plugin , lv2:ParaEQPlugin , doap:Project ;\n"
        << "    doap:name " << turtleString(name) << " ;\n"
        << "    doap:maintainer [ foaf:name " << turtleString(vendor)
        << " ] ;\n"
        // The project's minor and patch numbers: hosts compare these to tell a newer bundle.
        << "    lv2:minorVersion " << MIRAL_VERSION_MINOR << " ;\n"
        << "    lv2:microVersion " << MIRAL_VERSION_PATCH << " ;\n"
        << "    lv2:optionalFeature lv2:hardRTCapable , urid:map ;\n"
        << "    ui:ui " << turtleUri(kUiUri) << " ;\n"
        << "    pg:mainInput " << turtleUri(kInputGroupUri) << " ;\n"
        << "    pg:mainOutput " << turtleUri(kOutputGroupUri) << " ;\n"
        << "    lv2:port [\n";
    for (uint32_t port = 0; port < kNumPorts; ++port) {
        if (port < kNumParams)
            writeControlPort(out, static_cast<int32_t>(port));
        else if (port == kSoloPort)
            writeSoloPort(out);
        else
            writeAudioPort(out, port);
        out << (port + 1 < kNumPorts ? "    ] , [\n" : "    ] .\n");
    }
    writeGroup(out, kInputGroupUri, true);
    writeGroup(out, kOutputGroupUri, false);
}

} // namespace miral::lv2
