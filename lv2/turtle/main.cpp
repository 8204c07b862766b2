// Writes the LV2 bundle's Turtle files into a directory:
//     miral_lv2_turtle DIRECTORY PLUGIN_BINARY UI_BINARY
#include "turtle/bundle_turtle.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>

namespace {

bool writeFile(const std::filesystem::path& path, const std::function<void(std::ostream&)>& write) {
    std::ofstream file(path);
    write(file);
    file.close();
    if (!file) {
        std::fprintf(stderr, "miral_lv2_turtle: cannot write %s\n", path.c_str());
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: miral_lv2_turtle DIRECTORY PLUGIN_BINARY UI_BINARY\n");
        return 2;
    }
    using namespace miral::lv2;
    const std::filesystem::path directory = argv[1];
    const bool written =
        writeFile(directory / "manifest.ttl",
                  [&](std::ostream& out) { writeManifest(out, argv[2], argv[3]); }) &&
        writeFile(directory / kPluginFile, writePluginDescription) &&
        writeFile(directory / kUiFile, writeUiDescription) &&
        writeFile(directory / kPresetsFile, writePresets);
    return written ? 0 : 1;
}
