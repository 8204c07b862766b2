#include "reporting/batch_progress.h"

#include <cmath>

namespace miral::cli {
namespace {
constexpr int64_t kStepsPerFile = 1000;
} // namespace

BatchProgress::BatchProgress(size_t files) : fractions_(files, 0.0) {
    bar_.emplace(static_cast<int64_t>(files) * kStepsPerFile, ProgressBar::onTerminal());
}

void BatchProgress::update(size_t index, double fraction) {
    const std::lock_guard lock(mutex_);
    sum_ += fraction - fractions_[index];
    fractions_[index] = fraction;
    bar_->update(std::llround(sum_ * kStepsPerFile));
}

void BatchProgress::finish() {
    const std::lock_guard lock(mutex_);
    bar_.reset();
}

} // namespace miral::cli
