#include "output_safety/file_descriptor.h"

#include "output_safety/interruption.h"

#include <fcntl.h>
#include <limits.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <stdexcept>
#include <utility>

namespace miral::cli {
namespace {
// How long a read waits before it looks at the interruption flag again. A signal that arrives
// while the wait has begun ends the wait early (EINTR); this bounds the rare case where it
// arrived just before.
constexpr int kWaitSliceMs = 100;
} // namespace

FileDescriptor::~FileDescriptor() {
    if (descriptor_ >= 0)
        close(descriptor_);
}

FileDescriptor::FileDescriptor(FileDescriptor&& other) noexcept
    : descriptor_(std::exchange(other.descriptor_, -1)) {}

FileDescriptor& FileDescriptor::operator=(FileDescriptor&& other) noexcept {
    if (this != &other) {
        if (descriptor_ >= 0)
            close(descriptor_);
        descriptor_ = std::exchange(other.descriptor_, -1);
    }
    return *this;
}

std::runtime_error systemError(const std::string& what) {
    return std::runtime_error(what + ": " + std::strerror(errno));
}

FileDescriptor openInterruptibly(const std::string& path, int flags, mode_t mode) {
    for (;;) {
        const int descriptor = open(path.c_str(), flags | O_CLOEXEC, mode);
        if (descriptor >= 0 || errno != EINTR)
            return FileDescriptor(descriptor);
        stopIfInterrupted();
    }
}

size_t readInterruptibly(int descriptor, void* buffer, size_t size, const std::string& what) {
    for (;;) {
        stopIfInterrupted();
        pollfd wanted{descriptor, POLLIN, 0};
        const int ready = poll(&wanted, 1, kWaitSliceMs);
        if (ready == 0 || (ready < 0 && errno == EINTR))
            continue;
        const ssize_t got = read(descriptor, buffer, size);
        if (got >= 0)
            return static_cast<size_t>(got);
        if (errno != EINTR && errno != EAGAIN)
            throw systemError("cannot read " + what);
    }
}

void writeAll(int descriptor, const void* buffer, size_t size, const std::string& what) {
    const auto* bytes = static_cast<const char*>(buffer);
    while (size > 0) {
        const ssize_t written = write(descriptor, bytes, size);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            throw systemError("cannot write " + what);
        bytes += written;
        size -= static_cast<size_t>(written);
    }
}

void writeInterruptibly(int descriptor, const void* buffer, size_t size, const std::string& what) {
    const auto* bytes = static_cast<const char*>(buffer);
    while (size > 0) {
        stopIfInterrupted();
        pollfd wanted{descriptor, POLLOUT, 0};
        const int ready = poll(&wanted, 1, kWaitSliceMs);
        if (ready == 0 || (ready < 0 && errno == EINTR))
            continue;
        // A pipe with room takes PIPE_BUF bytes at once; a larger write could block on the
        // rest after a signal has already come.
        const ssize_t written = write(descriptor, bytes, std::min<size_t>(size, PIPE_BUF));
        if (written < 0 && (errno == EINTR || errno == EAGAIN))
            continue;
        if (written <= 0)
            throw systemError("cannot write " + what);
        bytes += written;
        size -= static_cast<size_t>(written);
    }
}

} // namespace miral::cli
