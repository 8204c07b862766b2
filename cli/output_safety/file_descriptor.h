#pragma once

// File descriptors: an owning handle, and opening and reading that a caught signal interrupts
// (a FIFO whose writer stalls must not keep the command from stopping).

#include <sys/types.h>

#include <cstddef>
#include <stdexcept>
#include <string>
#include <utility>

namespace miral::cli {

/// Owns an open file descriptor and closes it.
class FileDescriptor {
public:
    FileDescriptor() = default;
    explicit FileDescriptor(int descriptor) : descriptor_(descriptor) {}
    ~FileDescriptor();
    FileDescriptor(FileDescriptor&& other) noexcept;
    FileDescriptor& operator=(FileDescriptor&& other) noexcept;

    int get() const { return descriptor_; }
    bool valid() const { return descriptor_ >= 0; }

private:
    int descriptor_ = -1;
};

/// open(2) that waits out EINTR unless a caught signal asked to stop (then it throws
/// "interrupted"). Returns an invalid descriptor with errno set when the file cannot be opened.
FileDescriptor openInterruptibly(const std::string& path, int flags, mode_t mode = 0);

/// Reads up to `size` bytes, waiting in short slices so that a caught signal stops the wait
/// (throws "interrupted"). Returns 0 at the end of the data; throws std::runtime_error naming
/// `what` on a read error.
size_t readInterruptibly(int descriptor, void* buffer, size_t size, const std::string& what);

/// Writes all of `size` bytes; throws std::runtime_error naming `what` on failure.
void writeAll(int descriptor, const void* buffer, size_t size, const std::string& what);

/// Writes all of `size` bytes into a pipe, FIFO, device or file, in pieces a pipe takes without
/// blocking once it has room, waiting for room in short slices: a caught signal stops a write
/// into a stalled reader (throws "interrupted"). Throws std::runtime_error "cannot write WHAT:
/// reason" on failure.
void writeInterruptibly(int descriptor, const void* buffer, size_t size, const std::string& what);

/// std::runtime_error "WHAT: the text of errno".
std::runtime_error systemError(const std::string& what);

} // namespace miral::cli
