#include "preset_provider.h"

#include "engine/user_preset_folder.h"
#include "preset_library.h"

#include <cstring>
#include <exception>
#include <new>
#include <optional>
#include <string>

namespace miral::clap {
namespace {

const clap_preset_discovery_provider_descriptor_t kProviderDescriptor = {
    CLAP_VERSION, "com.tolmek-soft.miral.presets", "MIRAL presets", "TOLMEK Soft"};

const clap_universal_plugin_id_t kPluginOfPresets = {"clap", kPluginId};

/// One provider for one indexer; the folder's text lives as long as the provider.
struct Provider {
    clap_preset_discovery_provider_t record;
    const clap_preset_discovery_indexer_t* indexer;
    std::optional<std::string> userFolder;
};

Provider& providerOf(const clap_preset_discovery_provider_t* record) {
    return *static_cast<Provider*>(record->provider_data);
}

bool CLAP_ABI init(const clap_preset_discovery_provider_t* record) {
    Provider& provider = providerOf(record);
    const clap_preset_discovery_indexer_t* indexer = provider.indexer;
    const clap_preset_discovery_filetype_t filetype = {
        "MIRAL preset", "NAME=VALUE lines, as miral process --preset reads them",
        kUserPresetExtension + 1};
    indexer->declare_filetype(indexer, &filetype);
    const clap_preset_discovery_location_t factory = {
        CLAP_PRESET_DISCOVERY_IS_FACTORY_CONTENT, "Factory programs",
        CLAP_PRESET_DISCOVERY_LOCATION_PLUGIN, nullptr};
    indexer->declare_location(indexer, &factory);
    try {
        provider.userFolder = userPresetFolder();
    } catch (const std::bad_alloc&) {
        return false; // nothing may leave through the interface
    }
    if (provider.userFolder) {
        const clap_preset_discovery_location_t user = {
            CLAP_PRESET_DISCOVERY_IS_USER_CONTENT, "User presets",
            CLAP_PRESET_DISCOVERY_LOCATION_FILE, provider.userFolder->c_str()};
        indexer->declare_location(indexer, &user);
    }
    return true;
}

void CLAP_ABI destroy(const clap_preset_discovery_provider_t* record) {
    delete &providerOf(record);
}

bool listPrograms(const clap_preset_discovery_metadata_receiver_t& receiver) {
    for (uint32_t program = 0; program < programCount(); ++program) {
        if (!receiver.begin_preset(&receiver, programName(program), loadKeyOf(program).c_str()))
            break;
        receiver.add_plugin_id(&receiver, &kPluginOfPresets);
        receiver.set_flags(&receiver, CLAP_PRESET_DISCOVERY_IS_FACTORY_CONTENT);
    }
    return true;
}

bool listFile(const char* path, const clap_preset_discovery_metadata_receiver_t& receiver) {
    const UserPreset preset = readUserPreset(path);
    if (!preset.values) {
        receiver.on_error(&receiver, 0, preset.problem.c_str());
        return false;
    }
    if (receiver.begin_preset(&receiver, userPresetName(path).c_str(), nullptr)) {
        receiver.add_plugin_id(&receiver, &kPluginOfPresets);
        receiver.set_flags(&receiver, CLAP_PRESET_DISCOVERY_IS_USER_CONTENT);
    }
    return true;
}

bool CLAP_ABI getMetadata(const clap_preset_discovery_provider_t*, uint32_t kind,
                          const char* location,
                          const clap_preset_discovery_metadata_receiver_t* receiver) {
    if (receiver == nullptr)
        return false;
    try {
        if (kind == CLAP_PRESET_DISCOVERY_LOCATION_PLUGIN)
            return listPrograms(*receiver);
        if (kind == CLAP_PRESET_DISCOVERY_LOCATION_FILE && location != nullptr)
            return listFile(location, *receiver);
    } catch (const std::exception&) {
        // nothing may leave through the interface
    }
    return false;
}

const void* CLAP_ABI providerExtension(const clap_preset_discovery_provider_t*, const char*) {
    return nullptr;
}

uint32_t CLAP_ABI providerCount(const clap_preset_discovery_factory_t*) {
    return 1;
}

const clap_preset_discovery_provider_descriptor_t* CLAP_ABI
providerDescriptor(const clap_preset_discovery_factory_t*, uint32_t index) {
    return index == 0 ? &kProviderDescriptor : nullptr;
}

const clap_preset_discovery_provider_t* CLAP_ABI
createProvider(const clap_preset_discovery_factory_t*,
               const clap_preset_discovery_indexer_t* indexer, const char* id) {
    if (indexer == nullptr || id == nullptr || std::strcmp(id, kProviderDescriptor.id) != 0)
        return nullptr;
    auto* provider = new (std::nothrow)
        Provider{{&kProviderDescriptor, nullptr, init, destroy, getMetadata, providerExtension},
                 indexer,
                 std::nullopt};
    if (provider == nullptr)
        return nullptr;
    provider->record.provider_data = provider;
    return &provider->record;
}

const clap_preset_discovery_factory_t kFactory = {providerCount, providerDescriptor,
                                                  createProvider};

} // namespace

const clap_preset_discovery_factory_t& presetDiscoveryFactory() {
    return kFactory;
}

} // namespace miral::clap
