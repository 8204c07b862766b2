#pragma once

// Where an output goes, by the rules that keep files safe:
// - "-" is standard output; never a terminal. Standard output that is a pipe, or a regular
//   file opened for appending or positioned after its start, is a stream.
// - A symbolic link is followed to its final target, which is written; the link stays.
// - An existing file that is not a regular file (a device, a FIFO) is written directly and
//   never replaced; a directory is refused.
// - A regular file, or a new name, is written as an unnamed file beside it and put in its
//   place only when complete, so a failure leaves it as it was (and the output may be the
//   input). A read-only file is refused, as cp refuses it, unless `force` is given; the new
//   file keeps the old one's permissions, and its owner and group where the process may set
//   them.
// - Standard output and special files get a private temporary file in $TMPDIR, copied to them
//   only when complete: a failure writes nothing there, and a stream gets a finished file.

#include "output_safety/file_descriptor.h"
#include "output_safety/temporary_file.h"

#include <sys/types.h>

#include <filesystem>
#include <memory>
#include <string>

namespace miral::cli {

inline constexpr const char* kStandardStream = "-";

class OutputFile {
public:
    /// Throws UsageError for a terminal or a closed standard output and std::runtime_error
    /// "cannot write PATH: reason" when the destination cannot be written.
    OutputFile(const std::string& path, bool force);
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    /// Where the content is written (a seekable temporary file).
    int descriptor() const { return temporary_->descriptor(); }
    /// Why the destination takes only what is written front to back ("is a pipe", "is opened
    /// for appending", ...); empty when it can take any file.
    const std::string& streamReason() const { return streamReason_; }
    /// The path as the user gave it, for messages.
    const std::string& path() const { return path_; }
    /// "standard output" for "-", else the path.
    std::string name() const;

    /// Puts the complete file in place, or copies it into standard output or the special file.
    /// Throws std::runtime_error on failure; a regular file on standard output is then cut
    /// back to the size it had before the copy.
    void commit();

private:
    void openDirectly(const std::string& what);
    void copyToDestination();

    std::string path_;
    std::filesystem::path target_; ///< the file a temporary replaces
    std::unique_ptr<TemporaryFile> temporary_;
    FileDescriptor direct_; ///< standard output or a special file, written by commit()
    std::string streamReason_;
};

} // namespace miral::cli
