// What a host's scan reads: the entry, the factory, the descriptor and the extensions.
#include "clap_test_host.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace miral::clap_test {
namespace {

std::set<std::string> featuresOf(const clap_plugin_descriptor_t& descriptor) {
    std::set<std::string> features;
    for (const char* const* feature = descriptor.features; *feature != nullptr; ++feature)
        features.insert(*feature);
    return features;
}

TEST(ClapScan, FactoryListsOneEqualiserWithItsIdentityAndFeatures) {
    const clap_plugin_factory_t* found = factory();
    ASSERT_NE(found, nullptr);
    ASSERT_EQ(found->get_plugin_count(found), 1u);
    EXPECT_EQ(found->get_plugin_descriptor(found, 1), nullptr);
    const clap_plugin_descriptor_t* descriptor = found->get_plugin_descriptor(found, 0);
    ASSERT_NE(descriptor, nullptr);
    EXPECT_EQ(descriptor->clap_version.major, 1u);
    EXPECT_STREQ(descriptor->id, "com.tolmek-soft.miral");
    EXPECT_STREQ(descriptor->name, "MIRAL");
    EXPECT_STREQ(descriptor->vendor, "TOLMEK Soft");
    EXPECT_STREQ(descriptor->version, MIRAL_VERSION);
    EXPECT_EQ(featuresOf(*descriptor),
              (std::set<std::string>{"audio-effect", "equalizer", "stereo", "mono"}));
}

TEST(ClapScan, UnknownFactoriesAndPluginIdsAreRefused) {
    const clap_plugin_factory_t* found = factory();
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(entry()->get_factory("clap.plugin-invalidation-factory/1"), nullptr);
    EXPECT_EQ(entry()->get_factory(nullptr), nullptr);
    clap_host_t host{};
    host.clap_version = {1, 2, 0};
    EXPECT_EQ(found->create_plugin(found, &host, "com.tolmek-soft.other"), nullptr);
    EXPECT_EQ(found->create_plugin(found, &host, nullptr), nullptr);
    host.clap_version = {0, 9, 0};
    EXPECT_EQ(found->create_plugin(found, &host, "com.tolmek-soft.miral"), nullptr);
}

TEST(ClapScan, OneStereoPortEachWayProcessedInPlaceWithoutLatency) {
    Instance instance;
    ASSERT_TRUE(instance.valid());
    const auto* ports = instance.extension<clap_plugin_audio_ports_t>(CLAP_EXT_AUDIO_PORTS);
    ASSERT_NE(ports, nullptr);
    for (const bool isInput : {true, false}) {
        ASSERT_EQ(ports->count(instance.plugin(), isInput), 1u);
        clap_audio_port_info_t info{};
        ASSERT_TRUE(ports->get(instance.plugin(), 0, isInput, &info));
        EXPECT_EQ(info.channel_count, 2u);
        EXPECT_STREQ(info.port_type, CLAP_PORT_STEREO);
        EXPECT_EQ(info.flags & CLAP_AUDIO_PORT_IS_MAIN, unsigned{CLAP_AUDIO_PORT_IS_MAIN});
        EXPECT_EQ(info.in_place_pair, info.id);
        EXPECT_FALSE(ports->get(instance.plugin(), 1, isInput, &info));
    }
    const auto* latency = instance.extension<clap_plugin_latency_t>(CLAP_EXT_LATENCY);
    ASSERT_NE(latency, nullptr);
    ASSERT_TRUE(instance.start(48000.0, 512));
    EXPECT_EQ(latency->get(instance.plugin()), 0u);
    EXPECT_EQ(instance.extension<void>("clap.note-ports"), nullptr);
}

} // namespace
} // namespace miral::clap_test
