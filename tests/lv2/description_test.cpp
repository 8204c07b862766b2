// The bundle as a host reads it through lilv: the ports with their stable symbols, ranges,
// defaults and units, the features, the user interface, and the presets against the effect's
// program table.

#include "test_support/lv2_test_host.h"

#include "effect/eq_program.h"
#include "engine/physical_units.h"
#include "lv2/ports.h"
#include "lv2/uris.h"

#include <lv2/core/lv2.h>
#include <lv2/options/options.h>
#include <lv2/parameters/parameters.h>
#include <lv2/port-props/port-props.h>
#include <lv2/ui/ui.h>
#include <lv2/units/units.h>

#include <gtest/gtest.h>

#include <cmath>

namespace miral::test {
namespace {

struct Lv2Description : ::testing::Test {
    void SetUp() override { ASSERT_NE(world.plugin(), nullptr) << "the plug-in is in the bundle"; }

    const LilvPort* port(uint32_t index) const {
        return lilv_plugin_get_port_by_index(world.plugin(), index);
    }
    bool hasProperty(uint32_t index, const char* property) {
        return lilv_port_has_property(world.plugin(), port(index), world.node(property));
    }
    std::string unit(uint32_t index) {
        LilvNodes* units =
            lilv_port_get_value(world.plugin(), port(index), world.node(LV2_UNITS__unit));
        const std::string uri =
            units != nullptr ? lilv_node_as_uri(lilv_nodes_get_first(units)) : "";
        lilv_nodes_free(units);
        return uri;
    }

    Lv2World world;
};

TEST_F(Lv2Description, IdentifiesTheEqualiserWithStereoAudioAndNoRequiredFeature) {
    LilvNode* name = lilv_plugin_get_name(world.plugin());
    EXPECT_STREQ(lilv_node_as_string(name), "MIRAL");
    lilv_node_free(name);
    EXPECT_EQ(lilv_plugin_get_num_ports(world.plugin()), lv2::kNumPorts);
    EXPECT_EQ(lilv_plugin_get_num_ports_of_class(world.plugin(), world.node(LV2_CORE__AudioPort),
                                                 world.node(LV2_CORE__InputPort), nullptr),
              2u);
    EXPECT_EQ(lilv_plugin_get_num_ports_of_class(world.plugin(), world.node(LV2_CORE__AudioPort),
                                                 world.node(LV2_CORE__OutputPort), nullptr),
              2u);
    LilvNodes* required = lilv_plugin_get_required_features(world.plugin());
    EXPECT_EQ(lilv_nodes_size(required), 0u) << "any block length, no host services needed";
    lilv_nodes_free(required);
    EXPECT_TRUE(lilv_plugin_has_feature(world.plugin(), world.node(LV2_CORE__hardRTCapable)));

    LilvUIs* uis = lilv_plugin_get_uis(world.plugin());
    ASSERT_EQ(lilv_uis_size(uis), 1u);
    const LilvUI* ui = lilv_uis_get(uis, lilv_uis_begin(uis));
    EXPECT_STREQ(lilv_node_as_uri(lilv_ui_get_uri(ui)), lv2::kUiUri);
    EXPECT_TRUE(lilv_ui_is_a(ui, world.node(LV2_UI__X11UI)));
    lilv_uis_free(uis);
}

TEST_F(Lv2Description, TheUserInterfaceTakesTheHostsScaleFactorAmongItsOptions) {
    const LilvNode* ui = world.node(lv2::kUiUri);
    ASSERT_EQ(lilv_world_load_resource(world.world(), ui), 1) << "miral_ui.ttl";
    const auto declares = [this, ui](const char* property, const char* object) {
        return lilv_world_ask(world.world(), ui, world.node(property), world.node(object));
    };
    EXPECT_TRUE(declares(LV2_CORE__optionalFeature, LV2_OPTIONS__options));
    EXPECT_TRUE(declares(LV2_OPTIONS__supportedOption, LV2_UI__scaleFactor));
    EXPECT_TRUE(declares(LV2_OPTIONS__supportedOption, LV2_PARAMETERS__sampleRate));
    EXPECT_FALSE(declares(LV2_CORE__requiredFeature, LV2_OPTIONS__options))
        << "hosts without options get the desktop's scale";
}

TEST_F(Lv2Description, SymbolsStaySessionCompatible) {
    const char* expected[kNumParams] = {
        "gain_1",   "freq_1",   "q_1",      "on_off_1",   "gain_2",     "freq_2",   "q_2",
        "on_off_2", "gain_3",   "freq_3",   "q_3",        "on_off_3",   "gain_4",   "freq_4",
        "q_4",      "on_off_4", "gain_5",   "freq_5",     "q_5",        "on_off_5", "gain_6",
        "freq_6",   "q_6",      "on_off_6", "gain_range", "output_gain"};
    for (uint32_t index = 0; index < kNumParams; ++index)
        EXPECT_STREQ(lilv_node_as_string(lilv_port_get_symbol(world.plugin(), port(index))),
                     expected[index]);
    for (const uint32_t audio :
         {lv2::kInputLeft, lv2::kInputRight, lv2::kOutputLeft, lv2::kOutputRight})
        EXPECT_STREQ(lilv_node_as_string(lilv_port_get_symbol(world.plugin(), port(audio))),
                     lv2::audioPortInfo(audio).symbol);
}

TEST_F(Lv2Description, ControlPortsShowPhysicalRangesUnitsAndTheParameterDefaults) {
    std::array<float, lv2::kNumPorts> minimum{}, maximum{}, fallback{};
    lilv_plugin_get_port_ranges_float(world.plugin(), minimum.data(), maximum.data(),
                                      fallback.data());
    for (uint32_t index = 0; index < kNumParams; ++index) {
        SCOPED_TRACE(kParamTable[index].name);
        const auto i = static_cast<int32_t>(index);
        const PhysicalScale scale = physicalScale(i);
        EXPECT_FLOAT_EQ(minimum[index], static_cast<float>(scale.atZero));
        EXPECT_FLOAT_EQ(maximum[index], static_cast<float>(scale.atOne));
        EXPECT_EQ(lv2::portValueToNorm(i, minimum[index]), 0.0f);
        EXPECT_EQ(lv2::portValueToNorm(i, maximum[index]), 1.0f);
        EXPECT_EQ(lv2::portValueToNorm(i, fallback[index]), kParamTable[index].defaultValue)
            << "the default reaches the engine as the parameter's default";
        EXPECT_EQ(hasProperty(index, LV2_PORT_PROPS__logarithmic), scale.logarithmic);
        EXPECT_EQ(hasProperty(index, LV2_CORE__toggled), scale.toggled);
    }
    EXPECT_EQ(unit(toIndex(ParamId::Gain3)), LV2_UNITS__db);
    EXPECT_EQ(unit(toIndex(ParamId::OutputGain)), LV2_UNITS__db);
    EXPECT_EQ(unit(toIndex(ParamId::Freq1)), LV2_UNITS__hz);
    EXPECT_EQ(unit(toIndex(ParamId::Freq6)), LV2_UNITS__hz);
    EXPECT_EQ(unit(toIndex(ParamId::Q2)), "");
    EXPECT_FLOAT_EQ(minimum[toIndex(ParamId::Freq6)], 500.0f);
    EXPECT_FLOAT_EQ(maximum[toIndex(ParamId::Freq2)], 16000.0f);
    EXPECT_FLOAT_EQ(fallback[toIndex(ParamId::Freq1)], 200.0f);
    EXPECT_FLOAT_EQ(fallback[toIndex(ParamId::OutputGain)], 0.0f);
}

TEST_F(Lv2Description, PresetsAreTheFactoryProgramsToTheLastBit) {
    const std::vector<Lv2Preset> presets = world.presets();
    const auto& programs = factoryPrograms();
    ASSERT_EQ(presets.size(), programs.size());
    for (size_t number = 0; number < programs.size(); ++number) {
        SCOPED_TRACE(programs[number].name.data());
        EXPECT_EQ(presets[number].uri, lv2::kPresetUriPrefix + std::to_string(number));
        EXPECT_EQ(presets[number].label, programs[number].name.data());
        for (int32_t index = 0; index < kNumParams; ++index)
            EXPECT_EQ(lv2::portValueToNorm(index, presets[number].values[size_t(index)]),
                      programs[number].values[size_t(slotOfParam(index))])
                << kParamTable[size_t(index)].name;
    }
}

TEST(Lv2PortValues, ValuesOfFewDecimalsComeBackExactlyAndOthersWithinAUnitInTheLastPlace) {
    for (int32_t index = 0; index < kNumParams; ++index) {
        if (physicalScale(index).toggled)
            continue;
        for (int step = 0; step <= 1000; ++step) {
            const float decimal = static_cast<float>(step) / 1000.0f;
            EXPECT_EQ(lv2::portValueToNorm(index, lv2::normToPortValue(index, decimal)), decimal)
                << kParamTable[size_t(index)].name << " at " << decimal;
            const float binary = static_cast<float>(step) / 1024.0f + 1e-5f;
            EXPECT_NEAR(lv2::portValueToNorm(index, lv2::normToPortValue(index, binary)), binary,
                        2e-7f)
                << kParamTable[size_t(index)].name << " at " << binary;
        }
    }
}

TEST(Lv2PortValues, OutOfRangeHostValuesAreLimitedAndSwitchesFollowTheToggleRule) {
    EXPECT_EQ(lv2::portValueToNorm(toIndex(ParamId::Gain1), 40.0f), 1.0f);
    EXPECT_EQ(lv2::portValueToNorm(toIndex(ParamId::Freq2), 0.0f), 0.0f);
    EXPECT_EQ(lv2::portValueToNorm(toIndex(ParamId::Freq2), -5.0f), 0.0f);
    EXPECT_EQ(lv2::portValueToNorm(toIndex(ParamId::OnOff3), 0.3f), 1.0f) << "above 0 is on";
    EXPECT_EQ(lv2::portValueToNorm(toIndex(ParamId::OnOff3), 0.0f), 0.0f);
    EXPECT_TRUE(std::isnan(lv2::portValueToNorm(toIndex(ParamId::Q2), NAN)));
}

} // namespace
} // namespace miral::test
