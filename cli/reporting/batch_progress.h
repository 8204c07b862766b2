#pragma once

// One progress line for a batch of files processed at once: the mean of their fractions done.

#include "reporting/progress_bar.h"

#include <cstddef>
#include <mutex>
#include <optional>
#include <vector>

namespace miral::cli {

class BatchProgress {
public:
    /// Draws on standard error when it is a terminal.
    explicit BatchProgress(size_t files);

    /// File `index` is `fraction` (0..1) done. Safe to call from several threads.
    void update(size_t index, double fraction);
    /// Clears the line.
    void finish();

private:
    std::mutex mutex_;
    std::vector<double> fractions_;
    double sum_ = 0.0;
    std::optional<ProgressBar> bar_;
};

} // namespace miral::cli
