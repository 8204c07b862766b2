#pragma once

// A file written under no name and given its name only when complete. On Linux it is created
// unnamed (O_TMPFILE) in the directory of its destination, so that neither a signal nor a crash
// can leave a partial file behind; on file systems without unnamed files it gets a unique
// hidden name, created exclusively (an existing name or link there is never followed), and is
// removed again unless it is published.

#include "output_safety/file_descriptor.h"

#include <sys/types.h>

#include <filesystem>
#include <memory>
#include <string>

namespace miral::cli {

class TemporaryFile {
public:
    /// Creates the file in `directory` with permissions `mode` narrowed by the umask; `stem` names
    /// the hidden file where one is needed (".STEM.XXXXXX"). Throws std::runtime_error naming
    /// `what`.
    TemporaryFile(const std::filesystem::path& directory, const std::string& stem, mode_t mode,
                  const std::string& what);
    /// Removes a named temporary file that was not published.
    ~TemporaryFile();
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    int descriptor() const { return descriptor_.get(); }
    /// True when the file has no name (O_TMPFILE).
    bool unnamed() const { return namedPath_.empty(); }

    /// Gives the complete file the name `target`, atomically replacing what is there. Caught
    /// signals wait until it is done. Throws std::runtime_error naming `what`.
    void publish(const std::filesystem::path& target);

private:
    FileDescriptor descriptor_;
    std::filesystem::path directory_;
    std::string stem_;
    std::string what_;
    std::filesystem::path namedPath_; ///< empty for an unnamed file
    bool published_ = false;
};

/// A private unnamed file in $TMPDIR (else /tmp) for data on its way elsewhere. Throws
/// std::runtime_error "WHAT: no temporary file in $TMPDIR (FOLDER): reason" on failure.
std::unique_ptr<TemporaryFile> scratchFile(const std::string& stem, const std::string& what);

} // namespace miral::cli
