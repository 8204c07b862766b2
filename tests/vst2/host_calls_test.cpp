#include "test_effect.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// A host that records every call and answers with a preset value.
struct HostCall {
    AEffect* effect;
    int32_t opcode;
    int32_t index;
    intptr_t value;
    std::string text;
    float opt;
};

std::vector<HostCall> hostCalls;
intptr_t hostAnswer = 0;
// What the effect's last parameter looked like when the host heard about it.
int32_t parameterSeenByHost = -1;
TestEffect* observedEffect = nullptr;

intptr_t VST2_CALL recordingHost(AEffect* effect, int32_t opcode, int32_t index, intptr_t value,
                                 void* ptr, float opt) {
    const char* text = opcode == audioMasterCanDo ? static_cast<const char*>(ptr) : "";
    hostCalls.push_back({effect, opcode, index, value, text, opt});
    if (observedEffect != nullptr) {
        parameterSeenByHost = observedEffect->lastParamIndex;
    }
    return hostAnswer;
}

class HostCalls : public testing::Test {
protected:
    void SetUp() override {
        hostCalls.clear();
        hostAnswer = 1;
        parameterSeenByHost = -1;
        observedEffect = &effect;
    }
    void TearDown() override { observedEffect = nullptr; }

    TestEffect effect{recordingHost};
};

TEST_F(HostCalls, AutomatedParameterIsSetBeforeTheHostIsTold) {
    effect.setParameterAutomated(7, 0.25f);

    EXPECT_EQ(effect.lastParamIndex, 7);
    EXPECT_EQ(effect.lastParamValue, 0.25f);
    ASSERT_EQ(hostCalls.size(), 1u);
    EXPECT_EQ(hostCalls[0].effect, effect.getAeffect());
    EXPECT_EQ(hostCalls[0].opcode, audioMasterAutomate);
    EXPECT_EQ(hostCalls[0].index, 7);
    EXPECT_EQ(hostCalls[0].opt, 0.25f);
    EXPECT_EQ(parameterSeenByHost, 7);
}

TEST_F(HostCalls, EachWrapperSendsItsOpcodeAndArguments) {
    hostAnswer = 2300;
    EXPECT_EQ(effect.getMasterVersion(), 2300);
    hostAnswer = 1;
    EXPECT_TRUE(effect.masterIdle());
    EXPECT_EQ(effect.canHostDo("sizeWindow"), 1);
    EXPECT_TRUE(effect.sizeWindow(420, 290));
    EXPECT_TRUE(effect.beginEdit(12));
    EXPECT_TRUE(effect.endEdit(12));

    ASSERT_EQ(hostCalls.size(), 6u);
    EXPECT_EQ(hostCalls[0].opcode, audioMasterVersion);
    EXPECT_EQ(hostCalls[1].opcode, audioMasterIdle);
    EXPECT_EQ(hostCalls[2].opcode, audioMasterCanDo);
    EXPECT_EQ(hostCalls[2].text, "sizeWindow");
    EXPECT_EQ(hostCalls[3].opcode, audioMasterSizeWindow);
    EXPECT_EQ(hostCalls[3].index, 420);
    EXPECT_EQ(hostCalls[3].value, 290);
    EXPECT_EQ(hostCalls[4].opcode, audioMasterBeginEdit);
    EXPECT_EQ(hostCalls[4].index, 12);
    EXPECT_EQ(hostCalls[5].opcode, audioMasterEndEdit);
    EXPECT_EQ(hostCalls[5].index, 12);
    for (const HostCall& call : hostCalls) {
        EXPECT_EQ(call.effect, effect.getAeffect());
    }
}

TEST_F(HostCalls, HostRefusalsReadAsFalse) {
    hostAnswer = 0;
    EXPECT_FALSE(effect.masterIdle());
    EXPECT_EQ(effect.canHostDo("sizeWindow"), 0);
    EXPECT_FALSE(effect.sizeWindow(420, 290));
    EXPECT_EQ(effect.getMasterVersion(), 0);
}

TEST_F(HostCalls, NullCapabilityTextIsNotSent) {
    EXPECT_EQ(effect.canHostDo(nullptr), 0);
    EXPECT_TRUE(hostCalls.empty());
}

TEST(HostCallsWithoutHost, EveryWrapperAnswersZero) {
    TestEffect effect(nullptr);

    effect.setParameterAutomated(3, 0.5f);
    EXPECT_EQ(effect.lastParamIndex, 3); // the parameter is still set
    EXPECT_EQ(effect.getMasterVersion(), 0);
    EXPECT_FALSE(effect.masterIdle());
    EXPECT_EQ(effect.canHostDo("sizeWindow"), 0);
    EXPECT_FALSE(effect.sizeWindow(420, 290));
    EXPECT_FALSE(effect.beginEdit(0));
    EXPECT_FALSE(effect.endEdit(0));
}

} // namespace
