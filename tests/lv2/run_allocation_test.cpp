// The plug-in's run allocates nothing, also when it takes new port values: this test program
// counts every allocation, those of the loaded plug-in library included.

#include "test_support/counted_allocations.h"
#include "test_support/lv2_test_host.h"

#include "lv2/ports.h"

#include <gtest/gtest.h>

#include <new>
#include <vector>

namespace miral::test {
namespace {

TEST(Lv2RunAllocation, RunningAndTakingPortValuesAllocateNothing) {
    Lv2World world;
    ASSERT_NE(world.plugin(), nullptr);
    const std::vector<Lv2Preset> presets = world.presets();
    for (const double rate : {48000.0, 32000.0}) {
        Lv2Instance plugin(world, rate);
        ASSERT_NE(plugin.instance(), nullptr);
        for (const Lv2Preset& preset : presets) {
            plugin.controls = preset.values;
            plugin.controls[toIndex(ParamId::Freq3)] += 1.5f;
            plugin.controls[toIndex(ParamId::OnOff4)] = 0.4f;
            std::vector<float> left(512, 0.5f), right(512, -0.5f), outLeft(512), outRight(512);
            lilv_instance_connect_port(plugin.instance(), lv2::kInputLeft, left.data());
            lilv_instance_connect_port(plugin.instance(), lv2::kInputRight, right.data());
            lilv_instance_connect_port(plugin.instance(), lv2::kOutputLeft, outLeft.data());
            lilv_instance_connect_port(plugin.instance(), lv2::kOutputRight, outRight.data());
            const long before = testing::allocationCount();
            lilv_instance_run(plugin.instance(), 512);
            EXPECT_EQ(testing::allocationCount(), before) << preset.label << " at " << rate;
        }
    }
    // The counter does count: the test would see an allocation made while running.
    const long before = testing::allocationCount();
    // A direct call of the allocation function: unlike a new-expression, no compiler may omit it.
    ::operator delete(::operator new(sizeof(int)));
    EXPECT_EQ(testing::allocationCount(), before + 1) << "the counter counts";
}

} // namespace
} // namespace miral::test
