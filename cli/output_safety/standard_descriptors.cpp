#include "output_safety/standard_descriptors.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

namespace miral::cli {
namespace {
bool closedAtStart[3] = {false, false, false};
} // namespace

void openClosedStandardDescriptors() {
    for (int descriptor = STDIN_FILENO; descriptor <= STDERR_FILENO; ++descriptor) {
        if (fcntl(descriptor, F_GETFD) >= 0 || errno != EBADF)
            continue;
        closedAtStart[descriptor] = true;
        // The lowest free number: this very descriptor, as the lower ones are open by now.
        const int opened = open("/dev/null", descriptor == STDIN_FILENO ? O_RDONLY : O_WRONLY);
        if (opened >= 0 && opened != descriptor) {
            dup2(opened, descriptor);
            close(opened);
        }
    }
}

bool wasClosedAtStart(int descriptor) {
    return descriptor >= STDIN_FILENO && descriptor <= STDERR_FILENO && closedAtStart[descriptor];
}

} // namespace miral::cli
