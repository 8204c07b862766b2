// miral process, run as a process on small generated files.

#include "test_support/command_runner.h"
#include "test_support/temporary_folder.h"
#include "test_support/test_audio.h"

#include "effect/eq_program.h"
#include "engine/eq_engine.h"
#include "engine/inverse_laws.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <limits>
#include <thread>

namespace miral::test {
namespace {

namespace fs = std::filesystem;

constexpr int kWavFloat = SF_FORMAT_WAV | SF_FORMAT_FLOAT;
constexpr int kWav16 = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
constexpr int kWav24 = SF_FORMAT_WAV | SF_FORMAT_PCM_24;
constexpr int kFlac16 = SF_FORMAT_FLAC | SF_FORMAT_PCM_16;
constexpr int kRate = 48000;
constexpr int64_t kFrames = kRate; // one second: whole periods of every test tone per half

class ProcessCommand : public TemporaryFolder {
protected:
    CommandResult process(const std::string& in, const std::string& out,
                          std::vector<std::string> options = {}) {
        std::vector<std::string> args = {"process", in, out, "--plugin", MIRAL_VST_PATH, "-q"};
        args.insert(args.end(), options.begin(), options.end());
        return runMiral(dir_, args);
    }
};

TEST_F(ProcessCommand, FlatProgramPassesFloatFilesBitExactInMonoAndStereo) {
    for (const int channels : {1, 2}) {
        const Audio input = noise(kWavFloat, channels, 44100, 10000, 0.9);
        writeAudio(path("in.wav"), input);
        const CommandResult result = process("in.wav", "out.wav");
        ASSERT_EQ(result.status, 0) << result.err;
        const Audio output = readAudio(path("out.wav"));
        EXPECT_EQ(output.format, kWavFloat);
        EXPECT_EQ(output.channels, channels);
        EXPECT_EQ(output.rate, 44100);
        EXPECT_EQ(output.samples, input.samples);
    }
}

TEST_F(ProcessCommand, IntegerFilesKeepTheirSamplesThroughTheFlatProgram) {
    for (const int format : {kWav16, kWav24, kFlac16}) {
        const std::string in =
            (format & SF_FORMAT_TYPEMASK) == SF_FORMAT_FLAC ? "in.flac" : "in.wav";
        const std::string out = "out" + fs::path(in).extension().string();
        writeAudio(path(in), noise(format, 2, kRate, 5000, 0.99));
        ASSERT_EQ(process(in, out).status, 0);
        const Audio input = readAudio(path(in));
        const Audio output = readAudio(path(out));
        EXPECT_EQ(output.format, format);
        EXPECT_EQ(output.samples, input.samples);
    }
}

TEST_F(ProcessCommand, SettingsInPhysicalUnitsChangeTheSpectrumAsTheLawsSay) {
    // A 16-bit mono file: band 3 sits at 800 Hz by default; +6 dB there is +6 dB on its tone.
    const Audio mono = tones(kWav16, 1, kRate, kFrames, {{800.0, 0.1}, {100.0, 0.1}});
    writeAudio(path("mono.wav"), mono);
    ASSERT_EQ(process("mono.wav", "boost.wav", {"--set", "Gain 3=+6dB"}).status, 0);
    const Audio boosted = readAudio(path("boost.wav"));
    EXPECT_EQ(boosted.channels, 1);
    EXPECT_NEAR(levelChangeDb(mono, boosted, 800.0), 6.0, 0.02);

    // A 24-bit stereo file: the band moved to 1 kHz and cut, the output lowered by 3 dB.
    const Audio stereo = tones(kWav24, 2, kRate, kFrames, {{1000.0, 0.1}, {5000.0, 0.1}});
    writeAudio(path("stereo.wav"), stereo);
    const CommandResult result = process("stereo.wav", "cut.wav",
                                         {"--set", "Freq 3=1kHz", "--set", "gain 3 = -6 dB",
                                          "--set", "Q 3=2", "--set", "Output Gain=-3dB"});
    ASSERT_EQ(result.status, 0) << result.err;
    const Audio cut = readAudio(path("cut.wav"));
    for (const int channel : {0, 1})
        EXPECT_NEAR(levelChangeDb(stereo, cut, 1000.0, channel), -9.0, 0.02);
    EXPECT_NEAR(levelChangeDb(stereo, cut, 5000.0), -3.0, 0.5); // mostly the output gain

    // The band switched off: only the output gain is left.
    ASSERT_EQ(
        process("stereo.wav", "off.wav",
                {"--set", "Gain 3=-6dB", "--set", "ON/OFF 3=off", "--set", "Output Gain=-3dB"})
            .status,
        0);
    EXPECT_NEAR(levelChangeDb(stereo, readAudio(path("off.wav")), 1000.0), -3.0, 0.01);
}

TEST_F(ProcessCommand, ProgramPresetAndRawValuesApplyInOrderAsTheEngineComputes) {
    const Audio input = noise(kWavFloat, 2, kRate, 6000, 0.5);
    writeAudio(path("in.wav"), input);
    std::ofstream(path("preset.txt")) << "# brighter\n\nFreq 6 = 4 kHz\nGain 6=+3dB\n";
    const CommandResult result = process(
        "in.wav", "out.wav",
        {"--program", "loudness", "--preset", "preset.txt", "--param", "24=0.5", "--block", "256"});
    ASSERT_EQ(result.status, 0) << result.err;

    EqEngine engine;
    engine.setSampleRate(kRate);
    engine.setBlockSize(256);
    const EqProgram& loudness = factoryPrograms()[4];
    for (int32_t slot = 0; slot < kNumParams; ++slot)
        engine.setParameter(paramOfSlot(slot), loudness.values[size_t(slot)]);
    engine.setParameter(toIndex(ParamId::Freq6), static_cast<float>(frequencyHzToNorm(4000.0, 5)));
    engine.setParameter(toIndex(ParamId::Gain6), static_cast<float>(gainDbToNorm(3.0)));
    engine.setParameter(toIndex(ParamId::GainRange), 0.5f);
    std::vector<float> left, right;
    for (size_t i = 0; i < size_t(input.frames()); ++i) {
        left.push_back(input.samples[2 * i]);
        right.push_back(input.samples[2 * i + 1]);
    }
    for (size_t start = 0; start < left.size(); start += 256) {
        float* channels[2] = {left.data() + start, right.data() + start};
        engine.processReplacing(channels, channels,
                                static_cast<int32_t>(std::min<size_t>(256, left.size() - start)));
    }
    const Audio output = readAudio(path("out.wav"));
    ASSERT_EQ(output.frames(), input.frames());
    int64_t differences = 0;
    for (size_t i = 0; i < size_t(output.frames()); ++i)
        differences += output.samples[2 * i] != left[i] || output.samples[2 * i + 1] != right[i];
    EXPECT_EQ(differences, 0);
    EXPECT_NE(output.samples, input.samples);
}

TEST_F(ProcessCommand, LongFilesComeOutInOrderAcrossManyReadsAndWrites) {
    // Several times what the command reads and writes at once (65536 frames), ending inside a
    // block: every part is written once, in its place, while the next one is processed.
    const Audio input = noise(kWavFloat, 1, kRate, 300007, 0.5);
    writeAudio(path("in.wav"), input);
    const CommandResult result = process("in.wav", "out.wav", {"--program", "loudness"});
    ASSERT_EQ(result.status, 0) << result.err;

    EqEngine engine;
    engine.setSampleRate(kRate);
    const EqProgram& loudness = factoryPrograms()[4];
    for (int32_t slot = 0; slot < kNumParams; ++slot)
        engine.setParameter(paramOfSlot(slot), loudness.values[size_t(slot)]);
    std::vector<float> expected = input.samples;
    for (size_t start = 0; start < expected.size(); start += 1024) {
        float* channels[2] = {expected.data() + start, expected.data() + start};
        engine.processReplacing(
            channels, channels,
            static_cast<int32_t>(std::min<size_t>(1024, expected.size() - start)));
    }
    EXPECT_EQ(readAudio(path("out.wav")).samples, expected);
}

TEST_F(ProcessCommand, IntegerOutputSaturatesAndSaysHowOften) {
    const Audio loud = tones(kWav16, 1, kRate, 4800, {{100.0, 0.9}});
    writeAudio(path("loud.wav"), loud);
    const CommandResult result = process("loud.wav", "louder.wav", {"--set", "Output Gain=+6dB"});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_NE(result.err.find("output samples beyond full scale were saturated"), std::string::npos)
        << result.err;
    const Audio louder = readAudio(path("louder.wav"));
    for (size_t i = 0; i < size_t(loud.frames()); ++i) {
        // Same sign everywhere (nothing wrapped), and the peaks at full scale.
        EXPECT_GE(louder.samples[i] * loud.samples[i], 0.0f) << "frame " << i;
    }
    EXPECT_EQ(*std::max_element(louder.samples.begin(), louder.samples.end()), 32767.0f / 32768.0f);
    EXPECT_EQ(*std::min_element(louder.samples.begin(), louder.samples.end()), -1.0f);

    ASSERT_EQ(process("loud.wav", "louder.wav", {"--set", "Output Gain=+6dB", "--float"}).status,
              0);
    EXPECT_EQ(readAudio(path("louder.wav")).format, kWavFloat);
}

TEST_F(ProcessCommand, OutputMayReplaceTheInputAndChangeItsFormat) {
    const Audio input = tones(kWav16, 2, kRate, kFrames, {{800.0, 0.1}});
    writeAudio(path("song.wav"), input);
    const CommandResult result =
        process("song.wav", "song.wav", {"--set", "Gain 3=+6dB", "--bits", "24"});
    ASSERT_EQ(result.status, 0) << result.err;
    const Audio output = readAudio(path("song.wav"));
    EXPECT_EQ(output.format, kWav24);
    EXPECT_NEAR(levelChangeDb(input, output, 800.0), 6.0, 0.02);
    EXPECT_EQ(entries(), std::vector<std::string>{"song.wav"});

    writeAudio(path("float.wav"), noise(kWavFloat, 1, kRate, 100, 0.5));
    ASSERT_EQ(process("float.wav", "float.flac").status, 0);
    EXPECT_EQ(readAudio(path("float.flac")).format, SF_FORMAT_FLAC | SF_FORMAT_PCM_24);
}

struct FailureCase {
    std::vector<std::string> args; ///< after "process", IN and OUT where the case has them
    int status;
    const char* message;
};

TEST_F(ProcessCommand, FailuresSayWhatAndWhereAndLeaveNoOutput) {
    writeAudio(path("in.wav"), noise(kWavFloat, 2, kRate, 1000, 0.5));
    writeAudio(path("surround.wav"), noise(kWavFloat, 3, kRate, 1000, 0.5));
    writeAudio(path("low.wav"), noise(kWavFloat, 2, 22050, 1000, 0.5));
    std::ofstream(path("text.wav")) << "not audio\n";
    std::ofstream(path("bad.txt")) << "Gain 1=+3dB\nGain 1=loud\n";
    const std::vector<std::string> inputs = entries();

    const FailureCase cases[] = {
        {{"missing.wav", "out.wav"}, 1, "cannot read missing.wav: no such file"},
        {{"text.wav", "out.wav"}, 1, "cannot read text.wav"},
        {{"surround.wav", "out.wav"}, 1, "surround.wav: 3 channels; only mono and stereo"},
        {{"low.wav", "out.wav"}, 1, "low.wav: 22050 Hz is below 44100 Hz"},
        {{"in.wav", "out.wav", "--plugin", "missing.so"}, 1, "cannot load plug-in ./missing.so"},
        {{"in.wav", "out.wav", "--plugin", MIRAL_REFUSING_PLUGIN_PATH},
         1,
         "plug-in refused to create an effect"},
        {{"in.wav", "no/such/dir/out.wav"}, 1, "cannot write no/such/dir/out.wav"},
        {{"in.wav", "out.wav", "--set", "Gain 7=+3dB"}, 2, "unknown parameter \"Gain 7\""},
        {{"in.wav", "out.wav", "--set", "Gain 2=+17dB"},
         2,
         "Gain 2: +17dB is outside the range -16 dB .. +16 dB"},
        {{"in.wav", "out.wav", "--set", "Freq 6=100Hz"},
         2,
         "Freq 6: 100Hz is outside the range 500 Hz .. 18000 Hz"},
        {{"in.wav", "out.wav", "--set", "Q 2=3dB"}, 2, "Q 2: \"3dB\" has the wrong unit"},
        {{"in.wav", "out.wav", "--param", "26=0.5"}, 2, "parameter index \"26\" is not 0..25"},
        {{"in.wav", "out.wav", "--program", "99 - Loud"}, 2, "unknown program \"99 - Loud\""},
        {{"in.wav", "out.wav", "--preset", "bad.txt"}, 2, "bad.txt:2: Gain 1: \"loud\""},
        {{"in.wav", "out.xyz"}, 2, "cannot tell the output format from \"out.xyz\""},
        {{"in.wav", "out.flac", "--float"}, 2, "cannot hold 32-bit float samples"},
        {{"in.wav", "out.wav", "--block", "0"}, 2, "--block"},
        {{"in.wav", "out.wav", "--preset", "."}, 2, "cannot read preset .: it is a directory"},
        {{"in.wav", "out.wav", "--bits", ""}, 2, "--bits"},
        {{"in.wav", "out.sd2"}, 2, "out.sd2: libsndfile cannot write SD2"},
        {{"in.wav", "out.wav", "--set", "\x1b[31mGain 1=+3dB"},
         2,
         "unknown parameter \"\\x1b[31mGain 1\""},
        {{"in.wav"}, 2, "OUT is required"},
    };
    for (const FailureCase& failure : cases) {
        std::vector<std::string> args = {"process"};
        args.insert(args.end(), failure.args.begin(), failure.args.end());
        if (std::find(args.begin(), args.end(), "--plugin") == args.end())
            args.insert(args.end(), {"--plugin", MIRAL_VST_PATH});
        const CommandResult result = runMiral(dir_, args);
        SCOPED_TRACE(failure.message);
        EXPECT_EQ(result.status, failure.status);
        const std::string firstLine = result.err.substr(0, result.err.find('\n'));
        EXPECT_NE(firstLine.find(failure.message), std::string::npos) << result.err;
        EXPECT_EQ(result.out, "");
        EXPECT_EQ(entries(), inputs);
    }
}

TEST_F(ProcessCommand, DamagedOrTruncatedInputsFailAtTheFrameWhereReadingStopped) {
    for (const char* name : {"cut.wav", "cut.aiff", "cut.ogg"}) {
        SCOPED_TRACE(name);
        const int container = fs::path(name).extension() == ".wav"    ? SF_FORMAT_WAV
                              : fs::path(name).extension() == ".aiff" ? SF_FORMAT_AIFF
                                                                      : SF_FORMAT_OGG;
        const int subtype = container == SF_FORMAT_OGG ? SF_FORMAT_VORBIS : SF_FORMAT_PCM_16;
        writeAudio(path(name), tones(container | subtype, 2, kRate, kFrames, {{440.0, 0.5}}));
        const auto size = fs::file_size(path(name));
        if (container == SF_FORMAT_OGG) { // a page in the middle damaged
            std::fstream file(path(name), std::ios::in | std::ios::out | std::ios::binary);
            file.seekp(static_cast<std::streamoff>(size * 3 / 4));
            file << std::string(16, 'Z');
        } else {
            fs::resize_file(path(name), size / 2);
        }
        const std::string damaged = fileText(path(name));

        const CommandResult result = process(name, "out.wav");
        EXPECT_EQ(result.status, 1);
        EXPECT_NE(result.err.find(std::string(name) + " is damaged or truncated: reading stopped "
                                                      "at frame "),
                  std::string::npos)
            << result.err;
        EXPECT_FALSE(fs::exists(path("out.wav")));
        EXPECT_EQ(process(name, name).status, 1);
        EXPECT_EQ(fileText(path(name)), damaged);
        fs::remove(path(name));
    }
}

TEST_F(ProcessCommand, EveryZeroedSampleIsCountedOnceAsZeroedNeverAsSaturated) {
    Audio input = tones(kWavFloat, 1, kRate, 4800, {{440.0, 0.25}});
    input.samples[1000] = std::numeric_limits<float>::infinity();
    input.samples[2000] = -std::numeric_limits<float>::infinity();
    input.samples[3000] = std::numeric_limits<float>::quiet_NaN();
    writeAudio(path("in.wav"), input);
    for (const char* bits : {"16", "24"}) {
        SCOPED_TRACE(bits);
        const CommandResult result = process("in.wav", "out.wav", {"--bits", bits, "--json"});
        ASSERT_EQ(result.status, 0) << result.err;
        const auto output = nlohmann::json::parse(result.err)["files"][0]["output"];
        EXPECT_EQ(output.at("saturated_samples"), 0);
        EXPECT_EQ(output.at("non_finite_samples"), 3);
    }
}

TEST_F(ProcessCommand, FloatOutputIsTheSameFileEveryTime) {
    writeAudio(path("in.wav"), tones(kWavFloat, 2, kRate, 4800, {{440.0, 0.25}}));
    ASSERT_EQ(process("in.wav", "first.wav").status, 0);
    // The time of writing changes between the two in seconds.
    std::this_thread::sleep_for(std::chrono::milliseconds(1100));
    ASSERT_EQ(process("in.wav", "second.wav").status, 0);
    EXPECT_EQ(fileText(path("first.wav")), fileText(path("second.wav")));
}

TEST_F(ProcessCommand, SmallPromisesOfACommandLineTool) {
    writeAudio(path("in.wav"), tones(kWav16, 2, kRate, 4800, {{440.0, 0.25}}));
    // A plug-in named without a folder is the file in the current one.
    fs::copy_file(MIRAL_VST_PATH, path("miral_vst.so"));
    EXPECT_EQ(runMiral(dir_, {"info", "--plugin", "miral_vst.so"}).status, 0);
    // The help text into a full disk is a failure.
    EXPECT_EQ(runShell(dir_, miralCommand({"process", "--help"}) + " > /dev/full").status, 1);
    // "--" ends the options: a file may start with "-".
    const CommandResult marked =
        runMiral(dir_, {"process", "-q", "--plugin", MIRAL_VST_PATH, "in.wav", "--", "-x.wav"});
    ASSERT_EQ(marked.status, 0) << marked.err;
    EXPECT_EQ(readAudio(path("-x.wav")).frames(), 4800);
    // A temporary folder that fails says it comes from TMPDIR.
    const CommandResult tmpdir = runShell(dir_, "cat in.wav | TMPDIR=/no/such/dir " +
                                                    miralCommand({"process", "-", "o.wav"}));
    EXPECT_EQ(tmpdir.status, 1);
    EXPECT_NE(tmpdir.err.find("$TMPDIR (/no/such/dir)"), std::string::npos) << tmpdir.err;
    // Standard input on a terminal says that it waits for audio (script(1) makes the terminal
    // and ends its input at once).
    const CommandResult terminal = runShell(
        dir_, "export MIRAL; script -qec " + shellQuoted(miralCommand({"process", "-", "o.wav"})) +
                  " /dev/null < /dev/null");
    EXPECT_NE(terminal.out.find("reading audio from standard input"), std::string::npos)
        << terminal.out << terminal.err;
    // A byte-order mark starts a preset as any editor writes it; a NUL byte is shown.
    std::ofstream(path("bom.txt")) << "\xef\xbb\xbfGain 1=+3dB\n";
    EXPECT_EQ(process("in.wav", "o.wav", {"--preset", "bom.txt"}).status, 0);
    std::ofstream(path("zero-byte.txt")) << std::string("Gain 1=+3\0dB\n", 13);
    const CommandResult nul = process("in.wav", "o.wav", {"--preset", "zero-byte.txt"});
    EXPECT_EQ(nul.status, 2);
    EXPECT_NE(nul.err.find("zero-byte.txt:1: a NUL byte"), std::string::npos) << nul.err;
}

TEST_F(ProcessCommand, EveryContainerCutShortFailsAndAnOggStreamNeedsItsLastPage) {
    // Containers that announce their length, cut to 60 %; those that do not (IRCAM, PVF) cut
    // inside a frame.
    for (const auto& [name, container] : {std::pair{"cut.au", SF_FORMAT_AU},
                                          {"cut.w64", SF_FORMAT_W64},
                                          {"cut.rf64", SF_FORMAT_RF64},
                                          {"cut.voc", SF_FORMAT_VOC},
                                          {"cut.avr", SF_FORMAT_AVR},
                                          {"cut.sf", SF_FORMAT_IRCAM},
                                          {"cut.pvf", SF_FORMAT_PVF}}) {
        SCOPED_TRACE(name);
        writeAudio(path(name),
                   tones(container | SF_FORMAT_PCM_16, 2, kRate, kFrames, {{440.0, 0.5}}));
        ASSERT_EQ(process(name, "whole.wav").status, 0) << "the whole file is fine";
        fs::resize_file(path(name), (fs::file_size(path(name)) * 6 / 10) | 1);
        const CommandResult result = process(name, "out.wav");
        EXPECT_EQ(result.status, 1);
        EXPECT_NE(result.err.find(std::string(name) + " is damaged or truncated"),
                  std::string::npos)
            << result.err;
    }

    // An Ogg stream cut where a page starts reads cleanly up to there: only the missing
    // end-of-stream page tells.
    writeAudio(path("cut.ogg"),
               tones(SF_FORMAT_OGG | SF_FORMAT_VORBIS, 2, kRate, kFrames, {{440.0, 0.5}}));
    const std::string whole = fileText(path("cut.ogg"));
    ASSERT_EQ(process("cut.ogg", "whole.wav").status, 0);
    std::ofstream(path("cut.ogg"), std::ios::binary) << whole.substr(0, whole.rfind("OggS"));
    const CommandResult result = process("cut.ogg", "out.wav");
    EXPECT_EQ(result.status, 1);
    EXPECT_NE(result.err.find("cut.ogg is damaged or truncated"), std::string::npos) << result.err;
}

TEST_F(ProcessCommand, NonFiniteInputSamplesAreCountedAndIntegerOutputStoresZero) {
    Audio input = tones(kWavFloat, 1, kRate, 4800, {{440.0, 0.25}});
    input.samples[1000] = std::numeric_limits<float>::quiet_NaN();
    input.samples[2000] = std::numeric_limits<float>::infinity();
    writeAudio(path("in.wav"), input);
    const CommandResult result = runMiral(
        dir_, {"process", "in.wav", "out.wav", "--bits", "16", "--plugin", MIRAL_VST_PATH});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_NE(result.out.find("input:  2 NaN or infinite samples"), std::string::npos)
        << result.out;
    const Audio output = readAudio(path("out.wav"));
    ASSERT_EQ(output.frames(), input.frames());
    EXPECT_EQ(output.samples[1000], 0.0f);
    for (size_t i = 0; i < size_t(output.frames()); ++i)
        ASSERT_LT(std::fabs(output.samples[i]), 0.5f) << "frame " << i << " at full scale";
}

} // namespace
} // namespace miral::test
