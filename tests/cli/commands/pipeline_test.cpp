// miral in scripts: standard input and output, batches of files, JSON and versions.

#include "test_support/command_runner.h"
#include "test_support/temporary_folder.h"
#include "test_support/test_audio.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

namespace miral::test {
namespace {

namespace fs = std::filesystem;

constexpr int kWav24 = SF_FORMAT_WAV | SF_FORMAT_PCM_24;
constexpr int kFlac16 = SF_FORMAT_FLAC | SF_FORMAT_PCM_16;
constexpr int kRate = 44100;

const std::vector<std::string> kSettings = {"--plugin", MIRAL_VST_PATH, "--program",
                                            "8",        "--set",        "Gain 3=+4dB"};

std::vector<std::string> processArgs(std::vector<std::string> files,
                                     const std::vector<std::string>& options = {}) {
    std::vector<std::string> args = {"process"};
    args.insert(args.end(), files.begin(), files.end());
    args.insert(args.end(), kSettings.begin(), kSettings.end());
    args.insert(args.end(), options.begin(), options.end());
    return args;
}

using Pipeline = TemporaryFolder;
using Batch = TemporaryFolder;
using MachineReadable = TemporaryFolder;

TEST_F(Pipeline, StandardInputToStandardOutputEqualsFileToFileBitForBit) {
    // FLAC cannot be read from a pipe by libsndfile itself: the command copies the stream aside.
    writeAudio(path("in.flac"), noise(kFlac16, 2, kRate, 30000, 0.5));
    ASSERT_EQ(runMiral(dir_, processArgs({"in.flac", "file.au"}, {"-q"})).status, 0);
    const CommandResult piped =
        runShell(dir_, "cat in.flac | " + miralCommand(processArgs({"-", "-"}, {"--type", "au"})) +
                           " | cat > piped.au");
    ASSERT_EQ(piped.status, 0) << piped.err;
    EXPECT_NE(piped.err.find("standard input: FLAC"), std::string::npos) << piped.err;
    const Audio file = readAudio(path("file.au"));
    const Audio streamed = readAudio(path("piped.au"));
    EXPECT_EQ(file.frames(), 30000);
    EXPECT_EQ(streamed.format, file.format);
    EXPECT_EQ(streamed.samples, file.samples);
    EXPECT_NE(file.samples, readAudio(path("in.flac")).samples);

    // A redirected standard output is a file: WAV works there, and nothing else goes to it.
    ASSERT_EQ(runMiral(dir_, processArgs({"in.flac", "file.flac"}, {"-q"})).status, 0);
    const CommandResult redirected =
        runShell(dir_, miralCommand(processArgs({"-", "-"})) + " < in.flac > out.flac");
    ASSERT_EQ(redirected.status, 0) << redirected.err;
    EXPECT_EQ(readAudio(path("out.flac")).samples, readAudio(path("file.flac")).samples);
}

TEST_F(Pipeline, APipeRefusesTypesThatSeekBackAndAFailureLeavesNoPartialAudio) {
    writeAudio(path("in.wav"), noise(kWav24, 2, kRate, 1000, 0.5));
    const CommandResult result = runShell(dir_, "{ " + miralCommand(processArgs({"in.wav", "-"})) +
                                                    "; echo $? >&2; } | cat >/dev/null");
    EXPECT_NE(result.err.find("standard output is a pipe, and WAV"), std::string::npos)
        << result.err;
    EXPECT_NE(result.err.find("(--type au, "), std::string::npos);
    EXPECT_EQ(result.err.substr(result.err.rfind('\n', result.err.size() - 2) + 1), "2\n");

    // A failure half way leaves no partial audio in a file on standard output.
    std::ofstream(path("text.wav")) << "not audio";
    const CommandResult failed =
        runShell(dir_, miralCommand(processArgs({"text.wav", "-"})) + " > out.wav");
    EXPECT_EQ(failed.status, 1);
    EXPECT_EQ(fs::file_size(path("out.wav")), 0u);
}

TEST_F(Batch, ProcessesEveryFileGoesOnAfterAFailureAndParallelEqualsSerial) {
    const std::vector<std::string> names = {"a.wav", "b.wav", "bad.wav", "c.wav", "d.wav"};
    for (size_t i = 0; i < names.size(); ++i)
        if (names[i] != "bad.wav")
            writeAudio(path(names[i]), noise(kWav24, 1 + static_cast<int>(i % 2), kRate,
                                             5000 + 1000 * static_cast<int64_t>(i), 0.5));
    std::ofstream(path("bad.wav")) << "not audio";
    std::vector<std::string> parallel = names, serial = names;
    fs::create_directory(dir_ / "parallel");
    fs::create_directory(dir_ / "serial");

    const CommandResult many =
        runMiral(dir_, processArgs(names, {"--out-dir", "parallel", "--jobs", "4"}));
    EXPECT_EQ(many.status, 1);
    EXPECT_NE(many.err.find("cannot read bad.wav"), std::string::npos) << many.err;
    EXPECT_NE(many.err.find("1 of 5 files failed"), std::string::npos) << many.err;
    const CommandResult one =
        runMiral(dir_, processArgs(names, {"--out-dir", "serial", "--jobs", "1", "--type", "w64"}));
    EXPECT_EQ(one.status, 1);

    std::vector<std::string> written;
    for (const auto& entry : fs::directory_iterator(dir_ / "parallel"))
        written.push_back(entry.path().filename().string());
    std::sort(written.begin(), written.end());
    EXPECT_EQ(written, (std::vector<std::string>{"a.wav", "b.wav", "c.wav", "d.wav"}));
    for (const char* name : {"a", "b", "c", "d"}) {
        SCOPED_TRACE(name);
        const Audio fromParallel = readAudio(path(std::string("parallel/") + name + ".wav"));
        const Audio fromSerial = readAudio(path(std::string("serial/") + name + ".w64"));
        EXPECT_EQ(fromParallel.format, kWav24);
        EXPECT_EQ(fromSerial.format, SF_FORMAT_W64 | SF_FORMAT_PCM_24);
        EXPECT_EQ(fromParallel.samples, fromSerial.samples);
        EXPECT_NE(fromParallel.samples, readAudio(path(std::string(name) + ".wav")).samples);
    }

    EXPECT_EQ(runMiral(dir_, processArgs({"a.wav", "b.wav", "c.wav"})).status, 2);
    // A usage error is found once, before any file is touched, whatever the number of files.
    fs::create_directory(dir_ / "none");
    for (const std::vector<std::string>& wrong :
         {std::vector<std::string>{"--type", "xyz"}, {"--type", "ogg", "--bits", "24"}}) {
        std::vector<std::string> options = {"--out-dir", "none"};
        options.insert(options.end(), wrong.begin(), wrong.end());
        const CommandResult usage =
            runMiral(dir_, processArgs({"a.wav", "b.wav", "c.wav"}, options));
        EXPECT_EQ(usage.status, 2);
        EXPECT_EQ(std::count(usage.err.begin(), usage.err.end(), '\n'), 1) << usage.err;
        EXPECT_TRUE(fs::is_empty(dir_ / "none"));
    }
    const CommandResult clash = runMiral(
        dir_, processArgs({"a.wav", "serial/a.w64", "--out-dir", "parallel"}, {"--type", "wav"}));
    EXPECT_EQ(clash.status, 2);
    EXPECT_NE(clash.err.find("two inputs would both be written to"), std::string::npos);
}

TEST_F(MachineReadable, ProcessJsonCarriesTheDocumentedKeys) {
    Audio input = noise(SF_FORMAT_WAV | SF_FORMAT_FLOAT, 2, kRate, 4000, 0.5);
    input.samples[100] = std::numeric_limits<float>::quiet_NaN();
    writeAudio(path("in.wav"), input);
    const CommandResult result =
        runMiral(dir_, processArgs({"in.wav", "out.wav"}, {"--json", "--bits", "16"}));
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out, "");
    const auto report = nlohmann::json::parse(result.err.substr(0, result.err.rfind('}') + 1));
    EXPECT_EQ(report.at("failed"), 0);
    ASSERT_EQ(report.at("files").size(), 1u);
    const auto& file = report["files"][0];
    for (const char* key : {"processing_seconds", "realtime_factor", "error", "input", "output"})
        EXPECT_TRUE(file.contains(key)) << key;
    EXPECT_TRUE(file["error"].is_null());
    const auto& in = file["input"];
    EXPECT_EQ(in.at("path"), "in.wav");
    EXPECT_EQ(in.at("channels"), 2);
    EXPECT_EQ(in.at("sample_rate"), kRate);
    EXPECT_EQ(in.at("frames"), 4000);
    EXPECT_EQ(in.at("non_finite_samples"), 1);
    EXPECT_NEAR(in.at("duration_seconds").get<double>(), 4000.0 / kRate, 1e-12);
    EXPECT_LT(in.at("peak_dbfs").get<double>(), -5.0);
    EXPECT_TRUE(in.at("rms_dbfs").is_number());
    EXPECT_TRUE(in.at("format").is_string());
    const auto& out = file["output"];
    EXPECT_EQ(out.at("path"), "out.wav");
    EXPECT_EQ(out.at("format"), "WAV (Microsoft), 16-bit");
    for (const char* key : {"peak_dbfs", "rms_dbfs", "saturated_samples", "non_finite_samples"})
        EXPECT_TRUE(out.contains(key)) << key;

    // A batch into a file: the failure is in the report too.
    std::ofstream(path("bad.wav")) << "not audio";
    fs::create_directory(dir_ / "out");
    const CommandResult batch = runMiral(
        dir_, processArgs({"in.wav", "bad.wav"}, {"--out-dir", "out", "--json-file", "r.json"}));
    EXPECT_EQ(batch.status, 1);
    const auto batchReport = nlohmann::json::parse(fileText(path("r.json")));
    EXPECT_EQ(batchReport.at("failed"), 1);
    EXPECT_TRUE(batchReport["files"][0]["error"].is_null());
    EXPECT_NE(batchReport["files"][1]["error"].get<std::string>().find("cannot read bad.wav"),
              std::string::npos);
    EXPECT_EQ(batchReport["files"][1]["output"]["path"], "out/bad.wav");
}

TEST_F(MachineReadable, WithJsonStandardErrorIsOneJsonObjectWhateverHappens) {
    Audio loud = tones(SF_FORMAT_WAV | SF_FORMAT_FLOAT, 1, kRate, 4000, {{100.0, 0.9}});
    writeAudio(path("loud.wav"), loud);
    std::ofstream(path("bad.wav")) << "not audio";
    fs::create_directory(dir_ / "out");
    struct Case {
        std::vector<std::string> args;
        int status;
        std::string error; ///< in the run's "error"; empty for null
    };
    const Case cases[] = {
        {processArgs({"loud.wav", "louder.wav"}, {"--bits", "16", "--set", "Output Gain=+6dB"}), 0,
         ""},
        {processArgs({"bad.wav", "out.wav"}), 1, "cannot read bad.wav"},
        {processArgs({"loud.wav", "bad.wav"}, {"--out-dir", "out", "--bits", "16"}), 1,
         "1 of 2 files failed"},
        {processArgs({"loud.wav", "out.xyz"}), 2, "cannot tell the output format"},
        {processArgs({"loud.wav", "out.wav"}, {"--set", "Gain 9=1dB"}), 2, "unknown parameter"},
    };
    for (Case c : cases) {
        c.args.push_back("--json");
        SCOPED_TRACE(c.args[1] + " " + c.args[2]);
        const CommandResult result = runMiral(dir_, c.args);
        EXPECT_EQ(result.status, c.status);
        nlohmann::json report;
        ASSERT_NO_THROW(report = nlohmann::json::parse(result.err)) << result.err;
        if (c.error.empty())
            EXPECT_TRUE(report.at("error").is_null());
        else
            EXPECT_NE(report.at("error").get<std::string>().find(c.error), std::string::npos)
                << report.dump();
    }
    // The warnings are members of their file.
    const auto report = nlohmann::json::parse(
        runMiral(dir_, processArgs({"loud.wav", "l.wav"},
                                   {"--json", "--bits", "16", "--set", "Output Gain=+6dB"}))
            .err);
    const auto& warnings = report["files"][0].at("warnings");
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_NE(warnings[0].get<std::string>().find("beyond full scale were saturated"),
              std::string::npos);
}

TEST_F(MachineReadable, NamesThatAreNotUtf8KeepTheirBytes) {
    const std::vector<std::string> names = {"take\xff.wav", "take\xfe.wav"};
    for (const std::string& name : names)
        writeAudio(path(name), noise(kWav24, 1, kRate, 1000, 0.5));
    fs::create_directory(dir_ / "out");
    const CommandResult result =
        runMiral(dir_, processArgs(names, {"--out-dir", "out", "--json-file", "r.json"}));
    ASSERT_EQ(result.status, 0) << result.err;
    const auto report = nlohmann::json::parse(fileText(path("r.json")));
    EXPECT_EQ(report["files"][0]["input"].at("path_bytes"), "74616b65ff2e776176");
    EXPECT_EQ(report["files"][1]["input"].at("path_bytes"), "74616b65fe2e776176");
    EXPECT_EQ(report["files"][1]["output"].at("path_bytes"), "6f75742f74616b65fe2e776176");
    EXPECT_EQ(report["files"][0]["input"].at("path"), "take\xef\xbf\xbd.wav");
    writeAudio(path("plain.wav"), noise(kWav24, 1, kRate, 1000, 0.5));
    const auto plain =
        nlohmann::json::parse(runMiral(dir_, processArgs({"plain.wav", "p.wav"}, {"--json"})).err);
    EXPECT_FALSE(plain["files"][0]["input"].contains("path_bytes"));
}

TEST_F(MachineReadable, InfoJsonListsParametersInPhysicalUnitsAndEveryProgram) {
    const CommandResult result = runMiral(dir_, {"info", "--json", "--plugin", MIRAL_VST_PATH});
    ASSERT_EQ(result.status, 0) << result.err;
    const auto info = nlohmann::json::parse(result.out);
    EXPECT_EQ(info.at("plugin").at("name"), "MIRAL");
    EXPECT_EQ(info["plugin"].at("unique_id"), "0x39387a34");
    for (const char* key : {"vendor", "product", "version", "path", "inputs", "outputs"})
        EXPECT_TRUE(info["plugin"].contains(key)) << key;
    const auto& parameters = info.at("parameters");
    ASSERT_EQ(parameters.size(), 26u);
    for (const auto& parameter : parameters)
        for (const char* key : {"index", "name", "label", "kind", "unit", "minimum", "maximum",
                                "default", "default_normalized"})
            EXPECT_TRUE(parameter.contains(key)) << key;
    EXPECT_EQ(parameters[0]["name"], "Gain 1");
    EXPECT_EQ(parameters[0]["minimum"], -16.0);
    EXPECT_EQ(parameters[0]["maximum"], 16.0);
    EXPECT_EQ(parameters[25]["name"], "Output Gain");
    EXPECT_EQ(parameters[25]["default"], 0.0);
    const auto& programs = info.at("programs");
    ASSERT_EQ(programs.size(), 9u);
    EXPECT_EQ(programs[8]["name"], "08 - Contour");
    for (const auto& program : programs) {
        EXPECT_EQ(program.at("values").size(), 26u);
        EXPECT_EQ(program.at("normalized").size(), 26u);
    }
    EXPECT_EQ(programs[0]["values"][0], 0.0) << "Flat: no gain";

    // A full standard output is a failure, not a success.
    EXPECT_EQ(
        runShell(dir_, miralCommand({"info", "--plugin", MIRAL_VST_PATH}) + " > /dev/full").status,
        1);
}

TEST_F(MachineReadable, VersionNamesTheCommandThePlugInAndLibsndfile) {
    const CommandResult result = runMiral(dir_, {"--version", "--plugin", MIRAL_VST_PATH});
    ASSERT_EQ(result.status, 0) << result.err;
    for (const char* text : {"miral 1.", "libsndfile-1.", "plug-in MIRAL by TOLMEK Soft",
                             "version 1000", "id 0x39387a34"})
        EXPECT_NE(result.out.find(text), std::string::npos) << text << "\n" << result.out;
}

} // namespace
} // namespace miral::test
