#include "test_support/private_x_server.h"

#include <csignal>
#include <cstdlib>
#include <poll.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace miral::testing {
namespace {
constexpr int kStartPatienceMs = 60000;
} // namespace

bool PrivateXServer::ensureDisplay() {
    if (std::getenv("DISPLAY") != nullptr)
        return true;
    int pipeEnds[2];
    if (pipe(pipeEnds) != 0)
        return false;
    pid_ = fork();
    if (pid_ == 0) {
        close(pipeEnds[0]);
        const std::string fd = std::to_string(pipeEnds[1]);
        // -noreset: a server that resets when its last client leaves refuses the next one for
        // a moment.
        execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "640x480x24", "-nolisten",
               "tcp", "-noreset", static_cast<char*>(nullptr));
        _exit(127);
    }
    close(pipeEnds[1]);
    // Xvfb writes the number of the display it took, then a newline, once it accepts clients;
    // on a busy machine that may take a while.
    std::string number;
    pollfd waiting{pipeEnds[0], POLLIN, 0};
    char digit;
    while (pid_ > 0 && poll(&waiting, 1, kStartPatienceMs) > 0 &&
           read(pipeEnds[0], &digit, 1) == 1 && digit != '\n')
        number += digit;
    close(pipeEnds[0]);
    if (number.empty())
        return false;
    setenv("DISPLAY", (":" + number).c_str(), 1);
    return true;
}

PrivateXServer::~PrivateXServer() {
    if (pid_ > 0) {
        kill(pid_, SIGTERM);
        waitpid(pid_, nullptr, 0);
        unsetenv("DISPLAY");
    }
}

} // namespace miral::testing
