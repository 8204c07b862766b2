#pragma once

// Standard output and standard error redirected into a file while the object lives, to see
// what a plug-in call prints. One file serves every capture of the process.

#include <string>

namespace miral::harness {

class OutputCapture {
public:
    OutputCapture();
    /// Restores the streams if take() was not called.
    ~OutputCapture();
    OutputCapture(const OutputCapture&) = delete;
    OutputCapture& operator=(const OutputCapture&) = delete;

    /// Restores both streams and returns what was written to either.
    std::string take();

private:
    long start_ = -1;
    int savedOutput_ = -1;
    int savedError_ = -1;
};

} // namespace miral::harness
