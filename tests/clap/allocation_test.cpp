// The audio thread's work allocates nothing: blocks with parameter and modulation events, late
// and out-of-order ones included, and a reset.
#include "clap_test_host.h"

#include "test_support/counted_allocations.h"

#include <gtest/gtest.h>

namespace miral::clap_test {
namespace {

TEST(ClapAllocations, ProcessingWithEventsAllocatesNothing) {
    Instance instance;
    ASSERT_TRUE(instance.valid());
    ASSERT_TRUE(instance.start(96000.0, 1024));
    const AudioBlock input(2, 1024);
    AudioBlock output(2, 1024);
    EventList events;
    for (uint32_t i = 0; i < 26; ++i)
        events.addValue(i * 37, i, 0.5);
    events.addModulation(900, 0, 3.0);
    events.addValue(10, 5, 1000.0);
    events.addValue(5000, 25, -3.0);
    instance.process(input, output, events); // the output list's first growth, in the host
    instance.sentEvents.reserve(16);
    const clap_plugin_t* plugin = instance.plugin();
    const long before = testing::allocationCount();
    for (int block = 0; block < 10; ++block)
        EXPECT_EQ(instance.process(input, output, events), CLAP_PROCESS_CONTINUE);
    plugin->reset(plugin);
    EXPECT_EQ(testing::allocationCount(), before);
}

} // namespace
} // namespace miral::clap_test
