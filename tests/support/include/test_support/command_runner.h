#pragma once

// Runs the built miral command as a process, as users do, and captures what it says.

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace miral::test {

struct CommandResult {
    int status = -1;
    int signal = 0; ///< the signal that ended the command, for background commands
    std::string out;
    std::string err;
};

inline std::string shellQuoted(const std::string& text) {
    std::string quoted = "'";
    for (const char c : text)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

inline std::string fileText(const std::filesystem::path& path) {
    std::ifstream file(path);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

/// Runs a shell script in `directory` with $MIRAL naming the command, standard output and error
/// captured into files there (named so that they never look like audio output).
inline CommandResult runShell(const std::filesystem::path& directory, const std::string& script) {
    const std::filesystem::path out = directory / "stdout.log";
    const std::filesystem::path err = directory / "stderr.log";
    const std::string command =
        "cd " + shellQuoted(directory.string()) + " && MIRAL=" + shellQuoted(MIRAL_COMMAND_PATH) +
        " && { " + script + "\n} >" + shellQuoted(out.string()) + " 2>" + shellQuoted(err.string());
    const int raw = std::system(command.c_str());
    CommandResult result;
    result.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    result.out = fileText(out);
    result.err = fileText(err);
    std::filesystem::remove(out);
    std::filesystem::remove(err);
    return result;
}

/// The arguments as one shell command line after `$MIRAL`.
inline std::string miralCommand(const std::vector<std::string>& args) {
    std::string command = "\"$MIRAL\"";
    for (const std::string& arg : args) {
        command += ' ';
        command += shellQuoted(arg);
    }
    return command;
}

/// Runs `miral ARGS...` in `directory`.
inline CommandResult runMiral(const std::filesystem::path& directory,
                              const std::vector<std::string>& args) {
    return runShell(directory, miralCommand(args));
}

/// A command started in the background, to be signalled while it runs.
struct BackgroundCommand {
    pid_t pid = -1;
    std::filesystem::path directory;
};

/// Starts `script` with /bin/sh in `directory` ($MIRAL as for runShell); a script that ends in
/// `exec "$MIRAL" ...` makes the command itself the process signals go to.
inline BackgroundCommand startShell(const std::filesystem::path& directory,
                                    const std::string& script) {
    const std::string out = (directory / "stdout.log").string();
    const std::string err = (directory / "stderr.log").string();
    const pid_t pid = fork();
    if (pid == 0) {
        if (chdir(directory.c_str()) != 0)
            _exit(127);
        setenv("MIRAL", MIRAL_COMMAND_PATH, 1);
        dup2(open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644), STDOUT_FILENO);
        dup2(open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644), STDERR_FILENO);
        execl("/bin/sh", "sh", "-c", script.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    return {pid, directory};
}

/// Waits for the command to end (killing it after a minute, far beyond any prompt stop);
/// status -1 when a signal ended it, -2 when it had to be killed.
inline CommandResult finish(const BackgroundCommand& command) {
    using namespace std::chrono;
    int raw = 0;
    const auto deadline = steady_clock::now() + minutes(1);
    bool hung = false;
    while (waitpid(command.pid, &raw, WNOHANG) == 0) {
        if (steady_clock::now() > deadline && !hung) {
            hung = true;
            kill(command.pid, SIGKILL);
        }
        std::this_thread::sleep_for(milliseconds(5));
    }
    CommandResult result;
    result.status = hung ? -2 : WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    result.signal = !hung && WIFSIGNALED(raw) ? WTERMSIG(raw) : 0;
    result.out = fileText(command.directory / "stdout.log");
    result.err = fileText(command.directory / "stderr.log");
    std::filesystem::remove(command.directory / "stdout.log");
    std::filesystem::remove(command.directory / "stderr.log");
    return result;
}

} // namespace miral::test
