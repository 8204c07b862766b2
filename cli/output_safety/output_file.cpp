#include "output_safety/output_file.h"

#include "output_safety/standard_descriptors.h"
#include "usage_error.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>
#include <vector>

namespace miral::cli {
namespace {

constexpr int kMaximumLinks = 40;     // as the kernel allows in one path
constexpr mode_t kNewFileMode = 0666; // narrowed by the umask, as for any new file
constexpr mode_t kWriteBits = S_IWUSR | S_IWGRP | S_IWOTH;
constexpr size_t kCopyBytes = 1 << 20;

/// The final target of `path` when it is a symbolic link (a relative link resolves from the
/// link's folder), else `path` itself.
std::filesystem::path followLinks(const std::filesystem::path& path, const std::string& what) {
    std::filesystem::path current = path;
    for (int i = 0; i < kMaximumLinks; ++i) {
        std::error_code error;
        if (!std::filesystem::is_symlink(current, error))
            return current;
        const std::filesystem::path link = std::filesystem::read_symlink(current, error);
        if (error)
            throw std::runtime_error(what + ": " + error.message());
        current = link.is_absolute() ? link : current.parent_path() / link;
    }
    errno = ELOOP;
    throw systemError(what);
}

/// Read-only as users see it: no write permission at all, or none for this user. (The
/// superuser may write anything, yet a file nobody may write is read-only for it too.)
bool readOnly(const std::filesystem::path& path, const struct stat& status) {
    return (status.st_mode & kWriteBits) == 0 ||
           (access(path.c_str(), W_OK) != 0 && errno == EACCES);
}

/// Why a destination takes only a stream written front to back; empty when it can take any
/// file. A regular file opened for appending, or with data before the current offset, is one:
/// writing a header at its start, or seeking back to it, would overwrite what is there.
std::string streamReasonOf(int descriptor) {
    struct stat status {};
    const off_t offset = lseek(descriptor, 0, SEEK_CUR);
    if (offset < 0)
        return "is a pipe";
    if (fstat(descriptor, &status) != 0 || !S_ISREG(status.st_mode))
        return {};
    if (fcntl(descriptor, F_GETFL) & O_APPEND)
        return "is opened for appending";
    if (offset > 0)
        return "starts at byte " + std::to_string(offset) + ", after what is already there";
    return {};
}

} // namespace

OutputFile::OutputFile(const std::string& path, bool force) : path_(path) {
    const std::string what = "cannot write " + name();
    if (path == kStandardStream) {
        if (wasClosedAtStart(STDOUT_FILENO))
            throw UsageError("standard output is closed (give an output file)");
        if (isatty(STDOUT_FILENO))
            throw UsageError("will not write audio to a terminal (redirect standard output)");
        direct_ = FileDescriptor(fcntl(STDOUT_FILENO, F_DUPFD_CLOEXEC, 0));
        if (!direct_.valid())
            throw systemError(what);
        streamReason_ = streamReasonOf(direct_.get());
        temporary_ = scratchFile("miral-output", what);
        return;
    }
    target_ = followLinks(path, what);
    struct stat status {};
    const bool exists = stat(target_.c_str(), &status) == 0;
    if (!exists && errno != ENOENT)
        throw systemError(what);
    if (exists && S_ISDIR(status.st_mode))
        throw std::runtime_error(what + ": it is a directory");
    if (exists && !S_ISREG(status.st_mode)) {
        openDirectly(what);
        return;
    }
    if (exists && !force && readOnly(target_, status))
        throw std::runtime_error(what + ": it is read-only (--force replaces it)");
    const std::filesystem::path directory =
        target_.has_parent_path() ? target_.parent_path() : std::filesystem::path(".");
    temporary_ =
        std::make_unique<TemporaryFile>(directory, target_.filename().string(), kNewFileMode, what);
    if (exists) {
        // As the file it replaces; the owner first, as changing it clears set-user-ID bits.
        const int owned = fchown(temporary_->descriptor(), status.st_uid, status.st_gid);
        (void)owned; // only the superuser may give a file away; others keep their own
        fchmod(temporary_->descriptor(), status.st_mode & 07777);
    }
}

void OutputFile::openDirectly(const std::string& what) {
    direct_ = openInterruptibly(target_.string(), O_WRONLY | O_NOCTTY);
    if (!direct_.valid())
        throw systemError(what);
    streamReason_ = streamReasonOf(direct_.get());
    temporary_ = scratchFile("miral-output", what);
}

std::string OutputFile::name() const {
    return path_ == kStandardStream ? "standard output" : path_;
}

void OutputFile::copyToDestination() {
    const std::string destination = name();
    struct stat status {};
    const bool regular = fstat(direct_.get(), &status) == 0 && S_ISREG(status.st_mode);
    try {
        std::vector<char> buffer(kCopyBytes);
        for (off_t at = 0;;) {
            const ssize_t got = pread(temporary_->descriptor(), buffer.data(), buffer.size(), at);
            if (got < 0)
                throw systemError("cannot read back the output for " + destination);
            if (got == 0)
                break;
            writeInterruptibly(direct_.get(), buffer.data(), static_cast<size_t>(got), destination);
            at += got;
        }
    } catch (...) {
        // What a failed copy added to a file is taken off again; what was there stays.
        struct stat now {};
        if (regular && fstat(direct_.get(), &now) == 0 && now.st_size > status.st_size) {
            const int cut = ftruncate(direct_.get(), status.st_size);
            (void)cut; // nothing more can be done about a file that cannot be cut
        }
        throw;
    }
}

void OutputFile::commit() {
    if (direct_.valid())
        copyToDestination();
    else
        temporary_->publish(target_);
}

} // namespace miral::cli
