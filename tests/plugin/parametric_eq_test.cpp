#include "plugin/parametric_eq_edit.h"

#include "engine/laws.h"
#include "host/host_callback.h"
#include "platform/notice.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

using namespace miral;

namespace {

using host::hostCallback;

std::vector<std::string> noticesSeen;
void recordNotice(const char* text, const char* caption) {
    noticesSeen.push_back(std::string(caption) + "|" + text);
}

class EffectTest : public ::testing::Test {
protected:
    void SetUp() override {
        previous = platform::setNoticeHandler(recordNotice);
        noticesSeen.clear();
    }
    void TearDown() override { platform::setNoticeHandler(previous); }

    intptr_t dispatch(int32_t opcode, int32_t index = 0, intptr_t value = 0, void* ptr = nullptr,
                      float opt = 0) {
        AEffect* record = effect->getAeffect();
        return record->dispatcher(record, opcode, index, value, ptr, opt);
    }
    std::string text(int32_t opcode, int32_t index = 0) {
        char buffer[64] = {};
        dispatch(opcode, index, 0, buffer);
        return buffer;
    }

    std::unique_ptr<ParametricEqEdit> effect = std::make_unique<ParametricEqEdit>(hostCallback);
    platform::NoticeHandler previous = nullptr;
};

TEST_F(EffectTest, PresentsItsIdentityToTheHost) {
    const AEffect& record = *effect->getAeffect();
    EXPECT_EQ(record.uniqueID, 0x39387a34);
    EXPECT_EQ(record.numPrograms, 9);
    EXPECT_EQ(record.numParams, 26);
    EXPECT_EQ(record.numInputs, 2);
    EXPECT_EQ(record.numOutputs, 2);
    EXPECT_EQ(record.flags, effFlagsHasEditor | effFlagsHasVu | effFlagsCanReplacing);
    EXPECT_EQ(text(effGetEffectName), "MIRAL");
    EXPECT_EQ(text(effGetVendorString), "TOLMEK Soft");
    EXPECT_EQ(text(effGetProductString), "TOLMEK Soft MIRAL");
    EXPECT_EQ(dispatch(effGetVendorVersion), 1000);
    EXPECT_EQ(dispatch(effGetPlugCategory), 1);
    EXPECT_EQ(dispatch(effCanDo, 0, 0, const_cast<char*>("bypass")), 0);
    EXPECT_EQ(dispatch(effGetVstVersion), 2300);
}

TEST_F(EffectTest, StartsOnTheFlatProgramWithDefaultValues) {
    EXPECT_EQ(dispatch(effGetProgram), 0);
    EXPECT_EQ(text(effGetProgramName), "00 - Flat");
    for (int32_t i = 0; i < kNumParams; ++i)
        EXPECT_EQ(effect->getParameter(i), kParamTable[static_cast<size_t>(i)].defaultValue) << i;
}

TEST_F(EffectTest, NamesTheNineFactoryPrograms) {
    const char* names[] = {
        "00 - Flat",     "01 - Bass boost", "02 - Bass cut",        "03 - Bright and fat",
        "04 - Loudness", "05 - No hiss",    "06 - Pump up da bass", "07 - Presence",
        "08 - Contour"};
    for (int32_t p = 0; p < 9; ++p)
        EXPECT_EQ(text(effGetProgramNameIndexed, p), names[p]);
    char untouched[8] = "keep";
    EXPECT_EQ(dispatch(effGetProgramNameIndexed, 9, 0, untouched), 0);
    EXPECT_STREQ(untouched, "keep");
}

TEST_F(EffectTest, LoadsProgramValuesInKindGroupedSlots) {
    dispatch(effSetProgram, 0, 3);
    EXPECT_EQ(effect->getParameter(toIndex(ParamId::Freq5)), 1.0f);
    EXPECT_EQ(effect->getParameter(toIndex(ParamId::Q2)), 0.0f);
    EXPECT_EQ(effect->getParameter(toIndex(ParamId::Gain1)), 0.0f);
    dispatch(effSetProgram, 0, 8);
    EXPECT_EQ(effect->getParameter(toIndex(ParamId::Freq3)), 0.45f);
    EXPECT_EQ(effect->getParameter(toIndex(ParamId::Q4)), 0.0f);
    EXPECT_EQ(effect->getParameter(toIndex(ParamId::Gain6)), 0.6f);
    EXPECT_EQ(effect->engine().band(5).gainDb, normToGainDb(0.6f));
}

TEST_F(EffectTest, EditsAreStoredInTheCurrentProgram) {
    dispatch(effSetProgram, 0, 1);
    effect->getAeffect()->setParameter(effect->getAeffect(), 5, 0.3f);
    dispatch(effSetProgram, 0, 2);
    EXPECT_EQ(effect->getParameter(5), 0.25f);
    dispatch(effSetProgram, 0, 1);
    EXPECT_EQ(effect->getParameter(5), 0.3f);
}

TEST_F(EffectTest, OutOfRangeProgramsAreIgnored) {
    dispatch(effSetProgram, 0, 4);
    dispatch(effSetProgram, 0, 9);
    dispatch(effSetProgram, 0, -1);
    EXPECT_EQ(dispatch(effGetProgram), 4);
}

TEST_F(EffectTest, InitProgramsReadWithTheirNumber) {
    dispatch(effSetProgram, 0, 4);
    dispatch(effSetProgramName, 0, 0, const_cast<char*>("Init"));
    EXPECT_EQ(text(effGetProgramName), "Init 5");
    EXPECT_EQ(text(effGetProgramNameIndexed, 4), "Init");
    dispatch(effSetProgramName, 0, 0, const_cast<char*>("init"));
    EXPECT_EQ(text(effGetProgramName), "init");
}

TEST_F(EffectTest, LongProgramNamesKeepTheirFirst23Characters) {
    dispatch(effSetProgramName, 0, 0, const_cast<char*>("A name far longer than the field holds"));
    EXPECT_EQ(text(effGetProgramName), "A name far longer than ");
    EXPECT_EQ(text(effGetProgramNameIndexed, 0).size(), 23u);
}

TEST_F(EffectTest, HostTextsOfTheParameters) {
    dispatch(effSetProgram, 0, 6);
    EXPECT_EQ(text(effGetParamName, 25), "Output Gain");
    EXPECT_EQ(text(effGetParamLabel, 0), " dB ");
    EXPECT_EQ(text(effGetParamLabel, 24), "    ");
    EXPECT_EQ(text(effGetParamDisplay, 4), "12.79999"); // 0.9f maps just below 12.8 dB; truncated
    EXPECT_EQ(text(effGetParamDisplay, 3), "1.000000"); // switch as a number
    EXPECT_EQ(text(effGetParamDisplay, 21), "3000.000");
    char untouched[8] = "keep";
    dispatch(effGetParamName, 26, 0, untouched);
    EXPECT_STREQ(untouched, "keep");
}

TEST_F(EffectTest, EveryLowSampleRateIsNoticed) {
    dispatch(effSetSampleRate, 0, 0, nullptr, 32000.0f);
    ASSERT_EQ(noticesSeen.size(), 1u);
    EXPECT_EQ(noticesSeen[0], "MIRAL|sampling frequency must be>=44100 - MIRAL has been bypassed");
    dispatch(effSetSampleRate, 0, 0, nullptr, 22050.0f);
    EXPECT_EQ(noticesSeen.size(), 2u);
    dispatch(effSetSampleRate, 0, 0, nullptr, 48000.0f);
    dispatch(effSetSampleRate, 0, 0, nullptr, 44100.0f);
    EXPECT_EQ(noticesSeen.size(), 2u);
}

TEST_F(EffectTest, WhileBypassedProgramChangesMoveOnlyTheProgramNumber) {
    dispatch(effSetSampleRate, 0, 0, nullptr, 22050.0f);
    dispatch(effSetProgram, 0, 6);
    EXPECT_EQ(dispatch(effGetProgram), 6);
    EXPECT_EQ(effect->getParameter(4), 0.5f);
    dispatch(effSetSampleRate, 0, 0, nullptr, 48000.0f);
    EXPECT_EQ(effect->getParameter(4), 0.9f) << "gains come back from the current program";
    EXPECT_EQ(effect->getParameter(5), 0.5f) << "other values stay";
}

TEST_F(EffectTest, ProcessesThroughTheRecord) {
    AEffect* record = effect->getAeffect();
    dispatch(effSetSampleRate, 0, 0, nullptr, 44100.0f);
    dispatch(effSetBlockSize, 0, 64);
    dispatch(effMainsChanged, 0, 1);
    std::vector<float> left(64, 0.25f), right(64, -0.5f), outL(64), outR(64);
    float* in[2] = {left.data(), right.data()};
    float* out[2] = {outL.data(), outR.data()};
    record->processReplacing(record, in, out, 64);
    EXPECT_EQ(outL, left);
    EXPECT_EQ(outR, right);
    std::fill(outL.begin(), outL.end(), 9.0f);
    record->process(record, in, out, 64);
    EXPECT_EQ(outL, left) << "process replaces the output";
}

} // namespace
