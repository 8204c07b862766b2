// miral export --pipewire: the configuration on standard output or into a file by the output
// rules, the settings applied as the other commands apply them, a heading no setting can break,
// and the example the packages ship.

#include "test_support/command_runner.h"
#include "test_support/temporary_folder.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace miral::test {
namespace {

namespace fs = std::filesystem;

class ExportCommand : public TemporaryFolder {};

/// The value the configuration gives the control `symbol`, as written.
std::string control(const std::string& configuration, const std::string& symbol) {
    const std::string key = "\"" + symbol + "\" = ";
    const size_t at = configuration.find(key);
    if (at == std::string::npos)
        return "";
    const size_t value = at + key.size();
    return configuration.substr(value, configuration.find('\n', value) - value);
}

TEST_F(ExportCommand, AFileGetsWhatStandardOutputGetsByTheOutputRules) {
    const std::vector<std::string> args = {"export", "--pipewire", "--program", "3"};
    const CommandResult printed = runMiral(dir_, args);
    ASSERT_EQ(printed.status, 0) << printed.err;
    EXPECT_NE(printed.out.find("libpipewire-module-filter-chain"), std::string::npos);

    std::vector<std::string> toFile = args;
    toFile.insert(toFile.end(), {"-o", "miral.conf"});
    ASSERT_EQ(runMiral(dir_, toFile).status, 0);
    EXPECT_EQ(fileText(path("miral.conf")), printed.out);

    fs::permissions(path("miral.conf"), fs::perms::owner_read);
    std::vector<std::string> otherProgram = {"export", "--pipewire", "--program",
                                             "5",      "-o",         "miral.conf"};
    EXPECT_EQ(runMiral(dir_, otherProgram).status, 1) << "read-only, as cp refuses it";
    otherProgram.push_back("--force");
    ASSERT_EQ(runMiral(dir_, otherProgram).status, 0);
    EXPECT_NE(fileText(path("miral.conf")), printed.out);

    // Usage errors leave the file as it was.
    const std::string kept = fileText(path("miral.conf"));
    for (const std::vector<std::string>& wrong : std::vector<std::vector<std::string>>{
             {"export", "--pipewire", "--set", "Gain 1=+20dB", "-o", "miral.conf", "-f"},
             {"export", "--pipewire", "--preset", "missing.txt", "-o", "miral.conf", "-f"},
             {"export", "--program", "3", "-o", "miral.conf", "-f"}}) {
        EXPECT_EQ(runMiral(dir_, wrong).status, 2) << wrong[2];
        EXPECT_EQ(fileText(path("miral.conf")), kept);
    }
}

TEST_F(ExportCommand, PresetThenSetApplyInTheirOrderAndNoNameBreaksTheHeading) {
    const std::string name = "fit\ncontext.modules = [ ]\n.txt";
    std::ofstream(path(name)) << "# a fitted correction\nGain 3=+6dB\nFreq 3=1kHz\nGain 1=-2dB\n";
    const CommandResult result = runMiral(
        dir_, {"export", "--pipewire", "--program", "8", "--preset", name, "--set", "Gain 1=+1.5"});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(control(result.out, "gain_3"), "6");
    EXPECT_EQ(control(result.out, "freq_3"), "1000");
    EXPECT_EQ(control(result.out, "gain_1"), "1.5");
    EXPECT_EQ(control(result.out, "freq_4"), "1079.4264") << "the rest from the program";
    std::istringstream lines(result.out);
    int modules = 0;
    for (std::string line; std::getline(lines, line);)
        modules += line.rfind("context.modules", 0) == 0;
    EXPECT_EQ(modules, 1) << result.out;
    EXPECT_NE(result.out.find("fit\\ncontext.modules = [ ]\\n.txt"), std::string::npos);
}

TEST_F(ExportCommand, TheShippedExampleIsTheDefaultSettingsExport) {
    const CommandResult result = runMiral(dir_, {"export", "--pipewire"});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out, fileText(MIRAL_PIPEWIRE_EXAMPLE))
        << "write it again: miral export --pipewire > distribution/pipewire/miral-equaliser.conf";
}

} // namespace
} // namespace miral::test
