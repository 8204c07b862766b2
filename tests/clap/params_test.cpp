// The parameters as hosts list, show and parse them.
#include "clap_test_host.h"

#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <string>

namespace miral::clap_test {
namespace {

constexpr uint32_t kParams = 26;

clap_param_info_t infoOf(const Instance& instance, uint32_t index) {
    clap_param_info_t info{};
    EXPECT_TRUE(instance.params().get_info(instance.plugin(), index, &info));
    return info;
}

std::string textOf(const Instance& instance, clap_id id, double value) {
    char text[64] = "unset";
    EXPECT_TRUE(instance.params().value_to_text(instance.plugin(), id, value, text, sizeof text));
    return text;
}

class ClapParams : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(instance.valid()); }
    Instance instance;
};

TEST_F(ClapParams, TwentySixParametersWithStableIdsGroupedByBand) {
    ASSERT_EQ(instance.params().count(instance.plugin()), kParams);
    clap_param_info_t info{};
    EXPECT_FALSE(instance.params().get_info(instance.plugin(), kParams, &info));
    std::set<std::string> names;
    for (uint32_t i = 0; i < kParams; ++i) {
        info = infoOf(instance, i);
        EXPECT_EQ(info.id, i);
        names.insert(info.name);
        const std::string module = i < 24 ? "Band " + std::to_string(i / 4 + 1) : "Output";
        EXPECT_EQ(info.module, module) << i;
        EXPECT_NE(info.flags & CLAP_PARAM_IS_AUTOMATABLE, 0u);
        EXPECT_LE(info.min_value, info.default_value);
        EXPECT_LE(info.default_value, info.max_value);
        EXPECT_DOUBLE_EQ(instance.value(i), info.default_value);
    }
    EXPECT_EQ(names.size(), kParams);
    EXPECT_STREQ(infoOf(instance, 0).name, "Gain 1");
    EXPECT_STREQ(infoOf(instance, 25).name, "Output Gain");
}

TEST_F(ClapParams, RangesAreInDecibelsHertzAndQWithSteppedSwitches) {
    const clap_param_info_t gain = infoOf(instance, 0);
    EXPECT_EQ(gain.min_value, -16.0);
    EXPECT_EQ(gain.max_value, 16.0);
    EXPECT_EQ(gain.default_value, 0.0);
    EXPECT_NE(gain.flags & CLAP_PARAM_IS_MODULATABLE, 0u);
    const clap_param_info_t frequency1 = infoOf(instance, 1);
    EXPECT_NEAR(frequency1.min_value, 20.0, 1e-9);
    EXPECT_NEAR(frequency1.max_value, 2000.0, 1e-9);
    EXPECT_EQ(frequency1.flags & CLAP_PARAM_IS_MODULATABLE, 0u);
    const clap_param_info_t frequency6 = infoOf(instance, 21);
    EXPECT_NEAR(frequency6.min_value, 500.0, 1e-9);
    EXPECT_NEAR(frequency6.max_value, 18000.0, 1e-9);
    const clap_param_info_t q = infoOf(instance, 2);
    EXPECT_NEAR(q.min_value, 1.0, 1e-12);
    EXPECT_NEAR(q.max_value, 10.0, 1e-12);
    for (const uint32_t onOff : {3u, 7u, 11u, 15u, 19u, 23u}) {
        const clap_param_info_t info = infoOf(instance, onOff);
        EXPECT_NE(info.flags & CLAP_PARAM_IS_STEPPED, 0u);
        EXPECT_EQ(info.min_value, 0.0);
        EXPECT_EQ(info.max_value, 1.0);
        EXPECT_EQ(info.default_value, 1.0);
    }
    const clap_param_info_t output = infoOf(instance, 25);
    EXPECT_EQ(output.min_value, -6.0);
    EXPECT_EQ(output.max_value, 6.0);
    EXPECT_NE(output.flags & CLAP_PARAM_IS_MODULATABLE, 0u);
}

TEST_F(ClapParams, TextShowsUnitsAndParsesBackToTheSameText) {
    for (uint32_t id = 0; id < kParams; ++id) {
        const clap_param_info_t info = infoOf(instance, id);
        for (const double fraction : {0.0, 0.13, 0.5, 0.77, 1.0}) {
            const double value = info.min_value + fraction * (info.max_value - info.min_value);
            const std::string text = textOf(instance, id, value);
            double parsed = NAN;
            ASSERT_TRUE(
                instance.params().text_to_value(instance.plugin(), id, text.c_str(), &parsed))
                << id << " " << text;
            EXPECT_EQ(textOf(instance, id, parsed), text) << id;
            if ((info.flags & CLAP_PARAM_IS_STEPPED) == 0) {
                EXPECT_NEAR(parsed, value, 0.051 + 0.0005 * std::fabs(value)) << id << " " << text;
            }
        }
    }
    EXPECT_EQ(textOf(instance, 0, -3.5), "-3.5 dB");
    EXPECT_EQ(textOf(instance, 0, -0.01), "0.0 dB");
    EXPECT_EQ(textOf(instance, 1, 440.0), "440.0 Hz");
    EXPECT_EQ(textOf(instance, 5, 12000.0), "12000 Hz");
    EXPECT_EQ(textOf(instance, 2, 2.5), "2.50");
    EXPECT_EQ(textOf(instance, 3, 1.0), "On");
    EXPECT_EQ(textOf(instance, 3, 0.0), "Off");
}

TEST_F(ClapParams, TypedTextTakesUnitsAndIsLimitedToTheRange) {
    struct Case {
        clap_id id;
        const char* text;
        double value;
    };
    for (const Case& c :
         {Case{5, "1.5 kHz", 1500.0}, Case{5, "1.5k", 1500.0}, Case{5, " 800 hz ", 800.0},
          Case{0, "+3 dB", 3.0}, Case{0, "-40", -16.0}, Case{1, "1", 20.0}, Case{3, "off", 0.0},
          Case{3, "ON", 1.0}, Case{3, "yes", 1.0}, Case{24, "0.25", 0.25}}) {
        double value = NAN;
        ASSERT_TRUE(instance.params().text_to_value(instance.plugin(), c.id, c.text, &value))
            << c.text;
        EXPECT_NEAR(value, c.value, 1e-9) << c.text;
    }
    for (const char* garbage : {"", "dB", "loud", "3 Hz", "nan", "inf", "1e999", "5 kHzz"}) {
        double value = 0.0;
        EXPECT_FALSE(instance.params().text_to_value(instance.plugin(), 0, garbage, &value))
            << garbage;
    }
    double value = 0.0;
    EXPECT_FALSE(instance.params().text_to_value(instance.plugin(), 3, "0.9", &value));
    EXPECT_FALSE(instance.params().text_to_value(instance.plugin(), kParams, "1", &value));
    EXPECT_FALSE(instance.params().text_to_value(instance.plugin(), 0, nullptr, &value));
}

TEST_F(ClapParams, TextThatDoesNotFitIsRefused) {
    char text[4] = "xyz";
    EXPECT_FALSE(instance.params().value_to_text(instance.plugin(), 1, 440.0, text, sizeof text));
    EXPECT_FALSE(instance.params().value_to_text(instance.plugin(), 1, 440.0, text, 0));
    EXPECT_FALSE(instance.params().value_to_text(instance.plugin(), kParams, 0.0, text, 4));
    EXPECT_TRUE(instance.params().value_to_text(instance.plugin(), 3, 0.0, text, sizeof text));
    EXPECT_STREQ(text, "Off");
}

} // namespace
} // namespace miral::clap_test
