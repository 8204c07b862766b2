#include "audio_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <stdexcept>
#include <vector>

namespace miral::cli {
namespace {

constexpr mode_t kNewFileMode = 0666; // narrowed by the umask, as for any new file

std::runtime_error systemError(const std::string& what) {
    return std::runtime_error(what + ": " + std::strerror(errno));
}

/// The permissions the finished file gets: those of the file it replaces, else the usual ones.
mode_t outputMode(const std::string& path) {
    struct stat existing {};
    if (stat(path.c_str(), &existing) == 0)
        return existing.st_mode & 07777;
    const mode_t mask = umask(0);
    umask(mask);
    return kNewFileMode & ~mask;
}

} // namespace

AudioInput::AudioInput(const std::string& path) : path_(path) {
    std::error_code error;
    if (!std::filesystem::exists(path, error))
        throw std::runtime_error("cannot read " + path + ": no such file");
    if (std::filesystem::is_directory(path, error))
        throw std::runtime_error("cannot read " + path + ": it is a directory");
    file_ = sf_open(path.c_str(), SFM_READ, &info_);
    if (!file_)
        throw std::runtime_error("cannot read " + path + ": " + sf_strerror(nullptr));
}

AudioInput::~AudioInput() {
    sf_close(file_);
}

int64_t AudioInput::read(float* interleaved, int64_t frames) {
    const sf_count_t got = sf_readf_float(file_, interleaved, frames);
    if (got < frames && sf_error(file_) != SF_ERR_NO_ERROR)
        throw std::runtime_error("cannot read " + path_ + ": " + sf_strerror(file_));
    return got;
}

AudioOutput::AudioOutput(const std::string& path, int format, int32_t channels,
                         int32_t sampleRateHz)
    : path_(path) {
    const std::filesystem::path target(path);
    const std::filesystem::path directory =
        target.has_parent_path() ? target.parent_path() : std::filesystem::path(".");
    std::string hiddenName = ".";
    hiddenName += target.filename().string();
    hiddenName += ".XXXXXX";
    std::string pattern = (directory / hiddenName).string();
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    const int descriptor = mkstemp(name.data());
    if (descriptor < 0)
        throw systemError("cannot write " + path);
    temporaryPath_ = name.data();
    fchmod(descriptor, outputMode(path));

    SF_INFO info{};
    info.format = format;
    info.channels = channels;
    info.samplerate = sampleRateHz;
    file_ = sf_open_fd(descriptor, SFM_WRITE, &info, SF_TRUE);
    if (!file_) {
        const std::string reason = sf_strerror(nullptr); // libsndfile closed the descriptor
        discard();
        throw std::runtime_error("cannot write " + path + ": " + reason);
    }
    sf_command(file_, SFC_SET_CLIPPING, nullptr, SF_TRUE);
}

AudioOutput::~AudioOutput() {
    if (!committed_)
        discard();
}

void AudioOutput::write(const float* interleaved, int64_t frames) {
    if (sf_writef_float(file_, interleaved, frames) != frames)
        throw std::runtime_error("cannot write " + path_ + ": " + sf_strerror(file_));
}

void AudioOutput::commit() {
    const int closeError = sf_close(file_);
    file_ = nullptr;
    if (closeError != SF_ERR_NO_ERROR)
        throw std::runtime_error("cannot write " + path_ + ": " + sf_error_number(closeError));
    if (std::rename(temporaryPath_.c_str(), path_.c_str()) != 0)
        throw systemError("cannot write " + path_);
    committed_ = true;
}

void AudioOutput::discard() {
    if (file_)
        sf_close(file_);
    file_ = nullptr;
    std::remove(temporaryPath_.c_str());
}

} // namespace miral::cli
