#include "commands/info_command.h"

#include "host/loaded_plugin.h"
#include "settings/parameter_settings.h"
#include "reporting/printable_text.h"

#include <nlohmann/json.hpp>
#include <sndfile.h>

#include <cstdio>
#include <stdexcept>

namespace miral::cli {
namespace {

struct Identity {
    std::string name, vendor, product;
    long version = 0;
};

Identity identityOf(host::LoadedPlugin& plugin) {
    AEffect& effect = plugin.effect();
    return {host::effectText(effect, effGetEffectName),
            host::effectText(effect, effGetVendorString),
            host::effectText(effect, effGetProductString),
            static_cast<long>(plugin.dispatch(effGetVendorVersion))};
}

std::string hexId(int32_t id) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08x", static_cast<unsigned>(id));
    return text;
}

void printTable(host::LoadedPlugin& plugin, const std::string& pluginPath) {
    AEffect& effect = plugin.effect();
    const Identity identity = identityOf(plugin);
    std::printf("%s by %s (%s), version %ld, id %s\n", identity.name.c_str(),
                identity.vendor.c_str(), identity.product.c_str(), identity.version,
                hexId(effect.uniqueID).c_str());
    std::printf("plug-in %s\n%d inputs, %d outputs, flags %d\n\n", printable(pluginPath).c_str(),
                effect.numInputs, effect.numOutputs, effect.flags);
    std::printf("Parameters:\n  %5s  %-12s %-5s %-8s %s\n", "index", "name", "label", "value",
                "display");
    const std::vector<std::string> names = host::parameterNames(effect);
    for (int32_t i = 0; i < effect.numParams; ++i)
        std::printf("  %5d  %-12s %-5s %-8.4f %s\n", i, names[static_cast<size_t>(i)].c_str(),
                    host::effectText(effect, effGetParamLabel, i).c_str(),
                    effect.getParameter(&effect, i),
                    host::effectText(effect, effGetParamDisplay, i).c_str());
    std::printf("\nPrograms:\n");
    for (const std::string& name : host::programNames(effect))
        std::printf("  %s\n", name.c_str());
}

nlohmann::json parametersJson(AEffect& effect) {
    nlohmann::json parameters = nlohmann::json::array();
    const std::vector<std::string> names = host::parameterNames(effect);
    for (int32_t i = 0; i < effect.numParams; ++i) {
        const ParameterRange range = parameterRange(i);
        const float value = effect.getParameter(&effect, i);
        parameters.push_back({{"index", i},
                              {"name", names[static_cast<size_t>(i)]},
                              {"label", host::effectText(effect, effGetParamLabel, i)},
                              {"kind", range.kind},
                              {"unit", range.unit},
                              {"minimum", range.minimum},
                              {"maximum", range.maximum},
                              {"default", physicalValue(i, value)},
                              {"default_normalized", value}});
    }
    return parameters;
}

/// Every program with its values; loads each program in turn.
nlohmann::json programsJson(host::LoadedPlugin& plugin) {
    AEffect& effect = plugin.effect();
    nlohmann::json programs = nlohmann::json::array();
    const std::vector<std::string> names = host::programNames(effect);
    for (int32_t p = 0; p < effect.numPrograms; ++p) {
        plugin.dispatch(effSetProgram, 0, p);
        nlohmann::json normalized = nlohmann::json::array();
        nlohmann::json physical = nlohmann::json::array();
        for (int32_t i = 0; i < effect.numParams; ++i) {
            const float value = effect.getParameter(&effect, i);
            normalized.push_back(value);
            physical.push_back(physicalValue(i, value));
        }
        programs.push_back({{"index", p},
                            {"name", names[static_cast<size_t>(p)]},
                            {"values", physical},
                            {"normalized", normalized}});
    }
    return programs;
}

void printJson(host::LoadedPlugin& plugin, const std::string& pluginPath) {
    AEffect& effect = plugin.effect();
    const Identity identity = identityOf(plugin);
    const nlohmann::json info = {{"plugin",
                                  {{"path", pluginPath},
                                   {"name", identity.name},
                                   {"vendor", identity.vendor},
                                   {"product", identity.product},
                                   {"version", identity.version},
                                   {"unique_id", hexId(effect.uniqueID)},
                                   {"inputs", effect.numInputs},
                                   {"outputs", effect.numOutputs}}},
                                 {"parameters", parametersJson(effect)},
                                 {"programs", programsJson(plugin)}};
    std::puts(info.dump(2, ' ', false, nlohmann::json::error_handler_t::replace).c_str());
}

} // namespace

void runInfo(const std::string& pluginPath, bool json) {
    host::LoadedPlugin plugin(pluginPath);
    if (json)
        printJson(plugin, pluginPath);
    else
        printTable(plugin, pluginPath);
}

void printVersions(const std::string& pluginPath) {
    std::printf("miral %s\n%s\n", MIRAL_VERSION, sf_version_string());
    host::LoadedPlugin plugin(pluginPath);
    const Identity identity = identityOf(plugin);
    std::printf("plug-in %s by %s (%s), version %ld, id %s, %s\n", identity.name.c_str(),
                identity.vendor.c_str(), identity.product.c_str(), identity.version,
                hexId(plugin.effect().uniqueID).c_str(), printable(pluginPath).c_str());
}

} // namespace miral::cli
