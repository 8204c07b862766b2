#include "output_file.h"

#include "usage_error.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

namespace miral::cli {
namespace {

constexpr int kMaximumLinks = 40;     // as the kernel allows in one path
constexpr mode_t kNewFileMode = 0666; // narrowed by the umask, as for any new file
constexpr mode_t kWriteBits = S_IWUSR | S_IWGRP | S_IWOTH;

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

} // namespace

OutputFile::OutputFile(const std::string& path, bool force) : path_(path) {
    const std::string what = "cannot write " + name();
    if (path == kStandardStream) {
        if (isatty(STDOUT_FILENO))
            throw UsageError("will not write audio to a terminal (redirect standard output)");
        direct_ = Descriptor(fcntl(STDOUT_FILENO, F_DUPFD_CLOEXEC, 0));
        if (!direct_.valid())
            throw systemError(what);
        struct stat status {};
        if (fstat(direct_.get(), &status) == 0 && S_ISREG(status.st_mode))
            truncateTo_ = lseek(direct_.get(), 0, SEEK_CUR);
        seekable_ = lseek(direct_.get(), 0, SEEK_CUR) >= 0;
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
    if (exists)
        fchmod(temporary_->descriptor(), status.st_mode & 07777); // as the file it replaces
}

OutputFile::~OutputFile() {
    if (!committed_ && truncateTo_ >= 0) {
        const int failed = ftruncate(direct_.get(), truncateTo_);
        (void)failed; // nothing more can be done about a file that cannot be cut
    }
}

void OutputFile::openDirectly(const std::string& what) {
    direct_ = openInterruptibly(target_.string(), O_WRONLY | O_NOCTTY);
    if (!direct_.valid())
        throw systemError(what);
    seekable_ = lseek(direct_.get(), 0, SEEK_CUR) >= 0;
}

int OutputFile::descriptor() const {
    return temporary_ ? temporary_->descriptor() : direct_.get();
}

std::string OutputFile::name() const {
    return path_ == kStandardStream ? "standard output" : path_;
}

void OutputFile::commit() {
    if (temporary_)
        temporary_->publish(target_);
    committed_ = true;
}

} // namespace miral::cli
