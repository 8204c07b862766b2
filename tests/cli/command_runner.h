#pragma once

// Runs the built miral command as a process, as users do, and captures what it says.

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace miral::test {

struct CommandResult {
    int status = -1;
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

/// Runs `miral ARGS...` in `directory`, standard output and error captured into files there
/// (named so that they never look like audio output).
inline CommandResult runMiral(const std::filesystem::path& directory,
                              const std::vector<std::string>& args) {
    std::string command = "cd " + shellQuoted(directory.string()) + " && " + MIRAL_COMMAND_PATH;
    for (const std::string& arg : args)
        command += " " + shellQuoted(arg);
    const std::filesystem::path out = directory / "stdout.log";
    const std::filesystem::path err = directory / "stderr.log";
    command += " >" + shellQuoted(out.string()) + " 2>" + shellQuoted(err.string());
    const int raw = std::system(command.c_str());
    CommandResult result;
    result.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    result.out = fileText(out);
    result.err = fileText(err);
    std::filesystem::remove(out);
    std::filesystem::remove(err);
    return result;
}

} // namespace miral::test
