#include "info_command.h"

#include "vst_host.h"

#include <cstdio>

namespace miral::cli {

void runInfo(const std::string& pluginPath) {
    host::LoadedPlugin plugin(pluginPath);
    AEffect& effect = plugin.effect();
    std::printf("%s by %s (%s), version %ld, id 0x%08x\n",
                host::effectText(effect, effGetEffectName).c_str(),
                host::effectText(effect, effGetVendorString).c_str(),
                host::effectText(effect, effGetProductString).c_str(),
                static_cast<long>(plugin.dispatch(effGetVendorVersion)),
                static_cast<unsigned>(effect.uniqueID));
    std::printf("plug-in %s\n%d inputs, %d outputs, flags %d\n\n", pluginPath.c_str(),
                effect.numInputs, effect.numOutputs, effect.flags);
    std::printf("Parameters:\n  %5s  %-12s %-5s %-8s %s\n", "index", "name", "label", "value",
                "display");
    const std::vector<std::string> names = host::parameterNames(effect);
    for (int32_t i = 0; i < effect.numParams; ++i)
        std::printf("  %5d  %-12s %-5s %-8.4f %s\n", i, names[i].c_str(),
                    host::effectText(effect, effGetParamLabel, i).c_str(),
                    effect.getParameter(&effect, i),
                    host::effectText(effect, effGetParamDisplay, i).c_str());
    std::printf("\nPrograms:\n");
    for (const std::string& name : host::programNames(effect))
        std::printf("  %s\n", name.c_str());
}

} // namespace miral::cli
