// The miral command: a command-line host for the MIRAL plug-in.

#include "cli/vst_host.h"

#include <cstdio>
#include <exception>
#include <string>

namespace {

void printInfo(miral::host::LoadedPlugin& plugin) {
    AEffect& effect = plugin.effect();
    std::printf("%s by %s (%s), version %ld, id 0x%08x\n", plugin.text(effGetEffectName).c_str(),
                plugin.text(effGetVendorString).c_str(), plugin.text(effGetProductString).c_str(),
                static_cast<long>(plugin.dispatch(effGetVendorVersion)),
                static_cast<unsigned>(effect.uniqueID));
    std::printf("%d inputs, %d outputs, flags %d\n\nParameters:\n", effect.numInputs,
                effect.numOutputs, effect.flags);
    for (int32_t i = 0; i < effect.numParams; ++i)
        std::printf("  %2d  %-12s %-5s %.4f  %s\n", i, plugin.text(effGetParamName, i).c_str(),
                    plugin.text(effGetParamLabel, i).c_str(), effect.getParameter(&effect, i),
                    plugin.text(effGetParamDisplay, i).c_str());
    std::printf("\nPrograms:\n");
    for (int32_t p = 0; p < effect.numPrograms; ++p)
        std::printf("  %s\n", plugin.text(effGetProgramNameIndexed, p).c_str());
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3 || std::string(argv[1]) != "info") {
        std::fprintf(stderr, "usage: miral info PLUGIN\n");
        return 2;
    }
    try {
        miral::host::LoadedPlugin plugin(argv[2]);
        printInfo(plugin);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "miral: %s\n", error.what());
        return 1;
    }
    return 0;
}
