// What users type for parameters, programs and output formats, read without the plug-in.

#include "audio_files/container_limits.h"
#include "audio_files/format_probe.h"
#include "audio_files/output_format.h"
#include "engine/inverse_laws.h"
#include "engine/params.h"
#include "reporting/printable_text.h"
#include "settings/number_with_unit.h"
#include "settings/parameter_settings.h"
#include "settings/program_choice.h"
#include "usage_error.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sndfile.h>

#include <cmath>
#include <cstdio>
#include <sstream>

namespace miral::cli {
namespace {

std::vector<std::string> tableNames() {
    std::vector<std::string> names;
    for (const ParamInfo& info : kParamTable)
        names.push_back(info.name);
    return names;
}

TEST(Quantity, ReadsSignsUnitsAndExponents) {
    EXPECT_EQ(parseQuantity("+6dB").number, 6.0);
    EXPECT_EQ(parseQuantity("+6dB").unit, "db");
    EXPECT_EQ(parseQuantity(" -3 dB ").number, -3.0);
    EXPECT_EQ(parseQuantity("1.5kHz").unit, "khz");
    EXPECT_EQ(parseQuantity("1e3").number, 1000.0);
    EXPECT_EQ(parseQuantity("2").unit, "");
    for (const char* wrong : {"", "dB", "loud", "+-3", "inf", "nan", "3 d-B", "6dB!"})
        EXPECT_THROW(parseQuantity(wrong), UsageError) << wrong;
}

TEST(NamedSetting, ConvertsPhysicalValuesThroughTheInverseLaws) {
    const std::vector<std::string> names = tableNames();
    struct Case {
        const char* text;
        int32_t index;
        float value;
    };
    const Case cases[] = {
        {"Gain 3=+6dB", 8, 0.6875f},
        {"gain 3 = 6", 8, 0.6875f},
        {"Freq 3=1kHz", 9, static_cast<float>(frequencyHzToNorm(1000.0, 2))},
        {"Freq 3=1000 Hz", 9, static_cast<float>(frequencyHzToNorm(1000.0, 2))},
        {"Freq 1=20Hz", 1, 0.0f},
        {"Freq 6=18kHz", 21, 1.0f},
        {"Q 3=2", 10, static_cast<float>(qToNorm(2.0))},
        {"ON/OFF 2=off", 7, 0.0f},
        {"on/off 2=ON", 7, 1.0f},
        {"Gain Range=0.25", 24, 0.25f},
        {"Output Gain=0dB", 25, 0.5f},
        {"Output Gain=-6dB", 25, 0.0f},
    };
    for (const Case& c : cases) {
        const ParameterSetting setting = parseNamedSetting(c.text, names);
        EXPECT_EQ(setting.index, c.index) << c.text;
        EXPECT_EQ(setting.value, c.value) << c.text;
    }
}

TEST(NamedSetting, RefusesWhatCannotBeMeant) {
    const std::vector<std::string> names = tableNames();
    for (const char* wrong : {"Gain 3", "=6dB", "Gain 9=0", "Gain 3=16.5dB", "Gain 3=6Hz",
                              "Freq 2=30Hz", "Freq 2=17kHz", "Q 4=0.9", "Q 4=11", "ON/OFF 1=maybe",
                              "Gain Range=1.5", "Output Gain=+7dB", "Freq 1=-5Hz"})
        EXPECT_THROW(parseNamedSetting(wrong, names), UsageError) << wrong;
}

TEST(IndexedSetting, TakesNormalisedValuesForValidIndices) {
    EXPECT_EQ(parseIndexedSetting("8=0.25", 26).index, 8);
    EXPECT_EQ(parseIndexedSetting(" 25 = 1 ", 26).value, 1.0f);
    for (const char* wrong : {"26=0.5", "-1=0.5", "x=0.5", "3=1.5", "3=-0.1", "3=0.5dB", "3"})
        EXPECT_THROW(parseIndexedSetting(wrong, 26), UsageError) << wrong;
}

TEST(ProgramChoice, FindsByNumberFullNameOrShortName) {
    const std::vector<std::string> programs = {"00 - Flat", "01 - Bass boost", "02 - Bass cut"};
    EXPECT_EQ(findProgram("2", programs), 2);
    EXPECT_EQ(findProgram("01", programs), 1);
    EXPECT_EQ(findProgram("01 - Bass boost", programs), 1);
    EXPECT_EQ(findProgram("BASS CUT", programs), 2);
    for (const char* wrong : {"3", "-1", "Bass", "", "1x"})
        EXPECT_THROW(findProgram(wrong, programs), UsageError) << wrong;
}

TEST(OutputFormat, KeepsTheInputSampleFormatWhereTheContainerHoldsIt) {
    const int wav16 = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    const int wavFloat = SF_FORMAT_WAV | SF_FORMAT_FLOAT;
    EXPECT_EQ(outputFormat("a.wav", wav16, {}), wav16);
    EXPECT_EQ(outputFormat("dir.x/A.FLAC", wav16, {}), SF_FORMAT_FLAC | SF_FORMAT_PCM_16);
    EXPECT_EQ(outputFormat("a.flac", wavFloat, {}), SF_FORMAT_FLAC | SF_FORMAT_PCM_24);
    EXPECT_EQ(outputFormat("a.aif", wav16, {}), SF_FORMAT_AIFF | SF_FORMAT_PCM_16);
    EXPECT_EQ(outputFormat("a.ogg", wav16, {}), SF_FORMAT_OGG | SF_FORMAT_VORBIS);
    EXPECT_EQ(outputFormat("a.wav", SF_FORMAT_OGG | SF_FORMAT_VORBIS, {}),
              SF_FORMAT_WAV | SF_FORMAT_PCM_24);
    EXPECT_EQ(outputFormat("a.wav", wav16, {{}, 24, false}), SF_FORMAT_WAV | SF_FORMAT_PCM_24);
    EXPECT_EQ(outputFormat("a.wav", wav16, {{}, std::nullopt, true}), wavFloat);
    EXPECT_THROW(outputFormat("a.flac", wav16, {{}, 32, false}), UsageError);
    EXPECT_THROW(outputFormat("a", wav16, {}), UsageError);
    EXPECT_THROW(outputFormat("a.mp9", wav16, {}), UsageError);
}

TEST(OutputFormat, TypeOverridesTheExtensionAndStandardOutputKeepsTheInputContainer) {
    const int wav16 = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    EXPECT_EQ(outputFormat("a.wav", wav16, {"FLAC", {}, false}), SF_FORMAT_FLAC | SF_FORMAT_PCM_16);
    EXPECT_EQ(outputFormat("-", wav16, {}), wav16);
    EXPECT_EQ(outputFormat("-", wav16, {"au", {}, true}), SF_FORMAT_AU | SF_FORMAT_FLOAT);
    EXPECT_THROW(outputFormat("-", wav16, {"mp9", {}, false}), UsageError);
}

TEST(ContainerLimits, WavBeyondFourGibibytesBecomesRf64AndOther32BitContainersRefuse) {
    const int wav16 = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    const int64_t fits = 1'000'000'000; // 4 GB of 16-bit stereo frames would be 1.07e9
    const int64_t beyond = 1'100'000'000;
    EXPECT_EQ(formatForLength(wav16, 2, fits, "out.wav"), wav16);
    EXPECT_EQ(formatForLength(wav16, 2, beyond, "out.wav"), SF_FORMAT_RF64 | SF_FORMAT_PCM_16);
    EXPECT_EQ(formatForLength(wav16, 1, beyond, "out.wav"), wav16) << "mono takes half";
    EXPECT_THROW(formatForLength(SF_FORMAT_AIFF | SF_FORMAT_FLOAT, 2, fits, "o.aiff"), UsageError);
    EXPECT_THROW(formatForLength(SF_FORMAT_AU | SF_FORMAT_PCM_16, 2, beyond, "o.au"), UsageError);
    for (const int unlimited : {SF_FORMAT_W64 | SF_FORMAT_FLOAT, SF_FORMAT_CAF | SF_FORMAT_FLOAT,
                                SF_FORMAT_FLAC | SF_FORMAT_PCM_24})
        EXPECT_EQ(formatForLength(unlimited, 2, beyond * 4, "out"), unlimited);
    // The limit leaves room for the header: the largest count never wraps a 32-bit size.
    const uint64_t limit = *frameLimit(SF_FORMAT_WAV | SF_FORMAT_PCM_24, 2);
    EXPECT_LT(limit * 6 + 1024, 0x100000000ull);
    EXPECT_GT(limit * 6, 0xFF000000ull);
}

TEST(FormatProbe, RefusesWhatLibsndfileCannotWriteBeforeAnyWork) {
    EXPECT_NO_THROW(checkWritable(SF_FORMAT_WAV | SF_FORMAT_PCM_16, 2, 48000, "", "o.wav"));
    EXPECT_THROW(checkWritable(SF_FORMAT_SD2 | SF_FORMAT_PCM_16, 2, 48000, "", "o.sd2"),
                 UsageError);
    EXPECT_NO_THROW(checkWritable(SF_FORMAT_AU | SF_FORMAT_FLOAT, 2, 48000, "is a pipe", "-"));
    try {
        checkWritable(SF_FORMAT_WAV | SF_FORMAT_FLOAT, 2, 48000, "is a pipe", "standard output");
        ADD_FAILURE() << "WAV needs to seek back";
    } catch (const UsageError& error) {
        EXPECT_THAT(error.what(), ::testing::HasSubstr("--type au, "));
        EXPECT_THAT(error.what(), ::testing::Not(::testing::HasSubstr("wav")));
    }
}

TEST(Preset, LinesAndDirectoriesAreCheckedAndEscapesShownAsText) {
    const std::vector<std::string> names = tableNames();
    std::istringstream good("# comment\n\n  Gain 1 = +3dB\nQ 2=2\n");
    EXPECT_EQ(readPreset(good, "p", names).size(), 2u);
    std::istringstream bad("Gain 1=+3dB\n\x1b[31mGain 2=1\n");
    try {
        readPreset(bad, "p", names);
        ADD_FAILURE() << "unknown name";
    } catch (const UsageError& error) {
        EXPECT_THAT(error.what(), ::testing::HasSubstr("p:2: unknown parameter"));
        EXPECT_THAT(printable(error.what()), ::testing::HasSubstr("\"\\x1b[31mGain 2\""));
    }
    EXPECT_EQ(printable("a\tb\nc\x7f\xc3\xa9"), "a\\tb\\nc\\x7f\xc3\xa9");
    EXPECT_THROW(readPresetFile(::testing::TempDir(), names), UsageError);
}

TEST(Preset, EachFaultIsNamedWithThePresetAndItsLine) {
    std::vector<std::string> names = tableNames();
    names.push_back("Extra"); // a plug-in with a parameter beyond the equaliser's
    const struct {
        std::string text;
        const char* message;
    } cases[] = {
        {"# ok\nGain 1\n", "p:2: \"Gain 1\" is not of the form NAME=VALUE"},
        {"Gain 9=1\n", "p:1: unknown parameter \"Gain 9\" (miral info lists the names)"},
        {"Extra=1\n", "p:1: parameter \"Extra\" has no known unit"},
        {"Gain 1=loud\n", "p:1: Gain 1: \"loud\" is not a number"},
        {"Freq 1=90kHz\n", "p:1: Freq 1: 90kHz is outside the range 20 Hz .. 2000 Hz"},
        {"Q 1=2\n" + std::string("Q 2=2\0\n", 7), "p:2: a NUL byte (is it a text file?)"},
    };
    for (const auto& c : cases) {
        std::istringstream text(c.text);
        try {
            readPreset(text, "p", names);
            ADD_FAILURE() << c.text;
        } catch (const UsageError& error) {
            EXPECT_STREQ(error.what(), c.message);
        }
    }
}

TEST(ParameterRange, PhysicalUnitsMatchTheParser) {
    const std::vector<std::string> names = tableNames();
    for (int32_t i = 0; i < kNumParams; ++i) {
        const ParameterRange range = parameterRange(i);
        SCOPED_TRACE(names[static_cast<size_t>(i)]);
        EXPECT_LT(range.minimum, range.maximum);
        if (std::string(range.kind) == "switch")
            continue;
        // The ends of the range read back as the ends of the normalised range.
        for (const auto& [physical, norm] :
             {std::pair{range.minimum, 0.0f}, {range.maximum, 1.0f}}) {
            char text[64];
            std::snprintf(text, sizeof text, "%s=%.9g%s", names[static_cast<size_t>(i)].c_str(),
                          physical, range.unit);
            EXPECT_NEAR(parseNamedSetting(text, names).value, norm, 1e-6) << text;
            EXPECT_NEAR(physicalValue(i, norm), physical, 1e-9 * std::fabs(physical) + 1e-12);
        }
    }
    EXPECT_EQ(physicalValue(toIndex(ParamId::Gain1), 0.5f), 0.0);
}

} // namespace
} // namespace miral::cli
