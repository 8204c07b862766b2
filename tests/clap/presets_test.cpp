// The host's preset browser: what the preset discovery factory lists (the factory programs and
// the user's preset files, a damaged file not at all) and what loading a listed preset does.
#include "clap_test_host.h"

#include "clap_abi/presets.h"
#include "engine/physical_units.h"

#include <gtest/gtest.h>

#include <stdlib.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

namespace miral::clap_test {
namespace {

namespace fs = std::filesystem;

constexpr const char* kPluginId = "com.tolmek-soft.miral";

/// What a provider declared and listed, as a host's indexer records it.
struct Indexed {
    std::vector<std::string> extensions;
    std::vector<clap_preset_discovery_location_t> locations;
    std::vector<std::string> locationPaths; ///< "" for a location inside the plug-in
    struct Preset {
        std::string name, key, pluginAbi, pluginId;
        uint32_t flags = 0;
    };
    std::vector<Preset> presets;
    std::vector<std::string> errors;
};

Indexed& indexedOf(const void* context) {
    return *static_cast<Indexed*>(const_cast<void*>(context));
}

clap_preset_discovery_indexer_t indexerFor(Indexed& indexed) {
    clap_preset_discovery_indexer_t indexer{};
    indexer.clap_version = {1, 2, 0};
    indexer.name = "MIRAL test indexer";
    indexer.indexer_data = &indexed;
    indexer.declare_filetype = [](const clap_preset_discovery_indexer_t* self,
                                  const clap_preset_discovery_filetype_t* type) {
        indexedOf(self->indexer_data).extensions.emplace_back(type->file_extension);
        return true;
    };
    indexer.declare_location = [](const clap_preset_discovery_indexer_t* self,
                                  const clap_preset_discovery_location_t* location) {
        Indexed& declared = indexedOf(self->indexer_data);
        declared.locations.push_back(*location);
        declared.locationPaths.emplace_back(location->location ? location->location : "");
        return true;
    };
    indexer.declare_soundpack = [](const clap_preset_discovery_indexer_t*,
                                   const clap_preset_discovery_soundpack_t*) { return true; };
    indexer.get_extension = [](const clap_preset_discovery_indexer_t*, const char*) -> const void* {
        return nullptr;
    };
    return indexer;
}

clap_preset_discovery_metadata_receiver_t receiverFor(Indexed& indexed) {
    using Receiver = clap_preset_discovery_metadata_receiver_t;
    Receiver receiver{};
    receiver.receiver_data = &indexed;
    receiver.on_error = [](const Receiver* self, int32_t, const char* message) {
        indexedOf(self->receiver_data).errors.emplace_back(message);
    };
    receiver.begin_preset = [](const Receiver* self, const char* name, const char* key) {
        indexedOf(self->receiver_data).presets.push_back({name, key ? key : "", "", "", 0});
        return true;
    };
    receiver.add_plugin_id = [](const Receiver* self, const clap_universal_plugin_id_t* id) {
        Indexed::Preset& preset = indexedOf(self->receiver_data).presets.back();
        preset.pluginAbi = id->abi;
        preset.pluginId = id->id;
    };
    receiver.set_soundpack_id = [](const Receiver*, const char*) {};
    receiver.set_flags = [](const Receiver* self, uint32_t flags) {
        indexedOf(self->receiver_data).presets.back().flags = flags;
    };
    receiver.add_creator = [](const Receiver*, const char*) {};
    receiver.set_description = [](const Receiver*, const char*) {};
    receiver.set_timestamps = [](const Receiver*, clap_timestamp_t, clap_timestamp_t) {};
    receiver.add_feature = [](const Receiver*, const char*) {};
    receiver.add_extra_info = [](const Receiver*, const char*, const char*) {};
    return receiver;
}

/// A user data folder of the test's own (XDG_DATA_HOME, %APPDATA% on Windows) with a preset
/// folder in it.
class ClapPresets : public ::testing::Test {
protected:
    void SetUp() override {
        dataHome =
            fs::temp_directory_path() / ("miral-presets-" + std::to_string(std::random_device()()));
        ASSERT_TRUE(fs::create_directory(dataHome));
#if defined(_WIN32)
        folder = dataHome / "MIRAL" / "presets";
        _putenv_s("APPDATA", dataHome.string().c_str());
#else
        folder = dataHome / "miral" / "presets";
        setenv("XDG_DATA_HOME", dataHome.c_str(), 1);
#endif
        fs::create_directories(folder);
        hostRecord().rescans.clear();
        hostRecord().presetErrors.clear();
        hostRecord().presetsLoaded.clear();
    }
    void TearDown() override {
        fs::remove_all(dataHome);
    }

    std::string write(const std::string& name, const std::string& text) {
        const fs::path path = folder / name;
        std::ofstream(path, std::ios::binary) << text;
        return path.string();
    }

    /// A provider of the library's discovery factory, asked for `factoryId`, initialised.
    const clap_preset_discovery_provider_t* provider(Indexed& indexed, const char* factoryId) {
        const auto* factory =
            static_cast<const clap_preset_discovery_factory_t*>(entry()->get_factory(factoryId));
        if (factory == nullptr || factory->count(factory) != 1)
            return nullptr;
        indexer = indexerFor(indexed);
        const auto* created =
            factory->create(factory, &indexer, factory->get_descriptor(factory, 0)->id);
        if (created != nullptr && !created->init(created)) {
            created->destroy(created);
            return nullptr;
        }
        return created;
    }

    fs::path dataHome;
    fs::path folder;
    clap_preset_discovery_indexer_t indexer{};
};

TEST_F(ClapPresets, TheProviderListsTheNineProgramsAndTheUsersWholeFilesOnly) {
    for (const char* id :
         {CLAP_PRESET_DISCOVERY_FACTORY_ID, CLAP_PRESET_DISCOVERY_FACTORY_ID_COMPAT}) {
        Indexed indexed;
        const clap_preset_discovery_provider_t* listing = provider(indexed, id);
        ASSERT_NE(listing, nullptr) << id;
        EXPECT_EQ(indexed.extensions, std::vector<std::string>{"txt"});
        ASSERT_EQ(indexed.locations.size(), 2u);
        EXPECT_EQ(indexed.locations[0].kind, uint32_t{CLAP_PRESET_DISCOVERY_LOCATION_PLUGIN});
        EXPECT_EQ(indexed.locations[0].location, nullptr);
        EXPECT_EQ(indexed.locations[1].kind, uint32_t{CLAP_PRESET_DISCOVERY_LOCATION_FILE});
        EXPECT_TRUE(fs::equivalent(indexed.locationPaths[1], folder)) << indexed.locationPaths[1];

        const clap_preset_discovery_metadata_receiver_t receiver = receiverFor(indexed);
        EXPECT_TRUE(listing->get_metadata(listing, CLAP_PRESET_DISCOVERY_LOCATION_PLUGIN, nullptr,
                                          &receiver));
        ASSERT_EQ(indexed.presets.size(), 9u);
        EXPECT_EQ(indexed.presets[0].name, "00 - Flat");
        EXPECT_EQ(indexed.presets[8].name, "08 - Contour");
        for (size_t p = 0; p < indexed.presets.size(); ++p) {
            EXPECT_EQ(indexed.presets[p].key, std::to_string(p));
            EXPECT_EQ(indexed.presets[p].pluginAbi, "clap");
            EXPECT_EQ(indexed.presets[p].pluginId, kPluginId);
            EXPECT_EQ(indexed.presets[p].flags, uint32_t{CLAP_PRESET_DISCOVERY_IS_FACTORY_CONTENT});
        }

        indexed.presets.clear();
        const std::string good = write("Headphones.txt", "\xef\xbb\xbf# fitted\nGain 1=-3dB\n");
        EXPECT_TRUE(listing->get_metadata(listing, CLAP_PRESET_DISCOVERY_LOCATION_FILE,
                                          good.c_str(), &receiver));
        ASSERT_EQ(indexed.presets.size(), 1u);
        EXPECT_EQ(indexed.presets[0].name, "Headphones");
        EXPECT_EQ(indexed.presets[0].key, "");
        EXPECT_EQ(indexed.presets[0].pluginId, kPluginId);
        EXPECT_EQ(indexed.presets[0].flags, uint32_t{CLAP_PRESET_DISCOVERY_IS_USER_CONTENT});

        // Damaged anywhere, even after good lines: reported, not listed.
        for (const std::string& damaged : {write("late.txt", "Gain 1=-3dB\nQ 2=2\nGain 9=1\n"),
                                           write("zero-byte.txt", std::string("Gain 1=-3dB\n\0\n", 14)),
                                           write("range.txt", "Freq 1=90kHz\n"),
                                           (folder / "missing.txt").string(), folder.string()}) {
            indexed.presets.clear();
            indexed.errors.clear();
            EXPECT_FALSE(listing->get_metadata(listing, CLAP_PRESET_DISCOVERY_LOCATION_FILE,
                                               damaged.c_str(), &receiver))
                << damaged;
            EXPECT_TRUE(indexed.presets.empty()) << damaged;
            EXPECT_EQ(indexed.errors.size(), 1u) << damaged;
        }
        listing->destroy(listing);
    }
}

std::vector<double> valuesOf(const Instance& instance) {
    std::vector<double> values;
    for (uint32_t id = 0; id < 26; ++id)
        values.push_back(instance.value(id));
    return values;
}

TEST_F(ClapPresets, LoadingSetsEveryValueTellsTheHostAndRefusesWhatItCannotReadWhole) {
    Instance instance;
    ASSERT_TRUE(instance.valid());
    const auto* load = instance.extension<clap_plugin_preset_load_t>(CLAP_EXT_PRESET_LOAD);
    ASSERT_NE(load, nullptr);
    const clap_plugin_t* plugin = instance.plugin();

    // A user preset applies over the defaults, whatever was set before.
    ASSERT_TRUE(load->from_location(plugin, CLAP_PRESET_DISCOVERY_LOCATION_PLUGIN, nullptr, "8"));
    const std::vector<double> contour = valuesOf(instance);
    EXPECT_EQ(instance.value(0), normToPhysical(0, 0.6f)); // Gain 1 of "08 - Contour"
    const std::string user = write("user.txt", "Gain 3=+6dB\nFreq 3=1kHz\nON/OFF 2=off\n");
    ASSERT_TRUE(
        load->from_location(plugin, CLAP_PRESET_DISCOVERY_LOCATION_FILE, user.c_str(), nullptr));
    // As typed, to the precision of the engine's normalised floats.
    EXPECT_EQ(instance.value(8), 6.0);
    EXPECT_NEAR(instance.value(9), 1000.0, 1e-3);
    EXPECT_EQ(instance.value(7), 0.0);
    EXPECT_EQ(instance.value(0), 0.0); // Gain 1 back at its default
    EXPECT_EQ(hostRecord().rescans,
              (std::vector<uint32_t>{CLAP_PARAM_RESCAN_VALUES, CLAP_PARAM_RESCAN_VALUES}));
    EXPECT_EQ(hostRecord().presetsLoaded, (std::vector<std::string>{"8", ""}));

    const std::vector<double> before = valuesOf(instance);
    const std::string late = write("late.txt", "Gain 1=+9dB\nGain 2=loud\n");
    for (const char* key : {"9", "08", "-1", " 1", "1x", ""})
        EXPECT_FALSE(
            load->from_location(plugin, CLAP_PRESET_DISCOVERY_LOCATION_PLUGIN, nullptr, key))
            << key;
    EXPECT_FALSE(
        load->from_location(plugin, CLAP_PRESET_DISCOVERY_LOCATION_PLUGIN, nullptr, nullptr));
    EXPECT_FALSE(
        load->from_location(plugin, CLAP_PRESET_DISCOVERY_LOCATION_FILE, late.c_str(), nullptr));
    EXPECT_FALSE(
        load->from_location(plugin, CLAP_PRESET_DISCOVERY_LOCATION_FILE, nullptr, nullptr));
    EXPECT_FALSE(load->from_location(plugin, 7, user.c_str(), nullptr));
    EXPECT_EQ(valuesOf(instance), before);
    EXPECT_EQ(hostRecord().presetErrors.size(), 10u);
    EXPECT_EQ(hostRecord().rescans.size(), 2u);
    EXPECT_NE(before, contour);
}

} // namespace
} // namespace miral::clap_test
