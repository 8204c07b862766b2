// What miral does to the files around its output: links, read-only files, special files,
// signals, size limits and stalled inputs never cost a file or leave a partial one.

#include "test_support/command_runner.h"
#include "test_support/temporary_folder.h"
#include "test_support/test_audio.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <thread>

namespace miral::test {
namespace {

namespace fs = std::filesystem;

constexpr int kWav16 = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
constexpr int kRate = 48000;

/// A file opened for reading, closed at the end of the scope.
class Reader {
public:
    explicit Reader(const std::string& name) : fd_(open(name.c_str(), O_RDONLY)) {}
    ~Reader() {
        if (fd_ >= 0)
            close(fd_);
    }
    Reader(const Reader&) = delete;
    Reader& operator=(const Reader&) = delete;
    int get() const { return fd_; }

private:
    int fd_;
};

class SafeOutput : public TemporaryFolder {
protected:
    void SetUp() override {
        TemporaryFolder::SetUp();
        writeAudio(path("in.wav"), tones(kWav16, 2, kRate, 20000, {{1000.0, 0.25}}));
    }

    std::vector<std::string> process(const std::string& in, const std::string& out,
                                     std::vector<std::string> options = {}) const {
        std::vector<std::string> args = {"process",      in,   out,     "--plugin",
                                         MIRAL_VST_PATH, "-q", "--set", "Output Gain=-6dB"};
        args.insert(args.end(), options.begin(), options.end());
        return args;
    }

    bool isProcessed(const std::string& name) const {
        const Audio output = readAudio(path(name));
        return output.frames() == 20000 &&
               levelChangeDb(readAudio(path("in.wav")), output, 1000.0) < -5.9;
    }
};

TEST_F(SafeOutput, ASymlinkedOutputWritesTheLinksTargetAndKeepsTheLink) {
    fs::create_directory(dir_ / "takes");
    writeAudio(path("takes/real.wav"), noise(kWav16, 1, kRate, 100, 0.1));
    fs::create_symlink("takes/real.wav", dir_ / "link.wav");
    const CommandResult result = runMiral(dir_, process("in.wav", "link.wav"));
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_TRUE(fs::is_symlink(dir_ / "link.wav"));
    EXPECT_TRUE(isProcessed("takes/real.wav"));
    EXPECT_EQ(fs::directory_iterator(dir_ / "takes")->path().filename(), "real.wav");
    EXPECT_EQ(entries(), (std::vector<std::string>{"in.wav", "link.wav", "takes"}));
}

TEST_F(SafeOutput, AReadOnlyOutputIsRefusedUnlessForcedAndStaysReadOnly) {
    writeAudio(path("out.wav"), noise(kWav16, 1, kRate, 100, 0.1));
    fs::permissions(path("out.wav"), fs::perms::owner_read | fs::perms::group_read);
    const std::string before = fileText(path("out.wav"));

    const CommandResult refused = runMiral(dir_, process("in.wav", "out.wav"));
    EXPECT_EQ(refused.status, 1);
    EXPECT_NE(refused.err.find("cannot write out.wav: it is read-only (--force"), std::string::npos)
        << refused.err;
    EXPECT_EQ(fileText(path("out.wav")), before);

    const CommandResult forced = runMiral(dir_, process("in.wav", "out.wav", {"--force"}));
    ASSERT_EQ(forced.status, 0) << forced.err;
    EXPECT_TRUE(isProcessed("out.wav"));
    EXPECT_EQ(fs::status(path("out.wav")).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::group_read);
    EXPECT_EQ(entries(), (std::vector<std::string>{"in.wav", "out.wav"}));
}

TEST_F(SafeOutput, SpecialFilesAreWrittenInPlaceAndNeverReplaced) {
    for (const std::vector<std::string>& args :
         {process("in.wav", "/dev/null", {"--type", "wav"}), {"snapshot", "/dev/null"}}) {
        const CommandResult result = runMiral(dir_, args);
        EXPECT_EQ(result.status, 0) << result.err;
        EXPECT_TRUE(fs::is_character_file("/dev/null"));
    }

    // A FIFO gets the stream a pipe would, in a type that needs no seeking back.
    ASSERT_EQ(mkfifo(path("out.fifo").c_str(), 0644), 0);
    std::string streamed;
    std::thread reader([&] { streamed = fileText(path("out.fifo")); });
    const CommandResult result = runMiral(dir_, process("in.wav", "out.fifo", {"--type", "au"}));
    reader.join();
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_TRUE(fs::is_fifo(path("out.fifo")));
    std::ofstream(path("streamed.au")) << streamed;
    EXPECT_TRUE(isProcessed("streamed.au"));

    const CommandResult directory = runMiral(dir_, process("in.wav", ".", {"--type", "wav"}));
    EXPECT_EQ(directory.status, 1);
    EXPECT_NE(directory.err.find("cannot write .: it is a directory"), std::string::npos);
}

TEST_F(SafeOutput, SnapshotFollowsTheSameRulesAndNoFixedTemporaryName) {
    writeAudio(path("victim.wav"), noise(kWav16, 1, kRate, 100, 0.1));
    const std::string victim = fileText(path("victim.wav"));
    fs::create_symlink("victim.wav", dir_ / "editor.png.partial");
    std::ofstream(path("editor.png")) << "old picture";
    fs::permissions(path("editor.png"), fs::perms::owner_read);

    EXPECT_EQ(runMiral(dir_, {"snapshot", "editor.png"}).status, 1);
    EXPECT_EQ(fileText(path("editor.png")), "old picture");
    const CommandResult forced = runMiral(dir_, {"snapshot", "editor.png", "--force"});
    ASSERT_EQ(forced.status, 0) << forced.err;
    EXPECT_EQ(fileText(path("editor.png")).substr(1, 3), "PNG");
    EXPECT_EQ(fileText(path("victim.wav")), victim);
    EXPECT_EQ(entries(), (std::vector<std::string>{"editor.png", "editor.png.partial", "in.wav",
                                                   "victim.wav"}));
}

TEST_F(SafeOutput, NoSignalLeavesAPartialFileOrHarmsTheOldOne) {
    writeAudio(path("out.wav"), noise(kWav16, 1, kRate, 100, 0.1));
    const std::string before = fileText(path("out.wav"));
    for (const int signal : {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGUSR1, SIGKILL}) {
        SCOPED_TRACE(strsignal(signal));
        const std::string marker = path("stalled");
        const BackgroundCommand command =
            startShell(dir_, "MIRAL_STALL_MARKER=" + shellQuoted(marker) + " exec " +
                                 miralCommand({"process", "in.wav", "out.wav", "--plugin",
                                               MIRAL_STALLING_PLUGIN_PATH, "--block", "1024"}));
        // The plug-in writes the marker in the middle of the output; a command that ends
        // before is a failure of its own.
        while (!fs::exists(marker) && waitpid(command.pid, nullptr, WNOHANG) == 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        ASSERT_TRUE(fs::exists(marker)) << fileText(path("stderr.log"));
        kill(command.pid, signal);
        fs::remove(marker);
        const CommandResult result = finish(command);
        // Cleaned up, the command ends by the signal itself, so that a shell loop stops too.
        EXPECT_EQ(result.status, -1);
        EXPECT_EQ(result.signal, signal);
        if (signal != SIGKILL) {
            EXPECT_NE(result.err.find("interrupted"), std::string::npos) << result.err;
        }
        EXPECT_EQ(entries(), (std::vector<std::string>{"in.wav", "out.wav"}));
        EXPECT_EQ(fileText(path("out.wav")), before);
    }
}

TEST_F(SafeOutput, AFileSizeLimitFailsTheRunCleanly) {
    const CommandResult result =
        runShell(dir_, "ulimit -f 16 && " + miralCommand(process("in.wav", "out.wav")));
    EXPECT_EQ(result.status, 1);
    EXPECT_NE(result.err.find("cannot write out.wav"), std::string::npos) << result.err;
    EXPECT_EQ(entries(), (std::vector<std::string>{"in.wav"}));
}

TEST_F(SafeOutput, AnInterruptStopsAStalledInputPromptly) {
    ASSERT_EQ(mkfifo(path("in.fifo").c_str(), 0644), 0);
    const BackgroundCommand command =
        startShell(dir_, "exec " + miralCommand(process("in.fifo", "out.wav")));
    // Opening the FIFO waits for the command to open it: from then on it reads, and stalls.
    std::ofstream writer(path("in.fifo"), std::ios::binary);
    writer << "RIFF" << std::flush;
    kill(command.pid, SIGINT);
    const CommandResult result = finish(command);
    EXPECT_EQ(result.signal, SIGINT);
    EXPECT_NE(result.err.find("interrupted"), std::string::npos) << result.err;
    EXPECT_EQ(entries(), (std::vector<std::string>{"in.fifo", "in.wav"}));
}

TEST_F(SafeOutput, AnInterruptStopsAWriteIntoAStalledReader) {
    ASSERT_EQ(mkfifo(path("out.fifo").c_str(), 0644), 0);
    const BackgroundCommand command =
        startShell(dir_, "exec " + miralCommand(process("in.wav", "out.fifo", {"--type", "au"})));
    // The reader takes a little and then stalls, holding the FIFO open: the command blocks on
    // a full FIFO, far from the end of its 80 kB.
    const Reader reader(path("out.fifo"));
    char taken[1000];
    ASSERT_EQ(read(reader.get(), taken, sizeof taken), ssize_t(sizeof taken));
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    kill(command.pid, SIGTERM);
    const CommandResult result = finish(command);
    EXPECT_EQ(result.signal, SIGTERM) << result.err;
    EXPECT_NE(result.err.find("interrupted"), std::string::npos) << result.err;
}

TEST_F(SafeOutput, ASignalIgnoredAtStartStaysIgnored) {
    const std::string marker = path("stalled");
    const BackgroundCommand command =
        startShell(dir_, "trap '' HUP; MIRAL_STALL_MARKER=" + shellQuoted(marker) + " exec " +
                             miralCommand({"process", "in.wav", "out.wav", "--plugin",
                                           MIRAL_STALLING_PLUGIN_PATH, "--block", "1024"}));
    while (!fs::exists(marker) && waitpid(command.pid, nullptr, WNOHANG) == 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    ASSERT_TRUE(fs::exists(marker)) << fileText(path("stderr.log"));
    kill(command.pid, SIGHUP);
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    fs::remove(marker); // lets the plug-in go on
    const CommandResult result = finish(command);
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(readAudio(path("out.wav")).frames(), 20000);
}

TEST_F(SafeOutput, ClosedStandardDescriptorsNeverReceiveAFile) {
    const CommandResult noOutput = runShell(dir_, miralCommand(process("in.wav", "-")) + " >&-");
    EXPECT_EQ(noOutput.status, 2);
    EXPECT_NE(noOutput.err.find("standard output is closed"), std::string::npos) << noOutput.err;
    const CommandResult noInput = runShell(dir_, miralCommand(process("-", "out.wav")) + " <&-");
    EXPECT_EQ(noInput.status, 2);
    EXPECT_NE(noInput.err.find("standard input is closed"), std::string::npos) << noInput.err;
    EXPECT_EQ(entries(), (std::vector<std::string>{"in.wav"}));

    // Not needed, they are only /dev/null: the summary goes nowhere, the file is written.
    const CommandResult quiet =
        runShell(dir_, miralCommand(process("in.wav", "out.wav")) + " <&- >&- 2>&-");
    EXPECT_EQ(quiet.status, 0);
    EXPECT_TRUE(isProcessed("out.wav"));
}

TEST_F(SafeOutput, AReplacedFileKeepsItsOwnerGroupAndMode) {
    if (geteuid() != 0)
        GTEST_SKIP() << "only the superuser can give a file to another user";
    writeAudio(path("take.wav"), tones(kWav16, 2, kRate, 20000, {{1000.0, 0.25}}));
    ASSERT_EQ(chown(path("take.wav").c_str(), 65534, 65534), 0);
    ASSERT_EQ(chmod(path("take.wav").c_str(), 0640), 0);
    const CommandResult result = runMiral(dir_, process("take.wav", "take.wav"));
    ASSERT_EQ(result.status, 0) << result.err;
    struct stat status {};
    ASSERT_EQ(stat(path("take.wav").c_str(), &status), 0);
    EXPECT_EQ(status.st_uid, 65534u);
    EXPECT_EQ(status.st_gid, 65534u);
    EXPECT_EQ(status.st_mode & 07777, 0640u);
}

} // namespace
} // namespace miral::test
