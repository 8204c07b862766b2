#pragma once

// Where an output goes, by the rules that keep files safe:
// - "-" is standard output, written directly; never a terminal.
// - A symbolic link is followed to its final target, which is written; the link stays.
// - An existing file that is not a regular file (a device, a FIFO) is written directly and
//   never replaced; a directory is refused.
// - A regular file, or a new name, is written as an unnamed file beside it and put in its
//   place only when complete, so a failure leaves it as it was (and the output may be the
//   input). A read-only file is refused, as cp refuses it, unless `force` is given.

#include "descriptor.h"
#include "temporary_file.h"

#include <filesystem>
#include <memory>
#include <string>

namespace miral::cli {

inline constexpr const char* kStandardStream = "-";

class OutputFile {
public:
    /// Throws UsageError for a terminal on standard output and std::runtime_error "cannot write
    /// PATH: reason" when the destination cannot be written.
    OutputFile(const std::string& path, bool force);
    /// Without commit(): the temporary file vanishes; what was written to a regular file on
    /// standard output is cut off again.
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    int descriptor() const;
    /// False for pipes, FIFOs and sockets, which are written front to back only.
    bool seekable() const { return seekable_; }
    /// The path as the user gave it, for messages.
    const std::string& path() const { return path_; }
    /// "standard output" for "-", else the path.
    std::string name() const;

    /// Puts the complete file in place. Throws std::runtime_error on failure.
    void commit();

private:
    void openDirectly(const std::string& what);

    std::string path_;
    std::filesystem::path target_; ///< the file a temporary replaces
    std::unique_ptr<TemporaryFile> temporary_;
    Descriptor direct_;     ///< standard output or a special file
    off_t truncateTo_ = -1; ///< where a regular file on standard output started
    bool seekable_ = true;
    bool committed_ = false;
};

} // namespace miral::cli
