#include "output_safety/temporary_file.h"

#include "output_safety/interruption.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <random>

namespace miral::cli {
namespace {

constexpr int kNameAttempts = 100;
constexpr mode_t kPrivateMode = 0600;

/// ".STEM.XXXXXX" with six random letters and digits.
std::filesystem::path hiddenName(const std::filesystem::path& directory, const std::string& stem) {
    static constexpr char kLetters[] =
        "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    thread_local std::mt19937_64 generator{std::random_device{}()};
    std::uniform_int_distribution<size_t> pick(0, sizeof kLetters - 2);
    std::string name = "." + stem + ".";
    for (int i = 0; i < 6; ++i)
        name += kLetters[pick(generator)];
    return directory / name;
}

/// True when open(2) failed because the file system cannot make unnamed files.
bool unnamedFilesUnsupported(int error) {
    return error == EOPNOTSUPP || error == EISDIR || error == EINVAL;
}

} // namespace

TemporaryFile::TemporaryFile(const std::filesystem::path& directory, const std::string& stem,
                             mode_t mode, const std::string& what)
    : directory_(directory), stem_(stem), what_(what) {
    descriptor_ = openInterruptibly(directory.string(), O_TMPFILE | O_RDWR, mode);
    if (!descriptor_.valid() && unnamedFilesUnsupported(errno)) {
        for (int attempt = 0; attempt < kNameAttempts && !descriptor_.valid(); ++attempt) {
            namedPath_ = hiddenName(directory, stem);
            descriptor_ = openInterruptibly(namedPath_.string(),
                                            O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW, mode);
            if (!descriptor_.valid() && errno != EEXIST)
                break;
        }
        if (!descriptor_.valid())
            namedPath_.clear();
    }
    if (!descriptor_.valid())
        throw systemError(what);
}

TemporaryFile::~TemporaryFile() {
    if (!published_ && !namedPath_.empty())
        unlink(namedPath_.c_str());
}

void TemporaryFile::publish(const std::filesystem::path& target) {
    const DeferredInterruptions deferred;
    std::filesystem::path named = namedPath_;
    if (unnamed()) {
        const std::string self = "/proc/self/fd/" + std::to_string(descriptor_.get());
        for (int attempt = 0; attempt < kNameAttempts && named.empty(); ++attempt) {
            named = hiddenName(directory_, stem_);
            if (linkat(AT_FDCWD, self.c_str(), AT_FDCWD, named.c_str(), AT_SYMLINK_FOLLOW) != 0) {
                if (errno != EEXIST)
                    throw systemError(what_);
                named.clear();
            }
        }
        if (named.empty())
            throw systemError(what_);
    }
    if (std::rename(named.c_str(), target.c_str()) != 0) {
        const auto failure = systemError(what_);
        if (unnamed())
            unlink(named.c_str());
        throw failure;
    }
    published_ = true;
}

std::unique_ptr<TemporaryFile> scratchFile(const std::string& stem, const std::string& what) {
    const char* variable = std::getenv("TMPDIR");
    const bool fromVariable = variable && *variable;
    const std::string directory = fromVariable ? variable : "/tmp";
    return std::make_unique<TemporaryFile>(
        directory, stem, kPrivateMode,
        what + ": no temporary file in " +
            (fromVariable ? "$TMPDIR (" + directory + ")" : directory));
}

} // namespace miral::cli
