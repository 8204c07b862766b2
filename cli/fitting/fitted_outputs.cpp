#include "fitting/fitted_outputs.h"

#include "lv2/ports.h"
#include "lv2/uris.h"
#include "output_safety/output_file.h"

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <sstream>
#include <stdexcept>

namespace miral::cli {
namespace {

std::string turtleString(const std::string& text) {
    std::string quoted = "\"";
    for (const char c : text) {
        if (c == '"' || c == '\\')
            quoted += '\\';
        if (c == '\n')
            quoted += "\\n";
        else
            quoted += c;
    }
    return quoted + "\"";
}

std::string number(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.9g", value);
    std::string written = text;
    // Turtle reads a number without a point or exponent as an integer.
    if (written.find_first_of(".en") == std::string::npos)
        written += ".0";
    return written;
}

void writeWhole(const std::string& path, const std::string& content, bool force) {
    OutputFile file(path, force);
    size_t done = 0;
    while (done < content.size()) {
        const ssize_t written =
            ::write(file.descriptor(), content.data() + done, content.size() - done);
        if (written <= 0)
            throw std::runtime_error("cannot write " + file.name());
        done += size_t(written);
    }
    file.commit();
}

constexpr const char* kPrefixes = "@prefix lv2: <http://lv2plug.in/ns/lv2core#> .\n"
                                  "@prefix pset: <http://lv2plug.in/ns/ext/presets#> .\n"
                                  "@prefix rdfs: <http://www.w3.org/2000/01/rdf-schema#> .\n\n";

} // namespace

std::string presetText(const FitResult& result, const std::string& comment) {
    std::ostringstream text;
    std::istringstream lines(comment);
    for (std::string line; std::getline(lines, line);)
        text << "# " << line << "\n";
    for (const std::string& line : result.presetLines)
        text << line << "\n";
    return text.str();
}

std::string fileStem(const std::string& label) {
    std::string stem;
    for (const char c : label) {
        const bool plain = std::isalnum(static_cast<unsigned char>(c)) || c == '-' || c == '.';
        if (plain)
            stem += c;
        else if (!stem.empty() && stem.back() != '_')
            stem += '_';
    }
    while (!stem.empty() && (stem.back() == '_' || stem.back() == '.'))
        stem.pop_back();
    while (!stem.empty() && stem.front() == '.')
        stem.erase(stem.begin());
    return stem.empty() ? "fitted" : stem;
}

void writeLv2PresetBundle(const std::string& directory, const std::string& label,
                          const FitResult& result, bool force) {
    std::error_code error;
    std::filesystem::create_directories(directory, error);
    if (error)
        throw std::runtime_error("cannot make " + directory + ": " + error.message());
    const std::string stem = fileStem(label);
    const std::string presetFile = stem + ".ttl";
    std::ostringstream preset;
    preset << kPrefixes << "<>\n    a pset:Preset ;\n    lv2:appliesTo <" << lv2::kPluginUri
           << "> ;\n    rdfs:label " << turtleString(label) << " ;\n    lv2:port [\n";
    for (int32_t index = 0; index < kNumParams; ++index)
        preset << "        lv2:symbol " << turtleString(lv2::controlPortSymbol(index))
               << " ;\n        pset:value "
               << number(lv2::normToPortValue(index, result.values[size_t(index)])) << "\n"
               << (index + 1 < kNumParams ? "    ] , [\n" : "    ] .\n");
    std::ostringstream manifest;
    manifest << kPrefixes << "<" << presetFile << ">\n    a pset:Preset ;\n    lv2:appliesTo <"
             << lv2::kPluginUri << "> ;\n    rdfs:label " << turtleString(label)
             << " ;\n    rdfs:seeAlso <" << presetFile << "> .\n";
    const std::filesystem::path folder(directory);
    writeWhole((folder / presetFile).string(), preset.str(), force);
    writeWhole((folder / "manifest.ttl").string(), manifest.str(), force);
}

} // namespace miral::cli
