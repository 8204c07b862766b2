// Calls from a thread CLAP does not allow for them, as the host's thread check tells, are
// refused and change nothing.
#include "clap_test_host.h"

#include <gtest/gtest.h>

#include <vector>

namespace miral::clap_test {
namespace {

class ClapThreads : public ::testing::Test {
protected:
    void SetUp() override {
        hostRecord().offerThreadCheck = true;
        instance = std::make_unique<Instance>();
        ASSERT_TRUE(instance->valid());
    }
    void TearDown() override {
        hostRecord().onMainThread = hostRecord().onAudioThread = true;
        instance.reset();
        hostRecord().offerThreadCheck = false;
    }

    std::unique_ptr<Instance> instance;
};

TEST_F(ClapThreads, MainThreadCallsFromAnotherThreadAreRefused) {
    const clap_plugin_t* plugin = instance->plugin();
    MemoryOutput saved;
    ASSERT_TRUE(instance->state().save(plugin, saved.stream()));
    hostRecord().onMainThread = false;
    EXPECT_FALSE(plugin->activate(plugin, 48000.0, 1, 64));
    MemoryOutput refused;
    EXPECT_FALSE(instance->state().save(plugin, refused.stream()));
    MemoryInput input(saved.bytes);
    EXPECT_FALSE(instance->state().load(plugin, input.stream()));
    double value = 0.0;
    EXPECT_FALSE(instance->params().get_value(plugin, 0, &value));
    hostRecord().onMainThread = true;
    EXPECT_TRUE(instance->start(48000.0, 64));
}

TEST_F(ClapThreads, AudioThreadCallsFromAnotherThreadAreRefused) {
    ASSERT_TRUE(instance->start(48000.0, 64));
    const AudioBlock input(2, 64);
    AudioBlock output(2, 64);
    EventList events;
    events.addValue(0, 0, 5.0);
    hostRecord().onAudioThread = false;
    EXPECT_EQ(instance->process(input, output, events), CLAP_PROCESS_ERROR);
    EXPECT_EQ(instance->value(0), 0.0) << "the refused block's events are not applied";
    EXPECT_FALSE(instance->plugin()->start_processing(instance->plugin()));
    hostRecord().onAudioThread = true;
    EXPECT_EQ(instance->process(input, output, events), CLAP_PROCESS_CONTINUE);
    EXPECT_EQ(instance->value(0), 5.0);
}

} // namespace
} // namespace miral::clap_test
