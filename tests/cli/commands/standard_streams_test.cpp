// miral with standard output redirected every way a shell can, a --json-file beside the audio,
// and pipelines of miral into miral.

#include "test_support/command_runner.h"
#include "test_support/temporary_folder.h"
#include "test_support/test_audio.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

namespace miral::test {
namespace {

namespace fs = std::filesystem;

constexpr int kWav16 = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
constexpr int kRate = 48000;
constexpr int64_t kFrames = 12000;

class StandardStreams : public TemporaryFolder {
protected:
    void SetUp() override {
        TemporaryFolder::SetUp();
        writeAudio(path("in.wav"), tones(kWav16, 2, kRate, kFrames, {{1000.0, 0.25}}));
        std::ofstream(path("bad.wav")) << "not audio";
    }

    static std::string process(const std::string& in, const std::string& out,
                               const std::vector<std::string>& options = {}) {
        std::vector<std::string> args = {"process", in, out, "--plugin", MIRAL_VST_PATH, "-q"};
        args.insert(args.end(), options.begin(), options.end());
        return miralCommand(args);
    }
};

TEST_F(StandardStreams, AnAppendedOrOffsetStandardOutputIsAStreamAndNeverCut) {
    const std::string kept = fileText(path("in.wav"));
    std::ofstream(path("keep.au")) << kept;
    for (const char* redirection : {" >> keep.au", " 1<> keep.au"}) {
        SCOPED_TRACE(redirection);
        const CommandResult failed =
            runShell(dir_, process("bad.wav", "-", {"--type", "au"}) + redirection);
        EXPECT_EQ(failed.status, 1);
        EXPECT_EQ(fileText(path("keep.au")), kept);
    }

    // WAV needs to seek back to its start: after what is there, that is a usage error.
    const CommandResult appendedWav = runShell(dir_, process("in.wav", "-") + " >> keep.au");
    EXPECT_EQ(appendedWav.status, 2);
    EXPECT_NE(appendedWav.err.find("standard output is opened for appending, and WAV"),
              std::string::npos)
        << appendedWav.err;
    const CommandResult offsetWav =
        runShell(dir_, "{ printf 'head'; " + process("in.wav", "-") + "; } > after.wav");
    EXPECT_EQ(offsetWav.status, 2);
    EXPECT_NE(offsetWav.err.find("standard output starts at byte 4"), std::string::npos)
        << offsetWav.err;
    EXPECT_EQ(fileText(path("keep.au")), kept);

    // AU goes on after what is there, complete.
    const CommandResult appended =
        runShell(dir_, process("in.wav", "-", {"--type", "au"}) + " >> keep.au");
    ASSERT_EQ(appended.status, 0) << appended.err;
    const std::string both = fileText(path("keep.au"));
    ASSERT_GT(both.size(), kept.size());
    EXPECT_EQ(both.substr(0, kept.size()), kept);
    std::ofstream(path("tail.au")) << both.substr(kept.size());
    EXPECT_EQ(readAudio(path("tail.au")).frames(), kFrames);
}

TEST_F(StandardStreams, AJsonFileThatIsAnAudioFileIsRefusedBeforeAnyWork) {
    writeAudio(path("same.wav"), noise(kWav16, 1, kRate, 100, 0.1));
    const std::string same = fileText(path("same.wav"));
    const std::string in = fileText(path("in.wav"));
    for (const std::string& command :
         {process("in.wav", "same.wav", {"--json-file", "same.wav"}),
          process("in.wav", "new.wav", {"--json-file", "./new.wav"}),
          process("in.wav", "same.wav", {"--json-file", "in.wav"}),
          process("in.wav", "-", {"--type", "au", "--json-file", "/dev/stdout"}) + " > out.au",
          process("in.wav", "-", {"--type", "au", "--json-file", "-"}) + " > out.au"}) {
        SCOPED_TRACE(command);
        const CommandResult result = runShell(dir_, command);
        EXPECT_EQ(result.status, 2);
        EXPECT_NE(result.err.find("--json-file"), std::string::npos) << result.err;
        EXPECT_EQ(fileText(path("same.wav")), same);
        EXPECT_EQ(fileText(path("in.wav")), in);
        EXPECT_FALSE(fs::exists(path("new.wav")));
        EXPECT_TRUE(!fs::exists(path("out.au")) || fs::file_size(path("out.au")) == 0);
    }

    // "-" is standard output, not a file of that name.
    const CommandResult toStandardOutput =
        runShell(dir_, process("in.wav", "out.wav", {"--json-file", "-"}));
    ASSERT_EQ(toStandardOutput.status, 0) << toStandardOutput.err;
    EXPECT_EQ(nlohmann::json::parse(toStandardOutput.out).at("failed"), 0);
    EXPECT_FALSE(fs::exists(path("-")));

    // Written as any output: through a link to its target, a read-only file refused.
    fs::create_symlink("report.json", dir_ / "link.json");
    ASSERT_EQ(runShell(dir_, process("in.wav", "out.wav", {"--json-file", "link.json"})).status, 0);
    EXPECT_TRUE(fs::is_symlink(dir_ / "link.json"));
    EXPECT_EQ(nlohmann::json::parse(fileText(path("report.json"))).at("failed"), 0);
    fs::permissions(path("report.json"), fs::perms::owner_read);
    EXPECT_EQ(runShell(dir_, process("in.wav", "out.wav", {"--json-file", "report.json"})).status,
              1);
}

TEST_F(StandardStreams, AnUnwritableSummaryIsFoundBeforeAnyWorkOrSaysTheAudioWasWritten) {
    const std::string in = fileText(path("in.wav"));
    const CommandResult unwritable = runShell(
        dir_, process("in.wav", "in.wav", {"--set", "Gain 3=+6dB", "--json-file", "no/r.json"}));
    EXPECT_EQ(unwritable.status, 1);
    EXPECT_NE(unwritable.err.find("cannot write no/r.json"), std::string::npos) << unwritable.err;
    EXPECT_EQ(fileText(path("in.wav")), in) << "the input was processed in place all the same";

    for (const std::string& command :
         {process("in.wav", "out.wav", {"--json-file", "/dev/full"}),
          miralCommand({"process", "in.wav", "out.wav", "--plugin", MIRAL_VST_PATH}) +
              " > /dev/full"}) {
        SCOPED_TRACE(command);
        fs::remove(path("out.wav"));
        const CommandResult result = runShell(dir_, command);
        EXPECT_EQ(result.status, 3);
        EXPECT_NE(result.err.find("the audio was written, but not its summary"), std::string::npos)
            << result.err;
        EXPECT_EQ(readAudio(path("out.wav")).frames(), kFrames);
    }
}

TEST_F(StandardStreams, EveryStreamableTypeGoesFromMiralIntoMiral) {
    // The types the README lists for pipes; raw needs a description of its samples to be read.
    for (const char* type : {"au", "avr", "flac", "mpc", "oga", "paf", "pvf", "sf"}) {
        SCOPED_TRACE(type);
        const CommandResult chain =
            runShell(dir_, process("in.wav", "-", {"--type", type}) + " | " +
                               process("-", std::string("chained.wav"), {"--type", "wav"}));
        ASSERT_EQ(chain.status, 0) << chain.err;
        const Audio chained = readAudio(path("chained.wav"));
        EXPECT_EQ(chained.frames(), kFrames);
        EXPECT_GT(toneAmplitude(chained, 1000.0), 0.2);
    }
    // A FLAC stream into a pipe is the FLAC file, to the byte.
    ASSERT_EQ(runShell(dir_, process("in.wav", "file.flac")).status, 0);
    ASSERT_EQ(
        runShell(dir_, process("in.wav", "-", {"--type", "flac"}) + " | cat > piped.flac").status,
        0);
    EXPECT_EQ(fileText(path("piped.flac")), fileText(path("file.flac")));
}

} // namespace
} // namespace miral::test
