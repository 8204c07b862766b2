#include "output_capture.h"

#include <cstdio>
#include <filesystem>
#include <string>

#if defined(_WIN32)
#include <io.h>
#include <process.h>
#else
#include <unistd.h>
#endif

namespace miral::harness {
namespace {

// The file the streams go to during captures, removed when the program ends.
class CaptureFile {
public:
    CaptureFile()
        : path_(std::filesystem::temp_directory_path() /
                ("miral_harness_output_" + std::to_string(getpid()))),
          file_(std::fopen(path_.string().c_str(), "w+b")) {}
    ~CaptureFile() {
        if (file_ != nullptr)
            std::fclose(file_);
        std::error_code ignored;
        std::filesystem::remove(path_, ignored);
    }
    std::FILE* file() const { return file_; }

private:
    std::filesystem::path path_;
    std::FILE* file_;
};

std::FILE* captureFile() {
    static CaptureFile file;
    return file.file();
}

} // namespace

OutputCapture::OutputCapture() {
    std::FILE* file = captureFile();
    if (file == nullptr)
        return;
    std::fflush(stdout);
    std::fflush(stderr);
    std::fseek(file, 0, SEEK_END);
    start_ = std::ftell(file);
    savedOutput_ = dup(1);
    savedError_ = dup(2);
    dup2(fileno(file), 1);
    dup2(fileno(file), 2);
}

OutputCapture::~OutputCapture() {
    take();
}

std::string OutputCapture::take() {
    if (start_ < 0)
        return {};
    std::fflush(stdout);
    std::fflush(stderr);
    dup2(savedOutput_, 1);
    dup2(savedError_, 2);
    close(savedOutput_);
    close(savedError_);
    std::FILE* file = captureFile();
    std::fseek(file, start_, SEEK_SET);
    start_ = -1;
    std::string written;
    char chunk[256];
    size_t got = 0;
    while ((got = std::fread(chunk, 1, sizeof(chunk), file)) > 0)
        written.append(chunk, got);
    return written;
}

} // namespace miral::harness
