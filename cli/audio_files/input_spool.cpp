#include "audio_files/input_spool.h"

#include "output_safety/temporary_file.h"

#include <unistd.h>

#include <vector>

namespace miral::cli {
namespace {
constexpr size_t kCopyBytes = 1 << 20;
} // namespace

FileDescriptor spoolStream(int stream, const std::string& what) {
    const std::unique_ptr<TemporaryFile> spool = scratchFile("miral-input", "cannot keep " + what);
    std::vector<char> buffer(kCopyBytes);
    while (const size_t got = readInterruptibly(stream, buffer.data(), buffer.size(), what))
        writeAll(spool->descriptor(), buffer.data(), got, "the copy of " + what);
    FileDescriptor copy(dup(spool->descriptor()));
    if (!copy.valid() || lseek(copy.get(), 0, SEEK_SET) != 0)
        throw systemError("cannot read the copy of " + what);
    return copy;
}

} // namespace miral::cli
