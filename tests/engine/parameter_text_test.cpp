#include "engine/parameter_kinds.h"
#include "engine/parameter_text.h"
#include "engine/params.h"
#include "engine/physical_units.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace miral {
namespace {

struct Typed {
    int32_t index;
    const char* text;
    TextReading reading;
    float normalised;
};

TEST(ValueFromText, TakesEachKindInItsUnitAndSaysWhatIsWrongOtherwise) {
    const Typed cases[] = {
        {toIndex(ParamId::Gain3), "+6dB", TextReading::Value, 0.6875f},
        {toIndex(ParamId::Gain3), " 6 DB ", TextReading::Value, 0.6875f},
        {toIndex(ParamId::Gain3), "-16", TextReading::Value, 0.0f},
        {toIndex(ParamId::Gain3), "6Hz", TextReading::WrongUnit, 0.0f},
        {toIndex(ParamId::Gain3), "6dB!", TextReading::NotANumberWithUnit, 0.0f},
        {toIndex(ParamId::Gain3), "3 d-B", TextReading::NotANumberWithUnit, 0.0f},
        {toIndex(ParamId::Gain3), "loud", TextReading::NotANumber, 0.0f},
        {toIndex(ParamId::Gain3), "+-3", TextReading::NotANumber, 0.0f},
        {toIndex(ParamId::Gain3), "inf", TextReading::NotANumber, 0.0f},
        {toIndex(ParamId::Gain3), "", TextReading::NotANumber, 0.0f},
        {toIndex(ParamId::Gain3), "16.5dB", TextReading::OutOfRange, 0.0f},
        {toIndex(ParamId::Freq1), "20Hz", TextReading::Value, 0.0f},
        {toIndex(ParamId::Freq6), "18kHz", TextReading::Value, 1.0f},
        {toIndex(ParamId::Freq6), "18 K", TextReading::Value, 1.0f},
        {toIndex(ParamId::Freq2), "17kHz", TextReading::OutOfRange, 0.0f},
        {toIndex(ParamId::Freq1), "-5Hz", TextReading::OutOfRange, 0.0f},
        {toIndex(ParamId::Freq1), "0", TextReading::OutOfRange, 0.0f},
        {toIndex(ParamId::Q4), "10", TextReading::Value, 1.0f},
        {toIndex(ParamId::Q4), "3dB", TextReading::WrongUnit, 0.0f},
        {toIndex(ParamId::Q4), "0.9", TextReading::OutOfRange, 0.0f},
        {toIndex(ParamId::OnOff2), "Off", TextReading::Value, 0.0f},
        {toIndex(ParamId::OnOff2), " YES ", TextReading::Value, 1.0f},
        {toIndex(ParamId::OnOff2), "1", TextReading::Value, 1.0f},
        {toIndex(ParamId::OnOff2), "0.7", TextReading::NotASwitchValue, 0.0f},
        {toIndex(ParamId::GainRange), "0.25", TextReading::Value, 0.25f},
        {toIndex(ParamId::GainRange), "1.5", TextReading::OutOfRange, 0.0f},
        {toIndex(ParamId::OutputGain), "0dB", TextReading::Value, 0.5f},
        {toIndex(ParamId::OutputGain), "-6", TextReading::Value, 0.0f},
        {toIndex(ParamId::OutputGain), "+7dB", TextReading::OutOfRange, 0.0f},
    };
    for (const Typed& typed : cases) {
        SCOPED_TRACE(std::string(kParamTable[size_t(typed.index)].name) + " = \"" + typed.text +
                     "\"");
        const ValueFromText read = valueFromText(typed.index, typed.text);
        EXPECT_EQ(read.reading, typed.reading);
        if (read.reading == TextReading::Value) {
            EXPECT_EQ(read.normalised, typed.normalised);
        }
    }
}

TEST(ValueFromText, GivesBackEveryValueOfFewDecimalsFromItsPhysicalText) {
    for (int32_t index = 0; index < kNumParams; ++index) {
        const PhysicalScale scale = physicalScale(index);
        for (int step = 0; step <= 1000; ++step) {
            const float value = scale.toggled ? (step < 500 ? 0.0f : 1.0f) : float(step) / 1000.0f;
            char text[32];
            std::snprintf(text, sizeof text, "%.9g%s",
                          static_cast<float>(normToPhysical(index, value)), unitSymbol(scale.unit));
            const ValueFromText read = valueFromText(index, text);
            ASSERT_EQ(read.reading, TextReading::Value) << text;
            EXPECT_EQ(read.normalised, value) << kParamTable[size_t(index)].name << " " << text;
        }
    }
}

TEST(ReadoutText, ShowsEveryKindWithItsDecimalsAndUnit) {
    EXPECT_EQ(readoutText(toIndex(ParamId::Gain1), 0.5f), "0.0dB");
    EXPECT_EQ(readoutText(toIndex(ParamId::Freq6), 0.5f), "3000Hz");
    EXPECT_EQ(readoutText(toIndex(ParamId::Freq1), 0.0f), "20Hz");
    EXPECT_EQ(readoutText(toIndex(ParamId::Q1), 0.0f), "1.0") << "shelves' Q reads too";
    EXPECT_EQ(readoutText(toIndex(ParamId::OnOff6), 0.25f), "ON") << "any value but 0";
    EXPECT_EQ(readoutText(toIndex(ParamId::OnOff6), 0.0f), "OFF");
    EXPECT_EQ(readoutText(toIndex(ParamId::GainRange), 0.0f), "0.0");
    EXPECT_EQ(readoutText(toIndex(ParamId::OutputGain), 0.25f), "-8.7dB")
        << "the readout scale, not the applied -3 dB";
}

TEST(ParameterKinds, BandParametersShareTheirKindAndOnlyFrequencyRangesDifferByBand) {
    for (int32_t band = 0; band < kNumBands; ++band)
        for (const BandParamKind kind : {BandParamKind::Gain, BandParamKind::Frequency,
                                         BandParamKind::Q, BandParamKind::OnOff}) {
            const int32_t index = bandParamIndex(band, kind);
            EXPECT_EQ(&kindInfoOf(index), &kindInfoOf(bandParamIndex(0, kind)));
            if (kind != BandParamKind::Frequency) {
                EXPECT_EQ(physicalScale(index).atZero,
                          physicalScale(bandParamIndex(0, kind)).atZero);
                EXPECT_EQ(physicalScale(index).atOne, physicalScale(bandParamIndex(0, kind)).atOne);
            }
        }
    EXPECT_DOUBLE_EQ(physicalScale(toIndex(ParamId::Freq2)).atOne, 16000.0);
    EXPECT_EQ(physicalScale(toIndex(ParamId::Freq6)).atZero, 500.0);
    EXPECT_STREQ(kindInfoOf(toIndex(ParamId::GainRange)).name, "gain range");
    EXPECT_STREQ(kindInfoOf(toIndex(ParamId::OutputGain)).name, "output gain");
}

} // namespace
} // namespace miral
